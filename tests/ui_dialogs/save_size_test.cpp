// The size dialog before saving: digits only, sides from 1 to 30000, the ways out.

#include "dialog_fixture.h"

#include "ui/dialogs/frm_save_size.h"

namespace dialogtest {
namespace {

class SaveSizeTest : public FileCommandsTest {
protected:
    ui::frmSaveSize& Open()
    {
        form_->mnuSaveTiling_Click();
        return ui::SaveSizeDialog();
    }
    static bool WholeTextSelected(const forms::TextBox& box)
    {
        return box.HasFocus() && box.SelStart() == 0 && box.SelLength() == static_cast<int>(box.Text().size());
    }
};

TEST_F(SaveSizeTest, OnlyDigitsAreTypedAndTheFocusStartsInTheWidthWithItsTextSelected)
{
    ui::frmSaveSize& dialog = Open();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Caption(), L"Kachelung speichern");
    EXPECT_TRUE(WholeTextSelected(dialog.Text1));
    TypeChars(dialog.Text1.Hwnd(), L"1a,2-.3 ");
    EXPECT_EQ(dialog.Text1.Text(), L"123");
    TypeChars(dialog.Text1.Hwnd(), L"4567");
    EXPECT_EQ(dialog.Text1.Text(), L"12345") << "five digits hold every side";
    EXPECT_EQ(ui::FilterDigits(L"1 920\r\nx"), L"1920");
    dialog.Command1_Click();
}

TEST_F(SaveSizeTest, ASideOutOfRangeKeepsTheDialogWithThatBoxSelected)
{
    ui::frmSaveSize& dialog = Open();
    const std::pair<std::wstring, std::wstring> refused[] = {{L"0", L"5"}, {L"30001", L"5"}, {L"", L"5"},
                                                             {L"5", L"0"}, {L"5", L"99999"}, {L"5", L""}};
    for (const auto& [width, height] : refused) {
        dialog.Text1.SetText(width);
        dialog.Text2.SetText(height);
        TypeChar(dialog.Text2.Hwnd(), L'\r');
        ASSERT_TRUE(dialog.IsLoaded()) << width.c_str() << " x " << height.c_str();
        EXPECT_TRUE(WholeTextSelected(ui::ParseSide(width) ? dialog.Text2 : dialog.Text1));
        EXPECT_FALSE(form_->Enabled());
    }
    dialog.Text1.SetText(L"30000");
    dialog.Text2.SetText(L"1");
    dialog.Command2_Click();
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Accepted);
    EXPECT_EQ(dialog.ChosenWidth, 30000);
    EXPECT_EQ(dialog.ChosenHeight, 1);
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(SaveSizeTest, EscapeAndTheCloseBoxCancelAndEnableTheMainWindow)
{
    for (const bool closeBox : {false, true}) {
        ui::frmSaveSize& dialog = Open();
        ASSERT_FALSE(form_->Enabled());
        if (closeBox)
            SendMessageW(dialog.Hwnd(), WM_CLOSE, 0, 0);
        else
            TypeChar(dialog.Text1.Hwnd(), L'\x1b');
        EXPECT_FALSE(dialog.IsLoaded());
        EXPECT_FALSE(dialog.Accepted);
        EXPECT_TRUE(form_->Enabled());
    }
    EXPECT_TRUE(testsupport::FileDialogs().asked.empty());
}

}  // namespace
}  // namespace dialogtest
