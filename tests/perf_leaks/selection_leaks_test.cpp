// Choosing images again and again leaves no GDI object, USER object or kernel handle behind.
// Counted, not timed: scripts/bench.sh gives the times.

#include <gtest/gtest.h>

#include <windows.h>

#include "bench/resource_count.h"
#include "common/commands.h"
#include "forms/events.h"
#include "forms/handles.h"
#include "support/main_window_test.h"

namespace {

class SelectionLeaks : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowTest::SetUp());
        AddImage(images_.Path(), L"eins.bmp", 37, 23, 1);
        AddImage(images_.Path(), L"zwei.bmp", 64, 48, 2);
        ASSERT_NO_FATAL_FAILURE(ShowFolder(images_.Path()));
        ASSERT_EQ(form_->File1.ListCount(), 2);
    }

    // The user chooses entry i of File1.
    void Choose(int index)
    {
        form_->File1.SetSelected(index);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
};

// Makes three brushes, a window and a menu and an event, checks the counts see them, and frees them.
void MakeAndFreeObjects(const perfcount::Counts& before, bool check)
{
    forms::UniqueHbrush brushes[3] = {forms::UniqueHbrush(CreateSolidBrush(RGB(1, 2, 3))),
                                      forms::UniqueHbrush(CreateSolidBrush(RGB(4, 5, 6))),
                                      forms::UniqueHbrush(CreateSolidBrush(RGB(7, 8, 9)))};
    forms::UniqueHwnd window(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                             GetModuleHandleW(nullptr), nullptr));
    forms::UniqueHmenu menu(CreatePopupMenu());
    forms::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(brushes[2] && window && menu && event);
    if (!check)
        return;
    const perfcount::Counts during = perfcount::Take();
    EXPECT_EQ(during.gdi - before.gdi, 3);
    EXPECT_EQ(during.user - before.user, 2);
    EXPECT_EQ(during.handles - before.handles, 1);
}

TEST(ResourceCount, SeesObjectsComeAndGo)
{
    // The first use of each kind brings helpers of the system along that stay; a second round is exact.
    MakeAndFreeObjects(perfcount::Take(), false);
    const perfcount::Counts before = perfcount::Take();
    MakeAndFreeObjects(before, true);
    const perfcount::Counts after = perfcount::Take();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(after.handles, before.handles);
}

TEST_F(SelectionLeaks, AThousandSelectionsLeaveNothingBehind)
{
    // The first selections make what lives as long as the program (decoder, clipboard copy).
    for (int i = 0; i < 4; ++i)
        Choose(i % 2);
    forms::DoEvents();
    const perfcount::Counts before = perfcount::Take();

    for (int i = 0; i < 1000; ++i) {
        Choose(i % 2);
        if (i % 100 == 50) {
            // Now and then a program pastes: the promised bitmap is handed over, and the clipboard
            // frees it when the next selection replaces it.
            const forms::ClipboardSession clipboard(nullptr);
            ASSERT_TRUE(clipboard.IsOpen());
            EXPECT_NE(GetClipboardData(CF_BITMAP), nullptr);
        }
    }
    forms::DoEvents();
    EXPECT_EQ(Commands::CurrentFile, L"zwei.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 64);

    const perfcount::Counts after = perfcount::Take();
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects";
    EXPECT_EQ(after.user, before.user) << "windows and menus";
    EXPECT_EQ(after.handles, before.handles) << "kernel handles";
}

TEST_F(SelectionLeaks, ResizingAndSelectingInTurnLeaveNothingBehind)
{
    Choose(0);
    const forms::Bounds start = form_->GetBounds();
    form_->SetOuterSize(start.width + 7, start.height + 5);
    form_->SetOuterSize(start.width, start.height);
    forms::DoEvents();
    const perfcount::Counts before = perfcount::Take();
    // A drag to and fro: the preview's image and the clipboard copy keep their memory.
    for (int i = 0; i < 200; ++i) {
        form_->SetOuterSize(start.width + (i % 8), start.height + (i % 6));
        if (i % 20 == 0)
            Choose(i % 40 == 0 ? 1 : 0);
    }
    form_->SetOuterSize(start.width, start.height);
    forms::DoEvents();
    const perfcount::Counts after = perfcount::Take();
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects";
    EXPECT_EQ(after.user, before.user) << "windows and menus";
    EXPECT_EQ(after.handles, before.handles) << "kernel handles";
}

}  // namespace
