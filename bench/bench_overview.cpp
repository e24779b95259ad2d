// The overview of a folder of 1,000 JPEGs of 1024 x 1024: opening it, its first screen, all of it,
// reopening it, how the windows answer meanwhile, and the memory it takes.

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "bench/bench_interactive.h"
#include "bench/bench_support.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "ui/overview/overview.h"

namespace bench {

namespace {

constexpr int kFiles = 1000;
constexpr int kSide = 1024;
// Decoding every file one after another takes minutes under Wine; every tenth stands for ten.
constexpr int kReferenceStep = 10;
constexpr double kGiveUpMs = 300000;

std::wstring FileName(int i)
{
    wchar_t name[32] = {};
    swprintf(name, 32, L"foto%04d.jpg", i);
    return name;
}

// The folder is made once and kept: writing 1,000 JPEGs takes a while.
bool PrepareFolder(const std::wstring& folder)
{
    const std::wstring complete = folder + L".complete";
    if (GetFileAttributesW(complete.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < kFiles; ++i) {
        if (!WriteJpeg(folder + L"\\" + FileName(i), kSide, kSide))
            return false;
    }
    const HANDLE marker = CreateFileW(complete.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(marker);
    return true;
}

// Handles the window events until done() holds; the milliseconds it took, or -1 when it gave up.
template <typename Done, typename Each>
double PumpMs(Done done, Each each)
{
    const double start = NowMs();
    return PumpUntil(done, kGiveUpMs, each, 2) ? NowMs() - start : -1;
}

bool VisibleKnown(const ui::Overview& overview)
{
    const auto [first, last] = overview.lvwTiles.VisibleRange();
    for (int p = std::max(first, 0); p <= last; ++p) {
        if (!overview.FactsAt(p))
            return false;
    }
    return last >= first;
}

std::vector<Figure> Failed(std::vector<Figure> figures, const char* why)
{
    for (Figure& figure : figures) {
        figure.value = 99999;
        figure.detail = why;
        Report(figure);
    }
    return figures;
}

}  // namespace

std::vector<Figure> MeasureOverview(const Setup& setup)
{
    const std::wstring folder = setup.workFolder + L"overview-1000";
    std::vector<Figure> figures{{"overview open ms", 0, 300, ""},   {"overview first screen", 0, 1, ""},
                                {"overview all", 0, 0.7, ""},       {"overview reopen ms", 0, 200, ""},
                                {"overview answer ms", 0, 100, ""}, {"overview memory", 0, 1.5, ""}};
    if (!PrepareFolder(folder))
        return Failed(figures, "the 1,000 JPEGs could not be written");
    BenchWindow window(folder);
    if (!window.Ok() || window.Form().File1.ListCount() != kFiles)
        return Failed(figures, "the main window could not be set up");
    ui::Form1& form = window.Form();
    const std::size_t before = WorkingSet(false);
    std::size_t peak = before;

    // Open: every item's place and name, drawn.
    double drawMs = 0;
    const double openMs = TimeMs([&] {
        form.mnuOverview_Click();
        drawMs = TimeMs([&] { UpdateWindow(form.OverviewWindow()->Hwnd()); });
    });
    ui::Overview& overview = *form.OverviewWindow();
    // Another program asking both windows something every 10 ms.
    Asker asker({form.Hwnd(), overview.Hwnd()}, 10);
    const auto sample = [&] { peak = std::max(peak, WorkingSet(false)); };
    const double firstMs = PumpMs([&] { return VisibleKnown(overview); }, sample);
    UpdateWindow(overview.lvwTiles.Hwnd());
    const double firstScreenMs = openMs + firstMs;
    const double allMs = firstScreenMs + PumpMs([&] { return overview.KnownCount() == kFiles; }, sample);
    const double answerMs = asker.Finish();
    sample();
    const auto [first, last] = overview.lvwTiles.VisibleRange();

    // The references: the visible pictures, and every tenth of all, decoded one after another.
    const double visibleDecodeMs = TimeMs([&, first = first, last = last] {
        for (int p = first; p <= last; ++p)
            forms::DecodePicture(folder + L"\\" + overview.NameAt(p));
    });
    const double allDecodeMs = kReferenceStep * TimeMs([&] {
                                   for (int i = 0; i < kFiles; i += kReferenceStep)
                                       forms::DecodePicture(folder + L"\\" + FileName(i));
                               });

    // The same list made and drawn again: without what the first list view of a process costs once.
    const double againMs = TimeMs([&] {
        overview.lvwTiles.SetCount(0);
        overview.lvwTiles.SetCount(kFiles);
        UpdateWindow(overview.Hwnd());
    });

    // Reopened: everything comes from the cache.
    std::vector<double> reopens;
    for (int i = 0; i < std::min(setup.repetitions, 5); ++i) {
        overview.Close();
        forms::DoEvents();
        reopens.push_back(TimeMs([&] {
            form.mnuOverview_Click();
            PumpUntil([&] { return VisibleKnown(overview); }, kGiveUpMs, [] {}, 2);
            UpdateWindow(overview.lvwTiles.Hwnd());
        }));
    }

    const bool complete = firstMs >= 0 && allMs >= firstScreenMs && overview.KnownCount() == kFiles;
    const int threads = overview.Work() ? overview.Work()->Threads() : 0;
    figures[0].value = openMs;
    figures[0].detail = FormatText("[window with %d places and names %.1f ms, of it drawing %.1f ms; the list made and "
                                   "drawn again %.1f ms]",
                                   kFiles, openMs, drawMs, againMs);
    figures[1].value = complete ? firstScreenMs / visibleDecodeMs : 99999;
    figures[1].detail = FormatText("[%d visible thumbnails drawn %.1f ms after Strg+T, decoding them one after another "
                                   "%.1f ms; %d workers]",
                                   last - first + 1, firstScreenMs, visibleDecodeMs, threads);
    figures[2].value = complete ? allMs / allDecodeMs : 99999;
    figures[2].detail = FormatText("[all %d thumbnails and seams %.0f ms, decoding all one after another %.0f ms "
                                   "(every %dth timed, times %d)]",
                                   kFiles, allMs, allDecodeMs, kReferenceStep, kReferenceStep);
    figures[3].value = Fastest(reopens);
    figures[3].detail = FormatText("[reopened until the visible thumbnails are drawn, fastest of %d]",
                                   static_cast<int>(reopens.size()));
    figures[4].value = answerMs;
    figures[4].detail = "[longest wait for WM_NULL by the main window and the overview while all were made]";
    const double side = overview.Side();
    const double thumbnails = kFiles * side * side * 4;
    const double grown = static_cast<double>(peak) - static_cast<double>(before);
    figures[5].value = grown / (thumbnails + 32.0 * 1048576);
    figures[5].detail = FormatText("[peak %.0f MiB above the %.0f MiB before; thumbnails %.0f MiB plus 32 MiB]",
                                   grown / 1048576, static_cast<double>(before) / 1048576, thumbnails / 1048576);
    overview.Close();
    for (const Figure& figure : figures)
        Report(figure);
    return figures;
}

}  // namespace bench
