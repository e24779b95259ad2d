// The seam workbench at a 3840 x 2160 preview: offset, zoom and pan against one copy of the preview,
// and the seam measure against decoding the picture it measures.

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "bench/bench_interactive.h"
#include "bench/bench_support.h"
#include "common/commands.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "imaging/seam.h"
#include "imaging/view.h"

namespace bench {

namespace {

constexpr int kPreviewWidth = 3840;
constexpr int kPreviewHeight = 2160;
constexpr std::array<int, 6> kZooms{25, 50, 100, 200, 400, 800};

// The worst step of one kind of operation, in copies of the preview.
struct Worst {
    double ratio = 0;
    double ms = 0;
    int zoom = 0;
    void Take(const Timing& timing, int atZoom)
    {
        if (timing.Ratio() > ratio) {
            ratio = timing.Ratio();
            ms = timing.work;
            zoom = atZoom;
        }
    }
};

// The screen of a 3840 x 2160 monitor: PicW's paint covers all of the preview, as it would there,
// instead of the part that fits on this machine's small screen.
class LargeScreen {
public:
    explicit LargeScreen(ui::Form1& form)
        : form_(form), screen_(kPreviewWidth, kPreviewHeight), paint_(form.PicW.onPaint)
    {
        form_.PicW.onPaint = [this](HDC, const RECT&) {
            ++paints_;
            const RECT all{0, 0, kPreviewWidth, kPreviewHeight};
            if (!paint_(screen_.Dc(), all))
                BitBlt(screen_.Dc(), 0, 0, kPreviewWidth, kPreviewHeight, form_.PicW.Hdc(), 0, 0, SRCCOPY);
            GdiFlush();
            return true;
        };
    }
    ~LargeScreen() { form_.PicW.onPaint = paint_; }
    LargeScreen(const LargeScreen&) = delete;
    LargeScreen& operator=(const LargeScreen&) = delete;
    long Paints() const { return paints_; }

private:
    ui::Form1& form_;
    Canvas screen_;
    std::function<bool(HDC, const RECT&)> paint_;
    long paints_ = 0;
};

Figure MeasureTileSize(ui::Form1& form, const LargeScreen& screen, const PreviewCopy& copy, imaging::Image32& target,
                       int width, int height, int repetitions)
{
    Figure figure{FormatText("view %dx%d", width, height), 0, 2, ""};
    form.ShowPicture(PatternPicture(width, height, static_cast<unsigned>(width * 31 + height), false));
    Commands::TilePicture(form.PicW, form.PicM);
    form.RefreshView();
    forms::DoEvents();
    const POINT centre{kPreviewWidth / 2, kPreviewHeight / 2};
    const long paintsBefore = screen.Paints();
    long steps = 0;
    Worst offset;
    Worst zoom;
    Worst pan;
    const auto setOffset = [&](bool on) {
        if (form.HalfOffset() != on)
            form.mnuHalfOffset_Click();
    };
    for (std::size_t i = 0; i < kZooms.size(); ++i) {
        const int at = kZooms[i];
        // Into this zoom from its neighbour (from 50 % for the smallest).
        const int from = i == 0 ? kZooms[1] : kZooms[i - 1];
        const int direction = i == 0 ? -1 : +1;
        const auto step = [&] {
            form.StepZoom(direction, centre);
            ++steps;
        };
        zoom.Take(InterleavedFrom(
                      repetitions, [&] { form.SetZoom(from, centre); }, step, copy),
                  at);
        for (const bool on : {true, false}) {
            const auto toggle = [&] {
                form.mnuHalfOffset_Click();
                ++steps;
            };
            offset.Take(InterleavedFrom(
                            repetitions, [&] { setOffset(!on); }, toggle, copy),
                        at);
        }
        int distance = 0;
        form.PicW_DragStart();
        const auto drag = [&] {
            ++distance;
            form.PicW_Drag(distance, distance);
            ++steps;
        };
        pan.Take(InterleavedFrom(
                     repetitions, [] {}, drag, copy),
                 at);
        setOffset(false);
    }
    form.SetZoom(100, centre);
    figure.value = std::max({offset.ratio, zoom.ratio, pan.ratio});
    // Where the worst step's time goes: the view drawn alone into a buffer, without the paint.
    const Worst& worst = offset.ratio >= zoom.ratio && offset.ratio >= pan.ratio ? offset
                         : zoom.ratio >= pan.ratio                               ? zoom
                                                                                 : pan;
    const ui::Form1::TileSource tile = form.CurrentTile();
    std::vector<double> renders;
    for (int i = 0; i < repetitions; ++i)
        renders.push_back(TimeMs([&] {
            imaging::RenderView(tile.pixels, target.View(), {0, 0, worst.zoom}, tile.background);
        }));
    figure.detail =
        FormatText("[worst in copies: offset %.2f at %d %%, zoom step %.2f into %d %%, pan %.2f at %d %%; "
                   "slowest %.2f ms, of it drawing the view alone %.2f ms]",
                   offset.ratio, offset.zoom, zoom.ratio, zoom.zoom, pan.ratio, pan.zoom, worst.ms, Fastest(renders));
    // A step that did not paint would be measured too cheap.
    if (screen.Paints() - paintsBefore < steps) {
        figure.value = 99;
        figure.detail += FormatText(" only %ld paints for %ld steps", screen.Paints() - paintsBefore, steps);
    }
    return figure;
}

Figure MeasureSeamFigure(const Setup& setup)
{
    Figure figure{"seam measure 4096x4096", 0, 0.1, ""};
    const std::wstring folder = setup.workFolder + L"seam";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring image = folder + L"\\naht4096.jpg";
    if (GetFileAttributesW(image.c_str()) == INVALID_FILE_ATTRIBUTES && !WriteJpeg(image, 4096, 4096)) {
        figure.value = 99;
        figure.detail = "the 4096 x 4096 JPEG could not be written";
        return figure;
    }
    const std::optional<forms::Picture> picture = forms::LoadPicture(image);
    if (!picture || !picture->Bits()) {
        figure.value = 99;
        figure.detail = "the 4096 x 4096 JPEG could not be decoded";
        return figure;
    }
    const imaging::ConstPixels pixels{picture->Width(), picture->Height(), std::ptrdiff_t{picture->Width()} * 4,
                                      picture->Bits()};
    double ratio = 0;
    const Timing timing = InterleavedFrom(
        setup.repetitions, [] {}, [&] { ratio = imaging::MeasureSeam(pixels, 0x808080).ratio; },
        [&] { forms::LoadPicture(image); });
    figure.value = timing.Ratio();
    figure.detail = FormatText("[seam measure %.2f ms (seam %.2f), decoding the JPEG %.2f ms]", timing.work, ratio,
                               timing.reference);
    return figure;
}

}  // namespace

std::vector<Figure> MeasureView(const Setup& setup)
{
    std::vector<Figure> figures;
    const std::wstring folder = setup.workFolder + L"view";
    CreateDirectoryW(folder.c_str(), nullptr);
    {
        BenchWindow window(folder);
        if (!window.Ok() || !window.SizePreview(kPreviewWidth, kPreviewHeight)) {
            figures.push_back({"view", 99, 2, "the main window could not get a 3840 x 2160 preview"});
            Report(figures.back());
        } else {
            ui::Form1& form = window.Form();
            // Part of the preview on the screen, so that it paints at all.
            SetWindowPos(form.Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            const LargeScreen screen(form);
            const PreviewCopy copy(kPreviewWidth, kPreviewHeight);
            imaging::Image32 target(kPreviewWidth, kPreviewHeight);
            struct Size {
                int width;
                int height;
            };
            for (const Size size : {Size{1, 1}, Size{7, 5}, Size{145, 113}, Size{1000, 1000}, Size{5000, 5000}}) {
                figures.push_back(
                    MeasureTileSize(form, screen, copy, target, size.width, size.height, setup.repetitions));
                Report(figures.back());
            }
        }
    }
    figures.push_back(MeasureSeamFigure(setup));
    Report(figures.back());
    return figures;
}

}  // namespace bench
