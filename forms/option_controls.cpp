#include "forms/option_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "forms/raise.h"

namespace forms {

bool OptionButton::Create(HWND parent, const std::wstring& caption, const Bounds& bounds, bool firstOfGroup)
{
    return CreateControl(L"BUTTON", caption,
                         WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0), 0, parent,
                         bounds);
}

bool OptionButton::Value() const
{
    return Hwnd() && SendMessageW(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionButton::SetValue()
{
    if (!Hwnd() || Value())
        return;
    // A click checks it and unchecks the group's others, as the user's click does.
    SendMessageW(Hwnd(), BM_CLICK, 0, 0);
}

bool OptionButton::OnCommand(WORD code)
{
    if (code != BN_CLICKED)
        return false;
    Raise(onClick);
    return true;
}

bool NumberBox::Create(HWND parent, int value, int minimum, int maximum, const Bounds& bounds)
{
    minimum_ = minimum;
    maximum_ = maximum;
    if (!TextBox::Create(parent, std::to_wstring(value), bounds))
        return false;
    SetWindowLongW(Hwnd(), GWL_STYLE, GetWindowLongW(Hwnd(), GWL_STYLE) | ES_NUMBER);
    arrows_.reset(CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                  WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS |
                                      UDS_NOTHOUSANDS,
                                  0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!arrows_)
        return true;  // the box alone still takes a number
    SendMessageW(arrows_.get(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Hwnd()), 0);
    SendMessageW(arrows_.get(), UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
    SendMessageW(arrows_.get(), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    return true;
}

std::optional<int> ParseDecimal(const std::wstring& text, std::size_t maxDigits, int minimum, int maximum)
{
    // Nine digits at most always fit an int.
    if (text.empty() || text.size() > std::min<std::size_t>(maxDigits, 9))
        return std::nullopt;
    int value = 0;
    for (const wchar_t ch : text) {
        if (ch < L'0' || ch > L'9')
            return std::nullopt;
        value = value * 10 + (ch - L'0');
    }
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<int> NumberBox::Number() const
{
    return ParseDecimal(Text(), 9, minimum_, maximum_);
}

void NumberBox::SetNumber(int value)
{
    if (arrows_)
        SendMessageW(arrows_.get(), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    SetText(std::to_wstring(value));
}

void NumberBox::Place(const Bounds& bounds)
{
    Move(bounds);
    // Set again, the arrows take the moved box's right end anew.
    if (arrows_)
        SendMessageW(arrows_.get(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Hwnd()), 0);
}

void NumberBox::DestroyWithArrows()
{
    arrows_.reset();
    Destroy();
}

bool NumberBox::OnCommand(WORD code)
{
    if (code != EN_CHANGE)
        return false;
    Raise(onChange);
    return true;
}

}  // namespace forms
