// What a user meets in ordinary use: focus and activation, message owners, the minimum size,
// the delayed redraw without a file, dialogs that cannot open, names the dialogs must refuse.

#include <gtest/gtest.h>

#include "common/commands.h"
#include "forms/events.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using testsupport::MainWindowTest;

// Refuses every new window of this thread while it lives, as a system out of window memory would.
class RefuseNewWindows {
public:
    RefuseNewWindows() : hook_(SetWindowsHookExW(WH_CBT, &Refuse, nullptr, GetCurrentThreadId())) {}
    ~RefuseNewWindows()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
    }
    RefuseNewWindows(const RefuseNewWindows&) = delete;
    RefuseNewWindows& operator=(const RefuseNewWindows&) = delete;
    bool Active() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

class EverydayUseTest : public MainWindowTest {};

TEST_F(EverydayUseTest, ComingBackToTheWindowLeavesAnotherProgramsClipboardAlone)
{
    AddImage(images_.Path(), L"a.bmp", 9, 7, 2);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    // No control was given the focus: the activation hands it to the first one in tab order.
    SetActiveWindow(nullptr);
    SetActiveWindow(form_->Hwnd());
    EXPECT_TRUE(form_->PicW.HasFocus());

    ASSERT_TRUE(testsupport::PutClipboardText(L"fremd"));
    forms::Form other;
    ASSERT_TRUE(other.Load({L"Anderes", WS_OVERLAPPEDWINDOW, 0, 3000, 2000, nullptr}));
    other.Show();
    SetActiveWindow(other.Hwnd());
    SetActiveWindow(form_->Hwnd());
    forms::DoEvents();

    EXPECT_TRUE(form_->PicW.HasFocus());
    EXPECT_FALSE(testsupport::ClipboardHasBitmap());
}

TEST_F(EverydayUseTest, TheRenameDialogsNameTakenBoxBelongsToTheMainWindowWhileTheDialogIsHidden)
{
    AddImage(images_.Path(), L"a.bmp", 4, 4, 1);
    AddImage(images_.Path(), L"b.bmp", 4, 4, 3);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->Check1.SetValue(1);
    form_->mnuRen_Click();
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    ui::RenameDialog().Text1.SetText(L"b");
    ui::RenameDialog().Command2_Click();
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    EXPECT_EQ(testsupport::Prompter().shown[0].owner, form_->Hwnd());
}

TEST_F(EverydayUseTest, ADialogThatCannotOpenLeavesTheMainWindowUsable)
{
    AddImage(images_.Path(), L"a.bmp", 4, 4, 1);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    {
        const RefuseNewWindows refuse;
        ASSERT_TRUE(refuse.Active());
        form_->mnuRen_Click();
    }
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(EverydayUseTest, TheRenameDialogRefusesANameWithoutBase)
{
    AddImage(images_.Path(), L"a.bmp", 4, 4, 1);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->mnuRen_Click();
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    ui::RenameDialog().Text1.SetText(L"");
    ui::RenameDialog().Command2_Click();
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(ui::RenameDialog().IsLoaded());
    EXPECT_NE(GetFileAttributesW((images_ / L"a.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EverydayUseTest, DoubleClickWithoutSelectionOpensNothing)
{
    ShowFolder(images_.Path());
    form_->File1_DblClick();
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(EverydayUseTest, TheDelayedRedrawTilesTheStartPictureWithoutASelection)
{
    const int tileWidth = form_->PicM.ScaleWidth();
    const int tileHeight = form_->PicM.ScaleHeight();
    ASSERT_GT(tileWidth, 0);
    form_->SetOuterSize(form_->Width() + 300, form_->Height() + 200);
    for (int tick = 0; tick < 12; ++tick)
        form_->Timer1_Timer();

    const auto preview = testsupport::ReadBox(form_->PicW);
    const auto tile = testsupport::ReadDc(form_->PicM.Hdc(), tileWidth, tileHeight);
    // The far corner, uncovered by the growth, holds the tile's matching pixel.
    const int x = preview.width - 1;
    const int y = preview.height - 1;
    EXPECT_EQ(preview.At(x, y), tile.At(x % tileWidth, y % tileHeight));
    EXPECT_EQ(testsupport::ReadClipboardBitmap().argb, preview.argb);
}

TEST_F(EverydayUseTest, TheWindowIsNeverSizedBelowTheLayoutsMinimum)
{
    MINMAXINFO limits{};
    SendMessageW(form_->Hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, MulDiv(635, form_->Dpi(), 96));
    EXPECT_EQ(limits.ptMinTrackSize.y, MulDiv(453, form_->Dpi(), 96));
}

}  // namespace

namespace {

void SetKeyDown(int key, bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST_F(EverydayUseTest, AHeldKeyMovesTheSelectionAndShowsOnlyWhereItStops)
{
    for (int i = 0; i < 4; ++i)
        AddImage(images_.Path(), L"k" + std::to_wstring(i) + L".bmp", 5 + i, 4, i + 1);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"k0.bmp"));
    const HWND list = form_->File1.Hwnd();

    // A single press shows its file at once.
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
    AwaitShown();
    EXPECT_EQ(form_->PicM.ScaleWidth(), 6);

    // Held: the repeats move the selection and the current file, but load nothing.
    SetKeyDown(VK_DOWN, true);
    const LPARAM repeat = 1 | (1 << 30);
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, repeat);
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, repeat);
    EXPECT_EQ(form_->File1.FileName(), L"k3.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"k3.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 6);
    form_->Timer1_Timer();
    EXPECT_FALSE(form_->SelectionRunning());
    EXPECT_EQ(form_->PicM.ScaleWidth(), 6);

    // Let go: the next tick shows where the key stopped, tiled and on the clipboard.
    SetKeyDown(VK_DOWN, false);
    form_->Timer1_Timer();
    AwaitShown();
    EXPECT_EQ(form_->PicM.ScaleWidth(), 8);
    EXPECT_TRUE(testsupport::IsTiling(testsupport::ReadClipboardBitmap(), 8, 4, 4));
}

}  // namespace
