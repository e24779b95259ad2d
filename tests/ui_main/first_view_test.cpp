// The first view at start-up: the lists on the command-line image or the collection folder,
// the first tiling and the clipboard; and the built-in picture of PicM.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/first_view.h"
#include "common/commands.h"
#include "forms/events.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "ui/main/start_picture.h"

namespace {

using testsupport::IsTiling;
using testsupport::Pixels;
using testsupport::ReadClipboardBitmap;
using testsupport::WithoutBackslash;

Pixels StartPicturePixels()
{
    const forms::Picture picture = ui::MakeStartPicture();
    return testsupport::ReadBitmap(picture.Bitmap());
}

class FirstViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        Commands::CurrentFolder.clear();
        Commands::CurrentFile.clear();
        Commands::TilesFolder = tiles_.Path();
        Commands::StartFile.clear();
        testsupport::Prompter().Reset();
        form_ = std::make_unique<ui::Form1>();
    }
    void TearDown() override
    {
        form_.reset();
        forms::DoEvents();
    }

    std::wstring AddImage(const std::wstring& folder, const std::wstring& name, int w, int h, std::uint32_t seed)
    {
        const std::wstring path = folder + name;
        EXPECT_TRUE(testsupport::WriteFileBytes(path, testsupport::Bmp24(testsupport::Pattern(w, h, seed))));
        return path;
    }

    testsupport::SavedEnvironment saved_;
    testsupport::TempFolder tiles_;
    testsupport::TempFolder images_;
    std::unique_ptr<ui::Form1> form_;
};

TEST_F(FirstViewTest, WithoutAStartFileTheCollectionFolderAndTheBuiltInTileAreShown)
{
    AddImage(tiles_.Path(), L"gesammelt.bmp", 10, 10, 1);
    ASSERT_TRUE(testsupport::PutClipboardText(L"before"));

    ASSERT_TRUE(AppModul::OpenFirstView(*form_));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    EXPECT_TRUE(form_->Visible());
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(tiles_.Path()));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(tiles_.Path()));
    EXPECT_EQ(form_->File1.ListCount(), 1);
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFolder.empty());
    EXPECT_TRUE(Commands::CurrentFile.empty());
    EXPECT_EQ(towupper(form_->Drive1.Drive()[0]), towupper(tiles_.Path()[0]));
    const Pixels tile = StartPicturePixels();
    EXPECT_EQ(form_->PicM.ScaleWidth(), ui::kStartPictureWidth);
    EXPECT_EQ(form_->PicM.ScaleHeight(), ui::kStartPictureHeight);
    const Pixels clipboard = ReadClipboardBitmap();
    EXPECT_EQ(clipboard.width, form_->PicW.ScaleWidth());
    EXPECT_TRUE(IsTiling(clipboard, tile));
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
}

TEST_F(FirstViewTest, AStartFileIsSelectedShownAndCopied)
{
    AddImage(images_.Path(), L"Boden.bmp", 8, 8, 2);
    Commands::StartFile = AddImage(images_.Path(), L"Wand.bmp", 19, 11, 7);
    AddImage(images_.Path(), L"Zaun.bmp", 8, 8, 3);

    ASSERT_TRUE(AppModul::OpenFirstView(*form_));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.FileName(), L"Wand.bmp");
    EXPECT_EQ(Commands::CurrentFolder, images_.Path());
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 19, 11, 7));
}

TEST_F(FirstViewTest, AStartFileInAnotherLetterCaseIsFound)
{
    AddImage(images_.Path(), L"Wand.bmp", 6, 5, 4);
    Commands::StartFile = images_ / L"WAND.BMP";
    ASSERT_TRUE(AppModul::OpenFirstView(*form_));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.FileName(), L"Wand.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 6, 5, 4));
}

TEST_F(FirstViewTest, AStartFileThatDoesNotExistKeepsTheBuiltInTile)
{
    Commands::StartFile = images_ / L"fehlt\\Wand.bmp";
    ASSERT_TRUE(AppModul::OpenFirstView(*form_));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), StartPicturePixels()));
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
}

