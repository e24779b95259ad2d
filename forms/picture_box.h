#pragma once
// A picture box with a persistent image: everything drawn goes into a bitmap of the box's size,
// which paints the window, can be drawn on through Hdc() and goes to the clipboard.

#include <windows.h>

#include <functional>
#include <memory>

#include "forms/control.h"
#include "forms/handles.h"
#include "forms/picture.h"

namespace forms {

class PictureBox : public Control {
public:
    PictureBox() = default;
    ~PictureBox() override;

    bool Create(HWND parent, const forms::Bounds& bounds);

    // The persistent image's device context and bitmap; valid until the next resize. While a drag
    // resizes the box the bitmap may be larger: its top-left ScaleWidth x ScaleHeight pixels are the image.
    // While the box shows a shared picture the bitmap is that picture's own: read it, never draw on it.
    HDC Hdc() const
    {
        MakeClearedImage();
        return imageDc_.get();
    }
    HBITMAP Image() const
    {
        MakeClearedImage();
        return shared_ ? shared_->Bitmap() : image_.get();
    }
    // The inner size in pixels: the persistent image's size, which follows the client area; with
    // AutoSize it is the picture's size even where the platform caps a window's size (32767).
    int ScaleWidth() const { return imageWidth_; }
    int ScaleHeight() const { return imageHeight_; }

    // With AutoSize the box fits its window to each picture assigned.
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }
    bool AutoSize() const { return autoSize_; }

    // Draws the picture at 0,0 over the background (transparent pixels show the background).
    void SetPicture(const Picture& picture);
    // The same, but an opaque picture in an AutoSize box becomes the image itself instead of being
    // copied: the box holds it while it shows it, and takes an image of its own again on a resize,
    // ClearPicture or SetPicture. Nothing else may select the picture's bitmap into a DC meanwhile.
    void SetPicture(std::shared_ptr<const Picture> picture);
    // No picture: the persistent image is filled with the background; the size stays.
    void ClearPicture();
    bool HasPicture() const { return hasPicture_; }

    COLORREF BackColor() const { return backColor_; }
    void SetBackColor(COLORREF color) { backColor_ = color; }

    // Repaints the window from the persistent image; the image is not cleared.
    void Refresh();
    // Paints the whole window at once through onPaint (or from the image), without going through
    // WM_PAINT: a view that changes on every step of a drag saves the window server's round trips.
    void PaintNow();

    // The top-left part of the persistent image that is as it was at the last MarkUnchanged(): a resize
    // keeps what stays in view, a picture or a clear keeps nothing, and whoever draws through Hdc()
    // says so with Drawn().
    SIZE Unchanged() const { return unchanged_; }
    void MarkUnchanged() { unchanged_ = {imageWidth_, imageHeight_}; }
    void Drawn() { unchanged_ = {0, 0}; }

    std::function<void()> onClick;  // a press and release without a drag
    // A drag with the left button beyond the system's drag distance: its start, then the distance
    // from the point where the button went down, at every move.
    std::function<void()> onDragStart;
    std::function<void(int dx, int dy)> onDrag;
    std::function<void(POINT screenPoint)> onContextMenu;  // (-1, -1) when asked for by keyboard
    // The wheel over the box; true when handled. The point is in client pixels.
    std::function<bool(int delta, POINT at, bool control)> onWheel;
    // Paints the area itself instead of the persistent image (a view of it); false leaves it to the image.
    std::function<bool(HDC dc, const RECT& area)> onPaint;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Paints the area through onPaint or from the image, and the focus mark over it.
    void PaintArea(HDC dc, const RECT& area);
    // Gives the persistent image the client size, keeping what is drawn and filling new area.
    void SizeImageToClient();
    void SizeImageTo(int width, int height);
    // Puts the original bitmap back into the image DC and frees the image.
    void ReleaseImage();
    bool HasImage() const { return image_ || shared_; }
    // Sizes the window so that its client area is width x height, leaving the image to the caller.
    void FitWindowTo(int width, int height);
    // Makes the picture's bitmap the image; false when it cannot be selected into the image DC.
    bool ShareImage(std::shared_ptr<const Picture> picture);
    // Puts the original bitmap back in place of a shared picture and lets go of it, and forgets a cleared
    // image not made yet: no image is left.
    void LetGoOfUnownedImage();
    // Makes the image of a box cleared while it showed a shared picture, all background. Only done when
    // the image is asked for: a box cleared while its next picture loads needs no fresh memory for it.
    void MakeClearedImage() const;
    void FillBackground();
    // Draws a picture with straight alpha over the background.
    void DrawStraightAlpha(const Picture& picture);

    UniqueHdc imageDc_;
    UniqueHbitmap image_;
    std::shared_ptr<const Picture> shared_;  // the image when set: a picture's bitmap, image_ is empty
    HGDIOBJ originalBitmap_ = nullptr;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    int bitmapWidth_ = 0;  // the bitmap's own size, at least the image's
    int bitmapHeight_ = 0;
    bool autoSize_ = false;
    bool cleared_ = false;        // the image is all background and not made yet
    bool fittingWindow_ = false;  // SetPicture sizes the window and the image itself: WM_SIZE leaves the image
    bool hasPicture_ = false;
    bool pressed_ = false;  // the left button went down on this box
    bool dragging_ = false;
    POINT downAt_{};
    bool hideFocus_ = true;  // the focus mark shows only once the keyboard has been used
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    SIZE unchanged_{0, 0};
};

}  // namespace forms
