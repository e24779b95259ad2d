#pragma once
// The small controls: label, button, check box, text box, frame and list box.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/control.h"

namespace forms {

class Label : public Control {
public:
    // Text wraps onto further lines when it is wider than the label.
    bool Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds);
};

class Button : public Control {
public:
    bool Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds);
    std::function<void()> onClick;

protected:
    bool OnCommand(WORD code) override;
};

class CheckBox : public Control {
public:
    bool Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds);
    int Value() const;              // 0 unchecked, 1 checked
    void SetValue(int value);       // raises onClick when the value changes
    std::function<void()> onClick;  // after the value changed by the user or by SetValue

protected:
    bool OnCommand(WORD code) override;
};

// A single-line text box whose typed characters pass a key handler first.
class TextBox : public Control {
public:
    bool Create(HWND parent, const std::wstring& text, const forms::Bounds& bounds);
    int SelStart() const;
    int SelLength() const;
    void SetSelection(int start, int length);

    // Each typed character code (WM_CHAR) goes here first; setting it to 0 discards the key.
    std::function<void(std::int16_t& keyCode)> onKeyPress;
    // Text pasted into the box goes through this first; what it returns is inserted.
    std::function<std::wstring(const std::wstring& pasted)> onPaste;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A framed group with a caption that contains other controls; they move with it.
class Frame : public Control {
public:
    bool Create(HWND parent, const std::wstring& caption, const forms::Bounds& bounds);

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();
    HFONT font_ = nullptr;  // not owned; children created inside take it too
};

// A plain list box of texts.
class ListBox : public Control {
public:
    bool Create(HWND parent, const forms::Bounds& bounds);
    void Clear();
    void AddItem(const std::wstring& text);
    int ListCount() const;
    std::wstring List(int index) const;
};

}  // namespace forms
