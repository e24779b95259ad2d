#include "ui/overview/work_queue.h"

#include <algorithm>

namespace ui {

unsigned WorkQueue::Reset(const std::vector<bool>& needed)
{
    unsigned generation = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queued_ = needed;
        queuedCount_ = static_cast<int>(std::count(queued_.begin(), queued_.end(), true));
        urgent_.clear();
        cursor_ = 0;
        generation = ++generation_;
    }
    ready_.notify_all();
    return generation;
}

void WorkQueue::Prioritise(int first, int last)
{
    std::vector<int> visible;
    for (int i = std::max(first, 0); i <= last; ++i)
        visible.push_back(i);
    Prioritise(visible);
}

void WorkQueue::Prioritise(const std::vector<int>& visible)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const int count = static_cast<int>(queued_.size());
    urgent_.clear();
    // Taken from the back: the first visible item comes first.
    for (auto i = visible.rbegin(); i != visible.rend(); ++i) {
        if (*i >= 0 && *i < count && queued_[static_cast<std::size_t>(*i)])
            urgent_.push_back(*i);
    }
    if (!visible.empty() && visible.back() >= 0 && visible.back() < count)
        cursor_ = visible.back() + 1 < count ? visible.back() + 1 : 0;
}

std::optional<WorkQueue::Task> WorkQueue::NextLocked()
{
    if (queuedCount_ == 0)
        return std::nullopt;
    int index = -1;
    while (!urgent_.empty() && index < 0) {
        const int candidate = urgent_.back();
        urgent_.pop_back();
        if (queued_[static_cast<std::size_t>(candidate)])
            index = candidate;
    }
    // Some item is still queued, so the walk finds it within one round.
    const int count = static_cast<int>(queued_.size());
    while (index < 0) {
        if (cursor_ >= count)
            cursor_ = 0;
        if (queued_[static_cast<std::size_t>(cursor_)])
            index = cursor_;
        ++cursor_;
    }
    queued_[static_cast<std::size_t>(index)] = false;
    --queuedCount_;
    return Task{index, generation_};
}

std::optional<WorkQueue::Task> WorkQueue::Take()
{
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return stopped_ || queuedCount_ > 0; });
    if (stopped_)
        return std::nullopt;
    return NextLocked();
}

std::optional<WorkQueue::Task> WorkQueue::TryTake()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_)
        return std::nullopt;
    return NextLocked();
}

void WorkQueue::Stop()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    ready_.notify_all();
}

unsigned WorkQueue::Generation() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
}

int WorkQueue::Queued() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return queuedCount_;
}

}  // namespace ui
