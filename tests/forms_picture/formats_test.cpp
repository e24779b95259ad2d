// Picture files beyond the first five types through the loader: what the system decodes (DDS, and
// TGA where its decoder has one), the built-in TGA, PSD, QOI and HDR, the refusal of DDS the system
// cannot render, and camera pictures turned upright.

#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdlib>
#include <optional>

#include "forms/picture.h"
#include "forms/picture_formats.h"
#include "support/formats.h"
#include "support/test_env.h"

namespace {

using Microsoft::WRL::ComPtr;
using testsupport::Pixels;

Pixels PixelsOf(const forms::Picture& picture)
{
    Pixels pixels{picture.Width(), picture.Height(), {}};
    GdiFlush();
    const auto* first = reinterpret_cast<const std::uint32_t*>(picture.Bits());
    if (first)
        pixels.argb.assign(first, first + static_cast<std::size_t>(pixels.width) * pixels.height);
    return pixels;
}

// The container of the system decoder that takes the file; nothing when none does.
std::optional<GUID> SystemDecoderFor(const std::wstring& path)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    GUID container{};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)) ||
        FAILED(decoder->GetContainerFormat(&container)))
        return std::nullopt;
    return container;
}

std::string Dx10Dds(std::uint32_t dxgiFormat)
{
    std::string out = "DDS ";
    const auto le32 = [&out](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    for (const std::uint32_t value : {124u, 0x1u | 0x2u | 0x4u | 0x1000u | 0x80000u, 4u, 4u, 16u, 0u, 1u})
        le32(value);
    out += std::string(44, '\0');
    le32(32);
    le32(0x4);  // a FourCC
    out += "DX10";
    out += std::string(20, '\0');
    le32(0x1000);
    out += std::string(16, '\0');
    for (const std::uint32_t value : {dxgiFormat, 3u, 0u, 1u, 0u})
        le32(value);
    return out + std::string(16, '\x5a');
}

}  // namespace

TEST(PictureFormats, TgaGivesTheReferenceThroughTheLoaderAndThroughTheBuiltInDecoder)
{
    for (const auto& [name, alpha] : {std::pair{L"plain_bottom_up.tga", false}, std::pair{L"plain_top_down.tga", true},
                                      std::pair{L"rle_bottom_up.tga", true}}) {
        const std::wstring path = testsupport::DataFile(name);
        // Some systems decode TGA themselves (Wine does, Windows does not): both ways are checked.
        const std::optional<GUID> system = SystemDecoderFor(path);
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)) + (system ? " (system decoder)" : " (built in)"));
        const auto loaded = forms::LoadPicture(path);
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(loaded->HasAlpha(), alpha);
        EXPECT_FALSE(loaded->Premultiplied());
        EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*loaded), testsupport::ReferencePixels(alpha), 0, true));

        HRESULT failure = E_FAIL;
        const auto builtIn = forms::LoadBuiltinPicture(path, failure);
        ASSERT_TRUE(builtIn.has_value());
        EXPECT_EQ(failure, S_OK);
        EXPECT_EQ(builtIn->HasAlpha(), alpha);
        EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*builtIn), testsupport::ReferencePixels(alpha), 0, true));
    }
}

TEST(PictureFormats, PsdQoiAndHdrThatTheSystemCannotReadAreDecodedBuiltIn)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(
        testsupport::WriteFileBytes(folder / L"Glas.qoi", testsupport::Qoi(testsupport::ReferencePixels(true), 4)));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Hell.hdr",
                                            testsupport::Hdr(2, 1, {{128, 128, 128, 129}, {0, 0, 0, 0}})));
    const struct {
        std::wstring path;
        Pixels want;
        bool anyAlpha;
    } cases[] = {
        {testsupport::DataFile(L"alpha8.psd"), testsupport::ReferencePixels(true), false},
        {testsupport::DataFile(L"opaque16.psd"), testsupport::ReferencePixels(false), true},
        {folder / L"Glas.qoi", testsupport::ReferencePixels(true), true},
        // Reinhard with the key at 0.18 and the white point at the brightest pixel: white and black.
        {folder / L"Hell.hdr", Pixels{2, 1, {0xffffffffu, 0xff000000u}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        if (SystemDecoderFor(c.path)) {
            GTEST_SKIP() << "this system has a decoder of its own for the file";
        }
        HRESULT failure = E_FAIL;
        const auto picture = forms::LoadPicture(c.path, &failure);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(failure, S_OK);
        EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*picture), c.want, 0, c.anyAlpha));
        // The loader let go of the file.
        if (c.path.rfind(folder.Path(), 0) == 0) {
            EXPECT_TRUE(DeleteFileW(c.path.c_str()));
        }
    }
}

