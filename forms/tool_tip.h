#pragma once
// A tooltip that shows one text for a whole control while the pointer rests on it; the controls are
// forms controls, whose windows hand it their mouse messages.

#include <windows.h>

#include <string>
#include <vector>

#include "forms/handles.h"

namespace forms {

class ToolTip {
public:
    ToolTip() = default;
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    // Gives the control the text, adding it on first use; false when no tooltip could be made.
    bool SetText(HWND control, const std::wstring& text);
    // The text the control shows, as the tooltip holds it.
    std::wstring Text(HWND control) const;

private:
    UniqueHwnd tip_;
    std::vector<HWND> tools_;
};

}  // namespace forms
