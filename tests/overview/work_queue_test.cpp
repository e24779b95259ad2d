#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "ui/overview/work_queue.h"

using ui::WorkQueue;

namespace {

// Takes what is queued now, in order.
std::vector<int> Drain(WorkQueue& queue, int most = 1000)
{
    std::vector<int> taken;
    while (static_cast<int>(taken.size()) < most) {
        const auto task = queue.TryTake();
        if (!task)
            break;
        taken.push_back(task->index);
    }
    return taken;
}

}  // namespace

TEST(OverviewQueue, VisibleItemsComeFirstThenTheRestAfterThem)
{
    WorkQueue queue;
    queue.Reset(std::vector<bool>(10, true));
    queue.Prioritise(5, 7);
    EXPECT_EQ(Drain(queue), (std::vector<int>{5, 6, 7, 8, 9, 0, 1, 2, 3, 4}));
    EXPECT_EQ(queue.Queued(), 0);

    // Files already known (cached) are never queued; a sorted screen gives its items in its own order.
    std::vector<bool> needed(8, true);
    needed[2] = needed[6] = false;
    queue.Reset(needed);
    queue.Prioritise(std::vector<int>{6, 4, 1});
    EXPECT_EQ(Drain(queue), (std::vector<int>{4, 1, 3, 5, 7, 0}));
}

TEST(OverviewQueue, ScrollingPutsTheNewScreenFirst)
{
    WorkQueue queue;
    queue.Reset(std::vector<bool>(12, true));
    queue.Prioritise(0, 3);
    EXPECT_EQ(Drain(queue, 2), (std::vector<int>{0, 1}));
    // Scrolled on before 2 and 3 were taken: they wait their turn like the rest.
    queue.Prioritise(8, 10);
    EXPECT_EQ(Drain(queue), (std::vector<int>{8, 9, 10, 11, 2, 3, 4, 5, 6, 7}));
}

TEST(OverviewQueue, AnotherFolderCancelsWhatWasQueuedAndWhatIsInHand)
{
    WorkQueue queue;
    const unsigned first = queue.Reset(std::vector<bool>(5, true));
    const auto inHand = queue.TryTake();
    ASSERT_TRUE(inHand);
    EXPECT_EQ(inHand->generation, first);

    const unsigned second = queue.Reset(std::vector<bool>(2, true));
    EXPECT_NE(second, first);
    const std::vector<int> taken = Drain(queue);
    EXPECT_EQ(taken, (std::vector<int>{0, 1}));
    // The result of the task in hand is recognised as stale by its generation.
    EXPECT_NE(inHand->generation, queue.Generation());

    queue.Reset(std::vector<bool>(4, true));
    const unsigned closed = queue.Cancel();
    EXPECT_EQ(closed, queue.Generation());
    EXPECT_FALSE(queue.TryTake());
    EXPECT_EQ(queue.Queued(), 0);
}

TEST(OverviewQueue, AWaitingWorkerWakesForWorkAndForTheEnd)
{
    WorkQueue queue;
    auto worker = std::async(std::launch::async, [&queue] {
        std::vector<int> taken;
        while (const auto task = queue.Take())
            taken.push_back(task->index);
        return taken;
    });
    queue.Reset(std::vector<bool>(3, true));
    // The worker has taken all three (or is about to): then Stop lets it go.
    for (int round = 0; round < 500 && queue.Queued() > 0; ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    queue.Stop();
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(worker.get(), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(queue.Take());
}
