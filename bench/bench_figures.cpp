#include "bench/bench_figures.h"
#include "bench/bench_support.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <optional>

#include "bench/bench_images.h"
#include "bench/bench_timing.h"
#include "bench/resource_count.h"
#include "common/commands.h"
#include "forms/events.h"
#include "forms/file_list.h"
#include "forms/jobs.h"
#include "forms/paths.h"
#include "forms/form.h"
#include "forms/picture.h"
#include "forms/picture_box.h"
#include "ui/main/form1.h"
#include "ui/main/repeat_preview.h"

namespace bench {

namespace {

constexpr int kPreviewWidth = 3840;
constexpr int kPreviewHeight = 2160;
constexpr wchar_t kImagePattern[] = L"*.bmp;*.gif;*.jpg;*.jpeg;*.tif";

// A hidden form that hosts the controls measured on their own.
class HiddenHost {
public:
    HiddenHost()
    {
        forms::FormStyle style;
        style.caption = L"Quadrino bench";
        style.clientWidthTwips = 6000;
        style.clientHeightTwips = 6000;
        form_.Load(style);
    }
    HWND Hwnd() const { return form_.Hwnd(); }

private:
    forms::Form form_;
};

// Creates a picture box whose persistent image is exactly width x height.
bool CreatePreview(forms::PictureBox& box, HWND parent, int width, int height)
{
    if (!box.Create(parent, {0, 0, width, height}))
        return false;
    box.Move({0, 0, width + (width - box.ScaleWidth()), height + (height - box.ScaleHeight())});
    return box.ScaleWidth() == width && box.ScaleHeight() == height;
}

// The main window as the program opens it, pointed at a file without a click.
class MainWindow : public BenchWindow {
public:
    using BenchWindow::BenchWindow;
    bool PointAt(const std::wstring& folder, const std::wstring& name)
    {
        return Form().File1.SetPath(folder) && BenchWindow::PointAt(name) >= 0;
    }
};

bool WriteEmptyFile(const std::wstring& path)
{
    forms::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file) || GetLastError() == ERROR_FILE_EXISTS;
}

std::wstring BrowseName(int index)
{
    // Half images under every listed extension, half other files.
    static const wchar_t* const kExtensions[] = {L"jpg", L"bmp", L"gif", L"tif", L"jpeg"};
    wchar_t name[64] = {};
    if (index % 2 == 0)
        std::swprintf(name, 64, L"bild%05d.%ls", index / 2, kExtensions[(index / 2) % 5]);
    else
        std::swprintf(name, 64, L"text%05d.txt", index / 2);
    return name;
}

int CountFolder(const std::wstring& folder, int* images)
{
    int files = 0;
    int matching = 0;
    WIN32_FIND_DATAW data{};
    forms::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ++files;
        if (forms::MatchesPattern(data.cFileName, kImagePattern))
            ++matching;
    } while (FindNextFileW(find.get(), &data));
    if (images)
        *images = matching;
    return files;
}

}  // namespace

void Report(const Figure& figure)
{
    std::printf("%-24s %8.2f   target <= %-4g %-4s %s\n", figure.name.c_str(), figure.value, figure.target,
                figure.Ok() ? "ok" : "over target", figure.detail.c_str());
    std::fflush(stdout);
}

