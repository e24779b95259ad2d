// What leaves the program: the tiling with its alpha on the clipboard, saved at a chosen size, and
// as the tiled desktop background.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "common/commands.h"
#include "forms/handles.h"
#include "forms/picture.h"
#include "imaging/composite.h"
#include "imaging/encode.h"
#include "imaging/repeat.h"
#include "support/formats.h"
#include "support/main_window_test.h"
#include "support/pixels.h"
#include "support/read_back.h"
#include "ui/dialogs/frm_save_size.h"
#include "ui/main/tile_clipboard.h"
#include "ui/main/tiling_file.h"
#include "ui/main/wallpaper.h"

namespace {

using testsupport::FileDialogs;
using testsupport::MainWindowTest;
using testsupport::Prompter;

// Odd sides, every alpha from clear to opaque, and colours a premultiplication would change.
imaging::Image32 AlphaTile(int seed)
{
    imaging::Image32 tile(5, 3);
    const testsupport::Pixels colours = testsupport::Pattern(5, 3, static_cast<std::uint32_t>(seed));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const auto alpha = static_cast<std::uint32_t>((x * 3 + y) % 4) * 85;
            tile.At(x, y) = alpha << 24 | (colours.At(x, y) & 0xFFFFFFu) | 0x808080u;
        }
    return tile;
}

// Decodes PNG, TIFF or BMP bytes through a file, as the program reads pictures.
std::optional<forms::Picture> Decode(const std::string& bytes, const testsupport::TempFolder& folder)
{
    const std::wstring path = folder / L"decoded.bin";
    if (!testsupport::WriteFileBytes(path, bytes))
        return std::nullopt;
    return forms::LoadPicture(path);
}

std::uint32_t PixelOf(const forms::Picture& picture, int x, int y)
{
    return imaging::LoadPixel(picture.Bits() + (static_cast<std::size_t>(y) * picture.Width() + x) * 4);
}

// Whether the picture is the w x h tiling of the tile, pixel for pixel with alpha.
::testing::AssertionResult IsAlphaTiling(const forms::Picture& picture, const imaging::Image32& tile, int w, int h)
{
    if (picture.Width() != w || picture.Height() != h || !picture.Bits())
        return ::testing::AssertionFailure() << "size " << picture.Width() << "x" << picture.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (PixelOf(picture, x, y) != tile.At(x % tile.width, y % tile.height))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << PixelOf(picture, x, y);
    return ::testing::AssertionSuccess();
}

std::string ClipboardBytes(UINT format)
{
    std::string bytes;
    if (!OpenClipboard(nullptr))
        return bytes;
    if (HANDLE data = GetClipboardData(format)) {
        const forms::GlobalLockScope<const char> locked(data);
        if (locked.get())
            bytes.assign(locked.get(), locked.Size());
    }
    CloseClipboard();
    return bytes;
}

class OutputsTest : public MainWindowTest {
protected:
    // Shows the tile as a decoded PNG file with its alpha, tiled over the preview.
    void Show(const imaging::Image32& tile)
    {
        const std::vector<std::uint8_t> png = imaging::EncodePngToMemory(tile.View(), tile.width, tile.height);
        std::optional<forms::Picture> picture = Decode(std::string(png.begin(), png.end()), images_);
        ASSERT_TRUE(picture && !picture->Premultiplied());
        form_->ShowPicture(std::move(*picture));
        Commands::TilePicture(form_->PicW, form_->PicM);
    }
};

