#include "test_images.h"

#include <gtest/gtest.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>

#include "forms/control.h"
#include "forms/picture.h"
#include "support/test_env.h"

namespace picturetest {

using Microsoft::WRL::ComPtr;

namespace {

void Put16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, unsigned value)
{
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (forms::ReflectToControl(msg, wParam, lParam, result))
        return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

Pixels Pattern(int width, int height, std::uint32_t seed)
{
    Pixels pixels{width, height, {}};
    pixels.argb.resize(static_cast<size_t>(width) * height);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& pixel : pixels.argb) {
        state = state * 1664525u + 1013904223u;
        pixel = 0xff000000u | (state >> 8);
    }
    return pixels;
}

bool WriteBmp24(const std::wstring& path, const Pixels& pixels)
{
    const unsigned stride = (static_cast<unsigned>(pixels.width) * 3 + 3) & ~3u;
    const unsigned imageSize = stride * static_cast<unsigned>(pixels.height);
    std::string out = "BM";
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(pixels.width));
    Put32(out, static_cast<unsigned>(pixels.height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = pixels.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t p = pixels.At(x, y);
            row += static_cast<char>(p & 0xff);
            row += static_cast<char>((p >> 8) & 0xff);
            row += static_cast<char>((p >> 16) & 0xff);
        }
        row.resize(stride, '\0');
        out += row;
    }
    return testsupport::WriteFileBytes(path, out);
}

bool WriteGif(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& indexes,
              const std::uint32_t (&palette)[4], int transparent)
{
    std::string out = "GIF89a";
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    out += static_cast<char>(0xF1);  // global table of 4 entries
    out += '\0';
    out += '\0';
    for (std::uint32_t color : palette) {
        out += static_cast<char>((color >> 16) & 0xff);
        out += static_cast<char>((color >> 8) & 0xff);
        out += static_cast<char>(color & 0xff);
    }
    if (transparent >= 0) {
        out += "\x21\xF9\x04\x01";
        Put16(out, 0);
        out += static_cast<char>(transparent);
        out += '\0';
    }
    out += '\x2C';
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    out += '\0';
    out += '\x02';  // minimum code size: codes are 3 bits, clear 4, end 5

    // A clear code before every literal keeps the code width at 3 bits for every decoder.
    std::string data;
    unsigned buffer = 0;
    int bits = 0;
    auto emit = [&](unsigned code) {
        buffer |= code << bits;
        bits += 3;
        while (bits >= 8) {
            data += static_cast<char>(buffer & 0xff);
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (std::uint8_t index : indexes) {
        emit(4);
        emit(index & 3u);
    }
    emit(5);
    if (bits > 0)
        data += static_cast<char>(buffer & 0xff);
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t chunk = std::min<size_t>(255, data.size() - at);
        out += static_cast<char>(chunk);
        out += data.substr(at, chunk);
    }
    out += '\0';
    out += '\x3B';
    return testsupport::WriteFileBytes(path, out);
}

bool WriteWithWic(const std::wstring& path, const GUID& container, const Pixels& pixels)
{
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return false;
    ComPtr<IWICBitmap> source;
    const UINT stride = static_cast<UINT>(pixels.width) * 4;
    if (FAILED(factory->CreateBitmapFromMemory(
            static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height), GUID_WICPixelFormat32bppBGRA, stride,
            stride * static_cast<UINT>(pixels.height),
            reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(pixels.argb.data())), &source)))
        return false;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
        return false;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
        return false;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format)))
        return false;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(source.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    return SUCCEEDED(frame->WriteSource(converter.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

Pixels ReadDc(HDC dc, int width, int height)
{
    Pixels pixels{width, height, {}};
    void* bits = nullptr;
    forms::UniqueHbitmap copy = forms::CreateDib32(width, height, &bits);
    forms::UniqueHdc memory(CreateCompatibleDC(nullptr));
    if (!copy || !memory)
        return Pixels{};
    {
        forms::SelectGuard select(memory.get(), copy.get());
        BitBlt(memory.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels.argb.assign(first, first + static_cast<size_t>(width) * height);
    return pixels;
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info))
        return Pixels{};
    Pixels pixels{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, {}};
    pixels.argb.resize(static_cast<size_t>(pixels.width) * pixels.height);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = pixels.width;
    format.bmiHeader.biHeight = -pixels.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    forms::WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(pixels.height), pixels.argb.data(), &format,
                  DIB_RGB_COLORS) != pixels.height)
        return Pixels{};
    return pixels;
}

HostWindow::HostWindow()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"QuadrinoPictureTestHost";
        return RegisterClassExW(&wc) != 0;
    }();
    if (registered)
        hwnd_.reset(CreateWindowExW(0, L"QuadrinoPictureTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    0, 0, 900, 700, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

forms::UniqueHbitmap MakeDib(const Pixels& pixels)
{
    void* bits = nullptr;
    forms::UniqueHbitmap dib = forms::CreateDib32(pixels.width, pixels.height, &bits);
    if (bits)
        std::copy(pixels.argb.begin(), pixels.argb.end(), static_cast<std::uint32_t*>(bits));
    return dib;
}

Pixels ClipboardPixels(HWND window)
{
    const forms::ClipboardSession session(window);
    if (!session.IsOpen())
        return {};
    const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    return bitmap ? ReadBitmap(bitmap) : Pixels{};
}

void ExpectSameColours(const Pixels& got, const Pixels& want)
{
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    for (size_t i = 0; i < want.argb.size(); ++i)
        ASSERT_EQ(got.argb[i] & 0xffffffu, want.argb[i] & 0xffffffu) << i;
}

}  // namespace picturetest
