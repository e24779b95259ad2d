#pragma once
// The overview's workers: one thread per core takes files from the queue, decodes each once, and leaves
// its thumbnail and seam for the window, which it tells by a posted message.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/overview/overview_items.h"
#include "ui/overview/work_queue.h"

namespace ui {

class ThumbnailWork {
public:
    struct Result {
        unsigned generation = 0;
        int index = 0;
        std::shared_ptr<const TileFacts> facts;
    };

    // Starts `threads` workers (0: one per core). They wait for work and end with the object.
    explicit ThumbnailWork(int threads = 0);
    // Stops the workers and waits for each; one in the middle of a picture finishes it first.
    ~ThumbnailWork();
    ThumbnailWork(const ThumbnailWork&) = delete;
    ThumbnailWork& operator=(const ThumbnailWork&) = delete;

    // New results are announced by posting `message` to `window`, once until they are taken; nullptr
    // stops the announcements.
    void SetReceiver(HWND window, UINT message);
    // A new set of files: what was queued or done before is dropped. Returns its generation.
    unsigned Start(std::vector<std::wstring> paths, const std::vector<bool>& needed, int side,
                   std::uint32_t background, imaging::Repeat repeat = {});
    // Drops everything queued and every result still to come.
    void Cancel();
    // The files first to last are on screen: they come next.
    void Prioritise(const std::vector<int>& visible) { queue_.Prioritise(visible); }
    // The results so far; each of the current generation only.
    std::vector<Result> TakeResults();
    unsigned Generation() const { return queue_.Generation(); }
    int Threads() const { return static_cast<int>(threads_.size()); }

private:
    struct Folder {
        unsigned generation = 0;
        std::vector<std::wstring> paths;
        int side = 0;
        std::uint32_t background = 0;
        imaging::Repeat repeat;
    };
    void Run();
    void Deliver(Result result);

    WorkQueue queue_;
    std::mutex mutex_;  // guards what follows
    std::shared_ptr<const Folder> folder_;
    std::vector<Result> results_;
    HWND receiver_ = nullptr;
    UINT message_ = 0;
    bool announced_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace ui