TEST_F(OutputsTest, TheClipboardHoldsTheTilingOfTheCopyWithStraightAlphaAsDibV5AndPng)
{
    // An odd width: DIB rows need no padding at 32 bits, and none may be added.
    const forms::Bounds bounds = form_->PicW.GetBounds();
    form_->PicW.Move({bounds.left, bounds.top, bounds.width + 1 - form_->PicW.ScaleWidth() % 2, bounds.height});
    const int width = form_->PicW.ScaleWidth();
    const int height = form_->PicW.ScaleHeight();
    ASSERT_EQ(width % 2, 1);
    const imaging::Image32 tile = AlphaTile(3);
    Show(tile);
    form_->CopyPreviewToClipboard();
    // Shown after the copy: a paste still gets the tiling of the copy.
    Show(AlphaTile(4));

    const std::string dib = ClipboardBytes(CF_DIBV5);
    ASSERT_GE(dib.size(), sizeof(BITMAPV5HEADER) + std::size_t(width) * height * 4);
    BITMAPV5HEADER header;
    std::memcpy(&header, dib.data(), sizeof(header));
    EXPECT_EQ(header.bV5Width, width);
    EXPECT_EQ(header.bV5Height, height);  // positive: bottom-up
    EXPECT_EQ(header.bV5BitCount, 32);
    EXPECT_EQ(header.bV5Compression, DWORD{BI_BITFIELDS});
    EXPECT_EQ(header.bV5AlphaMask, 0xFF000000u);
    const auto* rows = reinterpret_cast<const std::uint8_t*>(dib.data()) + header.bV5Size;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(imaging::LoadPixel(rows + (std::size_t(height - 1 - y) * width + x) * 4), tile.At(x % 5, y % 3))
                << x << "," << y;

    const std::optional<forms::Picture> png = Decode(ClipboardBytes(ui::PngClipboardFormat()), images_);
    ASSERT_TRUE(png);
    EXPECT_TRUE(IsAlphaTiling(*png, tile, width, height));
}

