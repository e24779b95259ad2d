#include "forms/picture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "forms/events.h"
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

// Decodes into a fresh DIB section; every WIC object is gone (and the file closed) on return.
// Needs COM on the calling thread.
std::optional<Picture> Decode(const std::wstring& path, HRESULT& failure)
{
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return std::nullopt;

    // Declared first so that it is released last, after the frame and the converter.
    ComPtr<IWICBitmapDecoder> decoder;
    // ---- Formats beyond the system's (picture_formats.h): a file no system decoder takes goes to the
    // built-in decoders, so a codec the user installs wins; a DDS the system would render as noise is refused.
    const HRESULT opened = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, &decoder);
    if (opened == WINCODEC_ERR_COMPONENTNOTFOUND || opened == WINCODEC_ERR_UNKNOWNIMAGEFORMAT)
        return LoadBuiltinPicture(path, failure);
    failure = FAILED(opened) ? opened : SystemDecodes(decoder.Get());
    if (FAILED(failure))
        return std::nullopt;
    failure = E_FAIL;
    // ----
    UINT frames = 0;
    if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0)
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return std::nullopt;
    // Camera pictures are turned upright at the end (picture_upright.h).
    const int orientation = ExifOrientation(decoder.Get(), frame.Get(), path);

    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0)
        return std::nullopt;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width > 0x7fffffffu || height > 0x7fffffffu || pixels > std::uint64_t(kMaxPicturePixels))
        return std::nullopt;
    const std::uint64_t stride = std::uint64_t{width} * 4;
    const std::uint64_t bytes = stride * height;
    if (stride > UINT_MAX || bytes > UINT_MAX)
        return std::nullopt;

    // JPEGs and most BMPs come as 24-bit BGR, widened here; everything else through WIC's converter.
    WICPixelFormatGUID format{};
    const bool widen = SUCCEEDED(frame->GetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR;
    ComPtr<IWICBitmapSource> source;
    if (widen) {
        source = frame;
    } else {
        ComPtr<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(&converter)))
            return std::nullopt;
        // Straight alpha, as the file holds it: the clipboard and saved files give it on unchanged.
        if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                         0.0, WICBitmapPaletteTypeCustom)))
            return std::nullopt;
        source = converter;
    }

    void* bits = nullptr;
    UniqueHbitmap dib = CreateDib32(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!dib || !bits)
        return std::nullopt;
    auto* const target = static_cast<std::uint8_t*>(bits);
    const std::uint64_t sourceStride = widen ? std::uint64_t{width} * 3 : stride;
    const UINT bandRows = static_cast<UINT>(std::clamp<std::uint64_t>(kBandBytes / sourceStride, 1, height));
    std::vector<std::uint8_t> band(widen ? static_cast<std::size_t>(sourceStride * bandRows) : 0);
    for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        std::uint8_t* const out = widen ? band.data() : target + stride * top;
        if (FAILED(source->CopyPixels(&rect, static_cast<UINT>(sourceStride), static_cast<UINT>(sourceStride * rows),
                                      out)))
            return std::nullopt;
        if (widen)
            WidenRows(out, static_cast<std::size_t>(sourceStride), target + stride * top,
                      static_cast<std::size_t>(stride), width, rows);
    }
    const bool hasAlpha = !widen && !imaging::AllOpaque(target, static_cast<int>(pixels));
    failure = S_OK;
    return UprightPicture(factory.Get(),
                          Picture(std::move(dib), static_cast<int>(width), static_cast<int>(height), hasAlpha, false),
                          orientation);
}

// A picture decoded on a thread of its own, with COM of its own.
struct DecodeJob {
    std::wstring path;
    std::optional<Picture> picture;
    HRESULT failure = E_FAIL;
};

DWORD WINAPI DecodeOnWorker(void* parameter)
{
    auto& job = *static_cast<DecodeJob*>(parameter);
    job.picture = DecodePicture(job.path, &job.failure);
    return 0;
}

}  // namespace

std::optional<Picture> DecodePicture(const std::wstring& path, HRESULT* failure)
{
    std::optional<Picture> picture;
    HRESULT ignored = E_FAIL;
    HRESULT& why = failure ? *failure : ignored;
    why = E_FAIL;
    GuardedCall(L"decode a picture", [&] {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // A thread in a single-threaded apartment decodes there.
        if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE)
            GuardedCall(L"decode a picture", [&] { picture = Decode(path, why); });
        if (SUCCEEDED(com))
            CoUninitialize();
    });
    return picture;
}

const std::uint8_t* Picture::Bits() const
{
    DIBSECTION section{};
    if (!bitmap_ || GetObjectW(bitmap_.get(), sizeof(section), &section) != sizeof(section))
        return nullptr;
    return static_cast<const std::uint8_t*>(section.dsBm.bmBits);
}

UniqueHbitmap CreateDib32(int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return UniqueHbitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueHbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits)
        *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

std::optional<Picture> LoadPicture(const std::wstring& path, HRESULT* failure)
{
    HRESULT ignored = E_FAIL;
    HRESULT& why = failure ? *failure : ignored;
    why = E_INVALIDARG;
    if (path.empty())
        return std::nullopt;
    // A large JPEG takes a quarter of a second to decode. Meanwhile this thread answers what other
    // threads and programs send to its windows (the clipboard among them), so they never find it hung.
    // The process keeps a multithreaded apartment: each decoding thread joins it, instead of making
    // one and tearing it down (with the codecs' libraries) for every picture.
    static const bool apartment = [] {
        CO_MTA_USAGE_COOKIE cookie{};
        return SUCCEEDED(CoIncrementMTAUsage(&cookie));
    }();
    SkipIfFalse(apartment, L"keep the multithreaded apartment");
    DecodeJob job{path, std::nullopt};
    const UniqueKernelHandle worker(CreateThread(nullptr, 0, &DecodeOnWorker, &job, 0, nullptr));
    if (!SkipIfFalse(worker.get() != nullptr, L"start a decoding thread"))
        return Decode(path, why);
    const HANDLE waitFor = worker.get();
    {
        // However this scope is left, the thread has ended before the job goes.
        struct AwaitThread {
            HANDLE thread;
            ~AwaitThread() { WaitForSingleObject(thread, INFINITE); }
        } const awaited{waitFor};
        // Only sent messages are answered: input and COM calls into this thread wait for the picture.
        AnswerSentMessages();
        while (MsgWaitForMultipleObjectsEx(1, &waitFor, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
               WAIT_OBJECT_0 + 1)
            AnswerSentMessages();
    }
    why = job.failure;
    return std::move(job.picture);
}

}  // namespace forms
