// "Nahtlos machen": the dialog from the preview's key, its preview, and the file it saves.

#include <gtest/gtest.h>

#include <optional>

#include "common/commands.h"
#include "forms/picture.h"
#include "support/pump.h"
#include "imaging/repair.h"
#include "imaging/seam.h"
#include "support/main_window_test.h"
#include "ui/dialogs/frm_repair.h"
#include "ui/dialogs/repair_saving.h"

namespace {

using testsupport::MainWindowTest;
using testsupport::Prompter;

constexpr WORD kRepairKey = 30;  // Strg+N in the main window's accelerators

class RepairTest : public MainWindowTest {
protected:
    // Shows a picture as a click on it in File1 would and opens the dialog with Strg+N.
    ui::frmRepair& OpenOn(const std::wstring& name, int width, int height)
    {
        AddImage(images_.Path(), name, width, height, 7);
        ShowFolder(images_.Path());
        EXPECT_TRUE(Select(name));
        form_->Form_Accelerator(kRepairKey);
        ui::frmRepair& dialog = ui::RepairDialog();
        EXPECT_TRUE(dialog.IsLoaded());
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !dialog.Busy() && form_->RepairPreview(); }));
        return dialog;
    }

    std::optional<forms::Picture> Saved(const std::wstring& name) const { return forms::LoadPicture(images_ / name); }
};

TEST_F(RepairTest, EnterSavesTheSeamlessPictureBesideTheOriginalAndSelectsIt)
{
    ui::frmRepair& dialog = OpenOn(L"Foto.bmp", 60, 40);
    const std::string original = testsupport::ReadFileBytes(images_ / L"Foto.bmp");
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(dialog.Method(), imaging::RepairMethod::MatchEdges);
    EXPECT_EQ(dialog.Text1.Text(), L"10");  // min(32, 40 / 4)
    // The preview shows the result, the line both measures.
    ASSERT_EQ(form_->RepairPreview()->width, 60);
    const std::wstring line = dialog.Label3.Text();
    EXPECT_EQ(line.rfind(L"Naht vorher ", 0), 0u) << line.c_str();
    EXPECT_NE(line.find(L" · nachher "), std::wstring::npos);
    EXPECT_EQ(line.find(L"…"), std::wstring::npos);

    dialog.Command1_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.IsLoaded(); }));
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(form_->RepairPreview(), nullptr);
    EXPECT_EQ(form_->File1.FileName(), L"Foto_nahtlos.png");
    EXPECT_EQ(testsupport::ReadFileBytes(images_ / L"Foto.bmp"), original);
    const std::optional<forms::Picture> saved = Saved(L"Foto_nahtlos.png");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Width(), 60);
    EXPECT_EQ(saved->Height(), 40);
    const imaging::ConstPixels pixels{saved->Width(), saved->Height(), std::ptrdiff_t{saved->Width()} * 4, saved->Bits()};
    EXPECT_LE(imaging::MeasureSeam(pixels, 0).ratio, 1.30);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(RepairTest, TheOverlapCutPreviewsAndSavesTheSmallerTileAndATakenNameIsKept)
{
    ui::frmRepair& dialog = OpenOn(L"Wand.bmp", 48, 36);
    testsupport::WriteFileBytes(images_ / L"Wand_nahtlos.png", "schon da");
    dialog.Option2.SetValue();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.Busy() && form_->RepairPreview()->width == 39; }));
    EXPECT_EQ(form_->RepairPreview()->height, 27);  // overlap min(32, 36 / 4) = 9
    dialog.Text1.SetText(L"12");
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.Busy() && form_->RepairPreview()->width == 36; }));

    dialog.Command1_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !dialog.IsLoaded(); }));
    EXPECT_EQ(testsupport::ReadFileBytes(images_ / L"Wand_nahtlos.png"), "schon da");
    EXPECT_EQ(form_->File1.FileName(), L"Wand_nahtlos_2.png");
    const std::optional<forms::Picture> saved = Saved(L"Wand_nahtlos_2.png");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Width(), 36);
    EXPECT_EQ(saved->Height(), 24);
}

TEST_F(RepairTest, AbbrechenShowsThePictureAgainAndWritesNothing)
{
    ui::frmRepair& dialog = OpenOn(L"Stein.bmp", 32, 32);
    dialog.Command2_Click();
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_EQ(form_->RepairPreview(), nullptr);
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(GetFileAttributesW((images_ / L"Stein_nahtlos.png").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RepairTest, AFolderThatCannotBeWrittenGivesOneMessageAndTheDialogStays)
{
    AddImage(images_.Path(), L"Fels.bmp", 20, 20, 3);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"Fels.bmp"));
    // The dialog as Strg+N starts it, but pointed at a folder that is not there.
    const ui::Form1::TileSource tile = form_->CurrentTile();
    ui::frmRepair& dialog = ui::RepairDialog();
    dialog.Start({tile.owner, tile.pixels, tile.background, images_ / L"fehlt\\", L"Fels.bmp"});
    ASSERT_TRUE(dialog.IsLoaded());
    dialog.Command1_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !Prompter().shown.empty() && !dialog.Busy(); }));
    ASSERT_EQ(Prompter().shown.size(), 1u);
    const std::wstring& text = Prompter().shown[0].text;
    EXPECT_NE(text.find(L"'" + images_ / L"fehlt\\Fels_nahtlos.png'"), std::wstring::npos) << text.c_str();
    EXPECT_NE(text.find(L"konnte nicht gespeichert werden."), std::wstring::npos);
    EXPECT_GT(text.size(), text.find(L"werden.") + 10) << "the system's reason follows";
    EXPECT_TRUE(dialog.IsLoaded());
    dialog.Command2_Click();
}

TEST(RepairSaving, TheFirstFreeNameBesideTheOriginal)
{
    testsupport::TempFolder folder;
    const std::wstring base = folder.Path();
    EXPECT_EQ(ui::FreeRepairedPath(base, L"Bild.jpg"), base + L"Bild_nahtlos.png");
    testsupport::WriteFileBytes(base + L"Bild_nahtlos.png", "1");
    testsupport::WriteFileBytes(base + L"Bild_nahtlos_2.png", "2");
    EXPECT_EQ(ui::FreeRepairedPath(base, L"Bild.jpg"), base + L"Bild_nahtlos_3.png");
    EXPECT_EQ(ui::FreeRepairedPath(base, L"ohne"), base + L"ohne_nahtlos.png");
    EXPECT_EQ(ui::FreeRepairedPath(base, L"a.b.gif"), base + L"a.b_nahtlos.png");
}

}  // namespace
