#pragma once
// Base of every control wrapper: owns the HWND and receives the notifications its parent reflects.

#include <windows.h>

#include <functional>
#include <string>

#include "forms/handles.h"

namespace forms {

// Position and size of a control in its container's client pixels.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND Hwnd() const { return hwnd_.get(); }
    bool IsCreated() const { return static_cast<bool>(hwnd_); }

    forms::Bounds GetBounds() const;  // in the container's client pixels
    int Left() const { return GetBounds().left; }
    int Top() const { return GetBounds().top; }
    int Width() const { return GetBounds().width; }
    int Height() const { return GetBounds().height; }
    // False when the platform refuses (negative size, no window). The control paints itself afresh, unless
    // it asks to take what it shows along: then only what comes into view is painted.
    bool Move(const forms::Bounds& bounds, bool keepShownPart = false);

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetFocus();
    bool HasFocus() const;
    void SetFont(HFONT font);  // the font stays owned by the caller

    // Destroys the window; the wrapper can be created again.
    void Destroy();

protected:
    // Creates the child window, attaches this wrapper to it and puts a window procedure in front of
    // its class's so that HandleMessage sees its messages. Returns false when the window could not be made.
    bool CreateControl(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle, HWND parent,
                       const forms::Bounds& bounds);

    // Notifications reflected by the parent (WM_COMMAND code, WM_NOTIFY, owner drawing).
    virtual bool OnCommand(WORD /*code*/) { return false; }
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT* /*item*/) { return false; }
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT* /*item*/) { return false; }
    // Messages sent to the control's own window before its class procedure sees them.
    virtual bool HandleMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
    {
        return false;
    }
    // Calls the control's original window procedure (for use inside HandleMessage).
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);

    UniqueHwnd hwnd_;
};

// Registers a window class of this module whose windows only a wrapper's procedure brings to life
// (DefWindowProcW, an arrow cursor, the given background); true when it is there.
bool RegisterWrapperClass(const wchar_t* name, HBRUSH background);

// The wrapper attached to a control window, or nullptr.
Control* ControlFromHwnd(HWND hwnd);

// Hands the mouse messages of a control window to a tooltip, as a hook in the window would, but without
// the window server's round trip that such a hook costs on every message; nullptr ends it.
void RelayMouseToTip(HWND control, HWND tip);

// WM_GETDLGCODE's question: is the message a dialog manager would take an Enter key going down?
inline bool AsksForEnter(LPARAM lParam)
{
    const MSG* const message = reinterpret_cast<const MSG*>(lParam);
    return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

// Every container's window procedure calls this first: it hands WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM and WM_MEASUREITEM to the wrapper of the control that sent them.
bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace forms
