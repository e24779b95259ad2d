#include "forms/form.h"

#include <map>

#include "forms/clipboard.h"
#include "forms/fonts.h"
#include "forms/jobs.h"
#include "forms/raise.h"
#include "forms/skip.h"

namespace forms {

namespace {

constexpr wchar_t kFormClass[] = L"QuadrinoForm";

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// Looked up at run time so the program still starts where the per-monitor DPI calls are missing.
GetDpiForWindowFn DpiForWindowFunction()
{
    static const auto function = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return function;
}

AdjustWindowRectExForDpiFn AdjustForDpiFunction()
{
    static const auto function = reinterpret_cast<AdjustWindowRectExForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    return function;
}

int ScreenDpi()
{
    WindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int WindowDpi(HWND hwnd)
{
    if (hwnd) {
        if (const auto function = DpiForWindowFunction()) {
            const UINT dpi = function(hwnd);
            if (dpi > 0)
                return static_cast<int>(dpi);
        }
    }
    return ScreenDpi();
}

}  // namespace

bool IsFormWindow(HWND hwnd)
{
    if (!hwnd)
        return false;
    wchar_t name[32] = {};
    return GetClassNameW(hwnd, name, 32) > 0 && lstrcmpiW(name, kFormClass) == 0;
}

Form::Form() = default;

Form::~Form()
{
    // The derived form is already gone: no handler of it may run while the window goes.
    onLoad = nullptr;
    onResize = nullptr;
    onGotFocus = nullptr;
    onClose = nullptr;
    onUnload = nullptr;
    onDpiChanged = nullptr;
    if (const HWND hwnd = hwnd_.get()) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_.reset();
    }
}

bool Form::Load(const FormStyle& style)
{
    if (hwnd_)
        return true;
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Form::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kFormClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered)
        return false;

    raiseResize_ = false;
    shownOnce_ = false;
    lastFocus_ = nullptr;
    const HWND hwnd =
        CreateWindowExW(style.exStyle, kFormClass, style.caption.c_str(), style.style & ~WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, 100, 100, style.owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd)
        return false;

    const int dpi = WindowDpi(hwnd);
    defaultFont_ = CreateDefaultFont(dpi);
    if (style.icon) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(style.icon));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(style.icon));
    }
    if (style.clientWidthTwips > 0 && style.clientHeightTwips > 0) {
        RECT rect{0, 0, MulDiv(style.clientWidthTwips, dpi, 1440), MulDiv(style.clientHeightTwips, dpi, 1440)};
        // The styles the system really gave the window decide the frame's size.
        const auto realStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        const auto realExStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
        if (const auto adjust = AdjustForDpiFunction())
            adjust(&rect, realStyle, FALSE, realExStyle, static_cast<UINT>(dpi));
        else
            AdjustWindowRectEx(&rect, realStyle, FALSE, realExStyle);
        SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    raiseResize_ = true;
    Raise(onLoad);
    return true;
}

void Form::Unload()
{
    if (const HWND hwnd = hwnd_.get()) {
        DestroyWindow(hwnd);
        hwnd_.release();  // WM_NCDESTROY normally did this already
    }
}

