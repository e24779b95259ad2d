// One message loop: selections, drops and saves as jobs, unreadable files, the seam line of the shown
// picture, and what the window does while a job runs.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "common/commands.h"
#include "forms/events.h"
#include "forms/jobs.h"
#include "imaging/encode.h"
#include "support/drop_data.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "ui/dialogs/frm_rename.h"
#include "ui/dialogs/frm_save_size.h"
#include "ui/main/layout.h"

namespace {

using testsupport::FileDialogs;
using testsupport::IsTiling;
using testsupport::MainWindowTest;
using testsupport::Prompter;
using testsupport::ReadClipboardBitmap;

// Whether a tooltip of this thread is up with the text as its tool's (an edit box's balloon is one).
bool BalloonShown(const std::wstring& text)
{
    struct Search {
        const std::wstring* text;
        bool found;
    } search{&text, false};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM parameter) -> BOOL {
            auto& wanted = *reinterpret_cast<Search*>(parameter);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(hwnd))
                return TRUE;
            TOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            wchar_t shown[256] = {};
            tool.lpszText = shown;
            for (WPARAM i = 0; SendMessageW(hwnd, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)); ++i) {
                if (*wanted.text == shown)
                    wanted.found = true;
            }
            return !wanted.found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class MessageLoopTest : public MainWindowTest {
protected:
    // A click on PicW waiting in the queue.
    void QueueClickOnPicW() const
    {
        PostMessageW(form_->PicW.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(form_->PicW.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    bool ClickStillQueued() const
    {
        MSG queued;
        return PeekMessageW(&queued, form_->PicW.Hwnd(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) != FALSE;
    }
    // Names in the folder, hidden ones too.
    std::vector<std::wstring> FilesIn(const std::wstring& folder) const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        const forms::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (find.get() == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(find.get(), &found));
        return names;
    }
};

TEST_F(MessageLoopTest, ASelectionReturnsAtOnceAndQueuedInputWaitsForTheLoop)
{
    const testsupport::Pixels large = testsupport::Pattern(2400, 1600, 3);
    ASSERT_TRUE(testsupport::WriteWithWic(images_ / L"gross.jpg", GUID_ContainerFormatJpeg, large));
    ShowFolder(images_.Path());
    QueueClickOnPicW();
    form_->File1.SetSelected(IndexInFile1(L"gross.jpg"));
    EXPECT_TRUE(form_->SelectionRunning());
    // A resize sent meanwhile lays out and copies, but runs no queued input either.
    form_->Form_Resize();
    EXPECT_TRUE(ClickStillQueued());
    EXPECT_TRUE(Prompter().shown.empty());
    AwaitShown();
    EXPECT_EQ(form_->PicM.ScaleWidth(), 2400);
    // The click then runs from the loop, after the picture was shown: one message, nothing nested.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !Prompter().shown.empty(); }));
    EXPECT_EQ(Prompter().shown.size(), 1u);
}

TEST_F(MessageLoopTest, AMessageSentFromAnotherThreadDuringDecodingIsAnsweredWithoutRunningInput)
{
    const testsupport::Pixels large = testsupport::Pattern(2400, 1600, 5);
    ASSERT_TRUE(testsupport::WriteWithWic(images_ / L"gross.jpg", GUID_ContainerFormatJpeg, large));
    ShowFolder(images_.Path());
    form_->File1.SetSelected(IndexInFile1(L"gross.jpg"));
    ASSERT_TRUE(form_->SelectionRunning());
    QueueClickOnPicW();
    const HWND window = form_->Hwnd();
    RECT client{};
    GetClientRect(window, &client);
    std::size_t messagesWhenAnswered = 99;
    std::atomic<bool> answered{false};
    std::thread other([&] {
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        messagesWhenAnswered = Prompter().shown.size();
        answered = true;
    });
    // Only sent messages are answered here: the click stays queued.
    while (!answered) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
        forms::AnswerSentMessages();
    }
    other.join();
    EXPECT_EQ(messagesWhenAnswered, 0u);
    EXPECT_TRUE(ClickStillQueued());
    AwaitShown();
    EXPECT_EQ(form_->PicM.ScaleWidth(), 2400);
}

TEST_F(MessageLoopTest, TheSeamLineBelongsToThePictureShownNotToAnAddress)
{
    AddImage(images_.Path(), L"a.bmp", 37, 23, 1);
    AddImage(images_.Path(), L"b.bmp", 10, 10, 2);
    ShowFolder(images_.Path());
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(Select(L"a.bmp"));
        EXPECT_EQ(form_->SeamText().substr(0, 13), L"37 × 23 Pixel");
        // Another program's copy drops the clipboard's promise, the last hold on a's picture.
        ASSERT_TRUE(testsupport::PutClipboardText(L"anderes Programm"));
        ASSERT_TRUE(Select(L"b.bmp"));
        EXPECT_EQ(form_->SeamText().substr(0, 13), L"10 × 10 Pixel") << "round " << round;
    }
}

TEST_F(MessageLoopTest, AnUnreadableFileSaysSoKeepsTheClipboardAndOffersNoOutput)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    AddImage(images_.Path(), L"c.bmp", 9, 5, 3);
    ASSERT_TRUE(testsupport::WriteFileBytes(images_ / L"kaputt.png", "nichts als Unsinn!!"));
    // A 1 x 400 picture first: the small preview must not keep its size.
    AddImage(images_.Path(), L"0_lang.bmp", 1, 400, 2);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"0_lang.bmp"));
    ASSERT_TRUE(Select(L"a.bmp"));
    const testsupport::Pixels copied = ReadClipboardBitmap();
    ASSERT_TRUE(IsTiling(copied, 12, 8, 1));

    ASSERT_TRUE(Select(L"kaputt.png"));
    EXPECT_EQ(Commands::CurrentFile, L"kaputt.png");
    const std::wstring& unreadable = form_->UnreadableText();
    EXPECT_EQ(unreadable.substr(0, unreadable.find(L'\n')), L"\u201Ekaputt.png\u201C kann nicht gelesen werden");
    EXPECT_NE(unreadable.find(L'\n'), std::wstring::npos) << "the system's reason on a second line";
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_EQ(form_->PicM.Width(), form_->TwipsToPixels(ui::Form1::kPicMWidthTwips));
    EXPECT_EQ(form_->SeamText(), L"\u201Ekaputt.png\u201C kann nicht gelesen werden");
    EXPECT_FALSE(form_->OutputsAvailable());
    EXPECT_EQ(ReadClipboardBitmap().argb, copied.argb);
    EXPECT_TRUE(Prompter().shown.empty());
    // The preview shows the line, not a tiling.
    EXPECT_FALSE(IsTiling(testsupport::ReadBox(form_->PicW), 12, 8, 1));

    // The menu offers neither output; Ctrl+S and a click on the preview do nothing.
    form_->PicW_ContextMenu(POINT{-1, -1});
    const std::vector<std::wstring>& disabled = testsupport::MenuPresenter().disabled;
    EXPECT_NE(std::find(disabled.begin(), disabled.end(), L"Kachelung speichern unter …\tStrg+S"), disabled.end());
    EXPECT_NE(std::find(disabled.begin(), disabled.end(), L"Als Desktophintergrund (gekachelt)"), disabled.end());
    form_->mnuSaveTiling_Click();
    EXPECT_FALSE(ui::SaveSizeDialog().IsLoaded());
    form_->PicW_Click();
    EXPECT_TRUE(Prompter().shown.empty());
    form_->Form_Resize();
    EXPECT_EQ(ReadClipboardBitmap().argb, copied.argb);

    ASSERT_TRUE(Select(L"c.bmp"));
    EXPECT_TRUE(form_->UnreadableText().empty());
    EXPECT_TRUE(form_->OutputsAvailable());
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 9, 5, 3));
}

