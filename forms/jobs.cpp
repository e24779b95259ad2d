#include "forms/jobs.h"

#include <objbase.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "forms/handles.h"
#include "forms/skip.h"

namespace forms {

struct JobContext::State {
    HWND target = nullptr;
    UINT_PTR id = 0;
    JobWork work;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};  // the work returned
    std::atomic<bool> ended{false};     // applied or dropped
    std::atomic<int> progress{0};
    std::mutex lock;  // guards result
    JobResult result;

    // The result goes without being applied; it is destroyed here, on whichever thread drops it.
    void Drop()
    {
        {
            JobResult dropped;
            {
                const std::lock_guard<std::mutex> held(lock);
                dropped = std::move(result);
                result = nullptr;
            }
        }  // gone before anyone is told the job has ended
        ended = true;
    }
};

namespace {

// Jobs whose result may still arrive, and the threads that have not been waited for. Each worker
// holds the registry too, so it outlives the last of them even while static objects are destroyed.
struct Registry {
    std::mutex lock;
    std::map<UINT_PTR, std::weak_ptr<JobContext::State>> pending;
    std::vector<UniqueKernelHandle> threads;
    UINT_PTR nextId = 1;

    // Under the lock: forgets threads that have ended and jobs nobody holds any more.
    void Purge()
    {
        threads.erase(std::remove_if(threads.begin(), threads.end(),
                                     [](const UniqueKernelHandle& thread) {
                                         return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
                                     }),
                      threads.end());
        for (auto it = pending.begin(); it != pending.end();)
            it = it->second.expired() ? pending.erase(it) : std::next(it);
    }
};

const std::shared_ptr<Registry>& TheRegistry()
{
    static const std::shared_ptr<Registry> registry = std::make_shared<Registry>();
    return registry;
}

struct Launch {
    std::shared_ptr<Registry> registry;
    std::shared_ptr<JobContext::State> state;
};

void RunWork(JobContext::State& state)
{
    JobResult result;
    JobContext context(state);
    if (!state.cancelled)
        GuardedCall(L"job", [&] { result = state.work(context); });
    state.work = nullptr;  // what the work captured goes with it, on this thread
    {
        const std::lock_guard<std::mutex> held(state.lock);
        state.result = std::move(result);
    }
    state.finished = true;
    if (state.cancelled) {
        state.Drop();
        return;
    }
    // A window that is gone takes no message: the result goes with the job.
    if (!PostMessageW(state.target, JobMessage(), 0, static_cast<LPARAM>(state.id)))
        state.Drop();
    // Cancelled while the message was being posted: the result need not wait for it.
    if (state.cancelled)
        state.Drop();
}

DWORD WINAPI JobThread(void* parameter)
{
    const std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
    // The process keeps a multithreaded apartment, so joining it costs no set-up of COM per job.
    static const bool apartment = [] {
        CO_MTA_USAGE_COOKIE cookie{};
        return SUCCEEDED(CoIncrementMTAUsage(&cookie));
    }();
    SkipIfFalse(apartment, L"keep the multithreaded apartment");
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    SkipIfFailed(com, L"join the multithreaded apartment");
    RunWork(*launch->state);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

}  // namespace

bool JobContext::Cancelled() const
{
    return state_.cancelled;
}

void JobContext::SetProgress(int percent)
{
    state_.progress = std::clamp(percent, 0, 100);
}

Job::~Job()
{
    Cancel();
}

Job& Job::operator=(Job&& other) noexcept
{
    if (this != &other) {
        Cancel();
        state_ = std::move(other.state_);
    }
    return *this;
}

Job Job::Start(HWND target, JobWork work)
{
    auto state = std::make_shared<JobContext::State>();
    state->target = target;
    state->work = std::move(work);
    const std::shared_ptr<Registry>& registry = TheRegistry();
    {
        const std::lock_guard<std::mutex> held(registry->lock);
        registry->Purge();
        state->id = registry->nextId++;
        registry->pending.emplace(state->id, state);
    }
    auto launch = std::make_unique<Launch>(Launch{registry, state});
    UniqueKernelHandle thread(CreateThread(nullptr, 0, &JobThread, launch.get(), 0, nullptr));
    if (!SkipIfFalse(thread.get() != nullptr, L"start a job's thread")) {
        const std::lock_guard<std::mutex> held(registry->lock);
        registry->pending.erase(state->id);
        return Job();
    }
    launch.release();  // the thread owns it now
    {
        const std::lock_guard<std::mutex> held(registry->lock);
        registry->threads.push_back(std::move(thread));
    }
    Job job;
    job.state_ = std::move(state);
    return job;
}

bool Job::Running() const
{
    if (!state_ || state_->ended)
        return false;
    // Its message went with a window that is gone: the result can never be applied.
    if (state_->finished && !IsWindow(state_->target)) {
        state_->Drop();
        return false;
    }
    return true;
}

bool Job::Finished() const
{
    return state_ && state_->finished;
}

int Job::Progress() const
{
    return state_ ? state_->progress.load() : 0;
}

void Job::Cancel()
{
    if (!state_)
        return;
    state_->cancelled = true;
    // A result already waiting for its message is let go now rather than when the message comes.
    if (state_->finished)
        state_->Drop();
}

bool Job::Cancelled() const
{
    return state_ && state_->cancelled;
}

UINT JobMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Quadrino.JobResult");
    return message;
}

bool HandleJobMessage(UINT msg, WPARAM /*wParam*/, LPARAM lParam)
{
    if (msg == 0 || msg != JobMessage())
        return false;
    std::shared_ptr<JobContext::State> state;
    {
        const std::shared_ptr<Registry>& registry = TheRegistry();
        const std::lock_guard<std::mutex> held(registry->lock);
        const auto it = registry->pending.find(static_cast<UINT_PTR>(lParam));
        if (it == registry->pending.end())
            return true;
        state = it->second.lock();
        registry->pending.erase(it);
    }
    // Nobody holds the job any more: superseded.
    if (!state)
        return true;
    if (state->cancelled) {
        state->Drop();
        return true;
    }
    JobResult apply;
    {
        const std::lock_guard<std::mutex> held(state->lock);
        apply = std::move(state->result);
        state->result = nullptr;
    }
    state->ended = true;
    if (apply)
        GuardedCall(L"apply a job's result", apply);
    return true;
}

bool EndJobs(DWORD timeoutMs)
{
    std::vector<UniqueKernelHandle> threads;
    const std::shared_ptr<Registry>& registry = TheRegistry();
    {
        const std::lock_guard<std::mutex> held(registry->lock);
        for (auto& [id, weak] : registry->pending) {
            if (const auto state = weak.lock())
                state->cancelled = true;
        }
        registry->Purge();
        threads.swap(registry->threads);
    }
    // Bounded: a work that never looks at its cancellation must not keep the program from ending.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<UniqueKernelHandle> left;
    for (UniqueKernelHandle& thread : threads) {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (WaitForSingleObject(thread.get(), wait) != WAIT_OBJECT_0)
            left.push_back(std::move(thread));
    }
    const bool allEnded = left.empty();
    const std::lock_guard<std::mutex> held(registry->lock);
    for (UniqueKernelHandle& thread : left)
        registry->threads.push_back(std::move(thread));
    registry->Purge();
    return allEnded;
}

int RunningJobThreads()
{
    const std::shared_ptr<Registry>& registry = TheRegistry();
    const std::lock_guard<std::mutex> held(registry->lock);
    registry->Purge();
    return static_cast<int>(registry->threads.size());
}

}  // namespace forms
