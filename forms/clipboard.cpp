#include "forms/clipboard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "forms/dib_canvas.h"
#include "forms/form.h"
#include "forms/handles.h"
#include "forms/picture.h"

namespace forms {

namespace {

// Another program may hold the clipboard for a moment; try a few times, then give up.
constexpr int kOpenAttempts = 10;

// A copy of the pixels in a 32-bit top-down DIB section of its own. The bitmap is kept for the next
// copy while it has room, since fresh memory costs far more than copying into memory in use.
class Snapshot {
public:
    Snapshot() = default;
    ~Snapshot() { Free(); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    // Room for width x height pixels. The pixels stay where the bitmap is kept; a new bitmap has none.
    bool Reserve(int width, int height)
    {
        width_ = height_ = 0;
        if (width <= 0 || height <= 0)
            return false;
        const long long wanted = static_cast<long long>(width) * height;
        if (pixels_.Empty() || width > pixels_.Width() || height > pixels_.Height() ||
            static_cast<long long>(pixels_.Width()) * pixels_.Height() > 2 * wanted) {
            Free();  // the old memory goes before the new is taken
            if (!pixels_.Make(width + width / 16 + 8, height + height / 16 + 8))
                return false;
        }
        width_ = width;
        height_ = height;
        return true;
    }
    // The top-left width x height pixels of a DC, copied by the platform's own blitter. Where the
    // caller says the DC is unchanged since the last copy from it, the pixels kept from then are reused:
    // a drag of the window's corner then copies only the strips that come into view.
    bool CopyFrom(HDC source, int width, int height, SIZE unchanged)
    {
        // A new bitmap holds nothing: Reserve forgets the source then.
        if (!source || !Reserve(width, height)) {
            ForgetSource();
            return false;
        }
        const HDC last = from_;
        const int lastWidth = fromWidth_;
        const int lastHeight = fromHeight_;
        ForgetSource();
        int keptWidth = 0;
        int keptHeight = 0;
        if (source == last) {
            keptWidth = std::min({static_cast<int>(unchanged.cx), lastWidth, width});
            keptHeight = std::min({static_cast<int>(unchanged.cy), lastHeight, height});
        }
        bool ok = true;
        if (keptWidth <= 0 || keptHeight <= 0) {
            ok = BitBlt(pixels_.Dc(), 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
        } else {
            if (width > keptWidth)
                ok = BitBlt(pixels_.Dc(), keptWidth, 0, width - keptWidth, height, source, keptWidth, 0, SRCCOPY) && ok;
            if (height > keptHeight)
                ok = BitBlt(pixels_.Dc(), 0, keptHeight, keptWidth, height - keptHeight, source, 0, keptHeight,
                            SRCCOPY) &&
                     ok;
        }
        if (ok) {
            from_ = source;
            fromWidth_ = width;
            fromHeight_ = height;
        }
        return ok;
    }
    // A whole bitmap, which may be selected into a DC (as a picture box's persistent image is).
    bool CopyFrom(HBITMAP bitmap)
    {
        ForgetSource();
        BITMAP info{};
        if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) != sizeof(info))
            return false;
        const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
        if (!Reserve(info.bmWidth, height))
            return false;
        BITMAPINFO format = TopDownDibInfo(info.bmWidth, height);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(height));
        WindowDc screen(nullptr);
        if (!screen.get())
            return false;
        GdiFlush();
        if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) !=
            height)
            return false;
        return SetDIBitsToDevice(pixels_.Dc(), 0, 0, static_cast<DWORD>(info.bmWidth), static_cast<DWORD>(height), 0, 0,
                                 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) == height;
    }

    // A screen-compatible bitmap of the pixels, as programs expect CF_BITMAP to be.
    UniqueHbitmap MakeBitmap() const
    {
        WindowDc screen(nullptr);
        if (!screen.get() || pixels_.Empty() || width_ <= 0 || height_ <= 0)
            return UniqueHbitmap();
        UniqueHbitmap copy(CreateCompatibleBitmap(screen.get(), width_, height_));
        UniqueHdc target(CreateCompatibleDC(screen.get()));
        if (!copy || !target)
            return UniqueHbitmap();
        SelectGuard select(target.get(), copy.get());
        if (!BitBlt(target.get(), 0, 0, width_, height_, pixels_.Dc(), 0, 0, SRCCOPY))
            return UniqueHbitmap();
        return copy;
    }
    // The pixels are no longer known to be those of any DC.
    void ForgetSource()
    {
        from_ = nullptr;
        fromWidth_ = fromHeight_ = 0;
    }

    // Gives the memory back; the next copy takes fresh memory.
    void Free()
    {
        ForgetSource();
        pixels_.Release();
        width_ = height_ = 0;
    }

