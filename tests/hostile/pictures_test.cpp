// Damaged, lying, huge, tiny, animated, multi-page and transparent pictures: through the picture
// loader and through File1_Click on a real main window.

#include <wrl/client.h>

#include <map>

#include "common/commands.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "hostile_support.h"
#include "support/main_window_test.h"
#include "support/read_back.h"

namespace {

using hostile::Bound;
using testsupport::Pattern;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

constexpr std::uint64_t kMemorySlack = 96ull * 1024 * 1024;

std::uint32_t Opaque(std::uint32_t argb)
{
    return argb & 0x00ffffffu;
}

// ---- Through the loader ------------------------------------------------------------------------

TEST(HostilePictureFiles, EmptyFilesOfEveryImageTypeGiveNoPicture)
{
    TempFolder folder;
    for (const wchar_t* name :
         {L"leer.bmp", L"leer.gif", L"leer.jpg", L"leer.jpeg", L"leer.tif", L"leer.png", L"leer.ico"}) {
        ASSERT_TRUE(WriteFileBytes(folder / name, ""));
        Bound bound(10, "loading an empty file");
        EXPECT_FALSE(forms::LoadPicture(folder / name).has_value()) << testing::PrintToString(std::wstring(name));
        // The loader let go of the file.
        EXPECT_TRUE(DeleteFileW((folder / name).c_str()));
    }
}

TEST(HostilePictureFiles, AHundredDamagedFilesLoadOrAreRefusedAndStayUntouched)
{
    const std::vector<hostile::DamagedFile> set = hostile::DamagedSet();
    ASSERT_GE(set.size(), 100u);
    TempFolder folder;
    std::map<std::string, int> refused;
    for (const hostile::DamagedFile& file : set) {
        const std::wstring path = folder / file.name;
        ASSERT_TRUE(WriteFileBytes(path, file.bytes));
        std::optional<forms::Picture> picture;
        {
            Bound bound(10, "loading a damaged picture");
            picture = forms::LoadPicture(path);
        }
        if (picture) {
            EXPECT_GT(picture->Width(), 0);
            EXPECT_GT(picture->Height(), 0);
            EXPECT_LE(static_cast<long long>(picture->Width()) * picture->Height(), forms::kMaxPicturePixels);
            EXPECT_NE(picture->Bitmap(), nullptr);
        } else {
            const std::wstring kind = file.name.substr(0, file.name.find(L'_'));
            ++refused[std::string(kind.begin(), kind.end())];
        }
        EXPECT_EQ(testsupport::ReadFileBytes(path), file.bytes) << "the loader changed a file";
        EXPECT_TRUE(DeleteFileW(path.c_str())) << "the loader kept a file open";
    }
    // Cut headers can never be read: every kind refused some of its files.
    for (const char* kind : {"bmp24", "bmp8", "gif", "jpeg", "tiff", "bmplie"})
        EXPECT_GT(refused[kind], 0) << kind;
}

TEST(HostilePictureFiles, ThirtyDamagedFilesOfEachFurtherFormatLoadOrAreRefusedWithAReason)
{
    const std::vector<hostile::DamagedFile> set = hostile::DamagedFormatSet();
    TempFolder folder;
    std::map<std::string, int> made;
    std::map<std::string, int> refused;
    const std::uint64_t before = hostile::PrivateBytes();
    for (const hostile::DamagedFile& file : set) {
        const std::wstring path = folder / file.name;
        ASSERT_TRUE(WriteFileBytes(path, file.bytes));
        const std::wstring kind = file.name.substr(0, file.name.find(L'_'));
        ++made[std::string(kind.begin(), kind.end())];
        std::optional<forms::Picture> picture;
        HRESULT failure = S_OK;
        {
            Bound bound(10, "loading a damaged picture of a further format");
            picture = forms::LoadPicture(path, &failure);
        }
        if (picture) {
            EXPECT_GT(picture->Width(), 0);
            EXPECT_GT(picture->Height(), 0);
            EXPECT_LE(static_cast<long long>(picture->Width()) * picture->Height(), forms::kMaxPicturePixels);
            EXPECT_NE(picture->Bits(), nullptr);
            EXPECT_EQ(file.name.find(L"_big_"), std::wstring::npos) << "a lying size was believed";
        } else {
            ++refused[std::string(kind.begin(), kind.end())];
            EXPECT_TRUE(FAILED(failure)) << testing::PrintToString(file.name);
        }
        EXPECT_EQ(testsupport::ReadFileBytes(path), file.bytes) << "the loader changed a file";
        EXPECT_TRUE(DeleteFileW(path.c_str())) << "the loader kept a file open";
    }
    for (const char* kind : {"tga", "psd", "qoi", "hdr", "dds"}) {
        EXPECT_GE(made[kind], 30) << kind;
        EXPECT_GT(refused[kind], 0) << kind;
    }
    EXPECT_LT(hostile::PrivateBytes(), before + kMemorySlack);
}

TEST(HostilePictureFiles, FilesOfOtherTypesWithImageExtensionsAreRefused)
{
    TempFolder folder;
    const std::pair<const wchar_t*, std::string> fakes[] = {
        {L"Notiz.bmp", "Hallo, das ist kein Bild.\r\n"},
        {L"Seite.gif", "<html><body>GIF89a</body></html>"},
        {L"Archiv.jpg", std::string("PK\x03\x04\x14\x00\x00\x00", 8) + std::string(200, 'x')},
        {L"Programm.tif", std::string("MZ\x90\x00", 4) + std::string(500, '\0')},
        {L"Nur BM.bmp", "BM"},
        {L"Nur Kopf.gif", "GIF89a"},
        {L"Nur SOI.jpg", std::string("\xff\xd8\xff", 3)},
        {L"Nur II.tif", std::string("II*\0", 4)},
    };
    for (const auto& [name, bytes] : fakes) {
        ASSERT_TRUE(WriteFileBytes(folder / name, bytes));
        Bound bound(10, "loading a file of another type");
        EXPECT_FALSE(forms::LoadPicture(folder / name).has_value()) << testing::PrintToString(std::wstring(name));
    }
    // A real picture of another kind under an image extension is still a picture.
    ASSERT_TRUE(WriteFileBytes(folder / L"Eigentlich PNG.bmp",
                               testsupport::EncodeWithWic(GUID_ContainerFormatPng, {Pattern(9, 7, 3)})));
    const auto png = forms::LoadPicture(folder / L"Eigentlich PNG.bmp");
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->Width(), 9);
    EXPECT_EQ(png->Height(), 7);
}

