#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "forms/events.h"
#include "forms/form.h"
#include "support/read_back.h"

namespace {

using testsupport::ClipboardText;
using testsupport::PutClipboardText;

class TextBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        forms::FormStyle style;
        style.caption = L"Datei Kopieren";
        style.clientWidthTwips = 3495;
        style.clientHeightTwips = 1380;
        ASSERT_TRUE(form.Load(style));
        ASSERT_TRUE(text.Create(form.Hwnd(), L"Wand", {4, 36, 186, 19}));
    }

    void Type(wchar_t code) { SendMessageW(text.Hwnd(), WM_CHAR, code, 1); }

    forms::Form form;
    forms::TextBox text;
};

TEST_F(TextBoxTest, KeyHandlerSeesEachCharacterAndCanDropIt)
{
    std::vector<std::int16_t> seen;
    text.onKeyPress = [&](std::int16_t& code) {
        seen.push_back(code);
        if (code == '.' || code == '\\')
            code = 0;
        else if (code == 'q')
            code = 'Q';  // a changed code is what gets inserted
    };
    text.SetSelection(4, 0);
    Type(L'1');
    Type(L'.');
    Type(L'q');
    Type(L'\\');
    Type(L'ä');
    EXPECT_EQ(text.Text(), L"Wand1Qä");
    EXPECT_EQ(seen, (std::vector<std::int16_t>{'1', '.', 'q', '\\', static_cast<std::int16_t>(L'ä')}));
    EXPECT_EQ(text.SelStart(), 7);
    EXPECT_EQ(text.SelLength(), 0);
}

TEST_F(TextBoxTest, EnterAndEscapeReachTheHandlerButAreNeverInserted)
{
    std::vector<std::int16_t> seen;
    text.onKeyPress = [&](std::int16_t& code) { seen.push_back(code); };
    text.SetSelection(0, 0);
    Type(L'\r');
    Type(27);
    EXPECT_EQ(text.Text(), L"Wand");
    EXPECT_EQ(seen, (std::vector<std::int16_t>{13, 27}));
}

TEST_F(TextBoxTest, DialogManagerLetsEnterAndEscapeThrough)
{
    MSG enter{text.Hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    MSG escape{text.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    MSG tab{text.Hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(SendMessageW(text.Hwnd(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                DLGC_WANTMESSAGE);
    EXPECT_TRUE(SendMessageW(text.Hwnd(), WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) &
                DLGC_WANTMESSAGE);
    EXPECT_FALSE(SendMessageW(text.Hwnd(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTMESSAGE);

    // The real road: a key press posted to the box, through the loop's dialog handling.
    form.Show();
    text.SetFocus();
    std::vector<std::int16_t> seen;
    text.onKeyPress = [&](std::int16_t& code) { seen.push_back(code); };
    PostMessageW(text.Hwnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(text.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    forms::DoEvents();
    forms::DoEvents();  // the characters TranslateMessage posted
    EXPECT_EQ(seen, (std::vector<std::int16_t>{13, 27}));
    EXPECT_EQ(text.Text(), L"Wand");
    EXPECT_TRUE(form.IsLoaded());
}

TEST_F(TextBoxTest, EnterHandlerMayUnloadTheForm)
{
    text.onKeyPress = [&](std::int16_t& code) {
        if (code == 13)
            form.Unload();
    };
    Type(L'\r');
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(text.IsCreated());
}

TEST_F(TextBoxTest, ZeroedCtrlXDoesNotCut)
{
    ASSERT_TRUE(PutClipboardText(L"vorher"));
    text.onKeyPress = [](std::int16_t& code) {
        if (code == 24)
            code = 0;
    };
    text.SetSelection(0, 4);
    Type(24);
    EXPECT_EQ(text.Text(), L"Wand");
    EXPECT_EQ(ClipboardText(), L"vorher");
}

TEST_F(TextBoxTest, CtrlXAndCtrlCThatPassDoTheirWork)
{
    ASSERT_TRUE(PutClipboardText(L"vorher"));
    std::vector<std::int16_t> seen;
    text.onKeyPress = [&](std::int16_t& code) { seen.push_back(code); };
    text.SetSelection(0, 2);
    Type(3);
    EXPECT_EQ(ClipboardText(), L"Wa");
    EXPECT_EQ(text.Text(), L"Wand");
    text.SetSelection(2, 2);
    Type(24);
    EXPECT_EQ(ClipboardText(), L"nd");
    EXPECT_EQ(text.Text(), L"Wa");
    EXPECT_EQ(seen, (std::vector<std::int16_t>{3, 24}));
}

TEST_F(TextBoxTest, PasteGoesThroughThePasteHandler)
{
    ASSERT_TRUE(PutClipboardText(L"neu.bmp"));
    std::vector<std::wstring> pasted;
    text.onPaste = [&](const std::wstring& value) {
        pasted.push_back(value);
        return value.substr(0, 3);
    };
    text.SetSelection(4, 0);
    SendMessageW(text.Hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(pasted, (std::vector<std::wstring>{L"neu.bmp"}));
    EXPECT_EQ(text.Text(), L"Wandneu");
    // Replaces the selection like the box's own paste.
    text.SetSelection(0, 4);
    SendMessageW(text.Hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(text.Text(), L"neuneu");
}

TEST_F(TextBoxTest, PasteWithoutHandlerIsTheBoxsOwnAndKeyHandlerDoesNotFilterIt)
{
    ASSERT_TRUE(PutClipboardText(L"a.b"));
    text.onKeyPress = [](std::int16_t& code) {
        if (code == '.')
            code = 0;
    };
    text.SetSelection(4, 0);
    SendMessageW(text.Hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(text.Text(), L"Wanda.b");
}

TEST_F(TextBoxTest, PastedLineBreakEndsTheInsertedText)
{
    ASSERT_TRUE(PutClipboardText(L"eins\r\nzwei"));
    text.onPaste = [](const std::wstring& value) { return value; };
    text.SetText(L"");
    SendMessageW(text.Hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(text.Text(), L"eins");
}

}  // namespace
