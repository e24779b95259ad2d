// Placing forms in the middle of their monitor and on top of other windows.

#include "common/commands.h"

#include <cmath>

#include "forms/form.h"
#include "forms/skip.h"

namespace Commands {

Placement CenterPosition(double screenWidth, double screenHeight, double formWidth, double formHeight)
{
    // Rounding to nearest (ties to even) as the integer conversions of the original arithmetic do.
    const long upperScreen = std::lrint(screenHeight * 0.85);
    const long top = upperScreen / 2 - std::lrint(formHeight) / 2;
    const long left = std::lrint(screenWidth) / 2 - std::lrint(formWidth) / 2;
    return {left < 0 ? 0 : left, top < 0 ? 0 : top};
}

void CenterForm(forms::Form& form)
{
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(form.Hwnd(), MONITOR_DEFAULTTONEAREST), &info))
        area = info.rcMonitor;
    const forms::Bounds bounds = form.GetBounds();
    const Placement place = CenterPosition(area.right - area.left, area.bottom - area.top, bounds.width, bounds.height);
    form.SetBounds({area.left + place.left, area.top + place.top, bounds.width, bounds.height});
}

void SetTopMost(forms::Form& form)
{
    forms::SkipIfFalse(SetWindowPos(form.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE), L"top most");
}

void SetAlwaysOnTop(forms::Form& form, bool state)
{
    const HWND order = state ? HWND_TOPMOST : HWND_NOTOPMOST;
    forms::SkipIfFalse(SetWindowPos(form.Hwnd(), order, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE), L"always on top");
}

}  // namespace Commands