forms::Bounds Form::GetBounds() const
{
    RECT rect{};
    if (!hwnd_ || !GetWindowRect(hwnd_.get(), &rect))
        return {};
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

namespace {

// A minimized or maximized window refuses a new position or size, as the forms runtime did.
bool CanPlace(HWND hwnd)
{
    return hwnd && !IsIconic(hwnd) && !IsZoomed(hwnd);
}

}  // namespace

bool Form::SetBounds(const forms::Bounds& bounds)
{
    const HWND hwnd = hwnd_.get();
    if (!CanPlace(hwnd) || bounds.width < 0 || bounds.height < 0)
        return false;
    return SetWindowPos(hwnd, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                        SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool Form::SetLeft(int left)
{
    const HWND hwnd = hwnd_.get();
    if (!CanPlace(hwnd))
        return false;
    return SetWindowPos(hwnd, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool Form::SetTop(int top)
{
    const HWND hwnd = hwnd_.get();
    if (!CanPlace(hwnd))
        return false;
    return SetWindowPos(hwnd, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool Form::SetOuterSize(int width, int height)
{
    const HWND hwnd = hwnd_.get();
    if (!CanPlace(hwnd) || width < 0 || height < 0)
        return false;
    return SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

int Form::ClientWidth() const
{
    RECT rect{};
    return hwnd_ && GetClientRect(hwnd_.get(), &rect) ? rect.right - rect.left : 0;
}

int Form::ClientHeight() const
{
    RECT rect{};
    return hwnd_ && GetClientRect(hwnd_.get(), &rect) ? rect.bottom - rect.top : 0;
}

std::wstring Form::Caption() const
{
    if (!hwnd_)
        return {};
    const int length = GetWindowTextLengthW(hwnd_.get());
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_.get(), text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void Form::SetCaption(const std::wstring& caption)
{
    if (hwnd_)
        SetWindowTextW(hwnd_.get(), caption.c_str());
}

void Form::Show()
{
    const HWND hwnd = hwnd_.get();
    if (!hwnd)
        return;
    const int before = resizeCount_;
    ShowWindow(hwnd, SW_SHOW);
    // Showing the window for the first time counts as a resize, even when the size did not change.
    if (!shownOnce_ && hwnd_) {
        shownOnce_ = true;
        if (resizeCount_ == before && onResize) {
            ++resizeCount_;
            onResize();
        }
    }
}

void Form::Hide()
{
    if (hwnd_)
        ShowWindow(hwnd_.get(), SW_HIDE);
}

bool Form::Visible() const
{
    return hwnd_ && IsWindowVisible(hwnd_.get());
}

bool Form::Enabled() const
{
    return hwnd_ && IsWindowEnabled(hwnd_.get());
}

void Form::SetEnabled(bool enabled)
{
    if (hwnd_)
        EnableWindow(hwnd_.get(), enabled ? TRUE : FALSE);
}

int Form::Dpi() const
{
    return WindowDpi(hwnd_.get());
}

int Form::TwipsToPixels(int twips) const
{
    return MulDiv(twips, Dpi(), 1440);
}

double Form::TwipsPerPixel() const
{
    return 1440.0 / Dpi();
}

void Form::SetTabOrder(std::initializer_list<const Control*> controls)
{
    // Tab follows the z-order of siblings; each container keeps its own chain.
    std::map<HWND, HWND> lastInContainer;
    for (const Control* control : controls) {
        const HWND hwnd = control ? control->Hwnd() : nullptr;
        if (!hwnd)
            continue;
        const HWND container = GetParent(hwnd);
        const auto found = lastInContainer.find(container);
        const HWND after = found == lastInContainer.end() ? HWND_TOP : found->second;
        SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        lastInContainer[container] = hwnd;
    }
}

void Form::SetAccelerators(const std::vector<ACCEL>& keys)
{
    std::vector<ACCEL> table = keys;
    accelerators_.reset(table.empty() ? nullptr
                                      : CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
}

HACCEL Form::AcceleratorsOf(HWND hwnd)
{
    if (!IsFormWindow(hwnd))
        return nullptr;
    const auto* form = reinterpret_cast<const Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form ? form->accelerators_.get() : nullptr;
}

bool Form::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Form*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        if (form)
            form->hwnd_.reset(hwnd);
    }
    // The clipboard's requests come first, even while the form object is already gone.
    LRESULT answer = 0;
    if (HandleClipboardOwnerMessage(hwnd, msg, wParam, lParam, answer))
        return answer;
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (form && form->hwnd_.get() == hwnd)
            form->hwnd_.release();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    // A handler's failure must not unwind through the system's code.
    if (GuardedCall(L"form message", [&] { result = form->Dispatch(msg, wParam, lParam); }))
        return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Form::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_.get();
    LRESULT result = 0;
    // A job's result for this window: applied here, on its own thread, when still wanted.
    if (HandleJobMessage(msg, wParam, lParam))
        return 0;
    if (ReflectToControl(msg, wParam, lParam, result))
        return result;
    if (HandleMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_GETFONT: return reinterpret_cast<LRESULT>(defaultFont_.get());
    case DM_GETDEFID: {
        // Enter clicks the push button that has the focus; no button is a standing default.
        const HWND focus = GetFocus();
        if (focus && GetParent(focus) == hwnd) {
            wchar_t name[16] = {};
            const auto kind = static_cast<DWORD>(GetWindowLongW(focus, GWL_STYLE)) & BS_TYPEMASK;
            if (GetClassNameW(focus, name, 16) > 0 && lstrcmpiW(name, L"Button") == 0 &&
                (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON))
                return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        }
        return 0;
    }
    case WM_SIZE:
        if (raiseResize_) {
            ++resizeCount_;
            Raise(onResize);
        }
        return 0;
    case WM_SETFOCUS: Raise(onGotFocus); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus))
                lastFocus_ = focus;
            return 0;
        }
        // Give the focus straight back to the control that had it, not to the window first.
        if (!HIWORD(wParam) && lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_) &&
            IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        lastFocus_ = nullptr;
        if (!HIWORD(wParam)) {
            // A window with controls gives the focus to one: the first in tab order that can take it.
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus))
                return 0;
            if (const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE); first && IsChild(hwnd, first)) {
                ::SetFocus(first);
                return 0;
            }
        }
        break;
    case WM_NEXTDLGCTL: {
        // The dialog manager moves the focus through this for a label's Alt key, as in a dialog.
        const HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                           : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
        if (target && IsChild(hwnd, target))
            ::SetFocus(target);
        return 0;
    }
    case WM_CLOSE:
        if (onClose)
            Raise(onClose);
        else
            Unload();
        return 0;
    case WM_DESTROY:
        lastFocus_ = nullptr;
        Raise(onUnload);
        return 0;
    case WM_COMMAND:
        // From the accelerator table: no control sent it.
        if (HIWORD(wParam) == 1 && lParam == 0) {
            Raise(onAccelerator, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Raise(onDpiChanged);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace forms
