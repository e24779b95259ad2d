// Selecting a 4096 x 4096 TGA against decoding it alone, as for JPEG: what the rest of a selection
// adds to a picture of a further format.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "bench/bench_interactive.h"
#include "bench/bench_support.h"
#include "forms/handles.h"
#include "forms/picture.h"
#include "forms/picture_formats.h"

namespace bench {

namespace {

constexpr int kSide = 4096;

// A 24-bit top-down TGA with the same photo-like content as the JPEG figure's, written a row at a time.
bool WriteTga(const std::wstring& path, int width, int height)
{
    const forms::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::uint8_t header[18] = {0, 0, 2};
    header[12] = static_cast<std::uint8_t>(width & 0xff);
    header[13] = static_cast<std::uint8_t>(width >> 8);
    header[14] = static_cast<std::uint8_t>(height & 0xff);
    header[15] = static_cast<std::uint8_t>(height >> 8);
    header[16] = 24;
    header[17] = 0x20;  // top-down
    DWORD written = 0;
    if (!WriteFile(file.get(), header, sizeof(header), &written, nullptr))
        return false;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    std::uint32_t grain = 7;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>((grain >> 24) & 15) - 8;
            row[static_cast<std::size_t>(x) * 3] =
                static_cast<std::uint8_t>((((x + y) * 127) / (width + height) + 64 + noise) & 0xff);
            row[static_cast<std::size_t>(x) * 3 + 1] =
                static_cast<std::uint8_t>(((y * 255) / height + ((x ^ y) & 31) + noise) & 0xff);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(((x * 255) / width + noise) & 0xff);
        }
        if (!WriteFile(file.get(), row.data(), static_cast<DWORD>(row.size()), &written, nullptr) ||
            written != row.size())
            return false;
    }
    return true;
}

// Which decoder takes the file on this system.
const char* DecoderOf(const std::wstring& path)
{
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
    const bool system =
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder));
    return system ? "the system's decoder" : "the built-in decoder";
}

}  // namespace

std::vector<Figure> MeasureTgaSelection(const Setup& setup)
{
    const std::wstring folder = setup.workFolder + L"formats";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring name = L"kachel4096.tga";
    const std::wstring image = folder + L"\\" + name;
    Figure selection{"selection tga 4096", 0, 1.5, ""};
    // The file first: the window lists its folder when it opens.
    const bool written = GetFileAttributesW(image.c_str()) != INVALID_FILE_ATTRIBUTES || WriteTga(image, kSide, kSide);
    BenchWindow window(folder);
    if (!written || !window.Ok() || !window.SizePreview(1920, 1080) || window.PointAt(name) < 0) {
        selection.value = 99;
        selection.detail = "the main window or its TGA could not be set up";
        Report(selection);
        return {selection};
    }
    ui::Form1& form = window.Form();
    bool decoded = true;
    const Timing select = Interleaved(
        setup.repetitions, [&] { form.File1_Click(); },
        [&] { decoded = forms::LoadPicture(image).has_value() && decoded; });
    // The built-in decoder alone, for where the system has none (Windows): what a selection would wait for there.
    HRESULT failure = S_OK;
    const double builtIn = TimeMs([&] { decoded = forms::LoadBuiltinPicture(image, failure).has_value() && decoded; });
    selection.value = decoded ? select.Ratio() : 99;
    selection.detail = FormatText("[selection %.2f ms, decoding alone %.2f ms by %s, built-in decoder %.2f ms, "
                                  "preview 1920x1080%s]",
                                  select.work, select.reference, DecoderOf(image), builtIn,
                                  decoded ? "" : "; the TGA could not be decoded");
    Report(selection);
    return {selection};
}

}  // namespace bench
