#pragma once
// A top-level window that hosts controls; the base of the main window and the dialogs.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/handles.h"

namespace forms {

// The fixed tool-window frame of the program's dialogs: narrow title bar with a close box, no icon, no
// sizing, no task-bar button.
constexpr DWORD kToolDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kToolDialogExStyle = WS_EX_TOOLWINDOW;

struct FormStyle {
    std::wstring caption;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int clientWidthTwips = 0;  // design client size; converted with the window's real DPI
    int clientHeightTwips = 0;
    HICON icon = nullptr;  // not owned
    HWND owner = nullptr;  // stays above it and goes with it; not owned
};

class Form {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the (hidden) window and raises onLoad. Returns false when no window could be made.
    bool Load(const FormStyle& style);
    bool IsLoaded() const { return static_cast<bool>(hwnd_); }
    // Destroys the window without asking; the object and its fields stay.
    void Unload();

    HWND Hwnd() const { return hwnd_.get(); }

    // Outer bounds in screen pixels, frame and caption included.
    forms::Bounds GetBounds() const;
    bool SetBounds(const forms::Bounds& bounds);
    int Left() const { return GetBounds().left; }
    int Top() const { return GetBounds().top; }
    int Width() const { return GetBounds().width; }
    int Height() const { return GetBounds().height; }
    bool SetLeft(int left);
    bool SetTop(int top);
    bool SetOuterSize(int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void Show();  // not modal
    void Hide();
    bool Visible() const;
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The window's dots per inch and design-unit conversions at that DPI.
    int Dpi() const;
    int TwipsToPixels(int twips) const;  // MulDiv(twips, dpi, 1440)
    double TwipsPerPixel() const;        // 1440 / dpi (15 at 96 DPI)

    // Sets the keyboard order of the child controls: the first is reached first by Tab.
    void SetTabOrder(std::initializer_list<const Control*> controls);

    // Events, raised synchronously on the user-interface thread.
    std::function<void()> onLoad;      // once per Load, before the window is first shown
    std::function<void()> onResize;    // WM_SIZE, including the first show, minimize and restore
    std::function<void()> onGotFocus;  // the window itself (not a control) received the focus
    // Close box, system menu or Alt+F4. When set, the handler decides (it may call Unload);
    // when empty, the window unloads.
    std::function<void()> onClose;
    std::function<void()> onUnload;              // the window is being destroyed (WM_DESTROY)
    std::function<void()> onDpiChanged;          // after the window was moved to a monitor of another DPI
    std::function<void(WORD id)> onAccelerator;  // a key of the accelerator table was pressed

    // Keys that work while the window is active, whichever of its controls has the focus.
    void SetAccelerators(const std::vector<ACCEL>& keys);
    // The accelerator table of a form's top-level window; nullptr for other windows.
    static HACCEL AcceleratorsOf(HWND hwnd);

protected:
    // Messages of the form's own window that a derived form wants first.
    virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    UniqueHwnd hwnd_;
    UniqueHaccel accelerators_;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window was deactivated
    UniqueHfont defaultFont_;   // answered to WM_GETFONT, so new controls take it
    bool raiseResize_ = false;  // no onResize while the window is being made
    bool shownOnce_ = false;
    int resizeCount_ = 0;
};

// True when the window is a Form's top-level window (keyboard navigation applies to it).
bool IsFormWindow(HWND hwnd);

}  // namespace forms
