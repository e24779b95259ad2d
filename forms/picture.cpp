#include "forms/picture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <vector>

#include "forms/picture_formats.h"
#include "forms/picture_upright.h"
#include "forms/skip.h"
#include "imaging/composite.h"

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

// Rows decoded at a time, on either path: a band of 24-bit rows is still in the cache when it is widened.
constexpr std::uint64_t kBandBytes = std::uint64_t(1) << 20;

// Widens 24-bit BGR rows to opaque BGRA; several times faster than WIC's general converter.
void WidenRows(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target, std::size_t targetStride,
               UINT width, UINT rows)
{
    for (UINT y = 0; y < rows; ++y) {
        const std::uint8_t* in = source + sourceStride * y;
        std::uint8_t* out = target + targetStride * y;
        for (UINT x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
}

// What the frame gave: its size and orientation, whether any pixel is not opaque, and whether no
// system decoder took the file (it then goes to the built-in ones).
struct FrameFacts {
    UINT width = 0;
    UINT height = 0;
    int orientation = 1;
    bool hasAlpha = false;
    bool builtin = false;
};

// Memory for the frame's width x height BGRA pixels, rows top-down, chosen knowing its size and
// orientation; nullptr when there is none.
using TargetFor = std::function<std::uint8_t*(const FrameFacts& frame)>;

// Decodes the first frame into the memory `target` gives, a band of rows at a time through `band`;
// every WIC object is gone (and the file closed) on return. Needs COM on the calling thread.
// `failure` receives why there are no pixels.
bool DecodeFrame(const std::wstring& path, const std::function<bool()>& cancelled, const TargetFor& target,
                 std::vector<std::uint8_t>& band, HRESULT& failure, FrameFacts& facts)
{
    // Each failed step names its reason; a refusal of this program's own gives E_FAIL or E_OUTOFMEMORY.
    const auto fails = [&failure](HRESULT result) {
        failure = FAILED(result) ? result : E_FAIL;
        return FAILED(result);
    };
    ComPtr<IWICImagingFactory> factory;
    if (fails(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return false;

    // Declared first so that it is released last, after the frame and the converter.
    ComPtr<IWICBitmapDecoder> decoder;
    // ---- Formats beyond the system's (picture_formats.h): a file no system decoder takes goes to the
    // built-in decoders, so a codec the user installs wins; a DDS the system would render as noise is refused.
    const HRESULT opened = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, &decoder);
    if (opened == WINCODEC_ERR_COMPONENTNOTFOUND || opened == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) {
        facts.builtin = true;
        return false;
    }
    failure = FAILED(opened) ? opened : SystemDecodes(decoder.Get());
    if (FAILED(failure))
        return false;
    failure = E_FAIL;
    // ----
    UINT frames = 0;
    if (fails(decoder->GetFrameCount(&frames)) || (frames == 0 && fails(WINCODEC_ERR_FRAMEMISSING)))
        return false;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (fails(decoder->GetFrame(0, &frame)))
        return false;
    // Camera pictures are turned upright afterwards (picture_upright.h).
    facts.orientation = ExifOrientation(decoder.Get(), frame.Get(), path);

    UINT width = 0;
    UINT height = 0;
    if (fails(frame->GetSize(&width, &height)) || ((width == 0 || height == 0) && fails(WINCODEC_ERR_BADIMAGE)))
        return false;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width > 0x7fffffffu || height > 0x7fffffffu || pixels > std::uint64_t(kMaxPicturePixels)) {
        failure = E_OUTOFMEMORY;
        return false;
    }
    const std::uint64_t stride = std::uint64_t{width} * 4;
    const std::uint64_t bytes = stride * height;
    if (stride > UINT_MAX || bytes > UINT_MAX) {
        failure = E_OUTOFMEMORY;
        return false;
    }

    // JPEGs and most BMPs come as 24-bit BGR, widened here; everything else through WIC's converter.
    WICPixelFormatGUID format{};
    const bool widen = SUCCEEDED(frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR;
    ComPtr<IWICBitmapSource> source;
    if (widen) {
        source = frame;
    } else {
        ComPtr<IWICFormatConverter> converter;
        if (fails(factory->CreateFormatConverter(&converter)))
            return false;
        // Straight alpha, as the file holds it: the clipboard and saved files give it on unchanged.
        if (fails(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                         0.0, WICBitmapPaletteTypeCustom)))
            return false;
        source = converter;
    }

    facts.width = width;
    facts.height = height;
    std::uint8_t* const out = target(facts);
    if (!out) {
        failure = E_OUTOFMEMORY;
        return false;
    }
    const std::uint64_t sourceStride = widen ? std::uint64_t{width} * 3 : stride;
    const UINT bandRows = static_cast<UINT>(std::clamp<std::uint64_t>(kBandBytes / sourceStride, 1, height));
    if (widen)
        band.resize(static_cast<std::size_t>(sourceStride * bandRows));
    for (UINT top = 0; top < height; top += bandRows) {
        if (cancelled && cancelled()) {
            failure = E_ABORT;
            return false;
        }
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        std::uint8_t* const rowsOut = widen ? band.data() : out + stride * top;
        if (fails(source->CopyPixels(&rect, static_cast<UINT>(sourceStride), static_cast<UINT>(sourceStride * rows),
                                      rowsOut)))
            return false;
        if (widen)
            WidenRows(rowsOut, static_cast<std::size_t>(sourceStride), out + stride * top,
                      static_cast<std::size_t>(stride), width, rows);
    }
    facts.hasAlpha = !widen && !imaging::AllOpaque(out, static_cast<int>(pixels));
    failure = S_OK;
    return true;
}

// A fresh DIB section of the frame's size; `dib` receives it.
std::uint8_t* DibFor(const FrameFacts& frame, UniqueHbitmap& dib)
{
    void* bits = nullptr;
    dib = CreateDib32(static_cast<int>(frame.width), static_cast<int>(frame.height), &bits);
    return dib ? static_cast<std::uint8_t*>(bits) : nullptr;
}

// The decoded frame in its DIB, turned upright.
Picture Upright(UniqueHbitmap dib, const FrameFacts& frame)
{
    // The flip rotator needs a factory of its own; only turned pictures pay for it.
    ComPtr<IWICImagingFactory> factory;
    if (frame.orientation > 1)
        SkipIfFailed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)),
                     L"make a factory to turn the picture");
    return UprightPicture(factory.Get(),
                          Picture(std::move(dib), static_cast<int>(frame.width), static_cast<int>(frame.height),
                                  frame.hasAlpha, false),
                          frame.orientation);
}