TEST(PictureFormats, DdsInDxt1AndDxt5IsDecodedByTheSystemWithinTheCompressionError)
{
    const std::wstring dxt1 = testsupport::DataFile(L"blocks_dxt1.dds");
    const std::wstring dxt5 = testsupport::DataFile(L"blocks_dxt5.dds");
    ASSERT_TRUE(SystemDecoderFor(dxt5).has_value());
    EXPECT_EQ(*SystemDecoderFor(dxt5), GUID_ContainerFormatDds);

    Pixels opaque = testsupport::BlockPixels();
    for (std::uint32_t& pixel : opaque.argb)
        pixel |= 0xff000000u;
    const auto one = forms::LoadPicture(dxt1);
    ASSERT_TRUE(one.has_value());
    EXPECT_FALSE(one->HasAlpha());
    // 5-6-5 bit end points: a flat block comes back within 8 per channel.
    EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*one), opaque, 8, true));

    const auto five = forms::LoadPicture(dxt5);
    ASSERT_TRUE(five.has_value());
    EXPECT_TRUE(five->HasAlpha());
    EXPECT_FALSE(five->Premultiplied());
    EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*five), testsupport::BlockPixels(), 8, true, 2));
}

TEST(PictureFormats, DdsInBlockCompressionsTheSystemCannotRenderIsUnsupported)
{
    testsupport::TempFolder folder;
    // BC4, BC5, BC6H and BC7.
    for (const std::uint32_t format : {80u, 83u, 95u, 98u}) {
        SCOPED_TRACE(format);
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Textur.dds", Dx10Dds(format)));
        HRESULT failure = S_OK;
        EXPECT_FALSE(forms::LoadPicture(folder / L"Textur.dds", &failure).has_value());
        EXPECT_EQ(forms::PictureFailureText(failure), L"Dieses Bildformat wird nicht unterstützt.");
        EXPECT_TRUE(DeleteFileW((folder / L"Textur.dds").c_str()));
    }
}

TEST(PictureFormats, AFileNothingReadsSaysWhy)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(
        testsupport::WriteFileBytes(folder / L"Kaputt.psd", std::string("8BPS\x00\x01", 6) + std::string(40, '\x7f')));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Notiz.qoi", "Das ist kein Bild."));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Riese.qoi",
                                            std::string("qoif\x7f\xff\xff\xff\x7f\xff\xff\xff\x04\x00", 14) +
                                                std::string(7, '\0') + '\x01'));
    HRESULT failure = S_OK;
    EXPECT_FALSE(forms::LoadPicture(folder / L"Kaputt.psd", &failure).has_value());
    EXPECT_EQ(forms::PictureFailureText(failure), L"Die Datei ist beschädigt oder unvollständig.");
    EXPECT_FALSE(forms::LoadPicture(folder / L"Notiz.qoi", &failure).has_value());
    EXPECT_EQ(forms::PictureFailureText(failure), L"Dieses Bildformat wird nicht unterstützt.");
    EXPECT_FALSE(forms::LoadPicture(folder / L"Riese.qoi", &failure).has_value());
    EXPECT_EQ(forms::PictureFailureText(failure), L"Das Bild ist zu groß.");
    EXPECT_FALSE(forms::LoadPicture(folder / L"Fehlt.tga", &failure).has_value());
    EXPECT_FALSE(forms::PictureFailureText(failure).empty());
}