TEST_F(OutputsTest, SavingAsksTheSizeAndTheNameAndWritesTheTilingInTheChosenType)
{
    const imaging::Image32 tile = AlphaTile(5);
    Show(tile);
    Commands::CurrentFile = L"Wand.png";
    form_->mnuSaveTiling_Click();
    ui::frmSaveSize& dialog = ui::SaveSizeDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(dialog.Text1.Text(), std::to_wstring(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(dialog.Text2.Text(), std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
    dialog.Text1.SetText(L"13");
    dialog.Text2.SetText(L"7");
    // No extension typed: the chosen type's is added.
    FileDialogs().answers.push_back({images_ / L"Wand_neu", 3});
    dialog.Command2_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    ASSERT_EQ(FileDialogs().asked.size(), 1u);
    EXPECT_EQ(FileDialogs().asked[0].suggestedName, L"Wand_kachel_13x7.png");
    EXPECT_EQ(FileDialogs().asked[0].typeIndex, 0);
    const std::optional<forms::Picture> saved = Decode(testsupport::ReadFileBytes(images_ / L"Wand_neu.tif"), images_);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(IsAlphaTiling(*saved, tile, 13, 7));
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(OutputsTest, TransparencyOfTgaQoiAndDdsReachesDibV5PngAndTheSavedTiling)
{
    ASSERT_TRUE(
        testsupport::WriteFileBytes(images_ / L"Glas.qoi", testsupport::Qoi(testsupport::ReferencePixels(true), 4)));
    for (const std::wstring& path : {testsupport::DataFile(L"plain_top_down.tga"), images_ / L"Glas.qoi",
                                     testsupport::DataFile(L"blocks_dxt5.dds")}) {
        SCOPED_TRACE(testing::PrintToString(path));
        std::optional<forms::Picture> picture = forms::LoadPicture(path);
        ASSERT_TRUE(picture && picture->HasAlpha() && !picture->Premultiplied());
        imaging::Image32 tile(picture->Width(), picture->Height());
        for (int y = 0; y < tile.height; ++y)
            for (int x = 0; x < tile.width; ++x)
                tile.At(x, y) = PixelOf(*picture, x, y);
        form_->ShowPicture(std::move(*picture));
        Commands::TilePicture(form_->PicW, form_->PicM);
        form_->CopyPreviewToClipboard();
        const int width = form_->PicW.ScaleWidth();
        const int height = form_->PicW.ScaleHeight();

        const std::string dib = ClipboardBytes(CF_DIBV5);
        ASSERT_GE(dib.size(), sizeof(BITMAPV5HEADER) + std::size_t(width) * height * 4);
        BITMAPV5HEADER header;
        std::memcpy(&header, dib.data(), sizeof(header));
        const auto* rows = reinterpret_cast<const std::uint8_t*>(dib.data()) + header.bV5Size;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(imaging::LoadPixel(rows + (std::size_t(height - 1 - y) * width + x) * 4),
                          tile.At(x % tile.width, y % tile.height))
                    << x << "," << y;
        const std::optional<forms::Picture> png = Decode(ClipboardBytes(ui::PngClipboardFormat()), images_);
        ASSERT_TRUE(png);
        EXPECT_TRUE(IsAlphaTiling(*png, tile, width, height));

        form_->mnuSaveTiling_Click();
        ui::frmSaveSize& dialog = ui::SaveSizeDialog();
        ASSERT_TRUE(dialog.IsLoaded());
        dialog.Text1.SetText(L"17");
        dialog.Text2.SetText(L"11");
        FileDialogs().answers.push_back({images_ / L"Gespeichert.png", 0});
        dialog.Command2_Click();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
        const std::optional<forms::Picture> saved =
            Decode(testsupport::ReadFileBytes(images_ / L"Gespeichert.png"), images_);
        ASSERT_TRUE(saved);
        EXPECT_TRUE(IsAlphaTiling(*saved, tile, 17, 11));
        EXPECT_TRUE(DeleteFileW((images_ / L"Gespeichert.png").c_str()));
    }
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(OutputsTest, AFailedSaveShowsOneWarningNamingTheFileAndLeavesNothing)
{
    Show(AlphaTile(6));
    form_->mnuSaveTiling_Click();
    const std::wstring target = images_ / L"fehlt\\x.png";
    FileDialogs().answers.push_back({target, 0});
    ui::SaveSizeDialog().Command2_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_NE(Prompter().shown[0].text.find(L"'" + target + L"'"), std::wstring::npos);
    EXPECT_EQ(Prompter().shown[0].flags & MB_ICONMASK, UINT{MB_ICONEXCLAMATION});
    EXPECT_EQ(GetFileAttributesW((images_ / L"fehlt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(TilingFile, TheNameProposedAndTheTypeTheChosenNameStandsFor)
{
    EXPECT_EQ(ui::ProposedTilingName(L"C:\\Bilder\\Wand.bmp", 1920, 1080), L"Wand_kachel_1920x1080.png");
    EXPECT_EQ(ui::ProposedTilingName(L"", 3, 4), L"Kachel_kachel_3x4.png");
    const auto target = [](const std::wstring& path, int type) { return ui::ResolveTilingTarget(path, type); };
    EXPECT_EQ(target(L"C:\\a\\x", 1).path, L"C:\\a\\x.bmp");
    EXPECT_EQ(target(L"C:\\a\\x", 2).format, imaging::ImageFormat::Jpeg);
    // A typed extension of another type wins over the type chosen in the list.
    EXPECT_EQ(target(L"C:\\a\\x.JPEG", 0).path, L"C:\\a\\x.JPEG");
    EXPECT_EQ(target(L"C:\\a\\x.JPEG", 0).format, imaging::ImageFormat::Jpeg);
    EXPECT_EQ(target(L"C:\\a.b\\x.v2", 3).path, L"C:\\a.b\\x.v2.tif");
    EXPECT_EQ(target(L"C:\\a\\x.", 0).path, L"C:\\a\\x.png");
}

// Keeps the user's desktop values and the background file as they were before a test.
class SavedDesktop {
public:
    SavedDesktop()
        : file_(ui::WallpaperFilePath()), hadFile_(GetFileAttributesW(file_.c_str()) != INVALID_FILE_ATTRIBUTES)
    {
        for (const wchar_t* name : kNames)
            values_.push_back(Read(name));
    }
    ~SavedDesktop()
    {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (values_[i])
                Write(kNames[i], *values_[i]);
            else
                RegDeleteValueW(Open().get(), kNames[i]);
        }
        if (!hadFile_)
            DeleteFileW(file_.c_str());
    }
    SavedDesktop(const SavedDesktop&) = delete;
    SavedDesktop& operator=(const SavedDesktop&) = delete;

    static std::optional<std::wstring> Read(const wchar_t* name)
    {
        wchar_t value[MAX_PATH] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        DWORD type = 0;
        const forms::UniqueHkey key = Open();
        if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        return std::wstring(value);
    }
    static bool Write(const wchar_t* name, const std::wstring& value)
    {
        return RegSetValueExW(Open().get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    static forms::UniqueHkey Open()
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr,
                        &key, nullptr);
        return forms::UniqueHkey(key);
    }
    static constexpr const wchar_t* kNames[] = {L"TileWallpaper", L"WallpaperStyle", L"Wallpaper"};
    std::wstring file_;
    bool hadFile_;
    std::vector<std::optional<std::wstring>> values_;
};

TEST_F(OutputsTest, TheDesktopBackgroundIsTheShownPictureOverPicMsBackgroundIn24BitsTiled)
{
    const SavedDesktop saved;
    ASSERT_TRUE(SavedDesktop::Write(L"TileWallpaper", L"0"));
    const imaging::Image32 tile = AlphaTile(7);
    Show(tile);
    form_->mnuWallpaper_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
    EXPECT_TRUE(Prompter().shown.empty()) << (Prompter().shown.empty() ? "" : "message shown");

    const std::wstring path = ui::WallpaperFilePath();
    EXPECT_NE(path.find(L"\\Brenwick Quadrino\\Hintergrund.bmp"), std::wstring::npos);
    const std::string bytes = testsupport::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 54u);
    BITMAPINFOHEADER info;
    std::memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof(info));
    EXPECT_EQ(info.biBitCount, 24);
    const std::optional<forms::Picture> picture = Decode(bytes, images_);
    ASSERT_TRUE(picture && picture->Width() == 5 && picture->Height() == 3);
    const std::uint32_t background = imaging::FromColorref(form_->PicM.BackColor());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelOf(*picture, x, y) | 0xFF000000u, imaging::CompositeOver(tile.At(x, y), background))
                << x << "," << y;
    EXPECT_EQ(SavedDesktop::Read(L"TileWallpaper"), L"1");
    EXPECT_EQ(SavedDesktop::Read(L"WallpaperStyle"), L"0");
    EXPECT_EQ(SavedDesktop::Read(L"Wallpaper"), path) << "handed to the system";
}

}  // namespace

TEST_F(OutputsTest, InARepeatTheTilingIsSavedInItAndTheRepeatUnitAsItIs)
{
    const imaging::Image32 tile = AlphaTile(8);
    Show(tile);
    const imaging::Repeat drop{imaging::RepeatKind::HalfDrop, 2};
    form_->mnuRepeat_Click(drop.kind);
    Commands::CurrentFile = L"Wand.png";

    // 5 x 3 in half-drop 1/2: d = 2 shares no factor with 3, so the unit is three tiles wide.
    FileDialogs().answers.push_back({images_ / L"Rapport.png", 0});
    form_->mnuSaveRepeat_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
    ASSERT_EQ(FileDialogs().asked.size(), 1u);
    EXPECT_EQ(FileDialogs().asked[0].title, L"Rapport speichern unter");
    EXPECT_EQ(FileDialogs().asked[0].suggestedName, L"Wand_kachel_15x3.png");
    const imaging::Image32 unit = imaging::RepeatUnit(tile.View(), drop, imaging::kMaxOutputSide);
    const std::optional<forms::Picture> savedUnit = Decode(testsupport::ReadFileBytes(images_ / L"Rapport.png"), images_);
    ASSERT_TRUE(savedUnit);
    EXPECT_TRUE(IsAlphaTiling(*savedUnit, unit, 15, 3));

    form_->mnuSaveTiling_Click();
    ui::frmSaveSize& dialog = ui::SaveSizeDialog();
    dialog.Text1.SetText(L"13");
    dialog.Text2.SetText(L"7");
    FileDialogs().answers.push_back({images_ / L"Kachelung.png", 0});
    dialog.Command2_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
    imaging::Image32 tiling(13, 7);
    imaging::RepeatRegion(tile.View(), drop, 0, 0, tiling.View());
    const std::optional<forms::Picture> saved = Decode(testsupport::ReadFileBytes(images_ / L"Kachelung.png"), images_);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(IsAlphaTiling(*saved, tiling, 13, 7));
    EXPECT_TRUE(Prompter().shown.empty());
}
