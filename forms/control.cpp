#include "forms/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include "forms/skip.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace forms {

namespace {

// The wrapper and the class's own procedure of every control window. Found here rather than in a
// window property or through comctl32 subclassing: under Wine each of those asks the window server,
// which costs a round trip for every message a control receives.
struct Attached {
    Control* control = nullptr;  // nullptr once the wrapper has let go of the window
    WNDPROC original = nullptr;
    HWND mouseTip = nullptr;  // the tooltip that describes the control, if any
};

std::mutex& AttachedLock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_map<HWND, Attached>& AttachedWindows()
{
    static std::unordered_map<HWND, Attached> windows;
    return windows;
}

Attached Lookup(HWND hwnd)
{
    std::lock_guard<std::mutex> hold(AttachedLock());
    const auto& windows = AttachedWindows();
    const auto found = windows.find(hwnd);
    return found != windows.end() ? found->second : Attached{};
}
constexpr UINT kFirstControlId = 1000;
constexpr UINT kLastControlId = 0xFFFE;  // WM_COMMAND carries only 16 bits of the id

// Control ids are unique in the process, so WM_MEASUREITEM (which carries only the id) finds its
// wrapper even while the control is still inside CreateWindowExW.
std::unordered_map<UINT, Control*>& ControlsById()
{
    static std::unordered_map<UINT, Control*> controls;
    return controls;
}

UINT ClaimControlId(Control* control)
{
    static UINT next = kFirstControlId;
    auto& controls = ControlsById();
    for (UINT tries = 0; tries <= kLastControlId - kFirstControlId; ++tries) {
        const UINT id = next;
        next = next >= kLastControlId ? kFirstControlId : next + 1;
        if (controls.emplace(id, control).second)
            return id;
    }
    return 0;
}

void ReleaseControlId(HWND hwnd, const Control* control)
{
    const UINT id = static_cast<UINT>(GetWindowLongPtrW(hwnd, GWLP_ID));
    auto& controls = ControlsById();
    const auto found = controls.find(id);
    if (found != controls.end() && found->second == control)
        controls.erase(found);
}

// The wrapper lets go; the window keeps passing its messages on to its class until it is gone.
void Detach(HWND hwnd, const Control* control)
{
    {
        std::lock_guard<std::mutex> hold(AttachedLock());
        auto& windows = AttachedWindows();
        const auto found = windows.find(hwnd);
        if (found != windows.end() && found->second.control == control)
            found->second.control = nullptr;
    }
    ReleaseControlId(hwnd, control);
}

// The mouse messages a tooltip needs to see over the control it describes.
bool IsTipMouseMessage(UINT msg)
{
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return true;
    default: return false;
    }
}

void RelayToTip(HWND tip, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG relayed{};
    relayed.hwnd = hwnd;
    relayed.message = msg;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    const DWORD at = GetMessagePos();
    relayed.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace

void RelayMouseToTip(HWND control, HWND tip)
{
    std::lock_guard<std::mutex> hold(AttachedLock());
    auto& windows = AttachedWindows();
    if (const auto found = windows.find(control); found != windows.end())
        found->second.mouseTip = tip;
}

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const Attached attached = Lookup(hwnd);
    if (!attached.original)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    Control* control = attached.control;
    if (msg == WM_NCDESTROY) {
        // Destroyed with its parent: the wrapper must not destroy a handle that may be reused.
        Detach(hwnd, control);
        if (control && control->hwnd_.get() == hwnd)
            control->hwnd_.release();
        {
            std::lock_guard<std::mutex> hold(AttachedLock());
            AttachedWindows().erase(hwnd);
        }
        return CallWindowProcW(attached.original, hwnd, msg, wParam, lParam);
    }
    if (attached.mouseTip && IsTipMouseMessage(msg))
        RelayToTip(attached.mouseTip, hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    bool handled = false;
    // A handler's failure must not unwind through the system's code.
    GuardedCall(L"control message", [&] { handled = control && control->HandleMessage(msg, wParam, lParam, result); });
    if (handled)
        return result;
    return CallWindowProcW(attached.original, hwnd, msg, wParam, lParam);
}

Control::~Control()
{
    Destroy();
}

void Control::Destroy()
{
    const HWND hwnd = hwnd_.get();
    if (!hwnd)
        return;
    // Otherwise the focus would fall to the container, whose owner may be half destroyed.
    const HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus)))
        ::SetFocus(nullptr);
    Detach(hwnd, this);
    hwnd_.reset();
}