std::vector<Figure> MeasureMemory(const Setup& setup)
{
    const std::wstring folder = setup.workFolder + L"memory";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring image = folder + L"\\gross4096.jpg";
    Figure figure{"memory 4096x4096", 0, 2, ""};
    if (GetFileAttributesW(image.c_str()) == INVALID_FILE_ATTRIBUTES && !WriteJpeg(image, 4096, 4096)) {
        figure.value = 99;
        figure.detail = "the 4096 x 4096 image could not be written";
        Report(figure);
        return {figure};
    }
    const std::size_t before = WorkingSet(false);
    {
        MainWindow window(folder);
        if (!window.Ok() || !window.SizePreview(kPreviewWidth, kPreviewHeight) ||
            !window.PointAt(folder, L"gross4096.jpg")) {
            figure.value = 99;
            figure.detail = "the main window could not be set up";
            Report(figure);
            return {figure};
        }
        SelectAndShow(window.Form());
        window.Settle();
    }
    const std::size_t peak = WorkingSet(true);
    const double bitmaps = 4096.0 * 4096 * 4 + static_cast<double>(kPreviewWidth) * kPreviewHeight * 4;
    figure.value = (static_cast<double>(peak) - static_cast<double>(before)) / bitmaps;
    figure.detail = Format("[peak %.0f MiB above the %.0f MiB before, bitmaps %.0f MiB]",
                           (static_cast<double>(peak) - static_cast<double>(before)) / 1048576.0,
                           static_cast<double>(before) / 1048576.0, bitmaps / 1048576.0);
    Report(figure);
    return {figure};
}

std::vector<Figure> MeasureTiling(const Setup& setup)
{
    std::vector<Figure> figures;
    HiddenHost host;
    forms::PictureBox preview;
    forms::PictureBox tile;
    if (!CreatePreview(preview, host.Hwnd(), kPreviewWidth, kPreviewHeight) ||
        !tile.Create(host.Hwnd(), {0, 0, 10, 10})) {
        figures.push_back({"tiling", 99, 3, "the preview could not be made"});
        Report(figures.back());
        return figures;
    }
    tile.SetAutoSize(true);
    const PreviewCopy copy(kPreviewWidth, kPreviewHeight);

    struct Size {
        int width;
        int height;
    };
    // The other repeats: each figure is the worst over the sizes and offsets.
    struct RepeatFigure {
        Figure figure;
        std::vector<imaging::Repeat> repeats;
    };
    std::vector<RepeatFigure> repeatFigures{
        {{"tiling drop", 0, 3, ""}, {{imaging::RepeatKind::HalfDrop, 2}, {imaging::RepeatKind::HalfDrop, 3}}},
        {{"tiling brick", 0, 3, ""}, {{imaging::RepeatKind::HalfBrick, 2}, {imaging::RepeatKind::HalfBrick, 3}}},
        {{"tiling mirror", 0, 3, ""}, {{imaging::RepeatKind::Mirror, 2}}},
    };
    for (const Size size : {Size{1, 1}, Size{3, 7}, Size{64, 64}, Size{145, 113}, Size{1000, 1000}, Size{5000, 5000}}) {
        tile.SetPicture(PatternPicture(size.width, size.height, static_cast<unsigned>(size.width + size.height)));
        Figure figure{Format("tiling %.0fx%.0f", size.width, size.height), 0, 3, ""};
        if (tile.ScaleWidth() != size.width || tile.ScaleHeight() != size.height) {
            figure.value = 99;
            figure.detail = "the tile box does not hold a picture of that size";
            figures.push_back(figure);
            Report(figure);
            continue;
        }
        const Timing timing = Interleaved(
            setup.repetitions,
            [&] {
                Commands::TilePicture(preview, tile);
                GdiFlush();
            },
            copy);
        figure.value = timing.Ratio();
        figure.detail = Format("[tiling %.2f ms, one copy %.2f ms", timing.work, timing.reference);

        // The way of one copy per tile position, for comparison, where it ends in reasonable time.
        const double positions =
            std::ceil(double(kPreviewWidth) / size.width) * std::ceil(double(kPreviewHeight) / size.height);
        if (positions <= 500000) {
            const double perTile = TimeMs([&] {
                for (int y = 0; y < kPreviewHeight; y += size.height)
                    for (int x = 0; x < kPreviewWidth; x += size.width)
                        BitBlt(preview.Hdc(), x, y, size.width, size.height, tile.Hdc(), 0, 0, SRCCOPY);
                GdiFlush();
            });
            figure.detail += Format("; copy per tile %.1f ms = %.1f copies", perTile, perTile / timing.reference);
        } else {
            figure.detail += Format("; copy per tile not run: %.0f copies", positions);
        }
        figure.detail += "]";
        figures.push_back(figure);
        Report(figure);

        for (RepeatFigure& repeatFigure : repeatFigures)
            for (const imaging::Repeat repeat : repeatFigure.repeats) {
                const Timing laid = Interleaved(
                    setup.repetitions,
                    [&] {
                        ui::TileInRepeat(preview, tile, repeat);
                        GdiFlush();
                    },
                    copy);
                if (laid.Ratio() < repeatFigure.figure.value)
                    continue;
                repeatFigure.figure.value = laid.Ratio();
                repeatFigure.figure.detail =
                    Format("[worst at %.0fx%.0f", size.width, size.height) +
                    (repeat.kind == imaging::RepeatKind::Mirror ? std::string() : Format(" 1/%.0f", repeat.n)) +
                    Format(": tiling %.2f ms, one copy %.2f ms; sizes 1x1 to 5000x5000]", laid.work, laid.reference);
            }
    }
    for (const RepeatFigure& repeatFigure : repeatFigures) {
        figures.push_back(repeatFigure.figure);
        Report(repeatFigure.figure);
    }
    return figures;
}

