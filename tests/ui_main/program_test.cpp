// The real program started with an image path: its first view puts that image's tiling on the clipboard.

#include <gtest/gtest.h>

#include "forms/handles.h"
#include "support/test_env.h"
#include "support/read_back.h"

namespace {

std::wstring ProgramPath()
{
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    // The test program lives in <build>\tests\, the program in <build>\.
    for (int level = 0; level < 2; ++level) {
        const std::size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos)
            return {};
        path.resize(slash);
    }
    return path + L"\\Quadrino.exe";
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProgramWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (owner == search->processId && std::wstring(caption) == L"Brenwick Quadrino") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST(Program, StartedWithAnImageItPutsTheImagesTilingOnTheClipboard)
{
    const std::wstring program = ProgramPath();
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the program is not built beside the tests";
    testsupport::TempFolder folder;
    const std::wstring image = folder / L"Wand.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(image, testsupport::Bmp24(testsupport::Pattern(23, 17, 9))));
    ASSERT_TRUE(testsupport::PutClipboardText(L"vorher"));

    std::wstring commandLine = L"\"" + program + L"\" " + image;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    forms::UniqueKernelHandle processHandle(process.hProcess);
    forms::UniqueKernelHandle threadHandle(process.hThread);

    // Bounded wait for the first view: the program's clipboard writes end with the image's tiling.
    bool tiled = false;
    for (int attempt = 0; attempt < 300 && !tiled; ++attempt) {
        const testsupport::Pixels clipboard = testsupport::ReadClipboardBitmap();
        tiled = clipboard.width > 23 && testsupport::IsTiling(clipboard, 23, 17, 9);
        if (!tiled) {
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
                break;
        }
    }
    EXPECT_TRUE(tiled);

    WindowSearch search{process.dwProcessId, nullptr};
    EnumWindows(&FindProgramWindow, reinterpret_cast<LPARAM>(&search));
    EXPECT_NE(search.found, nullptr);
    if (search.found)
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        ADD_FAILURE() << "the program did not end when its window was closed";
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
