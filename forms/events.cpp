#include "forms/events.h"

#include <windows.h>

#include <set>
#include <utility>

#include "forms/form.h"

namespace forms {

namespace {

void DispatchOne(MSG& msg)
{
    // Keys for a form go through the dialog manager first, so Tab and Shift+Tab move the focus.
    if (msg.hwnd && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (IsFormWindow(root) && IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void DoEvents()
{
    // A timer seen twice means the queue is drained; a slow tick handler must not keep us here.
    std::set<std::pair<HWND, WPARAM>> timersSeen;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_TIMER && !timersSeen.emplace(msg.hwnd, msg.wParam).second) {
            DispatchOne(msg);
            return;
        }
        DispatchOne(msg);
    }
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return -1;
        DispatchOne(msg);
    }
}

}  // namespace forms
