#include "ui/overview/thumbnail_work.h"

#include <objbase.h>

#include <algorithm>

#include "forms/skip.h"

namespace ui {

namespace {

// A worker keeps the memory of pictures up to 4096 × 4096 for the next one.
constexpr std::size_t kKeptBytes = std::size_t(64) << 20;

}  // namespace

ThumbnailWork::ThumbnailWork(int threads)
{
    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { Run(); });
}

ThumbnailWork::~ThumbnailWork()
{
    queue_.Stop();
    for (std::thread& thread : threads_)
        thread.join();
}

void ThumbnailWork::SetReceiver(HWND window, UINT message)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    receiver_ = window;
    message_ = message;
    announced_ = false;
}

unsigned ThumbnailWork::Start(std::vector<std::wstring> paths, const std::vector<bool>& needed, int side,
                              std::uint32_t background, imaging::Repeat repeat)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const unsigned generation = queue_.Reset(needed);
    folder_ = std::make_shared<const Folder>(Folder{generation, std::move(paths), side, background, repeat});
    results_.clear();
    return generation;
}

void ThumbnailWork::Cancel()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.Cancel();
    folder_.reset();
    results_.clear();
}

std::vector<ThumbnailWork::Result> ThumbnailWork::TakeResults()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    announced_ = false;
    std::vector<Result> taken;
    taken.swap(results_);
    return taken;
}

void ThumbnailWork::Deliver(Result result)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    // A folder changed or closed meanwhile: nobody wants it.
    if (!folder_ || folder_->generation != result.generation)
        return;
    results_.push_back(std::move(result));
    if (!announced_ && receiver_)
        announced_ = forms::SkipIfFalse(PostMessageW(receiver_, message_, 0, 0), L"announce thumbnails");
}

void ThumbnailWork::Run()
{
    // The window thread comes first: it must answer at once while the workers fill the cores.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // One picture's memory, used again for the next: fresh pages cost more than decoding into them.
    forms::PixelBuffer buffer;
    while (const std::optional<WorkQueue::Task> task = queue_.Take()) {
        std::shared_ptr<const Folder> folder;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            folder = folder_;
        }
        if (!folder || folder->generation != task->generation ||
            task->index >= static_cast<int>(folder->paths.size()))
            continue;
        Result result{task->generation, task->index, nullptr};
        // A failure here must not end the thread: the file then counts as unreadable.
        if (!forms::GuardedCall(L"make a thumbnail", [&] {
                result.facts = MakeTileFacts(folder->paths[static_cast<std::size_t>(task->index)], folder->side,
                                             folder->background, folder->repeat, buffer);
            }))
            result.facts = std::make_shared<const TileFacts>();
        Deliver(std::move(result));
        // A huge picture's memory is not kept for the folder's small ones.
        if (buffer.pixels.capacity() > kKeptBytes)
            buffer = forms::PixelBuffer();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

}  // namespace ui
