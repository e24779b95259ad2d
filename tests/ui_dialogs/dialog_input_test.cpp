// What the name box lets through, the ways out of a dialog, and the dialogs' frame and layout.

#include "dialog_fixture.h"

#include "common/commands.h"
#include "forms/fonts.h"
#include "forms/handles.h"
#include "support/read_back.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace dialogtest {
namespace {

using testsupport::Prompter;

class DialogInputTest : public FileCommandsTest {
protected:
    // Opens the copy dialog on Wand.bmp, whose name is taken in the collection folder.
    ui::frmCopy& OpenCopyDialog()
    {
        OpenNameConflict(false);
        return ui::CopyDialog();
    }
    ui::frmRename& OpenRenameDialog()
    {
        AddSource(L"Wand.bmp", 0x11);
        SelectSource(L"Wand.bmp");
        form_->mnuRen_Click();
        return ui::RenameDialog();
    }
};

TEST_F(DialogInputTest, TypedCharactersPassTheNameFilter)
{
    ui::frmCopy& dialog = OpenCopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    const HWND text = dialog.Text1.Hwnd();

    // Refused: dot, backslash, colon, asterisk, slash, Escape.
    TypeChars(text, L".\\:*/\x1b");
    EXPECT_EQ(dialog.Text1.Text(), L"Wand");
    EXPECT_TRUE(dialog.IsLoaded()) << "Escape does nothing";

    // Accepted: an umlaut, a question mark, a blank, a digit, and Backspace.
    TypeChars(text, L"ä? 7");
    EXPECT_EQ(dialog.Text1.Text(), L"Wandä? 7");
    TypeChar(text, L'\b');
    EXPECT_EQ(dialog.Text1.Text(), L"Wandä? ");

    // Ctrl+X is refused: the selected text stays.
    dialog.Text1.SetSelection(0, 4);
    TypeChar(text, 24);
    EXPECT_EQ(dialog.Text1.Text(), L"Wandä? ");
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(DialogInputTest, KeyHandlerLeavesEnterUnchangedAndClearsRefusedCodes)
{
    ui::frmRename& dialog = OpenRenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    std::int16_t dot = 46;
    dialog.Text1_KeyPress(dot);
    EXPECT_EQ(dot, 0);
    std::int16_t umlaut = static_cast<std::int16_t>(L'ä');
    dialog.Text1_KeyPress(umlaut);
    EXPECT_EQ(umlaut, static_cast<std::int16_t>(L'ä'));
    // Enter runs "Übernehmen": the unchanged name is taken, so the message comes.
    std::int16_t enter = 13;
    dialog.Text1_KeyPress(enter);
    EXPECT_EQ(enter, 13);
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(Prompter().shown[0].text, L"Datei Wand.bmp existiert bereits.   ");
}

TEST_F(DialogInputTest, PastedTextLosesWhatTypingCouldNotEnter)
{
    ui::frmCopy& dialog = OpenCopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    ASSERT_TRUE(testsupport::PutClipboardText(L"..\\Neu"));
    TypeChar(dialog.Text1.Hwnd(), 22);  // Ctrl+V
    EXPECT_EQ(dialog.Text1.Text(), L"WandNeu");

    dialog.Text1.SetSelection(0, 7);
    ASSERT_TRUE(testsupport::PutClipboardText(L"C:\\Bild<1>.ä"));
    SendMessageW(dialog.Text1.Hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(dialog.Text1.Text(), L"CBild1ä");

    // What is left is accepted as a name like a typed one.
    TypeChar(dialog.Text1.Hwnd(), L'\r');
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(Exists(collection_ / L"CBild1ä.bmp"));
}

TEST(NameTextFilter, KeepsExactlyTheNameCharacters)
{
    EXPECT_EQ(ui::FilterNameText(L"..\\name"), L"name");
    EXPECT_EQ(ui::FilterNameText(L"C:\\name"), L"Cname");
    EXPECT_EQ(ui::FilterNameText(L"a\"b#c$d%e(f)g*h,i/j;k<l=m>n[o]p^q"), L"abcdefghijklmnopq");
    EXPECT_EQ(ui::FilterNameText(L"Grüße & Co. +-!'?@_`{|}~"), L"Grüße & Co +-!'?@_`{|}~");
    // Line breaks, tabs and the editing keys' codes are no name characters.
    EXPECT_EQ(ui::FilterNameText(L"a\r\nb\tc\x03\x08\x16"
                                 L"d"),
              L"abcd");
    // Codes from 0x8000 up count as negative 16-bit key codes, which typing refuses too.
    EXPECT_EQ(ui::FilterNameText(L"x\x8000y\xFFFDz\x7FFF"), L"xyz\x7FFF");
    EXPECT_EQ(ui::FilterNameText(L""), L"");
}

TEST_F(DialogInputTest, EveryWayOutEnablesTheMainWindow)
{
    struct WayOut {
        const char* name;
        void (*leave)(ui::NameDialog&);
    };
    const WayOut ways[] = {
        {"Abbrechen", [](ui::NameDialog& d) { Click(d.Command1.Hwnd()); }},
        {"WM_CLOSE", [](ui::NameDialog& d) { SendMessageW(d.Hwnd(), WM_CLOSE, 0, 0); }},
        {"SC_CLOSE", [](ui::NameDialog& d) { SendMessageW(d.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    AddSource(L"Wand.bmp", 0x11);
    AddTile(L"Wand.bmp", 0x22);
    SelectSource(L"Wand.bmp");
    for (const WayOut& way : ways) {
        SCOPED_TRACE(way.name);
        form_->mnuMove_Click();
        ASSERT_TRUE(ui::CopyDialog().IsLoaded());
        ASSERT_FALSE(form_->Enabled());
        TypeChars(ui::CopyDialog().Text1.Hwnd(), L"X");
        form_->PicM.ClearPicture();
        way.leave(ui::CopyDialog());
        EXPECT_FALSE(ui::CopyDialog().IsLoaded());
        EXPECT_FALSE(ui::CopyDialog().Accepted);
        EXPECT_TRUE(form_->Enabled());
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        EXPECT_TRUE(form_->PicM.HasPicture());
        EXPECT_TRUE(Exists(images_ / L"Wand.bmp"));
        EXPECT_FALSE(Exists(collection_ / L"WandX.bmp"));

        form_->mnuRen_Click();
        ASSERT_TRUE(ui::RenameDialog().IsLoaded());
        ASSERT_FALSE(form_->Enabled());
        TypeChars(ui::RenameDialog().Text1.Hwnd(), L"Y");
        way.leave(ui::RenameDialog());
        EXPECT_FALSE(ui::RenameDialog().IsLoaded());
        EXPECT_FALSE(ui::RenameDialog().Accepted);
        EXPECT_TRUE(form_->Enabled());
        EXPECT_TRUE(Exists(images_ / L"Wand.bmp"));
        EXPECT_FALSE(Exists(images_ / L"Y.bmp"));
    }
    EXPECT_TRUE(Prompter().shown.empty());
}

// Checks a dialog's frame, client size and control placement against its design in twips.
void ExpectDesign(ui::NameDialog& dialog, int clientHeightTwips, int rowTop, int buttonTop)
{
    const HWND window = dialog.Hwnd();
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

    EXPECT_EQ(dialog.ClientWidth(), dialog.TwipsToPixels(3495));
    EXPECT_EQ(dialog.ClientHeight(), dialog.TwipsToPixels(clientHeightTwips));
    auto expectAt = [&](const forms::Control& control, int left, int top, int width, int height) {
        const forms::Bounds b = control.GetBounds();
        EXPECT_EQ(b.left, dialog.TwipsToPixels(left));
        EXPECT_EQ(b.top, dialog.TwipsToPixels(top));
        EXPECT_EQ(b.width, dialog.TwipsToPixels(width));
        EXPECT_EQ(b.height, dialog.TwipsToPixels(height));
    };
    expectAt(dialog.Text1, 60, rowTop, 2790, 285);
    const forms::Bounds extension2 = dialog.Label2.GetBounds();
    EXPECT_EQ(extension2.left, dialog.TwipsToPixels(2880));
    EXPECT_EQ(extension2.top, dialog.TwipsToPixels(rowTop));
    EXPECT_EQ(extension2.height, dialog.TwipsToPixels(375));
    // At least the design width; wider only as far as the whole extension needs.
    EXPECT_GE(extension2.width, dialog.TwipsToPixels(495));
    EXPECT_LE(extension2.left + extension2.width, dialog.ClientWidth());
    expectAt(dialog.Command1, 60, buttonTop, 1635, 435);
    expectAt(dialog.Command2, 1800, buttonTop, 1635, 435);
    EXPECT_EQ(dialog.Command1.Text(), L"Abbrechen");
    EXPECT_EQ(dialog.Command2.Text(), L"Übernehmen");

    auto fontOf = [](const forms::Control& control) {
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(control.Hwnd(), WM_GETFONT, 0, 0));
        GetObjectW(handle, sizeof(font), &font);
        return font;
    };
    const LOGFONTW text = fontOf(dialog.Text1);
    const LOGFONTW extension = fontOf(dialog.Label2);
    const LOGFONTW accept = fontOf(dialog.Command2);
    const LOGFONTW cancel = fontOf(dialog.Command1);
    EXPECT_STREQ(text.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(text.lfWeight, FW_BOLD);
    EXPECT_STREQ(extension.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(extension.lfWeight, FW_BOLD);
    // 12 pt wherever the extension fits at that size; a smaller font only where it would be cut off.
    const forms::UniqueHfont design = forms::CreatePointFont(L"MS Sans Serif", 12, true, dialog.Dpi());
    LOGFONTW designFont{};
    GetObjectW(design.get(), sizeof(designFont), &designFont);
    forms::WindowDc dc(dialog.Label2.Hwnd());
    forms::SelectGuard select(dc.get(), design.get());
    const std::wstring caption = dialog.Label2.Text();
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
    if (size.cx <= dialog.ClientWidth() - extension2.left)
        EXPECT_EQ(extension.lfHeight, designFont.lfHeight);
    else
        EXPECT_GT(extension.lfHeight, designFont.lfHeight);
    EXPECT_EQ(accept.lfHeight, text.lfHeight);
    EXPECT_EQ(accept.lfWeight, FW_BOLD);
    EXPECT_NE(cancel.lfWeight, FW_BOLD);
    const LOGFONTW label = fontOf(dialog.Label1);
    EXPECT_EQ(label.lfHeight, cancel.lfHeight);
}

TEST_F(DialogInputTest, CopyDialogFollowsItsDesign)
{
    ui::frmCopy& dialog = OpenCopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Label1.Text(), L"Eine Datei mit diesem Namen existiert bereits. Bitte Namen ändern:");
    ExpectDesign(dialog, 1380, 540, 900);
    EXPECT_EQ(&ui::CopyDialog(), &dialog);
}

TEST_F(DialogInputTest, RenameDialogFollowsItsDesign)
{
    ui::frmRename& dialog = OpenRenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    ExpectDesign(dialog, 1155, 300, 660);
    EXPECT_EQ(&ui::RenameDialog(), &dialog);
}

TEST_F(DialogInputTest, ExtensionLabelShowsTheWholeExtension)
{
    AddSource(L"Wand.jpeg", 0x11);
    AddTile(L"Wand.jpeg", 0x22);
    SelectSource(L"Wand.jpeg");
    form_->mnuCopy_Click();
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    ASSERT_EQ(dialog.Label2.Text(), L".jpeg");

    forms::WindowDc dc(dialog.Label2.Hwnd());
    forms::SelectGuard select(dc.get(), reinterpret_cast<HFONT>(SendMessageW(dialog.Label2.Hwnd(), WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), L".jpeg", 5, &size);
    EXPECT_LE(size.cx, dialog.Label2.Width());
    dialog.Command1_Click();
}

TEST_F(DialogInputTest, FieldsOutliveTheWindow)
{
    ui::frmRename& dialog = OpenRenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    TypeChars(dialog.Text1.Hwnd(), L"Neu\r");
    ASSERT_FALSE(dialog.IsLoaded());
    EXPECT_FALSE(dialog.Text1.IsCreated());
    EXPECT_EQ(dialog.FullPath, images_ / L"Wand.bmp");
    EXPECT_EQ(dialog.SourceFile, L"Wand.bmp");
    EXPECT_EQ(dialog.NewName, L"Neu.bmp");
    EXPECT_TRUE(dialog.Accepted);
}

}  // namespace
}  // namespace dialogtest