private:
    DibCanvas pixels_;  // with room to spare: its top-left width_ x height_ pixels are the copy
    int width_ = 0;
    int height_ = 0;
    // The DC the pixels were last copied from, and how much of it they hold. Only an identity: a new
    // DC with the same handle belongs to a new picture box, which counts nothing as unchanged.
    HDC from_ = nullptr;
    int fromWidth_ = 0;
    int fromHeight_ = 0;
};

// What a window has promised the clipboard: the pixels are handed over only when a program asks
// for them (or the window goes), since handing over a large bitmap copies it through the window
// server, which only a paste should pay for.
struct Promise {
    std::mutex lock;
    HWND owner = nullptr;
    bool waiting = false;
    Snapshot pixels;
    // The further formats not yet rendered, with the window that promised them.
    HWND formatsOwner = nullptr;
    std::vector<PromisedFormat> formats;
};

Promise& Promised()
{
    static Promise promise;
    return promise;
}

void Render(HWND owner)
{
    Promise& promise = Promised();
    std::lock_guard<std::mutex> hold(promise.lock);
    if (promise.owner != owner || !promise.waiting)
        return;
    promise.waiting = false;
    UniqueHbitmap bitmap = promise.pixels.MakeBitmap();
    if (bitmap && SetClipboardData(CF_BITMAP, bitmap.get()))
        bitmap.release();  // the clipboard owns it now
}

// The owner window is going: no program can ask for its copy any more, so the copy's memory goes back.
void ReleasePixels(HWND owner)
{
    Promise& promise = Promised();
    std::lock_guard<std::mutex> hold(promise.lock);
    if (promise.owner != owner)
        return;
    promise.owner = nullptr;
    promise.waiting = false;
    promise.pixels.Free();
}

// The bytes in a movable global block, as the clipboard takes them.
UniqueHglobal GlobalCopy(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty())
        return UniqueHglobal();
    UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    {
        const GlobalLockScope<std::uint8_t> locked(memory.get());
        if (!locked.get())
            return UniqueHglobal();
        std::memcpy(locked.get(), bytes.data(), bytes.size());
    }
    return memory;
}

bool SetClipboardBytes(UINT format, const RenderBytes& render)
{
    UniqueHglobal memory = render ? GlobalCopy(render()) : UniqueHglobal();
    if (!memory || !SetClipboardData(format, memory.get()))
        return false;
    memory.release();  // the clipboard owns it now
    return true;
}

// Renders one further format the window promised; false when it promised no such format.
bool RenderFormat(HWND owner, UINT format)
{
    RenderBytes render;
    {
        Promise& promise = Promised();
        std::lock_guard<std::mutex> hold(promise.lock);
        if (promise.formatsOwner != owner)
            return false;
        auto found = std::find_if(promise.formats.begin(), promise.formats.end(),
                                  [format](const PromisedFormat& f) { return f.format == format; });
        if (found == promise.formats.end())
            return false;
        render = std::move(found->render);
        promise.formats.erase(found);
    }
    // Outside the lock: encoding may take a while and needs nothing of the promise.
    SetClipboardBytes(format, render);
    return true;
}

std::vector<UINT> PromisedFormats(HWND owner)
{
    Promise& promise = Promised();
    std::lock_guard<std::mutex> hold(promise.lock);
    std::vector<UINT> formats;
    if (promise.formatsOwner == owner)
        for (const PromisedFormat& f : promise.formats)
            formats.push_back(f.format);
    return formats;
}

void Forget(HWND owner)
{
    std::vector<PromisedFormat> dropped;  // released outside the lock: it may hold a whole picture
    Promise& promise = Promised();
    std::lock_guard<std::mutex> hold(promise.lock);
    if (promise.owner == owner)
        promise.waiting = false;
    if (promise.formatsOwner == owner) {
        dropped.swap(promise.formats);
        promise.formatsOwner = nullptr;
    }
}

// Only a form of this thread may promise: its dispatch hands the clipboard's requests to
// HandleClipboardOwnerMessage. Any other window gets the pixels handed over at once.
bool CanPromise(HWND owner)
{
    return GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId() && IsFormWindow(owner);
}

}  // namespace

bool HandleClipboardOwnerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_RENDERFORMAT:
        if (wParam == CF_BITMAP)
            Render(hwnd);
        else if (!RenderFormat(hwnd, static_cast<UINT>(wParam)))
            return false;
        result = 0;
        return true;
    case WM_RENDERALLFORMATS: {
        // The window is going: what it promised goes to the clipboard now, if it is still the owner.
        {
            ClipboardSession session(hwnd);
            if (session.IsOpen() && GetClipboardOwner() == hwnd) {
                Render(hwnd);
                ReleasePixels(hwnd);  // before the further formats take their memory
                for (const UINT format : PromisedFormats(hwnd))
                    RenderFormat(hwnd, format);
            }
        }
        Forget(hwnd);
        result = 0;
        return true;
    }
    case WM_DESTROYCLIPBOARD: Forget(hwnd); return false;  // the window's own handling goes on
    case WM_NCDESTROY:
        Forget(hwnd);
        ReleasePixels(hwnd);
        return false;
    default: return false;
    }
}

