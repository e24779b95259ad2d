#include "forms/tool_tip.h"

#include <commctrl.h>

#include "forms/control.h"

#include <algorithm>

namespace forms {

namespace {

TTTOOLINFOW ToolFor(HWND control)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    // The control's window hands its mouse messages over (RelayMouseToTip).
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

}  // namespace

ToolTip::~ToolTip()
{
    for (const HWND control : tools_)
        RelayMouseToTip(control, nullptr);
}

bool ToolTip::SetText(HWND control, const std::wstring& text)
{
    if (!control)
        return false;
    if (!tip_) {
        // Unowned: an owned tip would hold its window back when that is made topmost (seen under Wine).
        tip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
        if (!tip_)
            return false;
    }
    TTTOOLINFOW tool = ToolFor(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    if (std::find(tools_.begin(), tools_.end(), control) == tools_.end()) {
        if (!SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
            return false;
        tools_.push_back(control);
        RelayMouseToTip(control, tip_.get());
        return true;
    }
    SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
}

std::wstring ToolTip::Text(HWND control) const
{
    if (!tip_ || std::find(tools_.begin(), tools_.end(), control) == tools_.end())
        return {};
    wchar_t buffer[512] = {};
    TTTOOLINFOW tool = ToolFor(control);
    tool.lpszText = buffer;
    SendMessageW(tip_.get(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

}  // namespace forms