TEST(HostilePictureFiles, AHeaderClaimingHundredThousandSquaredPixelsIsRefusedAtOnce)
{
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / L"Riese.bmp", hostile::BmpHeaderOnly(100000, 100000)));
    const std::uint64_t before = hostile::PrivateBytes();
    {
        Bound bound(10, "refusing a lying header");
        EXPECT_FALSE(forms::LoadPicture(folder / L"Riese.bmp").has_value());
    }
    EXPECT_LT(hostile::PrivateBytes(), before + kMemorySlack);
}

TEST(HostilePictureFiles, ARealTwentyThousandSquaredPictureIsRefusedCleanlyAndMemoryComesBack)
{
    TempFolder folder;
    ASSERT_TRUE(hostile::WriteBmp1(folder / L"Gross.bmp", 20000, 20000));
    const std::uint64_t before = hostile::PrivateBytes();
    {
        Bound bound(30, "loading a 20000 x 20000 picture");
        const auto picture = forms::LoadPicture(folder / L"Gross.bmp");
        // 400 million pixels are more than the loader holds.
        EXPECT_FALSE(picture.has_value());
    }
    EXPECT_LT(hostile::PrivateBytes(), before + kMemorySlack);
    EXPECT_TRUE(DeleteFileW((folder / L"Gross.bmp").c_str()));
}

TEST(HostilePictureFiles, OneByOneAndFortyThousandLongPicturesLoadAtTheirSize)
{
    TempFolder folder;
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 40000}, {40000, 1}};
    for (const auto& [width, height] : sizes) {
        const testsupport::Pixels pixels = Pattern(width, height, 8);
        ASSERT_TRUE(WriteFileBytes(folder / L"Streifen.bmp", testsupport::Bmp24(pixels)));
        Bound bound(20, "loading a thin picture");
        const auto picture = forms::LoadPicture(folder / L"Streifen.bmp");
        ASSERT_TRUE(picture.has_value()) << width << " x " << height;
        EXPECT_EQ(picture->Width(), width);
        EXPECT_EQ(picture->Height(), height);
        forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
        forms::SelectGuard select(dc.get(), picture->Bitmap());
        const testsupport::Pixels last = testsupport::ReadDc(dc.get(), width, height);
        EXPECT_EQ(last.At(width - 1, height - 1), Opaque(pixels.At(width - 1, height - 1)));
    }
}