bool ClipboardClear(HWND owner)
{
    ClipboardSession session(owner, kOpenAttempts);
    if (!session.IsOpen())
        return false;
    return EmptyClipboard() != FALSE;
}

namespace {

// Within an open session of the owner: keeps the formats for rendering on request (a form of this
// thread) or renders them now (any other window). Each format's promise is checked when asked to.
bool AddFormats(HWND owner, std::vector<PromisedFormat> formats, bool check)
{
    bool ok = true;
    if (!CanPromise(owner)) {
        for (const PromisedFormat& f : formats)
            ok = SetClipboardBytes(f.format, f.render) && ok;
        return ok;
    }
    std::vector<PromisedFormat> replaced;  // released outside the lock
    std::vector<UINT> ids;
    {
        Promise& promise = Promised();
        std::lock_guard<std::mutex> hold(promise.lock);
        if (promise.formatsOwner != owner)
            replaced.swap(promise.formats);
        promise.formatsOwner = owner;
        for (PromisedFormat& f : formats) {
            auto same = std::find_if(promise.formats.begin(), promise.formats.end(),
                                     [&f](const PromisedFormat& p) { return p.format == f.format; });
            if (same != promise.formats.end()) {
                replaced.push_back(std::move(*same));
                promise.formats.erase(same);
            }
            ids.push_back(f.format);
            promise.formats.push_back(std::move(f));
        }
    }
    for (const UINT format : ids) {
        SetClipboardData(format, nullptr);
        ok = (!check || IsClipboardFormatAvailable(format)) && ok;
    }
    return ok;
}

// Opens the clipboard for the owner, takes it over when another owns it, and puts the copy made by
// `copy` there, with the further formats: promised when the owner is a window of this thread, handed
// over at once otherwise.
template <typename Copy>
bool SetBitmapFrom(HWND owner, Copy&& copy, std::vector<PromisedFormat> more = {})
{
    ClipboardSession session(owner, kOpenAttempts);
    if (!session.IsOpen())
        return false;
    // Only the owner may add formats; a clipboard we already own keeps what the caller cleared.
    if (GetClipboardOwner() != owner || !owner) {
        if (!EmptyClipboard())
            return false;
    }

    if (owner && CanPromise(owner)) {
        Promise& promise = Promised();
        {
            std::lock_guard<std::mutex> hold(promise.lock);
            promise.waiting = false;
            if (!copy(promise.pixels))
                return false;
            promise.owner = owner;
            promise.waiting = true;
        }
        SetClipboardData(CF_BITMAP, nullptr);
        if (!IsClipboardFormatAvailable(CF_BITMAP)) {
            Forget(owner);
            return false;
        }
        // Promised in the same session, under the conditions the bitmap's promise just passed: each
        // further check would cost a round trip to the window server on every resize event.
        return AddFormats(owner, std::move(more), false);
    }

    {
        // The kept copy no longer matches what the caller will count as unchanged.
        Promise& promise = Promised();
        std::lock_guard<std::mutex> hold(promise.lock);
        promise.pixels.ForgetSource();
    }
    Snapshot pixels;
    if (!copy(pixels))
        return false;
    UniqueHbitmap bitmap = pixels.MakeBitmap();
    if (!bitmap || !SetClipboardData(CF_BITMAP, bitmap.get()))
        return false;
    bitmap.release();  // the clipboard owns it now
    return AddFormats(owner, std::move(more), true);
}

}  // namespace

bool ClipboardPromiseFormats(HWND owner, std::vector<PromisedFormat> formats)
{
    ClipboardSession session(owner, kOpenAttempts);
    // Only added to what the owner put there itself: another owner's data stays whole.
    if (!owner || !session.IsOpen() || GetClipboardOwner() != owner)
        return false;
    return AddFormats(owner, std::move(formats), true);
}

bool ClipboardSetBitmap(HWND owner, HBITMAP bitmap)
{
    return SetBitmapFrom(owner, [bitmap](Snapshot& into) { return into.CopyFrom(bitmap); });
}

bool ClipboardSetBitmap(HWND owner, HDC source, int width, int height, std::vector<PromisedFormat> more, SIZE unchanged)
{
    return SetBitmapFrom(
        owner, [=](Snapshot& into) { return into.CopyFrom(source, width, height, unchanged); }, std::move(more));
}

}  // namespace forms
