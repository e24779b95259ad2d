#include "forms/timer.h"

#include <map>
#include <utility>

#include "forms/raise.h"
#include "forms/skip.h"

namespace forms {

namespace {

// WM_TIMER carries only the window and the id: this finds the Timer that owns them.
std::map<std::pair<HWND, UINT_PTR>, Timer*>& RunningTimers()
{
    static std::map<std::pair<HWND, UINT_PTR>, Timer*> timers;
    return timers;
}

UINT_PTR NextTimerId()
{
    // High ids keep clear of the small ids a window's own code tends to use.
    static UINT_PTR next = 0x7000;
    return ++next;
}

}  // namespace

Timer::~Timer()
{
    Stop();
}

bool Timer::Start(HWND window, UINT intervalMs)
{
    Stop();
    // An interval of 0 means a disabled timer, as in the forms runtime.
    if (!window || intervalMs == 0)
        return false;
    const UINT_PTR id = NextTimerId();
    if (!SetTimer(window, id, intervalMs, &Timer::TimerProc))
        return false;
    window_ = window;
    id_ = id;
    RunningTimers()[{window, id}] = this;
    return true;
}

void Timer::Stop()
{
    if (!window_)
        return;
    KillTimer(window_, id_);
    RunningTimers().erase({window_, id_});
    window_ = nullptr;
    id_ = 0;
}

void CALLBACK Timer::TimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    const auto& timers = RunningTimers();
    const auto found = timers.find({hwnd, id});
    if (found == timers.end())
        return;
    // Raised through a copy: the handler may stop or destroy this timer. Nothing may unwind into the
    // system's dispatching code.
    const auto& handler = found->second->onTick;
    GuardedCall(L"timer tick", [&handler] { Raise(handler); });
}

}  // namespace forms