// Decodes into a fresh DIB section, turned upright. Needs COM on the calling thread.
std::optional<Picture> Decode(const std::wstring& path, const std::function<bool()>& cancelled, HRESULT& failure)
{
    UniqueHbitmap dib;
    std::vector<std::uint8_t> band;
    FrameFacts facts;
    if (!DecodeFrame(path, cancelled, [&dib](const FrameFacts& frame) { return DibFor(frame, dib); }, band, failure,
                     facts))
        return facts.builtin ? LoadBuiltinPicture(path, failure) : std::nullopt;
    return Upright(std::move(dib), facts);
}

// Runs `decode` with COM joined for the call where the thread has no apartment yet.
template <typename Work>
HRESULT WithCom(const Work& decode)
{
    HRESULT failure = S_OK;
    GuardedCall(L"decode a picture", [&] {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // A thread in a single-threaded apartment decodes there.
        if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE)
            GuardedCall(L"decode a picture", [&] { decode(failure); });
        else
            failure = com;
        if (SUCCEEDED(com))
            CoUninitialize();
    });
    return failure;
}

}  // namespace

const std::uint8_t* Picture::Bits() const
{
    DIBSECTION section{};
    if (!bitmap_ || GetObjectW(bitmap_.get(), sizeof(section), &section) != sizeof(section))
        return nullptr;
    return static_cast<const std::uint8_t*>(section.dsBm.bmBits);
}

BITMAPINFO TopDownDibInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

UniqueHbitmap CreateDib32(int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return UniqueHbitmap();
    const BITMAPINFO info = TopDownDibInfo(width, height);
    void* pixels = nullptr;
    UniqueHbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits)
        *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

DecodedPicture DecodePicture(const std::wstring& path, const std::function<bool()>& cancelled)
{
    DecodedPicture result;
    if (path.empty()) {
        result.failure = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        return result;
    }
    const HRESULT failure = WithCom([&](HRESULT& failed) { result.picture = Decode(path, cancelled, failed); });
    if (!result.picture)
        result.failure = FAILED(failure) ? failure : E_FAIL;
    return result;
}

HRESULT DecodePixels(const std::wstring& path, PixelBuffer& buffer, const std::function<bool()>& cancelled)
{
    buffer.width = buffer.height = 0;
    buffer.hasAlpha = false;
    if (path.empty())
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    bool done = false;
    const HRESULT failure = WithCom([&](HRESULT& failed) {
        // A camera picture to be turned goes into a DIB of its own, as the picture's way needs it.
        UniqueHbitmap dib;
        const TargetFor target = [&buffer, &dib](const FrameFacts& frame) -> std::uint8_t* {
            if (frame.orientation > 1)
                return DibFor(frame, dib);
            buffer.pixels.resize(std::size_t{frame.width} * frame.height * 4);
            return buffer.pixels.data();
        };
        FrameFacts facts;
        const bool decoded = DecodeFrame(path, cancelled, target, buffer.band, failed, facts);
        if (decoded && !dib) {
            buffer.width = static_cast<int>(facts.width);
            buffer.height = static_cast<int>(facts.height);
            buffer.hasAlpha = facts.hasAlpha;
            done = true;
            return;
        }
        if (!decoded && !facts.builtin)
            return;
        // Turned camera pictures and the built-in formats come as a picture, then are copied.
        const std::optional<Picture> picture =
            decoded ? std::optional<Picture>(Upright(std::move(dib), facts)) : LoadBuiltinPicture(path, failed);
        const std::uint8_t* const bits = picture ? picture->Bits() : nullptr;
        if (!bits)
            return;
        buffer.width = picture->Width();
        buffer.height = picture->Height();
        buffer.hasAlpha = picture->HasAlpha();
        buffer.pixels.assign(bits, bits + std::size_t(buffer.width) * std::size_t(buffer.height) * 4);
        done = true;
    });
    if (done)
        return S_OK;
    buffer.width = buffer.height = 0;
    return FAILED(failure) ? failure : E_FAIL;
}

std::optional<Picture> LoadPicture(const std::wstring& path, HRESULT* failure)
{
    DecodedPicture decoded = DecodePicture(path);
    if (failure)
        *failure = decoded.failure;
    return std::move(decoded.picture);
}

std::wstring FailureReason(HRESULT failure)
{
    if (!FAILED(failure) || failure == E_FAIL)
        return {};
    std::wstring reason = PictureFailureText(failure);
    // One line without the trailing break and full stop's blanks.
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    for (wchar_t& c : reason) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    if (reason.empty()) {
        wchar_t code[32] = {};
        std::swprintf(code, 32, L"Fehler 0x%08lX", static_cast<unsigned long>(failure));
        reason = code;
    }
    return reason;
}

}  // namespace forms