TEST_F(MessageLoopTest, AClosedWindowTakesNoSelectionAndTheClipboardStaysAsRendered)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    AddImage(images_.Path(), L"b.bmp", 7, 9, 2);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->File1.SetSelected(IndexInFile1(L"b.bmp"));
    ASSERT_TRUE(form_->SelectionRunning());
    SendMessageW(form_->Hwnd(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(form_->IsLoaded());
    ASSERT_TRUE(testsupport::AwaitShown(*form_));
    testsupport::Settle();
    // What was copied before the close is what a paste gets, "PNG" included.
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 12, 8, 1));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"PNG")));
}

TEST_F(MessageLoopTest, ADropReturnsAtOnceAndShowsTheFileFromTheLoop)
{
    const std::wstring path = AddImage(images_.Path(), L"fallen.bmp", 11, 6, 4);
    const auto data = testsupport::MakeFileDropData({path});
    const std::wstring before = form_->File1.Path();
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_EQ(form_->File1.Path(), before);
    EXPECT_FALSE(form_->SelectionRunning());
    AwaitShown();
    EXPECT_EQ(Commands::CurrentFile, L"fallen.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 11);
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 11, 6, 4));
}

TEST_F(MessageLoopTest, ALargeSaveShowsItsProgressAndACancelLeavesNoFile)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    testsupport::TempFolder target;
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->mnuSaveTiling_Click();
    ui::SaveSizeDialog().Text1.SetText(L"30000");
    ui::SaveSizeDialog().Text2.SetText(L"30000");
    FileDialogs().answers.push_back({target / L"gross.png", 0});
    ui::SaveSizeDialog().Command2_Click();
    ASSERT_TRUE(form_->SaveRunning());
    // A second save waits: neither the menu nor the key start one.
    EXPECT_FALSE(form_->OutputsAvailable());
    form_->mnuSaveTiling_Click();
    EXPECT_FALSE(ui::SaveSizeDialog().IsLoaded());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form_->SaveProgress().Visible(); }));
    EXPECT_EQ(form_->SaveProgress().Caption(), L"Kachelung wird gespeichert");
    EXPECT_EQ(GetWindow(form_->SaveProgress().Hwnd(), GW_OWNER), form_->Hwnd());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form_->SaveProgress().Bar.Percent() > 0; }));
    // The window answers meanwhile.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(form_->Hwnd(), WM_NULL, 0, 0, SMTO_BLOCK, 1000, &answer), 0);

    PostMessageW(form_->SaveProgress().Command1.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
    EXPECT_FALSE(form_->SaveProgress().IsLoaded());
    EXPECT_TRUE(FilesIn(target.Path()).empty());
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_TRUE(form_->OutputsAvailable());
}