TEST(HostilePictureFiles, AnAnimatedGifOfManyFramesShowsItsFirstFrame)
{
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / L"Film.gif", hostile::Gif(20, 10, 300, -1)));
    Bound bound(20, "loading an animated GIF");
    const auto picture = forms::LoadPicture(folder / L"Film.gif");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), 20);
    EXPECT_EQ(picture->Height(), 10);
    forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
    forms::SelectGuard select(dc.get(), picture->Bitmap());
    const testsupport::Pixels pixels = testsupport::ReadDc(dc.get(), 20, 10);
    // Frame 0 has palette index (x + y) % 4: red, green, blue, white.
    EXPECT_EQ(pixels.At(0, 0), 0xff0000u);
    EXPECT_EQ(pixels.At(1, 0), 0x00ff00u);
    EXPECT_EQ(pixels.At(2, 0), 0x0000ffu);
    EXPECT_EQ(pixels.At(3, 0), 0xffffffu);
}

TEST(HostilePictureFiles, AMultiPageTiffShowsItsFirstPage)
{
    TempFolder folder;
    const testsupport::Pixels first = Pattern(12, 9, 1);
    const std::string tiff =
        testsupport::EncodeWithWic(GUID_ContainerFormatTiff, {first, Pattern(30, 20, 2), Pattern(5, 5, 3)});
    ASSERT_FALSE(tiff.empty());
    ASSERT_TRUE(WriteFileBytes(folder / L"Seiten.tif", tiff));

    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    ASSERT_TRUE(
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))));
    {
        Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
        ASSERT_TRUE(SUCCEEDED(factory->CreateDecoderFromFilename(
            (folder / L"Seiten.tif").c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder)));
        UINT pages = 0;
        ASSERT_TRUE(SUCCEEDED(decoder->GetFrameCount(&pages)));
        ASSERT_EQ(pages, 3u) << "the file must really hold three pages";
    }

    const auto picture = forms::LoadPicture(folder / L"Seiten.tif");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), 12);
    EXPECT_EQ(picture->Height(), 9);
    forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
    forms::SelectGuard select(dc.get(), picture->Bitmap());
    const testsupport::Pixels pixels = testsupport::ReadDc(dc.get(), 12, 9);
    EXPECT_EQ(pixels.At(0, 0), Opaque(first.At(0, 0)));
    EXPECT_EQ(pixels.At(11, 8), Opaque(first.At(11, 8)));
}

