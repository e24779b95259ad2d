#include "support/pixels.h"

#include <wrl/client.h>

#include <algorithm>

#include "forms/handles.h"
#include "support/test_env.h"

namespace testsupport {

namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;

}  // namespace

Pixels Pattern(int width, int height, std::uint32_t seed)
{
    Pixels pixels{width, height, {}};
    pixels.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& pixel : pixels.argb) {
        state = state * 1664525u + 1013904223u;
        pixel = 0xff000000u | (state >> 8);
    }
    return pixels;
}

Pixels Filled(int width, int height, std::uint32_t argb)
{
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return Pixels{width, height, std::vector<std::uint32_t>(count, argb)};
}

void AppendLe16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void AppendLe32(std::string& out, std::uint32_t value)
{
    AppendLe16(out, value & 0xffff);
    AppendLe16(out, value >> 16);
}

std::string BmpFileHeader(std::uint32_t fileSize, std::uint32_t pixelOffset)
{
    std::string out = "BM";
    AppendLe32(out, fileSize);
    AppendLe32(out, 0);
    AppendLe32(out, pixelOffset);
    return out;
}

void AppendBmpInfoHeader(std::string& out, int width, int height, int bits, std::uint32_t imageSize,
                         std::uint32_t paletteEntries)
{
    AppendLe32(out, 40);
    AppendLe32(out, static_cast<std::uint32_t>(width));
    AppendLe32(out, static_cast<std::uint32_t>(height));
    AppendLe16(out, 1);
    AppendLe16(out, static_cast<unsigned>(bits));
    AppendLe32(out, 0);  // BI_RGB
    AppendLe32(out, imageSize);
    AppendLe32(out, 2835);
    AppendLe32(out, 2835);
    AppendLe32(out, paletteEntries);
    AppendLe32(out, 0);
}

std::string Bmp24(const Pixels& pixels)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(pixels.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(pixels.height);
    std::string out = BmpFileHeader(kHeadersSize + imageSize, kHeadersSize);
    AppendBmpInfoHeader(out, pixels.width, pixels.height, 24, imageSize, 0);
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
    return out;
}

std::string Bmp32Alpha(const Pixels& pixels)
{
    const std::uint32_t imageSize =
        static_cast<std::uint32_t>(pixels.width) * 4 * static_cast<std::uint32_t>(pixels.height);
    const std::uint32_t offset = 14 + 124;
    std::string out = BmpFileHeader(offset + imageSize, offset);
    AppendLe32(out, 124);
    AppendLe32(out, static_cast<std::uint32_t>(pixels.width));
    AppendLe32(out, static_cast<std::uint32_t>(-pixels.height));  // top-down
    AppendLe16(out, 1);
    AppendLe16(out, 32);
    AppendLe32(out, 3);  // BI_BITFIELDS
    AppendLe32(out, imageSize);
    AppendLe32(out, 2835);
    AppendLe32(out, 2835);
    AppendLe32(out, 0);
    AppendLe32(out, 0);
    AppendLe32(out, 0x00ff0000u);
    AppendLe32(out, 0x0000ff00u);
    AppendLe32(out, 0x000000ffu);
    AppendLe32(out, 0xff000000u);
    AppendLe32(out, 0x73524742u);  // LCS_sRGB
    out.append(36 + 12, '\0');     // endpoints and gamma
    AppendLe32(out, 4);            // LCS_GM_IMAGES
    out.append(12, '\0');
    for (const std::uint32_t p : pixels.argb)
        AppendLe32(out, p);
    return out;
}

void AppendGifIndexes(std::string& out, const std::vector<std::uint8_t>& indexes)
{
    out += '\x02';  // codes are 3 bits: clear 4, end 5
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
    for (const std::uint8_t index : indexes) {
        emit(4);
        emit(index & 3u);
    }
    emit(5);
    if (bits > 0)
        data += static_cast<char>(buffer & 0xff);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t chunk = std::min<std::size_t>(255, data.size() - at);
        out += static_cast<char>(chunk);
        out += data.substr(at, chunk);
    }
    out += '\0';
}

std::string EncodeWithWic(const GUID& container, const std::vector<Pixels>& frames)
{
    using Microsoft::WRL::ComPtr;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return {};
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return {};
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
        return {};
    for (const Pixels& pixels : frames) {
        ComPtr<IWICBitmap> source;
        const UINT stride = static_cast<UINT>(pixels.width) * 4;
        if (FAILED(factory->CreateBitmapFromMemory(
                static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height), GUID_WICPixelFormat32bppBGRA, stride,
                stride * static_cast<UINT>(pixels.height),
                reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(pixels.argb.data())), &source)))
            return {};
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
            FAILED(frame->SetSize(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height))))
            return {};
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
        if (FAILED(frame->SetPixelFormat(&format)))
            return {};
        ComPtr<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(source.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom)) ||
            FAILED(frame->WriteSource(converter.Get(), nullptr)) || FAILED(frame->Commit()))
            return {};
    }
    if (FAILED(encoder->Commit()))
        return {};
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return {};
    const forms::GlobalLockScope<const char> bytes(memory);
    if (!bytes.get())
        return {};
    return std::string(bytes.get(), static_cast<std::size_t>(stat.cbSize.QuadPart));
}

bool WriteWithWic(const std::wstring& path, const GUID& container, const Pixels& pixels)
{
    const std::string bytes = EncodeWithWic(container, {pixels});
    return !bytes.empty() && WriteFileBytes(path, bytes);
}

}  // namespace testsupport
