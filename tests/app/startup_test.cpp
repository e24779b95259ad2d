#include <gtest/gtest.h>

#include "app/app_modul.h"
#include "forms/handles.h"
#include "forms/single_instance.h"
#include "support/test_env.h"

using testsupport::BuiltProgram;
using testsupport::TempFolder;

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL CALLBACK CloseWindowsOfProcess(HWND hwnd, LPARAM processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindowOfProcess(HWND hwnd, LPARAM search)
{
    auto& wanted = *reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == wanted.processId && IsWindowVisible(hwnd))
        wanted.found = true;
    return TRUE;
}

// A started copy of the program that is always gone when the test ends.
class StartedProgram {
public:
    StartedProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder)
    {
        std::wstring commandLine = L"\"" + exe + L"\"";
        if (!arguments.empty())
            commandLine += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                           &startup, &info)) {
            process_.reset(info.hProcess);
            CloseHandle(info.hThread);
            id_ = info.dwProcessId;
        }
    }
    ~StartedProgram() { Stop(); }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    bool Ended() const { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

    // Waits (at most 20 s) until the program has ended or the condition holds.
    template <typename Condition>
    bool WaitFor(Condition condition)
    {
        const ULONGLONG deadline = GetTickCount64() + 20000;
        while (GetTickCount64() < deadline) {
            if (condition())
                return true;
            if (WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0)
                return condition();
        }
        return condition();
    }

    bool HasVisibleWindow() const
    {
        WindowSearch search{id_, false};
        EnumWindows(FindVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    bool WaitForEnd() { return WaitForSingleObject(process_.get(), 20000) == WAIT_OBJECT_0; }

    // Closes the program's windows and, should that not end it, terminates it.
    void Stop()
    {
        if (!process_ || Ended())
            return;
        EnumWindows(CloseWindowsOfProcess, static_cast<LPARAM>(id_));
        if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
    }

private:
    forms::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring built = BuiltProgram();
        ASSERT_NE(GetFileAttributesW(built.c_str()), INVALID_FILE_ATTRIBUTES) << "missing program next to tests";
        program_ = temp_ / L"Quadrino.exe";
        ASSERT_TRUE(CopyFileW(built.c_str(), program_.c_str(), FALSE));
    }
    TempFolder temp_;
    std::wstring program_;
};

}  // namespace

TEST_F(StartupTest, CreatesTheCollectionFolderBesideTheProgram)
{
    const std::wstring tiles = temp_ / L"Tiles";
    ASSERT_FALSE(IsFolder(tiles));
    TempFolder elsewhere;  // the program is started from another current folder
    StartedProgram started(program_, L"", elsewhere.Path());
    ASSERT_TRUE(started.Started());
    EXPECT_TRUE(started.WaitFor([&] { return IsFolder(tiles); }));
    started.Stop();
    EXPECT_FALSE(IsFolder(elsewhere / L"Tiles"));
}

TEST_F(StartupTest, KeepsAnExistingCollectionFolder)
{
    const std::wstring tiles = temp_ / L"Tiles\\";
    ASSERT_TRUE(CreateDirectoryW(tiles.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(tiles + L"Wand.bmp", "BM"));
    StartedProgram started(program_, L"\"" + tiles + L"Wand.bmp\"", temp_.Path());
    ASSERT_TRUE(started.Started());
    // Either the program ended or it is up; both ways start-up has run past the collection folder.
    started.WaitFor([&] { return started.HasVisibleWindow(); });
    started.Stop();
    EXPECT_TRUE(IsFolder(tiles));
    EXPECT_EQ(testsupport::ReadFileBytes(tiles + L"Wand.bmp"), "BM");
}

TEST_F(StartupTest, SecondInstanceEndsAtOnceWithoutEffect)
{
    const forms::SingleInstance first(AppModul::kInstanceName);
    ASSERT_FALSE(first.AnotherIsRunning());
    StartedProgram second(program_, L"", temp_.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.WaitForEnd());
    EXPECT_FALSE(IsFolder(temp_ / L"Tiles"));
}

TEST_F(StartupTest, InstanceNameIsHeldWhileTheProgramRuns)
{
    StartedProgram started(program_, L"", temp_.Path());
    ASSERT_TRUE(started.Started());
    started.WaitFor([&] { return started.HasVisibleWindow(); });
    EXPECT_TRUE(IsFolder(temp_ / L"Tiles"));
    if (!started.HasVisibleWindow())
        GTEST_SKIP() << "the program ended after start-up; no window keeps it running yet";
    const forms::SingleInstance probe(AppModul::kInstanceName);
    EXPECT_TRUE(probe.AnotherIsRunning());
}

TEST_F(StartupTest, ProgramInADriveRootUsesTilesInThatRoot)
{
    const std::wstring root = temp_.Path().substr(0, 3);
    const std::wstring tiles = root + L"Tiles";
    if (IsFolder(tiles))
        GTEST_SKIP() << "the drive's root already holds Tiles";
    const std::wstring program = root + L"Quadrino_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(program_.c_str(), program.c_str(), FALSE));
    {
        StartedProgram started(program, L"", temp_.Path());
        ASSERT_TRUE(started.Started());
        EXPECT_TRUE(started.WaitFor([&] { return IsFolder(tiles); }));
        started.Stop();
    }
    DeleteFileW(program.c_str());
    RemoveDirectoryW(tiles.c_str());
}