std::vector<Figure> MeasureSelectionAndResizing(const Setup& setup)
{
    std::vector<Figure> figures;
    const std::wstring folder = setup.workFolder + L"selection";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring image = folder + L"\\kachel1024.jpg";
    Figure selection{"selection 1024 jpeg", 0, 1.5, ""};
    Figure resizing{"resizing 3840x2160", 0, 2, ""};
    MainWindow window(folder);
    if ((GetFileAttributesW(image.c_str()) == INVALID_FILE_ATTRIBUTES && !WriteJpeg(image, 1024, 1024)) ||
        !window.Ok() || !window.SizePreview(1920, 1080) || !window.PointAt(folder, L"kachel1024.jpg")) {
        selection.value = resizing.value = 99;
        selection.detail = resizing.detail = "the main window or its image could not be set up";
        Report(selection);
        Report(resizing);
        return {selection, resizing};
    }
    ui::Form1& form = window.Form();

    const Timing select = Interleaved(
        setup.repetitions, [&] { SelectAndShow(form); },
        [&] {
            std::optional<forms::Picture> picture = forms::LoadPicture(image);
            if (!picture)
                selection.detail = "the JPEG could not be decoded ";
        });
    selection.value = select.Ratio();
    selection.detail +=
        Format("[selection %.2f ms, decoding alone %.2f ms, preview 1920x1080]", select.work, select.reference);
    figures.push_back(selection);
    Report(selection);

    // A drag of the window's corner: every event changes both sides by a pixel.
    if (!window.SizePreview(kPreviewWidth, kPreviewHeight)) {
        resizing.value = 99;
        resizing.detail = "the preview could not be made 3840 x 2160";
    } else {
        SelectAndShow(form);
        const PreviewCopy copy(kPreviewWidth, kPreviewHeight);
        const int width = form.Width();
        const int height = form.Height();
        // Only the layout rule is timed: what the window system does around it is not the program's.
        double layoutMs = 0;
        form.onResize = [&] { layoutMs += TimeMs([&] { form.Form_Resize(); }); };
        std::vector<double> layouts;
        std::vector<double> copies;
        // Resize events are short and many: more of them, so that some fall between other programs' work.
        for (int i = 0; i < setup.repetitions * 6; ++i) {
            copies.push_back(TimeMs(copy));
            layoutMs = 0;
            const int delta = i % 2 == 0 ? -1 : 0;
            form.SetOuterSize(width + delta, height + delta);
            layouts.push_back(layoutMs);
        }
        form.onResize = [&form] { form.Form_Resize(); };
        const Timing resize{Fastest(layouts), Fastest(copies)};
        resizing.value = resize.Ratio();
        resizing.detail = Format("[layout rule %.2f ms, one copy %.2f ms; a corner drag, a pixel each way]",
                                 resize.work, resize.reference);
        window.Settle();
    }
    figures.push_back(resizing);
    Report(resizing);
    return figures;
}

