#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>


#include "forms/picture.h"
#include "support/test_env.h"
#include "test_images.h"

using testsupport::Pixels;

namespace {

// The picture's own pixels, read straight from its DIB section.
Pixels PicturePixels(const forms::Picture& picture)
{
    DIBSECTION section{};
    Pixels pixels{picture.Width(), picture.Height(), {}};
    if (GetObjectW(picture.Bitmap(), sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return Pixels{};
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    pixels.argb.assign(first, first + static_cast<size_t>(pixels.width) * pixels.height);
    return pixels;
}

constexpr std::uint32_t kGifPalette[4] = {0x00FF00FF, 0x00102030, 0x00C08040, 0x0000FF00};

}  // namespace

TEST(LoadPicture, BmpGivesExactSizeAndPixelsInATopDown32BitDib)
{
    testsupport::TempFolder folder;
    const Pixels source = testsupport::Pattern(7, 5, 1);  // 7 * 3 bytes: rows are padded
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Muster.bmp", testsupport::Bmp24(source)));

    const auto picture = forms::LoadPicture(folder / L"Muster.bmp");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), 7);
    EXPECT_EQ(picture->Height(), 5);
    EXPECT_FALSE(picture->HasAlpha());
    EXPECT_FALSE(picture->Empty());

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(picture->Bitmap(), sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    // Row order is checked by the pixels below (Wine reports a positive height here).

    const Pixels loaded = PicturePixels(*picture);
    ASSERT_EQ(loaded.argb.size(), source.argb.size());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(loaded.At(x, y), source.At(x, y)) << x << "," << y;
}

TEST(LoadPicture, LosslessWicFormatsKeepEveryPixel)
{
    testsupport::TempFolder folder;
    const Pixels source = testsupport::Pattern(13, 9, 2);
    const struct {
        const wchar_t* name;
        GUID container;
    } formats[] = {{L"Kachel.png", GUID_ContainerFormatPng}, {L"Kachel.tif", GUID_ContainerFormatTiff}};
    for (const auto& format : formats) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(format.name)));
        ASSERT_TRUE(testsupport::WriteWithWic(folder / format.name, format.container, source));
        const auto picture = forms::LoadPicture(folder / format.name);
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->Width(), 13);
        ASSERT_EQ(picture->Height(), 9);
        EXPECT_FALSE(picture->HasAlpha());
        EXPECT_EQ(PicturePixels(*picture).argb, source.argb);
    }
}

TEST(LoadPicture, JpegLoadsOpaqueAtItsSize)
{
    testsupport::TempFolder folder;
    Pixels grey{24, 16, {}};
    grey.argb.assign(24 * 16, 0xff808080u);
    ASSERT_TRUE(testsupport::WriteWithWic(folder / L"Foto.jpg", GUID_ContainerFormatJpeg, grey));
    const auto picture = forms::LoadPicture(folder / L"Foto.jpg");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), 24);
    EXPECT_EQ(picture->Height(), 16);
    EXPECT_FALSE(picture->HasAlpha());
    // A flat grey survives JPEG within a small rounding error.
    for (std::uint32_t pixel : PicturePixels(*picture).argb) {
        ASSERT_EQ(pixel >> 24, 0xffu);
        ASSERT_NEAR(static_cast<int>(pixel & 0xff), 0x80, 3);
    }
}

TEST(LoadPicture, GifTransparencyBecomesAlphaZero)
{
    testsupport::TempFolder folder;
    const std::vector<std::uint8_t> indexes = {0, 1, 2, 3, 1, 0, 0, 2, 3, 3, 2, 0};
    ASSERT_TRUE(picturetest::WriteGif(folder / L"Loch.gif", 4, 3, indexes, kGifPalette, 0));

    const auto picture = forms::LoadPicture(folder / L"Loch.gif");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), 4);
    EXPECT_EQ(picture->Height(), 3);
    EXPECT_TRUE(picture->HasAlpha());
    const Pixels loaded = PicturePixels(*picture);
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] == 0)
            EXPECT_EQ(loaded.argb[i] >> 24, 0u) << i;
        else
            EXPECT_EQ(loaded.argb[i], 0xff000000u | kGifPalette[indexes[i]]) << i;
    }
}

TEST(LoadPicture, GifWithoutTransparencyIsOpaque)
{
    testsupport::TempFolder folder;
    const std::vector<std::uint8_t> indexes = {0, 1, 2, 3, 3, 2};
    ASSERT_TRUE(picturetest::WriteGif(folder / L"Voll.gif", 3, 2, indexes, kGifPalette, -1));
    const auto picture = forms::LoadPicture(folder / L"Voll.gif");
    ASSERT_TRUE(picture.has_value());
    EXPECT_FALSE(picture->HasAlpha());
    const Pixels loaded = PicturePixels(*picture);
    for (size_t i = 0; i < indexes.size(); ++i)
        EXPECT_EQ(loaded.argb[i], 0xff000000u | kGifPalette[indexes[i]]) << i;
}

