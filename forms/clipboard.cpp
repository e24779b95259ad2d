#include "forms/clipboard.h"

#include <vector>

#include "forms/handles.h"

namespace forms {

namespace {

// Another program may hold the clipboard for a moment; try a few times, then give up.
bool OpenClipboardBriefly(HWND owner)
{
    constexpr int kAttempts = 10;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(10);
    }
    return false;
}

// Closes the clipboard when the scope ends, whatever path it leaves by.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboardBriefly(owner)) {}
    ~ClipboardSession()
    {
        if (open_)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// A screen-compatible copy of any bitmap; works while the original is selected into a DC,
// which holds for a picture box's persistent image.
UniqueHbitmap CopyBitmap(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) != sizeof(info))
        return UniqueHbitmap();
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    if (width <= 0 || height <= 0)
        return UniqueHbitmap();

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));

    WindowDc screen(nullptr);
    if (!screen.get())
        return UniqueHbitmap();
    GdiFlush();
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &format,
                  DIB_RGB_COLORS) != height)
        return UniqueHbitmap();
    UniqueHbitmap copy(CreateCompatibleBitmap(screen.get(), width, height));
    if (!copy)
        return UniqueHbitmap();
    if (SetDIBits(screen.get(), copy.get(), 0, static_cast<UINT>(height), pixels.data(), &format,
                  DIB_RGB_COLORS) != height)
        return UniqueHbitmap();
    return copy;
}

}  // namespace

bool ClipboardClear(HWND owner)
{
    ClipboardSession session(owner);
    if (!session.IsOpen())
        return false;
    return EmptyClipboard() != FALSE;
}

bool ClipboardSetBitmap(HWND owner, HBITMAP bitmap)
{
    UniqueHbitmap copy = CopyBitmap(bitmap);
    if (!copy)
        return false;
    ClipboardSession session(owner);
    if (!session.IsOpen())
        return false;
    // Only the owner may add formats; a clipboard we already own keeps what the caller cleared.
    if (GetClipboardOwner() != owner || !owner) {
        if (!EmptyClipboard())
            return false;
    }
    if (!SetClipboardData(CF_BITMAP, copy.get()))
        return false;
    copy.release();  // the clipboard owns it now
    return true;
}

}  // namespace forms
