#include "forms/picture_box.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "forms/raise.h"
#include "forms/skip.h"
#include "imaging/composite.h"

namespace forms {

namespace {

constexpr wchar_t kPictureBoxClass[] = L"QuadrinoPictureBox";

// The class only gives the window; painting and input go through the control's subclass.
bool RegisterPictureBoxClass()
{
    // No background: the persistent image paints everything.
    static const bool registered = RegisterWrapperClass(kPictureBoxClass, nullptr);
    return registered;
}

void FillWithColor(HDC dc, int width, int height, COLORREF color)
{
    UniqueHbrush brush(CreateSolidBrush(color));
    RECT area{0, 0, width, height};
    if (brush)
        FillRect(dc, &area, brush.get());
}

}  // namespace

PictureBox::~PictureBox()
{
    // The window goes first so that no paint reaches a half-destroyed image.
    Destroy();
    ReleaseImage();
}

bool PictureBox::Create(HWND parent, const forms::Bounds& bounds)
{
    if (!RegisterPictureBoxClass())
        return false;
    ReleaseImage();
    hasPicture_ = false;
    if (!CreateControl(kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                       WS_EX_CLIENTEDGE, parent, bounds))
        return false;
    SizeImageToClient();
    return true;
}

void PictureBox::ReleaseImage()
{
    if (imageDc_ && originalBitmap_)
        SelectObject(imageDc_.get(), originalBitmap_);
    originalBitmap_ = nullptr;
    image_.reset();
    shared_.reset();  // only now that it is no longer selected
    cleared_ = false;
    imageDc_.reset();
    imageWidth_ = 0;
    imageHeight_ = 0;
    bitmapWidth_ = 0;
    bitmapHeight_ = 0;
    unchanged_ = {0, 0};
}

void PictureBox::FillBackground()
{
    Drawn();
    if (imageDc_)
        FillWithColor(imageDc_.get(), imageWidth_, imageHeight_, backColor_);
}

void PictureBox::SizeImageToClient()
{
    RECT client{};
    if (!Hwnd() || !GetClientRect(Hwnd(), &client))
        return;
    SizeImageTo(client.right - client.left, client.bottom - client.top);
}

void PictureBox::SizeImageTo(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    // Whatever happens below, pixels beyond the new size may be filled anew.
    unchanged_.cx = std::min(static_cast<int>(unchanged_.cx), width);
    unchanged_.cy = std::min(static_cast<int>(unchanged_.cy), height);
    if (cleared_) {
        // All background at any size: it stays unmade.
        imageWidth_ = width;
        imageHeight_ = height;
        return;
    }
    if (imageDc_ && width == imageWidth_ && height == imageHeight_)
        return;
    if (!imageDc_) {
        imageDc_.reset(CreateCompatibleDC(nullptr));
        if (!imageDc_)
            return;
        originalBitmap_ = nullptr;
        image_.reset();
        imageWidth_ = 0;
        imageHeight_ = 0;
        bitmapWidth_ = 0;
        bitmapHeight_ = 0;
        unchanged_ = {0, 0};
    }

    // A drag changes the size a little at a time: the bitmap keeps room for it, because fresh
    // memory costs far more than the pixels drawn into it. Only the area that comes into view is filled.
    // A shared picture never fits: it must not be drawn on, so a resize copies it into an image of its own.
    const long long wanted = static_cast<long long>(width) * height;
    const bool fits = image_ && width > 0 && height > 0 && width <= bitmapWidth_ && height <= bitmapHeight_ &&
                      static_cast<long long>(bitmapWidth_) * bitmapHeight_ <= wanted + wanted / 2;
    if (fits) {
        UniqueHbrush brush(CreateSolidBrush(backColor_));
        if (brush) {
            const RECT right{imageWidth_, 0, width, height};
            const RECT below{0, imageHeight_, width, height};
            if (width > imageWidth_)
                FillRect(imageDc_.get(), &right, brush.get());
            if (height > imageHeight_)
                FillRect(imageDc_.get(), &below, brush.get());
        }
        imageWidth_ = width;
        imageHeight_ = height;
        return;
    }

    // Growing by a little (a drag) leaves room for the next steps; any other size is made exactly.
    const bool dragging = HasImage() && width >= imageWidth_ && height >= imageHeight_ &&
                          width <= imageWidth_ + imageWidth_ / 8 + 8 && height <= imageHeight_ + imageHeight_ / 8 + 8;
    const int bitmapWidth = dragging ? width + width / 16 + 8 : width;
    const int bitmapHeight = dragging ? height + height / 16 + 8 : height;

    UniqueHbitmap resized;
    if (width > 0 && height > 0) {
        resized = CreateDib32(bitmapWidth, bitmapHeight, nullptr);
        if (!resized)
            return;  // keep the old image rather than none
        UniqueHdc scratch(CreateCompatibleDC(nullptr));
        if (!scratch)
            return;
        SelectGuard select(scratch.get(), resized.get());
        const int keptWidth = HasImage() ? std::min(width, imageWidth_) : 0;
        const int keptHeight = HasImage() ? std::min(height, imageHeight_) : 0;
        if (keptWidth > 0 && keptHeight > 0)
            BitBlt(scratch.get(), 0, 0, keptWidth, keptHeight, imageDc_.get(), 0, 0, SRCCOPY);
        // Only what the old image does not cover gets the background.
        UniqueHbrush brush(CreateSolidBrush(backColor_));
        if (brush) {
            const RECT right{keptWidth, 0, bitmapWidth, bitmapHeight};
            const RECT below{0, keptHeight, keptWidth, bitmapHeight};
            FillRect(scratch.get(), &right, brush.get());
            FillRect(scratch.get(), &below, brush.get());
        }
    }

    // Swap the bitmaps inside the same DC, so Hdc() keeps its value.
    if (resized) {
        HGDIOBJ previous = SelectObject(imageDc_.get(), resized.get());
        if (!originalBitmap_)
            originalBitmap_ = previous;
    } else if (originalBitmap_) {
        SelectObject(imageDc_.get(), originalBitmap_);
        originalBitmap_ = nullptr;
    }
    image_ = std::move(resized);
    shared_.reset();  // a shared picture was copied as far as it is kept, and is deselected now
    imageWidth_ = image_ ? width : 0;
    imageHeight_ = image_ ? height : 0;
    bitmapWidth_ = image_ ? bitmapWidth : 0;
    bitmapHeight_ = image_ ? bitmapHeight : 0;
}

void PictureBox::FitWindowTo(int width, int height)
{
    RECT outer{};
    RECT client{};
    GetWindowRect(Hwnd(), &outer);
    GetClientRect(Hwnd(), &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    fittingWindow_ = true;
    SetWindowPos(Hwnd(), nullptr, 0, 0, width + frameWidth, height + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    fittingWindow_ = false;
}

void PictureBox::SetPicture(const Picture& picture)
{
    if (picture.Empty()) {
        ClearPicture();
        return;
    }
    // A shared picture, or a cleared image not made yet, goes before anything is drawn: drawing would change it.
    LetGoOfUnownedImage();
    if (autoSize_ && Hwnd()) {
        FitWindowTo(picture.Width(), picture.Height());
        // The image takes the picture's size even where the window could not grow as far.
        SizeImageTo(picture.Width(), picture.Height());
    } else {
        SizeImageToClient();
    }
    Drawn();
    // An opaque picture that covers the whole image needs no background beneath it.
    if (picture.HasAlpha() || picture.Width() < imageWidth_ || picture.Height() < imageHeight_)
        FillBackground();
    if (imageDc_ && image_) {
        if (picture.HasAlpha() && !picture.Premultiplied()) {
            DrawStraightAlpha(picture);
        } else {
            UniqueHdc source(CreateCompatibleDC(nullptr));
            if (source) {
                SelectGuard select(source.get(), picture.Bitmap());
                if (picture.HasAlpha()) {
                    // Premultiplied pixels over the background: transparent ones show the background.
                    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                    GdiAlphaBlend(imageDc_.get(), 0, 0, picture.Width(), picture.Height(), source.get(), 0, 0,
                                  picture.Width(), picture.Height(), blend);
                } else {
                    BitBlt(imageDc_.get(), 0, 0, picture.Width(), picture.Height(), source.get(), 0, 0, SRCCOPY);
                }
            }
        }
    }
    hasPicture_ = true;
    Refresh();
}

void PictureBox::SetPicture(std::shared_ptr<const Picture> picture)
{
    if (!picture) {
        ClearPicture();
        return;
    }
    // A picture with alpha is laid over the background, and only an AutoSize box is sure to match its size.
    if (picture->Empty() || picture->HasAlpha() || !autoSize_ || !Hwnd()) {
        SetPicture(*picture);
        return;
    }
    FitWindowTo(picture->Width(), picture->Height());
    Drawn();
    if (!ShareImage(picture)) {
        SetPicture(*picture);
        return;
    }
    hasPicture_ = true;
    Refresh();
}

bool PictureBox::ShareImage(std::shared_ptr<const Picture> picture)
{
    if (!imageDc_) {
        imageDc_.reset(CreateCompatibleDC(nullptr));
        originalBitmap_ = nullptr;
        if (!imageDc_)
            return false;
    }
    // Fails when the bitmap is selected into another DC: a DIB section can be in only one.
    const HGDIOBJ previous = SelectObject(imageDc_.get(), picture->Bitmap());
    if (!previous)
        return false;
    if (!originalBitmap_)
        originalBitmap_ = previous;
    // The own image and any picture shared before are deselected now: their memory goes at once.
    image_.reset();
    shared_ = std::move(picture);
    cleared_ = false;
    imageWidth_ = bitmapWidth_ = shared_->Width();
    imageHeight_ = bitmapHeight_ = shared_->Height();
    return true;
}

void PictureBox::LetGoOfUnownedImage()
{
    if (shared_) {
        if (imageDc_ && originalBitmap_)
            SelectObject(imageDc_.get(), originalBitmap_);
        originalBitmap_ = nullptr;
        shared_.reset();  // only now that it is no longer selected
    } else if (!cleared_) {
        return;
    }
    cleared_ = false;
    imageWidth_ = imageHeight_ = bitmapWidth_ = bitmapHeight_ = 0;
}

void PictureBox::MakeClearedImage() const
{
    if (!cleared_)
        return;
    // A picture box is never a const object, only seen through const references.
    auto& self = const_cast<PictureBox&>(*this);
    const int width = imageWidth_;
    const int height = imageHeight_;
    self.LetGoOfUnownedImage();
    self.SizeImageTo(width, height);  // from no image: all background
}

void PictureBox::DrawStraightAlpha(const Picture& picture)
{
    // Laid over the background row by row straight into the image's pixels: no copy of the picture.
    const std::uint8_t* source = picture.Bits();
    DIBSECTION section{};
    if (!source || !image_ || GetObjectW(image_.get(), sizeof(section), &section) != sizeof(section) ||
        !section.dsBm.bmBits)
        return;
    const int width = std::min(picture.Width(), imageWidth_);
    const int height = std::min(picture.Height(), imageHeight_);
    const std::size_t sourceStride = static_cast<std::size_t>(picture.Width()) * 4;
    const std::size_t targetStride = static_cast<std::size_t>(section.dsBm.bmWidthBytes);
    auto* target = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    const std::uint32_t background = imaging::FromColorref(backColor_);
    GdiFlush();  // what GDI drew into the image is in its pixels before they are written
    for (int y = 0; y < height; ++y)
        imaging::CompositeRow(source + sourceStride * static_cast<std::size_t>(y),
                              target + targetStride * static_cast<std::size_t>(y), width, background);
}

void PictureBox::ClearPicture()
{
    if (shared_) {
        // The size stays and the shared picture is left as it is; the background image is made when asked for.
        const int width = imageWidth_;
        const int height = imageHeight_;
        LetGoOfUnownedImage();
        Drawn();
        imageWidth_ = width;
        imageHeight_ = height;
        cleared_ = true;
    } else if (!cleared_) {
        FillBackground();
    }
    hasPicture_ = false;
    Refresh();
}

void PictureBox::Refresh()
{
    if (!Hwnd())
        return;
    InvalidateRect(Hwnd(), nullptr, FALSE);
    UpdateWindow(Hwnd());
}

void PictureBox::PaintNow()
{
    const HWND hwnd = Hwnd();
    if (!hwnd || !IsWindowVisible(hwnd))
        return;
    RECT client{};
    GetClientRect(hwnd, &client);
    if (const HDC dc = GetDC(hwnd)) {
        PaintArea(dc, client);
        ReleaseDC(hwnd, dc);
    }
}

void PictureBox::PaintArea(HDC dc, const RECT& area)
{
    bool painted = false;
    GuardedCall(L"picture box paint", [&] { painted = Raise(onPaint, dc, area); });
    if (!painted && HasImage()) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, imageDc_.get(), area.left,
               area.top, SRCCOPY);
    } else if (!painted) {
        UniqueHbrush brush(CreateSolidBrush(backColor_));
        if (brush)
            FillRect(dc, &area, brush.get());
    }
    // The focus shows on the screen only, never in the persistent image.
    if (GetFocus() == Hwnd() && !hideFocus_) {
        RECT client{};
        GetClientRect(Hwnd(), &client);
        DrawFocusRect(dc, &client);
    }
}

bool PictureBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (ReflectToControl(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;  // the paint covers everything from the image
        return true;
    case WM_PAINT: {
        const PaintScope paint(Hwnd());
        if (const HDC dc = paint.get())
            PaintArea(dc, paint.Area());
        result = 0;
        return true;
    }
    case WM_SIZE:
        if (!fittingWindow_)
            SizeImageToClient();
        // The focus mark runs along the edges: where the box kept its shown part, the old mark stays.
        if (GetFocus() == Hwnd() && !hideFocus_)
            InvalidateRect(Hwnd(), nullptr, FALSE);
        return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(Hwnd(), nullptr, FALSE); return false;
    case WM_UPDATEUISTATE:
        if (HIWORD(wParam) & UISF_HIDEFOCUS) {
            const bool hide = LOWORD(wParam) == UIS_SET;
            if (hide != hideFocus_) {
                hideFocus_ = hide;
                InvalidateRect(Hwnd(), nullptr, FALSE);
            }
        }
        return false;
    case WM_LBUTTONDOWN:
        if (GetFocus() != Hwnd())
            ::SetFocus(Hwnd());
        pressed_ = true;
        dragging_ = false;
        downAt_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetCapture(Hwnd());
        return false;
    case WM_MOUSEMOVE: {
        if (!pressed_ || !onDrag)
            return false;
        const int dx = GET_X_LPARAM(lParam) - downAt_.x;
        const int dy = GET_Y_LPARAM(lParam) - downAt_.y;
        // Within the system's drag distance a press stays a click.
        if (!dragging_ && std::abs(dx) < GetSystemMetrics(SM_CXDRAG) && std::abs(dy) < GetSystemMetrics(SM_CYDRAG))
            return false;
        if (!dragging_) {
            dragging_ = true;
            GuardedCall(L"picture box drag start", [this] { Raise(onDragStart); });
        }
        GuardedCall(L"picture box drag", [this, dx, dy] { Raise(onDrag, dx, dy); });
        result = 0;
        return true;
    }
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        const bool wasDragged = dragging_;
        pressed_ = false;
        dragging_ = false;
        if (GetCapture() == Hwnd())
            ReleaseCapture();
        RECT client{};
        GetClientRect(Hwnd(), &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // A drag is never a click. A failing click handler must not unwind through the window procedure.
        if (wasPressed && !wasDragged && PtInRect(&client, at))
            GuardedCall(L"picture box click", [this] { Raise(onClick); });
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Hwnd()) {
            pressed_ = false;
            dragging_ = false;
        }
        return false;
    case WM_CONTEXTMENU:
        if (!onContextMenu)
            return false;
        GuardedCall(L"picture box menu", [this, lParam] {
            Raise(onContextMenu, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        });
        result = 0;
        return true;
    case WM_MOUSEWHEEL: {
        if (!onWheel)
            return false;
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(Hwnd(), &at);
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        const bool control = (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0;
        bool handled = false;
        GuardedCall(L"picture box wheel", [&] { handled = Raise(onWheel, delta, at, control); });
        if (!handled)
            return false;
        result = 0;
        return true;
    }
    default: return false;
    }
}

}  // namespace forms