namespace {

// 48 x 32: six flat 16 x 16 blocks, so JPEG keeps each block's colour.
Pixels Blocks()
{
    static const std::uint32_t colours[6] = {0xffe02020u, 0xff20c020u, 0xff2040e0u,
                                             0xffe0e040u, 0xff20e0e0u, 0xff101010u};
    Pixels pixels{48, 32, {}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            pixels.argb.push_back(colours[(y / 16) * 3 + x / 16]);
    return pixels;
}

// The EXIF block of a camera JPEG holding only the orientation, put right after the start mark.
std::string WithOrientation(const std::string& jpeg, int orientation)
{
    std::string exif("\xff\xe1\x00\x22"
                     "Exif\0\0"
                     "II\x2a\x00\x08\x00\x00\x00"
                     "\x01\x00"
                     "\x12\x01\x03\x00\x01\x00\x00\x00",
                     28);
    exif += static_cast<char>(orientation);
    exif += std::string(7, '\0');
    return jpeg.substr(0, 2) + exif + jpeg.substr(2);
}

// Where the block whose stored top-left corner is (sx, sy) lies upright, as the orientations define it.
std::pair<int, int> UprightCorner(int sx, int sy, int w, int h, int orientation, int block)
{
    // Where one stored pixel goes: mirrored across, mirrored down, and for 5 to 8 the sides swapped.
    const auto upright = [&](int x, int y) -> std::pair<int, int> {
        switch (orientation) {
        case 2: return {w - 1 - x, y};
        case 3: return {w - 1 - x, h - 1 - y};
        case 4: return {x, h - 1 - y};
        case 5: return {y, x};
        case 6: return {h - 1 - y, x};
        case 7: return {h - 1 - y, w - 1 - x};
        case 8: return {y, w - 1 - x};
        default: return {x, y};
        }
    };
    const auto [x1, y1] = upright(sx, sy);
    const auto [x2, y2] = upright(sx + block - 1, sy + block - 1);  // the block's far corner
    return {std::min(x1, x2), std::min(y1, y2)};
}

}  // namespace

TEST(PictureFormats, CameraJpegsOfEveryOrientationComeUpright)
{
    testsupport::TempFolder folder;
    const Pixels stored = Blocks();
    const std::string jpeg = testsupport::EncodeWithWic(GUID_ContainerFormatJpeg, {stored});
    ASSERT_FALSE(jpeg.empty());
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::wstring path = folder / (L"Foto" + std::to_wstring(orientation) + L".jpg");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, WithOrientation(jpeg, orientation)));
        const auto picture = forms::LoadPicture(path);
        ASSERT_TRUE(picture.has_value());
        const bool turned = orientation >= 5;
        ASSERT_EQ(picture->Width(), turned ? 32 : 48);
        ASSERT_EQ(picture->Height(), turned ? 48 : 32);
        const Pixels shown = PixelsOf(*picture);
        for (int by = 0; by < 32; by += 16)
            for (int bx = 0; bx < 48; bx += 16) {
                const auto [ux, uy] = UprightCorner(bx, by, 48, 32, orientation, 16);
                const Pixels want{1, 1, {stored.At(bx, by)}};
                const Pixels got{1, 1, {shown.At(ux + 8, uy + 8)}};
                EXPECT_TRUE(testsupport::NearPicture(got, want, 12, true)) << "block " << bx << "," << by;
            }
    }
}

TEST(PictureFormats, ACameraTiffIsTurnedUprightPixelForPixel)
{
    const auto picture = forms::LoadPicture(testsupport::DataFile(L"orientation6.tif"));
    ASSERT_TRUE(picture.has_value());
    const Pixels stored = testsupport::ReferencePixels(false);
    // Orientation 6: the stored left column, read from the bottom, is the upright top row.
    Pixels want{stored.height, stored.width, {}};
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            want.argb.push_back(stored.At(y, stored.height - 1 - x));
    EXPECT_TRUE(testsupport::NearPicture(PixelsOf(*picture), want, 0, true));
}

// A worker decodes many files into one buffer: each file gives what the picture's own way gives,
// whatever the buffer held before (larger, turned, built in, or nothing).
TEST(PictureFormats, DecodingIntoAKeptBufferGivesWhatThePictureGives)
{
    testsupport::TempFolder folder;
    const std::string jpeg = testsupport::EncodeWithWic(GUID_ContainerFormatJpeg, {Blocks()});
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Gedreht.jpg", WithOrientation(jpeg, 6)));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Gerade.jpg", jpeg));
    ASSERT_TRUE(
        testsupport::WriteFileBytes(folder / L"Glas.qoi", testsupport::Qoi(testsupport::ReferencePixels(true), 4)));
    ASSERT_TRUE(testsupport::WriteWithWic(folder / L"Klein.png", GUID_ContainerFormatPng, testsupport::Pattern(5, 3, 4)));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Kaputt.png", "kein Bild"));
    const std::wstring paths[] = {folder / L"Gerade.jpg", folder / L"Gedreht.jpg",    folder / L"Kaputt.png",
                                  folder / L"Glas.qoi",   testsupport::DataFile(L"rle_bottom_up.tga"),
                                  folder / L"Klein.png",  folder / L"Fehlt.png"};
    forms::PixelBuffer buffer;
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(testing::PrintToString(path));
        const forms::DecodedPicture want = forms::DecodePicture(path);
        const HRESULT got = forms::DecodePixels(path, buffer);
        ASSERT_EQ(got, want.failure);
        if (!want.picture) {
            EXPECT_EQ(buffer.width, 0);
            continue;
        }
        ASSERT_EQ(buffer.width, want.picture->Width());
        ASSERT_EQ(buffer.height, want.picture->Height());
        EXPECT_EQ(buffer.hasAlpha, want.picture->HasAlpha());
        const auto* first = reinterpret_cast<const std::uint32_t*>(buffer.pixels.data());
        const Pixels decoded{buffer.width, buffer.height,
                             std::vector<std::uint32_t>(first, first + std::size_t(buffer.width) * buffer.height)};
        EXPECT_TRUE(testsupport::NearPicture(decoded, PixelsOf(*want.picture), 0, true));
    }
}
