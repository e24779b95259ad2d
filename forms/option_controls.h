#pragma once
// Choices beside the small controls: option (radio) buttons, and a number box with up-down arrows.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>

#include "forms/controls.h"

namespace forms {

// One of a group of option buttons; the first of a group is created with `firstOfGroup`.
class OptionButton : public Control {
public:
    bool Create(HWND parent, const std::wstring& caption, const Bounds& bounds, bool firstOfGroup);
    bool Value() const;
    // Checks this button and unchecks the others of its group; raises onClick when it changes.
    void SetValue();
    std::function<void()> onClick;  // after the user or SetValue chose it

protected:
    bool OnCommand(WORD code) override;
};

// The whole number a text of at most maxDigits decimal digits (and nothing else) spells, when it lies
// from minimum to maximum.
std::optional<int> ParseDecimal(const std::wstring& text, std::size_t maxDigits, int minimum, int maximum);

// A text box for a whole number with up-down arrows on its right; typing, the arrows and the arrow
// keys raise onChange.
class NumberBox : public TextBox {
public:
    bool Create(HWND parent, int value, int minimum, int maximum, const Bounds& bounds);
    // The number shown, when the text is one within the range.
    std::optional<int> Number() const;
    void SetNumber(int value);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    // Moves the box and its arrows together (the arrows take the box's right end).
    void Place(const Bounds& bounds);
    // Destroys the arrows and the box.
    void DestroyWithArrows();
    std::function<void()> onChange;

protected:
    bool OnCommand(WORD code) override;

private:
    UniqueHwnd arrows_;
    int minimum_ = 0;
    int maximum_ = 0;
};

}  // namespace forms
