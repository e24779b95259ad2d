#pragma once
// Work off the window's thread. A handler starts a job and returns; the work runs on a thread of its
// own, polls its cancellation and reports its progress; what it returns is applied on the window's
// thread when a posted message arrives, and only while the job is still wanted: a job that was
// cancelled, superseded (its Job handle replaced or destroyed) or whose window is gone is dropped.
//
//   selectionJob_ = forms::Job::Start(Hwnd(), [path](forms::JobContext& job) -> forms::JobResult {
//       auto picture = forms::DecodePicture(path, job);       // on the worker thread
//       return [this, p = std::move(picture)]() mutable { Show(std::move(p)); };  // window's thread
//   });
//
// The target window's procedure passes its messages through HandleJobMessage (forms::Form does).
// Each worker joins the process's multithreaded COM apartment. EndJobs, before the process ends,
// cancels every job and waits a bounded time for its thread.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

namespace forms {

// What the work sees of its job, on the worker thread.
class JobContext {
public:
    // True once the job was cancelled or superseded: the work stops at its next step and cleans up.
    bool Cancelled() const;
    // How far the work is, 0 to 100; read by the window's thread through Job::Progress.
    void SetProgress(int percent);

    struct State;
    explicit JobContext(State& state) : state_(state) {}

private:
    State& state_;
};

// Runs on the window's thread; empty when there is nothing to apply.
using JobResult = std::function<void()>;
using JobWork = std::function<JobResult(JobContext&)>;

// The owner's hold on a job. Destroying or replacing it cancels the job; its result is then dropped.
class Job {
public:
    Job() = default;
    ~Job();
    Job(Job&& other) noexcept = default;
    Job& operator=(Job&& other) noexcept;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Starts `work` on a new thread; its result goes to `target` as a posted message. An empty Job
    // when no thread could be started (the work has not run).
    static Job Start(HWND target, JobWork work);

    bool Started() const { return state_ != nullptr; }
    // Started, and neither applied nor dropped yet.
    bool Running() const;
    // The work has returned on its thread (whatever happens to its result).
    bool Finished() const;
    // 0 to 100, as the work last reported.
    int Progress() const;
    // The work sees Cancelled() from now on and its result is dropped. Returns at once.
    void Cancel();
    bool Cancelled() const;

private:
    std::shared_ptr<JobContext::State> state_;
};

// The message a worker posts to its target window. Windows that are not forms::Form pass their
// messages through HandleJobMessage.
UINT JobMessage();
// Applies a job's result if `msg` is a job's message and the job is still wanted. True when `msg`
// was a job's message (applied or dropped).
bool HandleJobMessage(UINT msg, WPARAM wParam, LPARAM lParam);

// Cancels every job and waits up to `timeoutMs` for their threads to end. True when none is left.
bool EndJobs(DWORD timeoutMs);
// Threads of jobs that have not ended yet.
int RunningJobThreads();

}  // namespace forms
