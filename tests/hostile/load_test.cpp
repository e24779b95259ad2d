// Load and re-entry: bursts of resizes and selections, and timer ticks, repaints and resizes arriving
// while a message box or a dialog is up (the handlers that process pending events re-entered).

#include "common/commands.h"
#include "forms/events.h"
#include "hostile_support.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using hostile::Bound;
using testsupport::Prompter;
using testsupport::ReadFileBytes;

class HostileLoad : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        testsupport::MainWindowTest::SetUp();
        for (int i = 0; i < 40; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"Kachel%02d.bmp", i);
            AddImage(images_.Path(), name, 3 + i % 7, 2 + i % 5, static_cast<std::uint32_t>(i));
        }
        ShowFolder(images_.Path());
        ASSERT_EQ(form_->File1.ListCount(), 40);
    }
    // Lets the timer tick until the delayed redraw has run (bounded by the watchdog).
    void PumpUntilRedrawn()
    {
        form_->Timer1.Start(form_->Hwnd(), 10);
        Bound bound(20, "waiting for the delayed redraw");
        while (form_->ResizeTicks < 10) {
            forms::DoEvents();
            Sleep(5);
        }
        forms::DoEvents();
    }
    void Resize(int width, int height)
    {
        SetWindowPos(form_->Hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

TEST_F(HostileLoad, AThousandResizesInARowEndInOneRedrawOfTheLastSize)
{
    ASSERT_TRUE(Select(L"Kachel03.bmp"));
    form_->Timer1.Start(form_->Hwnd(), 10);
    {
        Bound bound(240, "a thousand resizes");
        for (int i = 0; i < 1000; ++i)
            Resize(700 + (i * 37) % 600, 560 + (i * 53) % 400);
    }
    EXPECT_LT(form_->ResizeTicks, 10);
    PumpUntilRedrawn();
    EXPECT_EQ(Commands::CurrentFile, L"Kachel03.bmp");
    // The preview's image follows its window, and the clipboard holds that preview.
    RECT client{};
    GetClientRect(form_->PicW.Hwnd(), &client);
    EXPECT_EQ(form_->PicW.ScaleWidth(), client.right);
    EXPECT_EQ(form_->PicW.ScaleHeight(), client.bottom);
    const testsupport::Pixels clip = testsupport::ReadClipboardBitmap();
    EXPECT_EQ(clip.width, form_->PicW.ScaleWidth());
    EXPECT_EQ(clip.height, form_->PicW.ScaleHeight());
}

TEST_F(HostileLoad, TwoThousandQueuedResizeEventsAreHandledWithoutNestingEverDeeper)
{
    ASSERT_TRUE(Select(L"Kachel04.bmp"));
    RECT client{};
    GetClientRect(form_->Hwnd(), &client);
    // Each one is handled re-entered inside the previous one's pending-event processing.
    for (int i = 0; i < 2000; ++i)
        PostMessageW(form_->Hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    {
        Bound bound(240, "two thousand queued resize events");
        forms::DoEvents();
        forms::DoEvents();
    }
    PumpUntilRedrawn();
    EXPECT_EQ(Commands::CurrentFile, L"Kachel04.bmp");
    EXPECT_TRUE(form_->PicM.HasPicture());
}

TEST_F(HostileLoad, AThousandSelectionsInARowShowTheLastOne)
{
    {
        Bound bound(240, "a thousand selections");
        for (int i = 0; i < 1000; ++i)
            form_->File1.SetSelected((i * 7) % 40);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
    const int last = (999 * 7) % 40;
    EXPECT_EQ(Commands::CurrentFile, form_->File1.List(last));
    EXPECT_EQ(form_->PicM.ScaleWidth(), 3 + last % 7);
}

TEST_F(HostileLoad, TwoThousandQueuedKeyPressesOnTheFileListEndOnTheEntryShown)
{
    ASSERT_TRUE(Select(L"Kachel00.bmp"));
    SetFocus(form_->File1.Hwnd());
    // Held arrow keys on a slow folder: far more key presses queue up than pictures can be loaded.
    for (int i = 0; i < 2000; ++i)
        PostMessageW(form_->File1.Hwnd(), WM_KEYDOWN, (i / 39) % 2 == 0 ? VK_DOWN : VK_UP, 1);
    {
        Bound bound(240, "two thousand queued key presses");
        for (int pass = 0; pass < 5; ++pass)
            forms::DoEvents();
    }
    const int index = form_->File1.ListIndex();
    ASSERT_GE(index, 0);
    EXPECT_EQ(Commands::CurrentFile, form_->File1.List(index));
    EXPECT_EQ(form_->PicM.ScaleWidth(), 3 + index % 7);
}

TEST_F(HostileLoad, TimerTicksRepaintsAndResizesWhileTheClipboardMessageIsUp)
{
    ASSERT_TRUE(Select(L"Kachel05.bmp"));
    form_->Timer1.Start(form_->Hwnd(), 10);
    int pumped = 0;
    Prompter().whileShown = [&] {
        // The box's own loop keeps timers and paint running; here they run re-entered into PicW_Click.
        for (int i = 0; i < 30; ++i) {
            Resize(800 + i * 5, 600 + i * 3);
            InvalidateRect(form_->Hwnd(), nullptr, TRUE);
            forms::DoEvents();
            Sleep(3);
            ++pumped;
        }
        Bound bound(20, "the delayed redraw under a message box");
        while (form_->ResizeTicks < 10) {
            forms::DoEvents();
            Sleep(5);
        }
    };
    {
        Bound bound(60, "a message box with events pumped under it");
        form_->PicW_Click();
    }
    EXPECT_EQ(pumped, 30);
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_NE(Prompter().shown[0].text.find(L"Zwischenablage"), std::wstring::npos);
    EXPECT_EQ(Commands::CurrentFile, L"Kachel05.bmp");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(HostileLoad, ADeleteDeletesTheFileItAskedAboutEvenWhenTheSelectionChangesUnderTheQuestion)
{
    ASSERT_TRUE(Select(L"Kachel06.bmp"));
    const std::string other = ReadFileBytes(images_ / L"Kachel07.bmp");
    Prompter().answers.push_back(IDYES);
    Prompter().whileShown = [&] {
        // Events handled while the question is up choose another file (a drop, the keyboard).
        Prompter().whileShown = nullptr;
        ASSERT_TRUE(Select(L"Kachel07.bmp"));
        form_->ResizeTicks = 9;
        form_->Timer1_Timer();
    };
    form_->mnuDel_Click();
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_NE(Prompter().shown[0].text.find(L"'Kachel06.bmp'"), std::wstring::npos);
    EXPECT_FALSE(hostile::FileThere(images_ / L"Kachel06.bmp"));
    EXPECT_EQ(ReadFileBytes(images_ / L"Kachel07.bmp"), other) << "a file nobody was asked about was deleted";
}

TEST_F(HostileLoad, AMoveMovesTheFileItAskedAboutEvenWhenTheSelectionChangesUnderTheQuestion)
{
    ASSERT_TRUE(Select(L"Kachel08.bmp"));
    Prompter().answers.push_back(IDYES);
    Prompter().whileShown = [&] {
        Prompter().whileShown = nullptr;
        ASSERT_TRUE(Select(L"Kachel09.bmp"));
    };
    form_->mnuMove_Click();
    EXPECT_TRUE(hostile::FileThere(collection_ / L"Kachel08.bmp"));
    EXPECT_FALSE(hostile::FileThere(collection_ / L"Kachel09.bmp"));
    EXPECT_TRUE(hostile::FileThere(images_ / L"Kachel09.bmp"));
}

TEST_F(HostileLoad, TimerTicksAndResizesWhileTheRenameDialogIsOpenLeaveItWorking)
{
    ASSERT_TRUE(Select(L"Kachel10.bmp"));
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    form_->Timer1.Start(form_->Hwnd(), 10);
    {
        Bound bound(30, "events under the rename dialog");
        for (int i = 0; i < 50; ++i) {
            Resize(760 + i * 4, 600 + i * 2);
            forms::DoEvents();
        }
        while (form_->ResizeTicks < 10) {
            forms::DoEvents();
            Sleep(5);
        }
    }
    EXPECT_TRUE(dialog.IsLoaded());
    EXPECT_FALSE(form_->Enabled());
    // A taken name: the message comes while ticks keep arriving, then the dialog is back.
    Prompter().whileShown = [&] {
        for (int i = 0; i < 20; ++i) {
            forms::DoEvents();
            Sleep(3);
        }
    };
    dialog.Text1.SetText(L"Kachel11");
    dialog.Command2_Click();
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_TRUE(dialog.IsLoaded());
    Prompter().whileShown = nullptr;
    dialog.Text1.SetText(L"Umbenannt");
    dialog.Command2_Click();
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(hostile::FileThere(images_ / L"Umbenannt.bmp"));
    EXPECT_TRUE(hostile::FileThere(images_ / L"Kachel11.bmp"));
    EXPECT_EQ(Commands::CurrentFile, L"Umbenannt.bmp");
}

}  // namespace
