#pragma once
// Small helpers the drive, folder and file lists share.

#include <windows.h>

namespace forms {

// Keeps the system from asking "insert a disk" while a drive without a medium is probed.
class QuietErrorMode {
public:
    QuietErrorMode() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ~QuietErrorMode() { SetThreadErrorMode(old_, nullptr); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD old_ = 0;
};

// Bulk fills go straight to the list's class procedure, past the wrapper's own procedure.
class ClassProcSender {
public:
    explicit ClassProcSender(HWND window)
        : window_(window), proc_(reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)))
    {
    }
    LRESULT operator()(UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        return proc_ ? CallWindowProcW(proc_, window_, msg, wParam, lParam) : SendMessageW(window_, msg, wParam, lParam);
    }

private:
    HWND window_;
    WNDPROC proc_;
};

}  // namespace forms
