#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "forms/events.h"
#include "forms/form.h"
#include "forms/jobs.h"
#include "support/pump.h"

namespace {

// Handles events for a fifth of a second: a result posted meanwhile has arrived.
void Settle()
{
    const ULONGLONG end = GetTickCount64() + 200;
    while (GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        forms::DoEvents();
    }
}

class JobForm : public forms::Form {
public:
    JobForm()
    {
        forms::FormStyle style;
        style.caption = L"Aufträge";
        Load(style);
    }
};

// Blocks the worker until the test lets it go, or it is cancelled.
struct Gate {
    HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(open); }
    void Open() const { SetEvent(open); }
    // Waits in short steps so a cancellation is seen at once.
    bool WaitOrCancel(const forms::JobContext& job) const
    {
        while (WaitForSingleObject(open, 5) == WAIT_TIMEOUT) {
            if (job.Cancelled())
                return false;
        }
        return true;
    }
};

TEST(Jobs, TheResultIsAppliedOnTheWindowsThreadWithTheProgressSeenMeanwhile)
{
    JobForm form;
    ASSERT_TRUE(form.IsLoaded());
    const auto gate = std::make_shared<Gate>();
    DWORD workThread = 0;
    DWORD applyThread = 0;
    int applied = 0;
    forms::Job job = forms::Job::Start(form.Hwnd(), [&, gate](forms::JobContext& context) -> forms::JobResult {
        workThread = GetCurrentThreadId();
        context.SetProgress(40);
        gate->WaitOrCancel(context);
        context.SetProgress(250);  // clamped
        return [&] {
            applyThread = GetCurrentThreadId();
            ++applied;
        };
    });
    ASSERT_TRUE(job.Started());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return job.Progress() == 40; }));
    EXPECT_TRUE(job.Running());
    EXPECT_EQ(applied, 0);
    gate->Open();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return applied > 0; }));
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(job.Progress(), 100);
    EXPECT_NE(workThread, GetCurrentThreadId());
    EXPECT_EQ(applyThread, GetCurrentThreadId());
    EXPECT_FALSE(job.Running());
    EXPECT_TRUE(forms::EndJobs(5000));
    EXPECT_EQ(forms::RunningJobThreads(), 0);
}

TEST(Jobs, ACancelledJobStopsAtItsNextStepAndItsResultIsDropped)
{
    JobForm form;
    const auto gate = std::make_shared<Gate>();
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    bool applied = false;
    forms::Job job = forms::Job::Start(form.Hwnd(), [&, gate](forms::JobContext& context) -> forms::JobResult {
        started = true;
        if (!gate->WaitOrCancel(context))
            sawCancel = true;
        return [&] { applied = true; };
    });
    ASSERT_TRUE(job.Started());
    while (!started)
        Sleep(1);
    job.Cancel();
    EXPECT_TRUE(job.Cancelled());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return job.Finished() && !job.Running(); }));
    EXPECT_TRUE(sawCancel);
    Settle();  // a stray message would be handled here
    EXPECT_FALSE(applied);

    // Cancelled after the work ended but before its message was handled: still dropped.
    bool late = false;
    forms::Job finished =
        forms::Job::Start(form.Hwnd(), [&](forms::JobContext&) -> forms::JobResult { return [&] { late = true; }; });
    while (!finished.Finished())
        Sleep(1);
    finished.Cancel();
    Settle();
    EXPECT_FALSE(late);
    EXPECT_FALSE(finished.Running());
}

TEST(Jobs, AWindowGoneBeforeTheResultTakesNothingAndTheThreadEnds)
{
    auto form = std::make_unique<JobForm>();
    const HWND target = form->Hwnd();
    const auto gate = std::make_shared<Gate>();
    const auto applied = std::make_shared<std::atomic<int>>(0);
    const auto resultGone = std::make_shared<std::atomic<bool>>(false);
    struct Witness {
        std::shared_ptr<std::atomic<bool>> gone;
        ~Witness()
        {
            if (gone)
                *gone = true;
        }
    };
    forms::Job job = forms::Job::Start(target, [gate, applied, resultGone](forms::JobContext& context) {
        gate->WaitOrCancel(context);
        const auto witness = std::make_shared<Witness>();
        witness->gone = resultGone;
        return forms::JobResult([applied, witness] { ++*applied; });
    });
    form.reset();
    ASSERT_FALSE(IsWindow(target));
    gate->Open();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return job.Finished() && !job.Running(); }));
    Settle();
    EXPECT_EQ(*applied, 0);
    EXPECT_TRUE(*resultGone);  // the result was let go, not kept waiting for a window
    EXPECT_TRUE(forms::EndJobs(5000));
    EXPECT_EQ(forms::RunningJobThreads(), 0);
}

TEST(Jobs, OfManyJobsEachReplacingTheLastOnlyTheNewestIsApplied)
{
    JobForm form;
    forms::Job current;
    std::vector<int> applied;
    for (int i = 0; i < 60; ++i) {
        current = forms::Job::Start(form.Hwnd(), [&applied, i](forms::JobContext& context) -> forms::JobResult {
            // Some finish at once, some only once superseded.
            for (int step = 0; step < (i % 3) * 10 && !context.Cancelled(); ++step)
                Sleep(1);
            return [&applied, i] { applied.push_back(i); };
        });
        ASSERT_TRUE(current.Started());
        if (i % 7 == 0)
            forms::DoEvents();
    }
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !current.Running(); }));
    Settle();
    // Jobs applied before being replaced came earlier; after the last one started, only it counts.
    ASSERT_FALSE(applied.empty());
    EXPECT_EQ(applied.back(), 59);
    EXPECT_EQ(std::count(applied.begin(), applied.end(), 59), 1);
    EXPECT_TRUE(forms::EndJobs(5000));
    EXPECT_EQ(forms::RunningJobThreads(), 0);
}

TEST(Jobs, EndJobsCancelsEveryJobAndWaitsOnlyAsLongAsItIsAllowed)
{
    JobForm form;
    const auto stubborn = std::make_shared<Gate>();
    std::atomic<int> started{0};
    forms::Job polite = forms::Job::Start(form.Hwnd(), [&started](forms::JobContext& context) -> forms::JobResult {
        ++started;
        while (!context.Cancelled())
            Sleep(2);
        return nullptr;
    });
    // Does not look at its cancellation until the gate opens.
    forms::Job deaf = forms::Job::Start(form.Hwnd(), [&started, stubborn](forms::JobContext&) -> forms::JobResult {
        ++started;
        WaitForSingleObject(stubborn->open, 10000);
        return nullptr;
    });
    while (started < 2)
        Sleep(1);
    EXPECT_FALSE(forms::EndJobs(50));
    EXPECT_TRUE(polite.Cancelled());
    EXPECT_TRUE(deaf.Cancelled());
    EXPECT_TRUE(polite.Finished());
    EXPECT_FALSE(deaf.Finished());
    stubborn->Open();
    EXPECT_TRUE(forms::EndJobs(5000));
    EXPECT_TRUE(deaf.Finished());
    EXPECT_EQ(forms::RunningJobThreads(), 0);
}

}  // namespace