TEST(LoadPicture, DamagedOrMissingFilesGiveNothing)
{
    testsupport::TempFolder folder;
    const Pixels source = testsupport::Pattern(40, 30, 3);
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"ganz.bmp", testsupport::Bmp24(source)));
    const std::string whole = testsupport::ReadFileBytes(folder / L"ganz.bmp");
    ASSERT_GT(whole.size(), 100u);

    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"kopf.bmp", whole.substr(0, 30)));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"leer.bmp", ""));
    std::string noise(4000, '\0');
    std::uint32_t state = 7;
    for (char& c : noise) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"rauschen.bmp", noise));
    // A header that promises 100000 x 100000 pixels must be refused before anything is allocated.
    std::string huge = whole.substr(0, 54);
    huge[18] = '\xA0', huge[19] = '\x86', huge[20] = '\x01', huge[21] = '\0';
    huge[22] = '\xA0', huge[23] = '\x86', huge[24] = '\x01', huge[25] = '\0';
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"riesig.bmp", huge));
    ASSERT_TRUE(testsupport::WriteWithWic(folder / L"ganz.png", GUID_ContainerFormatPng, source));
    const std::string png = testsupport::ReadFileBytes(folder / L"ganz.png");
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"halb.png", png.substr(0, 40)));

    for (const wchar_t* name : {L"kopf.bmp", L"leer.bmp", L"rauschen.bmp", L"riesig.bmp", L"halb.png", L"fehlt.bmp"}) {
        EXPECT_FALSE(forms::LoadPicture(folder / name).has_value()) << testing::PrintToString(std::wstring(name));
    }
    EXPECT_FALSE(forms::LoadPicture(L"").has_value());
    EXPECT_FALSE(forms::LoadPicture(folder.Path()).has_value());
}

TEST(LoadPicture, FileCanBeRenamedAndDeletedWhileThePictureLives)
{
    testsupport::TempFolder folder;
    const Pixels source = testsupport::Pattern(9, 4, 4);
    const struct {
        const wchar_t* name;
        GUID container;
    } formats[] = {{L"a.png", GUID_ContainerFormatPng},
                   {L"b.tif", GUID_ContainerFormatTiff},
                   {L"c.jpg", GUID_ContainerFormatJpeg}};
    for (const auto& format : formats)
        ASSERT_TRUE(testsupport::WriteWithWic(folder / format.name, format.container, source));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"d.bmp", testsupport::Bmp24(source)));

    for (const wchar_t* name : {L"a.png", L"b.tif", L"c.jpg", L"d.bmp"}) {
        const std::wstring path = folder / name;
        const auto picture = forms::LoadPicture(path);
        ASSERT_TRUE(picture.has_value());
        const std::wstring moved = path + L".neu";
        EXPECT_TRUE(MoveFileW(path.c_str(), moved.c_str())) << GetLastError();
        EXPECT_TRUE(DeleteFileW(moved.c_str())) << GetLastError();
        EXPECT_EQ(GetFileAttributesW(moved.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(picture->Width(), 9);
        EXPECT_EQ(PicturePixels(*picture).argb.size(), 36u);
    }
}

TEST(LoadPicture, ATallPictureDecodesWholeBandByBandAndACancelStopsIt)
{
    testsupport::TempFolder folder;
    // 1100 rows of 4 KiB: several bands, the last one short; a PNG and a 24-bit BMP take different paths.
    const Pixels source = testsupport::Pattern(1024, 1100, 5);
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"hoch.bmp", testsupport::Bmp24(source)));
    ASSERT_TRUE(testsupport::WriteWithWic(folder / L"hoch.png", GUID_ContainerFormatPng, source));

    int asked = 0;
    const forms::DecodedPicture decoded =
        forms::DecodePicture(folder / L"hoch.png", [&asked] { return ++asked < 0; });
    EXPECT_GT(asked, 1);  // asked between bands
    ASSERT_TRUE(decoded.picture.has_value());
    EXPECT_EQ(PicturePixels(*decoded.picture).argb, source.argb);
    const auto widened = forms::LoadPicture(folder / L"hoch.bmp");
    ASSERT_TRUE(widened.has_value());
    EXPECT_FALSE(widened->HasAlpha());
    EXPECT_EQ(PicturePixels(*widened).argb, source.argb);

    // Cancelled after the first band: no picture, the reason says so, and the file is let go.
    int bands = 0;
    const forms::DecodedPicture stopped = forms::DecodePicture(folder / L"hoch.bmp", [&bands] { return ++bands > 1; });
    EXPECT_FALSE(stopped.picture.has_value());
    EXPECT_EQ(stopped.failure, E_ABORT);
    EXPECT_TRUE(DeleteFileW((folder / L"hoch.bmp").c_str()));
}

TEST(LoadPicture, AFailureCarriesTheSystemsReason)
{
    testsupport::TempFolder folder;
    const forms::DecodedPicture missing = forms::DecodePicture(folder / L"fehlt.png");
    EXPECT_FALSE(missing.picture.has_value());
    EXPECT_TRUE(FAILED(missing.failure));
    EXPECT_FALSE(forms::FailureReason(missing.failure).empty());
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"kaputt.png", "nichts als Unsinn!!"));
    const forms::DecodedPicture rubbish = forms::DecodePicture(folder / L"kaputt.png");
    EXPECT_FALSE(rubbish.picture.has_value());
    EXPECT_TRUE(FAILED(rubbish.failure));
    // One line, no trailing break.
    const std::wstring reason = forms::FailureReason(rubbish.failure);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_TRUE(forms::FailureReason(S_OK).empty());
}

TEST(CreateDib32, RefusesEmptySizes)
{
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_FALSE(forms::CreateDib32(0, 5, &bits));
    EXPECT_EQ(bits, nullptr);
    EXPECT_FALSE(forms::CreateDib32(5, -1, nullptr));
    const forms::UniqueHbitmap dib = forms::CreateDib32(3, 2, &bits);
    ASSERT_TRUE(dib);
    EXPECT_NE(bits, nullptr);
}
