// The figures of what leaves the program: the promised "PNG" on the clipboard and a saved tiling,
// each against WIC encoding the same pixels from memory in one piece.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>

#include "bench/bench_figures.h"
#include "bench/bench_timing.h"
#include "forms/clipboard.h"
#include "forms/form.h"
#include "forms/handles.h"
#include "imaging/save.h"
#include "imaging/tiling.h"
#include "ui/main/form1.h"
#include "ui/main/tile_clipboard.h"

namespace bench {

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kClipboardWidth = 3840;
constexpr int kClipboardHeight = 2160;
constexpr int kSavedWidth = 7680;
constexpr int kSavedHeight = 4320;
constexpr int kTileSide = 256;
constexpr double kMiB = 1048576.0;
constexpr double kSaveOverhead = 64 * kMiB;

// A photo-like tile with every kind of alpha: smooth shading with grain, so the encoder works as on
// a real picture.
std::shared_ptr<imaging::Image32> AlphaTile(int side)
{
    auto tile = std::make_shared<imaging::Image32>(side, side);
    std::uint32_t state = 12345;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            state = state * 1664525u + 1013904223u;
            const std::uint32_t grain = (state >> 24) & 0x0F;
            const std::uint32_t r = (x + grain) & 0xFF, g = (y + grain) & 0xFF, b = ((x + y) / 2) & 0xFF;
            const std::uint32_t a = (x * 255 / side + y) & 0xFF;
            tile->At(x, y) = a << 24 | r << 16 | g << 8 | b;
        }
    return tile;
}

// The reference: the whole picture handed to WIC's PNG encoder at once, written into memory.
HRESULT EncodeWhole(const imaging::Image32& image, std::size_t* bytes)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (SUCCEEDED(hr))
        hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    const UINT stride = static_cast<UINT>(image.width) * 4;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(image.height), stride, stride * static_cast<UINT>(image.height),
                                reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(image.pixels.data())));
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    STATSTG status{};
    if (SUCCEEDED(hr) && SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)))
        *bytes = static_cast<std::size_t>(status.cbSize.QuadPart);
    return hr;
}

imaging::Image32 Tiled(const imaging::Image32& tile, int width, int height)
{
    imaging::Image32 image(width, height);
    imaging::TileRows(tile.View(), width, 0, height, image.View());
    return image;
}

Figure Failed(const char* name, double target, const char* why)
{
    Figure figure{name, 99, target, why};
    Report(figure);
    return figure;
}

// Asks for the promised "PNG" as a pasting program would; its size in bytes, 0 when none came.
std::size_t PastePng()
{
    forms::ClipboardSession session(nullptr);
    const HANDLE data = session.IsOpen() ? GetClipboardData(ui::PngClipboardFormat()) : nullptr;
    return data ? GlobalSize(data) : 0;
}

}  // namespace

std::vector<Figure> MeasureSavingMemory(const Setup& setup)
{
    const std::wstring path = setup.workFolder + L"kachelung-speicher.png";
    const std::size_t before = WorkingSet(false);
    const std::shared_ptr<imaging::Image32> tile = AlphaTile(kTileSide * 4);
    const imaging::SaveResult saved =
        imaging::SaveTilingToFile(path, imaging::ImageFormat::Png, tile->View(), kSavedWidth, kSavedHeight, 0);
    const std::size_t peak = WorkingSet(true);
    DeleteFileW(path.c_str());
    if (!saved.ok)
        return {Failed("memory save 7680x4320", 1, "the tiling could not be saved")};
    const double picture = static_cast<double>(tile->pixels.size()) * 4;
    const double growth = static_cast<double>(peak) - static_cast<double>(before);
    Figure figure{"memory save 7680x4320", growth / (picture + kSaveOverhead), 1, ""};
    figure.detail = Format("[peak %.1f MiB above the working set before; allowed: the %.0f MiB picture + 64 MiB]",
                           growth / kMiB, picture / kMiB);
    Report(figure);
    return {figure};
}

std::vector<Figure> MeasureOutputs(const Setup& setup)
{
    std::vector<Figure> figures;
    const int repetitions = std::max(3, setup.repetitions / 3);  // each run encodes tens of megabytes
    const std::shared_ptr<imaging::Image32> tile = AlphaTile(kTileSide);

    // The promised "PNG": promised afresh before each request, since the clipboard keeps what it got.
    forms::Form owner;
    if (!owner.Load(forms::FormStyle{})) {
        figures.push_back(Failed("clipboard png 3840x2160", 1.2, "no owner window"));
    } else {
        const ui::Form1::TileSource source{tile, tile->View(), 0};
        const imaging::Image32 whole = Tiled(*tile, kClipboardWidth, kClipboardHeight);
        std::size_t pngBytes = 0;
        std::size_t referenceBytes = 0;
        std::vector<double> works;
        std::vector<double> references;
        for (int i = 0; i < repetitions; ++i) {
            references.push_back(TimeMs([&] { EncodeWhole(whole, &referenceBytes); }));
            forms::ClipboardClear(owner.Hwnd());
            ui::PromiseTilingWithAlpha(owner.Hwnd(), source, kClipboardWidth, kClipboardHeight);
            works.push_back(TimeMs([&] { pngBytes = PastePng(); }));
        }
        forms::ClipboardClear(owner.Hwnd());
        const Timing timing{Fastest(works), Fastest(references)};
        Figure figure{"clipboard png 3840x2160", timing.Ratio(), 1.2, ""};
        figure.detail =
            Format("[rendering the promise %.1f ms, WIC from memory %.1f ms", timing.work, timing.reference);
        figure.detail += Format("; %.1f MiB against %.1f MiB]", static_cast<double>(pngBytes) / kMiB,
                                static_cast<double>(referenceBytes) / kMiB);
        if (pngBytes == 0) {
            figure.value = 99;
            figure.detail += " no PNG came";
        }
        figures.push_back(figure);
        Report(figure);
    }

    // Saving: strips through a temporary file in the target folder, flushed, then moved into place.
    {
        const std::wstring path = setup.workFolder + L"kachelung-7680x4320.png";
        const imaging::Image32 whole = Tiled(*tile, kSavedWidth, kSavedHeight);
        std::size_t referenceBytes = 0;
        bool ok = true;
        const Timing timing = Interleaved(
            repetitions,
            [&] {
                ok = imaging::SaveTilingToFile(path, imaging::ImageFormat::Png, tile->View(), kSavedWidth, kSavedHeight,
                                               0)
                         .ok &&
                     ok;
            },
            [&] { EncodeWhole(whole, &referenceBytes); });
        WIN32_FILE_ATTRIBUTE_DATA file{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
        DeleteFileW(path.c_str());
        Figure figure{"save png 7680x4320", ok ? timing.Ratio() : 99, 1.2, ""};
        figure.detail = Format("[saving %.1f ms, WIC from memory %.1f ms", timing.work, timing.reference);
        figure.detail += Format("; %.1f MiB file against %.1f MiB]", static_cast<double>(file.nFileSizeLow) / kMiB,
                                static_cast<double>(referenceBytes) / kMiB);
        figures.push_back(figure);
        Report(figure);
    }
    return figures;
}

}  // namespace bench
