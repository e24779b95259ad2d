#include "forms/events.h"

#include <windows.h>

#include <set>
#include <utility>

#include "forms/form.h"

namespace forms {

namespace {

BOOL CALLBACK ShowFocusMarks(HWND child, LPARAM)
{
    SendMessageW(child, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return TRUE;
}

// Once the keyboard moves the focus, the focus marks show, as the system does for dialogs.
void ShowFocusMarksOnKeyboardUse(HWND root, const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return;
    const bool navigates =
        msg.wParam == VK_TAB || msg.wParam == VK_MENU || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN);
    if (navigates)
        EnumChildWindows(root, &ShowFocusMarks, 0);
}

// The wheel turns what is under the pointer within the same window, not only what has the focus.
void SendWheelToWindowUnderPointer(MSG& msg)
{
    const POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    const HWND under = WindowFromPoint(at);
    if (under && under != msg.hwnd && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId() &&
        GetAncestor(under, GA_ROOT) == GetAncestor(msg.hwnd, GA_ROOT))
        msg.hwnd = under;
}

void DispatchOne(MSG& msg)
{
    if (msg.message == WM_MOUSEWHEEL && msg.hwnd)
        SendWheelToWindowUnderPointer(msg);
    // Keys for a form go through the dialog manager first, so Tab and Shift+Tab move the focus.
    if (msg.hwnd && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (IsFormWindow(root))
            ShowFocusMarksOnKeyboardUse(root, msg);
        // The window's own keys come first, whichever control has the focus.
        if (const HACCEL keys = Form::AcceleratorsOf(root); keys && TranslateAcceleratorW(root, keys, &msg))
            return;
        if (IsFormWindow(root) && IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// How deep handlers that process pending events may nest inside one another. Past it the queue is
// left to the enclosing loops, which go on with it as soon as the inner handlers return: a burst of
// queued events then runs one after another instead of ever deeper on the stack.
constexpr int kMaxNesting = 32;
int g_nesting = 0;

class NestingGuard {
public:
    NestingGuard() { ++g_nesting; }
    ~NestingGuard() { --g_nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

}  // namespace

void DoEvents()
{
    if (g_nesting >= kMaxNesting)
        return;
    const NestingGuard nested;
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

void AnswerSentMessages()
{
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
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