bool PrepareBrowseFolder(const std::wstring& folder)
{
    int images = 0;
    if (CountFolder(folder, &images) == 20000 && images == 10000)
        return true;
    std::printf("browsing: making the folder of 20,000 files (slow under Wine; scripts/bench.sh makes it faster)\n");
    std::fflush(stdout);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < 20000; ++i)
        if (!WriteEmptyFile(folder + L"\\" + BrowseName(i)))
            return false;
    return CountFolder(folder, &images) == 20000 && images == 10000;
}

std::vector<Figure> MeasureBrowsing(const Setup& setup)
{
    HiddenHost host;
    forms::FileList list;
    Figure figure{"browsing 20000 files", 0, 2, ""};
    if (!list.Create(host.Hwnd(), {0, 0, 200, 400})) {
        figure.value = 99;
        figure.detail = "the file list could not be made";
        Report(figure);
        return {figure};
    }
    list.SetPattern(kImagePattern);
    int listed = 0;
    int found = 0;
    const Timing timing = Interleaved(
        setup.repetitions,
        [&] {
            list.SetPath(setup.browseFolder);
            listed = list.ListCount();
        },
        [&] {
            WIN32_FIND_DATAW data{};
            forms::UniqueFind find(FindFirstFileW((setup.browseFolder + L"\\*").c_str(), &data));
            found = 0;
            if (find)
                do
                    ++found;
                while (FindNextFileW(find.get(), &data));
        });
    figure.value = timing.Ratio();
    figure.detail =
        Format("[file list %.2f ms for %.0f images, bare listing %.2f ms", timing.work, listed, timing.reference);
    figure.detail += Format(" for %.0f entries]", found);
    if (listed != 10000) {
        figure.value = 99;
        figure.detail += " the list did not show the 10,000 images";
    }
    Report(figure);
    return {figure};
}

std::vector<Figure> MeasureLeaks(const Setup& setup)
{
    const std::wstring folder = setup.workFolder + L"leaks";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring image = folder + L"\\klein.jpg";
    Figure figure{"leaks 1000 selections", 0, 0, ""};
    MainWindow window(folder);
    if ((GetFileAttributesW(image.c_str()) == INVALID_FILE_ATTRIBUTES && !WriteJpeg(image, 64, 48)) || !window.Ok() ||
        !window.SizePreview(1920, 1080) || !window.PointAt(folder, L"klein.jpg")) {
        figure.value = 99;
        figure.detail = "the main window or its image could not be set up";
        Report(figure);
        return {figure};
    }
    ui::Form1& form = window.Form();
    // The first selections make what lives for the whole program (decoder, caches).
    for (int i = 0; i < 5; ++i)
        SelectAndShow(form);
    // Counted as afterwards: with the last job's thread ended, not while it winds down.
    forms::EndJobs(30000);
    forms::DoEvents();
    const perfcount::Counts before = perfcount::Take();
    // Each selection replaces the one before, as a burst of clicks does; the last is shown.
    for (int i = 0; i < 1000; ++i)
        form.File1_Click();
    AwaitSelection(form);
    forms::EndJobs(30000);
    forms::DoEvents();
    const perfcount::Counts after = perfcount::Take();
    const long gdi = after.gdi - before.gdi;
    const long user = after.user - before.user;
    const long handles = after.handles - before.handles;
    // Fewer objects afterwards would be as wrong as more: something was freed that was in use.
    figure.value = static_cast<double>(std::max({std::labs(gdi), std::labs(user), std::labs(handles)}));
    char text[200] = {};
    std::snprintf(text, sizeof(text), "[GDI objects %ld -> %ld, USER objects %ld -> %ld, handles %ld -> %ld]",
                  before.gdi, after.gdi, before.user, after.user, before.handles, after.handles);
    figure.detail = text;
    Report(figure);
    return {figure};
}

}  // namespace bench
