// quadrino_bench [--data FOLDER] [--work FOLDER] [--repetitions N] [--only GROUP]
// GROUP picks one group of figures by name (memory, tiling, selection, browsing, outputs, leaks,
// keyboard, startup, view, overview, jobs); without it all run.
// Prints one line per figure: its ratio, the target and the two measurements behind it.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/bench_figures.h"
#include "bench/bench_interactive.h"
#include "common/commands.h"

namespace {

std::wstring WithBackslash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    bench::Setup setup;
    std::wstring only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--data")
            setup.browseFolder = FullPath(argv[i + 1]);
        else if (option == L"--work")
            setup.workFolder = WithBackslash(FullPath(argv[i + 1]));
        else if (option == L"--repetitions")
            setup.repetitions = std::max(3, _wtoi(argv[i + 1]));
        else if (option == L"--only")
            only = argv[i + 1];
    }
    if (setup.workFolder.empty()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        setup.workFolder = WithBackslash(std::wstring(temp) + L"quadrino-bench");
    }
    if (setup.browseFolder.empty())
        setup.browseFolder = setup.workFolder + L"folder-20000";
    CreateDirectoryW(setup.workFolder.c_str(), nullptr);

    if (FAILED(OleInitialize(nullptr))) {
        std::fputs("quadrino_bench: OLE could not be started\n", stderr);
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    Commands::AppTitle = L"Brenwick Quadrino";
    Commands::CrLf = L"\r\n";

    bool allOk = true;
    const auto wanted = [&only](const wchar_t* group) { return only.empty() || only == group; };
    const auto run = [&](const std::vector<bench::Figure>& figures) {
        for (const bench::Figure& figure : figures)
            allOk = allOk && figure.Ok();
    };
    // Memory first: its peak must not be hidden by what the other figures allocate. Saving peaks far
    // lower than showing a large picture, so it goes before without hiding the other's peak.
    if (wanted(L"memory")) {
        run(bench::MeasureSavingMemory(setup));
        run(bench::MeasureMemory(setup));
    }
    if (wanted(L"tiling"))
        run(bench::MeasureTiling(setup));
    if (wanted(L"selection")) {
        run(bench::MeasureSelectionAndResizing(setup));
        run(bench::MeasureTgaSelection(setup));
    }
    if (wanted(L"browsing")) {
        if (bench::PrepareBrowseFolder(setup.browseFolder)) {
            run(bench::MeasureBrowsing(setup));
        } else {
            std::fputs("browsing: the folder of 20,000 files could not be made\n", stdout);
            allOk = false;
        }
    }
    if (wanted(L"outputs"))
        run(bench::MeasureOutputs(setup));
    if (wanted(L"repair"))
        run(bench::MeasureRepair(setup));
    if (wanted(L"leaks"))
        run(bench::MeasureLeaks(setup));
    // What the user feels directly: a held key, the start, the seam workbench.
    if (wanted(L"keyboard"))
        run(bench::MeasureKeyboardBrowsing(setup));
    if (wanted(L"startup"))
        run(bench::MeasureStartup(setup));
    if (wanted(L"view"))
        run(bench::MeasureView(setup));
    if (wanted(L"overview"))
        run(bench::MeasureOverview(setup));
    if (wanted(L"jobs"))
        run(bench::MeasureJobs(setup));
    std::printf("%s\n", allOk ? "all figures within their targets" : "SOME FIGURES OVER TARGET");
    std::fflush(stdout);
    OleUninitialize();
    return allOk ? 0 : 1;
}