TEST(HostilePictureFiles, PicturesWithAlphaAreMarkedAsTransparent)
{
    TempFolder folder;
    testsupport::Pixels half = Pattern(8, 4, 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            half.argb[static_cast<std::size_t>(y) * 8 + static_cast<std::size_t>(x)] &= 0x00ffffffu;
    ASSERT_TRUE(WriteFileBytes(folder / L"Alpha.bmp", testsupport::Bmp32Alpha(half)));
    ASSERT_TRUE(WriteFileBytes(folder / L"Alpha.gif", hostile::Gif(8, 4, 1, 3)));
    ASSERT_TRUE(WriteFileBytes(folder / L"Alpha.png", testsupport::EncodeWithWic(GUID_ContainerFormatPng, {half})));
    ASSERT_TRUE(WriteFileBytes(folder / L"Alpha.tif", testsupport::EncodeWithWic(GUID_ContainerFormatTiff, {half})));
    for (const wchar_t* name : {L"Alpha.bmp", L"Alpha.gif", L"Alpha.png", L"Alpha.tif"}) {
        const auto picture = forms::LoadPicture(folder / name);
        ASSERT_TRUE(picture.has_value()) << testing::PrintToString(std::wstring(name));
        EXPECT_TRUE(picture->HasAlpha()) << testing::PrintToString(std::wstring(name));
    }
}

// ---- Through File1_Click on a real window ------------------------------------------------------

class HostilePicturesShown : public testsupport::MainWindowTest {
protected:
    // Selects the file and checks the rule for any picture: chosen, no message, a bitmap on the clipboard.
    void ShowAndCheck(const std::wstring& name)
    {
        testsupport::Prompter().shown.clear();
        ASSERT_TRUE(Select(name)) << testing::PrintToString(name);
        EXPECT_EQ(Commands::CurrentFile, name);
        EXPECT_TRUE(testsupport::Prompter().shown.empty()) << "a message for a picture";
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    }
    testsupport::Pixels Preview() { return testsupport::ReadBox(form_->PicW); }
};

TEST_F(HostilePicturesShown, EveryDamagedFileSelectedInTurnEndsShownOrWithPicMEmpty)
{
    const std::vector<hostile::DamagedFile> set = hostile::DamagedSet();
    ASSERT_GE(set.size(), 100u);
    for (const hostile::DamagedFile& file : set)
        ASSERT_TRUE(WriteFileBytes(images_ / file.name, file.bytes));
    ShowFolder(images_.Path());
    ASSERT_EQ(form_->File1.ListCount(), static_cast<int>(set.size()));

    int empty = 0;
    for (const hostile::DamagedFile& file : set) {
        const bool readable = forms::LoadPicture(images_ / file.name).has_value();
        {
            Bound bound(15, "showing a damaged picture");
            ShowAndCheck(file.name);
        }
        EXPECT_EQ(form_->PicM.HasPicture(), readable) << testing::PrintToString(file.name);
        empty += form_->PicM.HasPicture() ? 0 : 1;
    }
    EXPECT_GT(empty, 0);
    // Nothing was lost or changed on the way.
    for (const hostile::DamagedFile& file : set)
        EXPECT_EQ(testsupport::ReadFileBytes(images_ / file.name), file.bytes);
}

TEST_F(HostilePicturesShown, AnEmptyFileOrAFakeLeavesPicMEmptyWithoutAMessage)
{
    AddImage(images_.Path(), L"Gut.bmp", 7, 5, 1);
    ASSERT_TRUE(WriteFileBytes(images_ / L"Leer.bmp", ""));
    ASSERT_TRUE(WriteFileBytes(images_ / L"Text.jpg", "kein Bild"));
    ShowFolder(images_.Path());
    for (const wchar_t* name : {L"Leer.bmp", L"Text.jpg"}) {
        ShowAndCheck(L"Gut.bmp");
        ASSERT_TRUE(form_->PicM.HasPicture());
        ShowAndCheck(name);
        EXPECT_FALSE(form_->PicM.HasPicture());
        EXPECT_EQ(Commands::CurrentFolder, form_->File1.Path() + L"\\");
    }
}

TEST_F(HostilePicturesShown, HugePicturesAreRefusedWithinSecondsAndMemoryComesBack)
{
    ASSERT_TRUE(hostile::WriteBmp1(images_ / L"Gross.bmp", 20000, 20000));
    ASSERT_TRUE(WriteFileBytes(images_ / L"Riese.bmp", hostile::BmpHeaderOnly(100000, 100000)));
    AddImage(images_.Path(), L"Klein.bmp", 6, 4, 2);
    ShowFolder(images_.Path());
    ShowAndCheck(L"Klein.bmp");
    const std::uint64_t before = hostile::PrivateBytes();
    for (const wchar_t* name : {L"Gross.bmp", L"Riese.bmp"}) {
        Bound bound(30, "showing a huge picture");
        ShowAndCheck(name);
        EXPECT_FALSE(form_->PicM.HasPicture());
    }
    ShowAndCheck(L"Klein.bmp");
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_LT(hostile::PrivateBytes(), before + kMemorySlack);
}

TEST_F(HostilePicturesShown, ABigAcceptedPictureIsShownAndItsMemoryComesBackWithTheNextOne)
{
    ASSERT_TRUE(hostile::WriteBmp1(images_ / L"Breit.bmp", 8000, 6000));
    AddImage(images_.Path(), L"Klein.bmp", 6, 4, 2);
    ShowFolder(images_.Path());
    ShowAndCheck(L"Klein.bmp");
    const std::uint64_t before = hostile::PrivateBytes();
    {
        Bound bound(30, "showing an 8000 x 6000 picture");
        ShowAndCheck(L"Breit.bmp");
    }
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_EQ(form_->PicM.ScaleWidth(), 8000);
    ShowAndCheck(L"Klein.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 6);
    EXPECT_LT(hostile::PrivateBytes(), before + kMemorySlack);
}

TEST_F(HostilePicturesShown, OneByOnePictureFillsThePreviewWithItsColour)
{
    const testsupport::Pixels dot = Pattern(1, 1, 12);
    ASSERT_TRUE(WriteFileBytes(images_ / L"Punkt.bmp", testsupport::Bmp24(dot)));
    ShowFolder(images_.Path());
    ShowAndCheck(L"Punkt.bmp");
    const testsupport::Pixels preview = Preview();
    ASSERT_GT(preview.width, 0);
    for (const std::uint32_t p : preview.argb)
        ASSERT_EQ(p, Opaque(dot.argb[0]));
}

TEST_F(HostilePicturesShown, APictureTallerThan32767TilesLikeAnyOther)
{
    const testsupport::Pixels tall = Pattern(1, 40000, 4);
    ASSERT_TRUE(WriteFileBytes(images_ / L"Hoch.bmp", testsupport::Bmp24(tall)));
    ShowFolder(images_.Path());
    {
        Bound bound(20, "showing a 1 x 40000 picture");
        ShowAndCheck(L"Hoch.bmp");
    }
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_EQ(form_->PicM.ScaleHeight(), 40000);
    // No 16-bit limit: the first rows of the picture repeat across the preview.
    const testsupport::Pixels preview = Preview();
    ASSERT_GT(preview.width, 1);
    for (int y = 0; y < preview.height; y += 5)
        for (int x = 0; x < preview.width; x += 3)
            ASSERT_EQ(preview.At(x, y), Opaque(tall.At(0, y))) << x << "," << y;
    EXPECT_EQ(testsupport::ReadClipboardBitmap().argb, preview.argb);
}

TEST_F(HostilePicturesShown, APictureFortyThousandWideIsCutAtThePreviewsEdge)
{
    const testsupport::Pixels wide = Pattern(40000, 1, 5);
    ASSERT_TRUE(WriteFileBytes(images_ / L"Breit.bmp", testsupport::Bmp24(wide)));
    ShowFolder(images_.Path());
    {
        Bound bound(20, "showing a 40000 x 1 picture");
        ShowAndCheck(L"Breit.bmp");
    }
    const testsupport::Pixels preview = Preview();
    ASSERT_GT(preview.height, 1);
    for (int y = 0; y < preview.height; y += 7)
        for (int x = 0; x < preview.width; ++x)
            ASSERT_EQ(preview.At(x, y), Opaque(wide.At(x, 0))) << x << "," << y;
}

TEST_F(HostilePicturesShown, TransparentPixelsShowPicMsBackground)
{
    testsupport::Pixels half = Pattern(8, 4, 6);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            half.argb[static_cast<std::size_t>(y) * 8 + static_cast<std::size_t>(x)] = 0x00123456u;
    ASSERT_TRUE(WriteFileBytes(images_ / L"Halb.bmp", testsupport::Bmp32Alpha(half)));
    ShowFolder(images_.Path());
    ShowAndCheck(L"Halb.bmp");
    ASSERT_TRUE(form_->PicM.HasPicture());
    const testsupport::Pixels shown = testsupport::ReadDc(form_->PicM.Hdc(), 8, 4);
    const COLORREF back = form_->PicM.BackColor();
    const std::uint32_t backRgb = (static_cast<std::uint32_t>(GetRValue(back)) << 16) |
                                  (static_cast<std::uint32_t>(GetGValue(back)) << 8) | GetBValue(back);
    EXPECT_EQ(shown.At(0, 0), backRgb);
    EXPECT_EQ(shown.At(7, 3), Opaque(half.At(7, 3)));
}

TEST_F(HostilePicturesShown, AnAnimatedGifAndAMultiPageTiffAreShownByTheirFirstImage)
{
    ASSERT_TRUE(WriteFileBytes(images_ / L"Film.gif", hostile::Gif(20, 10, 300, -1)));
    const std::string tiff =
        testsupport::EncodeWithWic(GUID_ContainerFormatTiff, {Pattern(12, 9, 1), Pattern(30, 20, 2)});
    ASSERT_TRUE(WriteFileBytes(images_ / L"Seiten.tif", tiff));
    ShowFolder(images_.Path());
    ShowAndCheck(L"Film.gif");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 20);
    EXPECT_EQ(form_->PicM.ScaleHeight(), 10);
    ShowAndCheck(L"Seiten.tif");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 12);
    EXPECT_EQ(form_->PicM.ScaleHeight(), 9);
}

}  // namespace