bool Control::CreateControl(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                            HWND parent, const forms::Bounds& bounds)
{
    Destroy();
    if (!parent)
        return false;
    const UINT id = ClaimControlId(this);
    if (id == 0)
        return false;
    const HWND hwnd = CreateWindowExW(
        exStyle, windowClass, text.c_str(), style | WS_CHILD, bounds.left, bounds.top, bounds.width, bounds.height,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        ControlsById().erase(id);
        return false;
    }
    hwnd_.reset(hwnd);
    // The window's own procedure is swapped for ours, which hands every message to HandleMessage first.
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    {
        std::lock_guard<std::mutex> hold(AttachedLock());
        AttachedWindows()[hwnd] = Attached{this, original};
    }
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindowProc));
    // New controls take their container's font, like controls placed on a dialog.
    auto font = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return true;
}

LRESULT Control::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_.get();
    const WNDPROC original = hwnd ? Lookup(hwnd).original : nullptr;
    return original ? CallWindowProcW(original, hwnd, msg, wParam, lParam) : 0;
}

forms::Bounds Control::GetBounds() const
{
    const HWND hwnd = hwnd_.get();
    RECT rect{};
    if (!hwnd || !GetWindowRect(hwnd, &rect))
        return {};
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool Control::Move(const forms::Bounds& bounds, bool keepShownPart)
{
    const HWND hwnd = hwnd_.get();
    if (!hwnd || bounds.width < 0 || bounds.height < 0)
        return false;
    // Kept bits are copied from the control's old place, so the caller keeps them only where that place still shows
    // the control; erasing waits for the next paint, so that no erase draws over a place a later move copies from.
    return SetWindowPos(hwnd, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (keepShownPart ? SWP_DEFERERASE : SWP_NOCOPYBITS)) != FALSE;
}

std::wstring Control::Text() const
{
    const HWND hwnd = hwnd_.get();
    if (!hwnd)
        return {};
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void Control::SetText(const std::wstring& text)
{
    if (hwnd_)
        SetWindowTextW(hwnd_.get(), text.c_str());
}

bool Control::Visible() const
{
    // The control's own flag: a control on a hidden form still counts as visible.
    return hwnd_ && (GetWindowLongW(hwnd_.get(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetVisible(bool visible)
{
    if (hwnd_)
        ShowWindow(hwnd_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::Enabled() const
{
    return hwnd_ && IsWindowEnabled(hwnd_.get());
}

void Control::SetEnabled(bool enabled)
{
    if (hwnd_)
        EnableWindow(hwnd_.get(), enabled ? TRUE : FALSE);
}

void Control::SetFocus()
{
    if (hwnd_)
        ::SetFocus(hwnd_.get());
}

bool Control::HasFocus() const
{
    return hwnd_ && GetFocus() == hwnd_.get();
}

void Control::SetFont(HFONT font)
{
    if (hwnd_)
        SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool RegisterWrapperClass(const wchar_t* name, HBRUSH background)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Control* ControlFromHwnd(HWND hwnd)
{
    return hwnd ? Lookup(hwnd).control : nullptr;
}

bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND: {
        Control* control = lParam ? ControlFromHwnd(reinterpret_cast<HWND>(lParam)) : nullptr;
        if (control && control->OnCommand(HIWORD(wParam))) {
            result = 0;
            return true;
        }
        return false;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        Control* control = header ? ControlFromHwnd(header->hwndFrom) : nullptr;
        LRESULT answer = 0;
        if (control && control->OnNotify(header, answer)) {
            result = answer;
            return true;
        }
        return false;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType == ODT_MENU)
            return false;
        Control* control = ControlFromHwnd(item->hwndItem);
        if (control && control->OnDrawItem(item)) {
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!item || item->CtlType == ODT_MENU)
            return false;
        const auto& controls = ControlsById();
        const auto found = controls.find(item->CtlID);
        if (found != controls.end() && found->second->OnMeasureItem(item)) {
            result = TRUE;
            return true;
        }
        return false;
    }
    default: return false;
    }
}

}  // namespace forms
