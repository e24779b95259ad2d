#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "forms/form.h"
#include "forms/jobs.h"
#include "forms/progress_window.h"
#include "support/pump.h"

namespace {

class OwnerForm : public forms::Form {
public:
    OwnerForm()
    {
        forms::FormStyle style;
        style.caption = L"Besitzer";
        Load(style);
        Show();
    }
};

TEST(ProgressWindow, BelongsToItsOwnerAppearsAfterItsDelayAndFollowsTheProgress)
{
    OwnerForm owner;
    forms::ProgressWindow progress;
    int percent = 0;
    ASSERT_TRUE(progress.Open(owner.Hwnd(), L"Kachelung wird gespeichert", [&] { return percent; }, 300));
    EXPECT_EQ(GetWindow(progress.Hwnd(), GW_OWNER), owner.Hwnd());
    EXPECT_EQ(progress.Caption(), L"Kachelung wird gespeichert");
    EXPECT_EQ(progress.Command1.Text(), L"Abbrechen");
    percent = 42;
    progress.Tick();
    EXPECT_FALSE(progress.Visible());  // quick work shows nothing
    EXPECT_EQ(progress.Bar.Percent(), 42);
    EXPECT_EQ(progress.Percent.Text(), L"42 %");
    ASSERT_TRUE(testsupport::PumpUntil([&] { return progress.Visible(); }));
    percent = 170;
    progress.Tick();
    EXPECT_EQ(progress.Percent.Text(), L"100 %");
    progress.Close();
    EXPECT_FALSE(progress.IsLoaded());
    EXPECT_TRUE(IsWindow(owner.Hwnd()));
}

TEST(ProgressWindow, EscapeTheButtonAndTheCloseBoxEachCancelTheJobItShows)
{
    OwnerForm owner;
    forms::ProgressWindow progress;
    std::atomic<bool> stopped{false};
    forms::Job job = forms::Job::Start(owner.Hwnd(), [&](forms::JobContext& context) -> forms::JobResult {
        for (int step = 0; !context.Cancelled(); ++step) {
            context.SetProgress(step % 100);
            Sleep(2);
        }
        stopped = true;
        return nullptr;
    });
    int cancels = 0;
    progress.onCancel = [&] {
        ++cancels;
        job.Cancel();
    };
    ASSERT_TRUE(progress.Open(owner.Hwnd(), L"Kachelung wird gespeichert", [&] { return job.Progress(); }, 0));
    ASSERT_TRUE(progress.Visible());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return progress.Bar.Percent() > 0; }));
    // Escape, wherever in the window the focus is.
    PostMessageW(progress.Command1.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return stopped.load(); }));
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(progress.IsLoaded());  // the owner closes it when the job has ended

    progress.Command1.SetEnabled(true);
    SendMessageW(progress.Command1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(cancels, 2);
    SendMessageW(progress.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(cancels, 3);
    EXPECT_TRUE(progress.IsLoaded());
    progress.Close();
    EXPECT_TRUE(forms::EndJobs(5000));
}

}  // namespace
