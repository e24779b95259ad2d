#pragma once
// A timer that ticks on the user-interface thread while it lives.

#include <windows.h>

#include <functional>

namespace forms {

class Timer {
public:
    Timer() = default;
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Starts ticking every intervalMs milliseconds; the window only carries the WM_TIMER messages.
    bool Start(HWND window, UINT intervalMs);
    void Stop();
    bool Enabled() const { return window_ != nullptr; }
    std::function<void()> onTick;

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace forms
