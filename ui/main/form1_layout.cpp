// The main window's layout rule on every resize and the delayed redraw driven by Timer1.

#include <cmath>

#include "common/commands.h"
#include "forms/clipboard.h"
#include "ui/main/form1.h"
#include "ui/main/layout.h"

namespace ui {

namespace {

// Twips between the PicW right edge and the outer width once Dir1's width is taken off.
constexpr float kPicWWidthMarginTwips = 3100.0f;
// Twips of frame, caption and margins above and below PicW.
constexpr float kPicWHeightMarginTwips = 660.0f;
// 186 pixels at 96 DPI: Frame1's height plus its margin to the outer bottom edge.
constexpr float kFrame1BottomTwips = 186.0f * 15.0f;
// 356 pixels at 96 DPI: File1's top plus the space below Check1.
constexpr float kFile1SpareTwips = 356.0f * 15.0f;

int RaisedPixels(int outerPixels, float minimumTwips, float twipsPerPixel)
{
    if (twipsPerPixel <= 0.0f || static_cast<float>(outerPixels) * twipsPerPixel >= minimumTwips)
        return 0;
    return static_cast<int>(std::ceil(minimumTwips / twipsPerPixel));
}

}  // namespace

MainLayout ComputeMainLayout(const LayoutInput& in)
{
    MainLayout out;
    const float tpp = in.twipsPerPixel;
    out.picWWidth = (in.outerWidthTwips - static_cast<float>(in.dir1WidthPixels) - kPicWWidthMarginTwips) / tpp;
    out.picWHeight = (in.outerHeightTwips - kPicWHeightMarginTwips) / tpp;
    out.frame1Top = (in.outerHeightTwips - kFrame1BottomTwips) / tpp;
    out.file1Height = (in.outerHeightTwips - kFile1SpareTwips) / tpp - static_cast<float>(in.check1HeightPixels);
    out.check1Top = static_cast<float>(RoundPixels(out.frame1Top) - in.check1HeightPixels);
    return out;
}

int RoundPixels(float value)
{
    return static_cast<int>(std::lround(value));
}

int RaisedOuterWidthPixels(int outerWidthPixels, float twipsPerPixel)
{
    return RaisedPixels(outerWidthPixels, kMinOuterWidthTwips, twipsPerPixel);
}

int RaisedOuterHeightPixels(int outerHeightPixels, float twipsPerPixel)
{
    return RaisedPixels(outerHeightPixels, kMinOuterHeightTwips, twipsPerPixel);
}

namespace {

// Applies one computed size; a negative one is refused like the platform would refuse it.
bool MoveTo(forms::Control& control, int left, int top, int width, int height, bool keepShownPart = false)
{
    if (!control.IsCreated() || width < 0 || height < 0)
        return false;
    return control.Move({left, top, width, height}, keepShownPart);
}

}  // namespace

void Form1::Form_Resize()
{
    // Minimized, the window has no size of its own: the size steps are skipped as refused.
    const bool canSize = IsLoaded() && !IsIconic(Hwnd());
    const float tpp = static_cast<float>(TwipsPerPixel());
    // The outer size is read afresh for every step: a nested resize may have changed it.
    const auto current = [&] {
        return ComputeMainLayout({static_cast<float>(Width()) * tpp, static_cast<float>(Height()) * tpp, Dir1.Width(),
                                  Check1.Height(), tpp});
    };

    if (canSize) {
        // A window manager's resize under Wine ignores the minimum and a size set while it is applied:
        // it is set now and once more when the window manager is done.
        if (RaisedOuterHeightPixels(Height(), tpp) > 0 || RaisedOuterWidthPixels(Width(), tpp) > 0) {
            KeepMinimumSize();
            if (keepMinimumPosts_ < kMaxKeepMinimumPosts) {
                ++keepMinimumPosts_;
                PostMessageW(Hwnd(), kMsgKeepMinimum, 0, 0);
            }
        } else {
            keepMinimumPosts_ = 0;
        }

        // Fractions of a pixel are rounded to the nearest whole pixel when applied.
        // Width and height in one move: each move of the preview resizes its persistent image.
        const forms::Bounds picW = PicW.GetBounds();
        const MainLayout layout = current();
        const int picWWidth = RoundPixels(layout.picWWidth);
        const int picWHeight = RoundPixels(layout.picWHeight);
        // Its corner stays: what stays in view keeps its bits, only the strips that come into view are painted.
        if (!MoveTo(PicW, picW.left, picW.top, picWWidth, picWHeight, true)) {
            // A refused size in one dimension leaves the other step to apply on its own.
            if (!MoveTo(PicW, picW.left, picW.top, picWWidth, picW.height, true))
                MoveTo(PicW, picW.left, picW.top, picW.width, picWHeight, true);
        }

        // Moved controls take their shown pixels along, so every move copies from a place that nothing has
        // covered yet: on a taller window the frame goes first and the file list last, on a lower one the reverse.
        const forms::Bounds frame = Frame1.GetBounds();
        const forms::Bounds file = File1.GetBounds();
        const forms::Bounds check = Check1.GetBounds();
        const int frameTop = RoundPixels(current().frame1Top);
        const auto moveFrame1 = [&] { MoveTo(Frame1, frame.left, frameTop, frame.width, frame.height, true); };
        const auto moveFile1 = [&] {
            MoveTo(File1, file.left, file.top, file.width, RoundPixels(current().file1Height), true);
        };
        // The check box sits on the frame: it is placed only where there is a frame.
        const auto moveCheck1 = [&](int onTop) {
            if (Frame1.IsCreated())
                MoveTo(Check1, check.left, onTop - check.height, check.width, check.height, true);
        };
        if (frameTop >= frame.top) {
            moveFrame1();
            moveCheck1(Frame1.Top());
            moveFile1();
        } else {
            moveFile1();
            moveCheck1(frameTop);
            moveFrame1();
            // A refused frame move leaves the check box on the frame where it is.
            if (Frame1.IsCreated() && Frame1.Top() != frameTop)
                moveCheck1(Frame1.Top());
        }
    }

    ResizeTicks = 1;
    CopyPreviewToClipboard();
}

void Form1::KeepMinimumSize()
{
    if (!IsLoaded() || IsIconic(Hwnd()))
        return;
    const float tpp = static_cast<float>(TwipsPerPixel());
    if (const int height = RaisedOuterHeightPixels(Height(), tpp); height > 0)
        SetOuterSize(Width(), height);
    if (const int width = RaisedOuterWidthPixels(Width(), tpp); width > 0)
        SetOuterSize(width, Height());
}

void Form1::Timer1_Timer()
{
    ShowPendingSelection();
    ResizeTicks = static_cast<std::int16_t>(ResizeTicks + 1);
    if (ResizeTicks == 10)
        RedrawPreview();
    // A tick inside File1_Click may have counted on meanwhile; the counter rests at 12.
    if (ResizeTicks > 12)
        ResizeTicks = 12;
}

void Form1::RedrawPreview()
{
    if (!File1.FileName().empty()) {
        File1_Click();
        return;
    }
    // No file chosen (the start picture, or after a move or delete): what PicM shows is tiled all the same.
    TilePreview();
    RefreshView();
    CopyPreviewToClipboard();
}

}  // namespace ui