TEST_F(FirstViewTest, APictureTheFileListLeavesOutIsTiledButNotSelected)
{
    // A bitmap with a name of its own: the picture loads, but the file list's pattern does not list it.
    Commands::StartFile = AddImage(images_.Path(), L"kachel.bild", 9, 14, 5);
    ASSERT_TRUE(AppModul::OpenFirstView(*form_));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 9, 14, 5));
}

TEST_F(FirstViewTest, AStartFileInADriveRootShowsTheRoot)
{
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
    const std::wstring root = std::wstring(windows, 2) + L"\\";
    const std::wstring name = L"quadrino_start_" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    Commands::StartFile = root + name;
    ASSERT_TRUE(testsupport::WriteFileBytes(Commands::StartFile, testsupport::Bmp24(testsupport::Pattern(5, 7, 6))));
    const bool opened = AppModul::OpenFirstView(*form_);
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    const std::wstring dir = form_->Dir1.Path();
    const std::wstring file = form_->File1.Path();
    const std::wstring selected = form_->File1.FileName();
    const Pixels clipboard = ReadClipboardBitmap();
    DeleteFileW(Commands::StartFile.c_str());
    ASSERT_TRUE(opened);
    EXPECT_EQ(dir, root);
    EXPECT_EQ(file, root);
    EXPECT_EQ(selected, name);
    EXPECT_EQ(Commands::CurrentFolder, root);
    EXPECT_TRUE(IsTiling(clipboard, 5, 7, 6));
}

TEST(StartPicture, IsA145By113BlueGreenTextureTheSameOnEveryStart)
{
    const ui::PalettedImage first = ui::MakeStartTexture();
    const ui::PalettedImage second = ui::MakeStartTexture();
    ASSERT_EQ(first.width, 145);
    ASSERT_EQ(first.height, 113);
    ASSERT_EQ(first.indices.size(), 145u * 113u);
    EXPECT_TRUE(first.indices == second.indices);

    // Mottled: many different colours, neighbours mostly close to each other.
    std::vector<bool> used(256, false);
    for (const auto index : first.indices)
        used[index] = true;
    EXPECT_GT(std::count(used.begin(), used.end(), true), 64);
    for (const RGBQUAD& colour : first.palette) {
        EXPECT_GT(colour.rgbBlue, colour.rgbRed);
        EXPECT_GT(colour.rgbGreen, colour.rgbRed);
    }

    const Pixels pixels = StartPicturePixels();
    ASSERT_EQ(pixels.width, 145);
    ASSERT_EQ(pixels.height, 113);
    for (int y = 0; y < 113; y += 17)
        for (int x = 0; x < 145; x += 13) {
            const RGBQUAD c =
                first.palette[first.indices[static_cast<std::size_t>(y) * 145 + static_cast<std::size_t>(x)]];
            EXPECT_EQ(pixels.At(x, y), (static_cast<std::uint32_t>(c.rgbRed) << 16) |
                                           (static_cast<std::uint32_t>(c.rgbGreen) << 8) | c.rgbBlue);
        }
}

TEST(StartPicture, RepeatsWithoutVisibleSeams)
{
    // Across the wrap-around edges the texture changes no more than between inner neighbours.
    const ui::PalettedImage t = ui::MakeStartTexture();
    const auto at = [&t](int x, int y) {
        return static_cast<int>(t.indices[static_cast<std::size_t>(y * t.width + x)]);
    };
    double inner = 0;
    double seamX = 0;
    double seamY = 0;
    for (int y = 0; y < t.height; ++y) {
        for (int x = 0; x + 1 < t.width; ++x)
            inner += std::abs(at(x + 1, y) - at(x, y));
        seamX += std::abs(at(0, y) - at(t.width - 1, y));
    }
    for (int x = 0; x < t.width; ++x)
        seamY += std::abs(at(x, 0) - at(x, t.height - 1));
    const double innerMean = inner / ((t.width - 1) * t.height);
    EXPECT_LT(seamX / t.height, 2.0 * innerMean);
    EXPECT_LT(seamY / t.width, 2.0 * innerMean);
}

}  // namespace
