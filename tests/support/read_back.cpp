#include "support/read_back.h"

#include <algorithm>
#include <cstring>

#include "forms/picture.h"

namespace testsupport {

namespace {

constexpr std::uint32_t kColour = 0x00ffffffu;

void Apply(Alpha alpha, Pixels& pixels)
{
    if (alpha == Alpha::Cleared)
        for (auto& p : pixels.argb)
            p &= kColour;
}

}  // namespace

Pixels ReadDc(HDC dc, int width, int height, Alpha alpha)
{
    if (!dc || width <= 0 || height <= 0)
        return {};
    void* bits = nullptr;
    forms::UniqueHbitmap copy = forms::CreateDib32(width, height, &bits);
    forms::UniqueHdc memory(CreateCompatibleDC(nullptr));
    if (!copy || !memory || !bits)
        return {};
    {
        forms::SelectGuard select(memory.get(), copy.get());
        BitBlt(memory.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        GdiFlush();
    }
    Pixels pixels{width, height, {}};
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels.argb.assign(first, first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    Apply(alpha, pixels);
    return pixels;
}

Pixels ReadBox(const forms::PictureBox& box, Alpha alpha)
{
    return ReadDc(box.Hdc(), box.ScaleWidth(), box.ScaleHeight(), alpha);
}

Pixels ReadBitmap(HBITMAP bitmap, Alpha alpha)
{
    BITMAP header{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(header), &header) || header.bmWidth <= 0 || header.bmHeight == 0)
        return {};
    Pixels pixels{header.bmWidth, header.bmHeight < 0 ? -header.bmHeight : header.bmHeight, {}};
    pixels.argb.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
    BITMAPINFO info = forms::TopDownDibInfo(pixels.width, pixels.height);
    forms::WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(pixels.height), pixels.argb.data(), &info,
                  DIB_RGB_COLORS) != pixels.height)
        return {};
    Apply(alpha, pixels);
    return pixels;
}

forms::UniqueHbitmap MakeDib(const Pixels& pixels)
{
    void* bits = nullptr;
    forms::UniqueHbitmap dib = forms::CreateDib32(pixels.width, pixels.height, &bits);
    if (bits)
        std::copy(pixels.argb.begin(), pixels.argb.end(), static_cast<std::uint32_t*>(bits));
    return dib;
}

Pixels ReadClipboardBitmap(HWND owner)
{
    const forms::ClipboardSession session(owner);
    if (!session.IsOpen())
        return {};
    const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    return bitmap ? ReadBitmap(bitmap) : Pixels{};
}

bool ClipboardHasBitmap()
{
    return IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
}

bool PutClipboardText(const std::wstring& text)
{
    const forms::ClipboardSession session(nullptr);
    if (!session.IsOpen() || !EmptyClipboard())
        return false;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    forms::UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        return false;
    {
        const forms::GlobalLockScope<wchar_t> target(memory.get());
        if (!target.get())
            return false;
        std::memcpy(target.get(), text.c_str(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.get()))
        return false;
    memory.release();  // the clipboard owns it now
    return true;
}

std::wstring ClipboardText()
{
    const forms::ClipboardSession session(nullptr);
    if (!session.IsOpen())
        return {};
    const forms::GlobalLockScope<const wchar_t> text(GetClipboardData(CF_UNICODETEXT));
    return text.get() ? std::wstring(text.get()) : std::wstring();
}

::testing::AssertionResult IsTiling(const Pixels& pixels, const Pixels& tile)
{
    if (pixels.width <= 0 || pixels.height <= 0 || tile.width <= 0 || tile.height <= 0)
        return ::testing::AssertionFailure() << "no pixels";
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t got = pixels.At(x, y) & kColour;
            const std::uint32_t expected = tile.At(x % tile.width, y % tile.height) & kColour;
            if (got != expected)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << got << ", the tile has " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsTiling(const Pixels& pixels, int tileWidth, int tileHeight, std::uint32_t seed)
{
    return IsTiling(pixels, Pattern(tileWidth, tileHeight, seed));
}

}  // namespace testsupport
