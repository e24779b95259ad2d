// Start-up: Quadrino.exe from process start to its first view, in a large and in an empty folder.

#include <windows.h>

#include <string>

#include "bench/bench_interactive.h"
#include "bench/bench_support.h"
#include "forms/handles.h"

namespace bench {

namespace {

constexpr double kGiveUpMs = 60000;

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindShownMainWindow(HWND hwnd, LPARAM state)
{
    auto* found = reinterpret_cast<Found*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (owner == found->process && IsWindowVisible(hwnd) && std::wstring(caption) == L"Brenwick Quadrino") {
        found->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool ClipboardFrom(DWORD process, DWORD sequenceBefore)
{
    DWORD owner = 0;
    const HWND clipboardOwner = GetClipboardOwner();
    if (!clipboardOwner)
        return false;
    GetWindowThreadProcessId(clipboardOwner, &owner);
    return owner == process && GetClipboardSequenceNumber() != sequenceBefore && IsClipboardFormatAvailable(CF_BITMAP);
}

// Milliseconds from CreateProcessW until the window is shown and its tiling is on the clipboard;
// negative when that did not happen. The program is closed again either way.
double StartOnce(const std::wstring& program, const std::wstring& folder)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\"";
    const DWORD sequenceBefore = GetClipboardSequenceNumber();
    const double start = NowMs();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return -1;
    const forms::UniqueKernelHandle process(info.hProcess);
    const forms::UniqueKernelHandle thread(info.hThread);
    Found found{info.dwProcessId, nullptr};
    double firstView = -1;
    while (NowMs() < start + kGiveUpMs && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        if (!found.window)
            EnumWindows(FindShownMainWindow, reinterpret_cast<LPARAM>(&found));
        if (found.window && ClipboardFrom(info.dwProcessId, sequenceBefore)) {
            firstView = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    // One instance at a time: the next start must not find this one still running.
    if (found.window)
        PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), static_cast<DWORD>(kGiveUpMs)) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
    }
    return firstView;
}

}  // namespace

std::vector<Figure> MeasureStartup(const Setup& setup)
{
    Figure figure{"start-up 20000 files", 0, 1.1, ""};
    const std::wstring program = ProgramFolder() + L"..\\Quadrino.exe";
    const std::wstring empty = setup.workFolder + L"empty-folder";
    CreateDirectoryW(empty.c_str(), nullptr);
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        figure.value = 99;
        figure.detail = "Quadrino.exe is not beside the bench folder";
        Report(figure);
        return {figure};
    }
    bool started = true;
    const auto once = [&](const std::wstring& folder) {
        const double ms = StartOnce(program, folder);
        started = started && ms >= 0;
        return ms >= 0 ? ms : kGiveUpMs;
    };
    std::vector<double> large;
    std::vector<double> small;
    for (int i = 0; i < setup.repetitions; ++i) {
        small.push_back(once(empty));
        large.push_back(once(setup.browseFolder));
    }
    const Timing timing{Fastest(large), Fastest(small)};
    figure.value = started ? timing.Ratio() : 99;
    figure.detail = FormatText("[first view %.1f ms started in 20,000 files, %.1f ms started in an empty folder]",
                               timing.work, timing.reference);
    if (!started)
        figure.detail += " a start did not reach its first view";
    Report(figure);
    return {figure};
}

}  // namespace bench
