#pragma once
// The files of one folder waiting for their thumbnails: the visible ones first, then the rest in
// order after them. Worker threads take from it; the window thread fills, reorders and cancels it.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace ui {

class WorkQueue {
public:
    struct Task {
        int index = 0;
        unsigned generation = 0;  // which filling of the queue it belongs to
    };

    // A new set of items, 0 to needed.size() - 1, the needed ones queued: everything queued before is
    // dropped, and tasks already taken belong to an older generation. Returns the new generation.
    unsigned Reset(const std::vector<bool>& needed);
    // Drops everything queued (a closed window); a new generation, so taken tasks are stale too.
    unsigned Cancel() { return Reset({}); }
    // Items first to last (those on screen) are taken next, in order; then the queue goes on after them.
    void Prioritise(int first, int last);
    // The same for items on screen that are not next to each other (a sorted view), in the order given.
    void Prioritise(const std::vector<int>& visible);

    // The next task, waiting while there is none; nothing once stopped.
    std::optional<Task> Take();
    // The next task if there is one now.
    std::optional<Task> TryTake();
    // Wakes every waiting Take for good.
    void Stop();

    unsigned Generation() const;
    int Queued() const;

private:
    std::optional<Task> NextLocked();

    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<bool> queued_;
    std::vector<int> urgent_;  // the visible items, taken from the back
    int queuedCount_ = 0;
    int cursor_ = 0;  // where the ordinary order goes on
    unsigned generation_ = 0;
    bool stopped_ = false;
};

}  // namespace ui