TEST_F(MessageLoopTest, ASaveThatEndsClosesItsProgressAndTheFileIsComplete)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    testsupport::TempFolder target;
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->mnuSaveTiling_Click();
    ui::SaveSizeDialog().Text1.SetText(L"640");
    ui::SaveSizeDialog().Text2.SetText(L"480");
    FileDialogs().answers.push_back({target / L"klein.bmp", 1});
    ui::SaveSizeDialog().Command2_Click();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form_->SaveRunning(); }));
    EXPECT_FALSE(form_->SaveProgress().IsLoaded());
    EXPECT_EQ(FilesIn(target.Path()), std::vector<std::wstring>{L"klein.bmp"});
    const std::optional<forms::Picture> saved = forms::LoadPicture(target / L"klein.bmp");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Width(), 640);
    EXPECT_EQ(saved->Height(), 480);
}

TEST_F(MessageLoopTest, AfterTheConflictBoxTheRenameDialogIsModalAgainWithTheFocusInItsTextBox)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    AddImage(images_.Path(), L"b.bmp", 7, 9, 2);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    // The real box gives its owner back its input when it closes, as the system does.
    Prompter().whileShown = [&] { EnableWindow(form_->Hwnd(), TRUE); };
    dialog.Text1.SetText(L"b");
    dialog.Command2_Click();
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_NE(Prompter().shown[0].text.find(L"existiert bereits"), std::wstring::npos);
    EXPECT_TRUE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(GetActiveWindow(), dialog.Hwnd());
    EXPECT_EQ(GetFocus(), dialog.Text1.Hwnd());
    dialog.Command1_Click();
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(MessageLoopTest, ASizeChangeBelowTheMinimumIsPutBackOnceTheWindowManagerIsDone)
{
    const float tpp = static_cast<float>(form_->TwipsPerPixel());
    SetWindowPos(form_->Hwnd(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    testsupport::Settle();
    EXPECT_EQ(ui::RaisedOuterWidthPixels(form_->Width(), tpp), 0) << form_->Width();
    EXPECT_EQ(ui::RaisedOuterHeightPixels(form_->Height(), tpp), 0) << form_->Height();
    // Minimized, it is left alone.
    ShowWindow(form_->Hwnd(), SW_MINIMIZE);
    testsupport::Settle();
    EXPECT_TRUE(IsIconic(form_->Hwnd()));
}

TEST_F(MessageLoopTest, TheSizeDialogSaysWhyItRefusesASide)
{
    AddImage(images_.Path(), L"a.bmp", 12, 8, 1);
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a.bmp"));
    for (const wchar_t* refused : {L"0", L"30001", L""}) {
        form_->mnuSaveTiling_Click();
        ui::frmSaveSize& dialog = ui::SaveSizeDialog();
        ASSERT_TRUE(dialog.IsLoaded());
        dialog.Text2.SetText(refused);
        dialog.Command2_Click();
        EXPECT_TRUE(dialog.IsLoaded()) << refused;
        EXPECT_EQ(GetFocus(), dialog.Text2.Hwnd());
        EXPECT_TRUE(BalloonShown(ui::kRefusalText)) << refused;
        dialog.Command1_Click();
    }
    EXPECT_TRUE(FileDialogs().asked.empty());
}

}  // namespace
