#pragma once
// Counts of the process's GDI objects, USER objects and kernel handles that also work under Wine,
// where GetGuiResources and GetProcessHandleCount report 0.

#include <windows.h>

namespace perfcount {

struct Counts {
    long gdi = 0;      // bitmaps, DCs, brushes, fonts, ... that are alive
    long user = 0;     // windows and menus of this process
    long handles = 0;  // kernel handles (files, events, sections, ...)
};

namespace detail {

// GDI and USER handles keep their table index in the low 16 bits; a handle with a zero upper half
// names whatever object lives at that index, so every index can be asked once.
inline long ProbeGdiObjects()
{
    long count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    return count;
}

inline long ProbeMenus()
{
    long count = 0;
    for (ULONG_PTR index = 0x20; index < 0x10000; index += 2)
        if (IsMenu(reinterpret_cast<HMENU>(index)))
            ++count;
    return count;
}

inline BOOL CALLBACK CountChild(HWND, LPARAM counter)
{
    ++*reinterpret_cast<long*>(counter);
    return TRUE;
}

struct WindowCount {
    DWORD process;
    long count;
};

inline BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM state)
{
    auto* windows = reinterpret_cast<WindowCount*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == windows->process) {
        ++windows->count;
        EnumChildWindows(hwnd, CountChild, reinterpret_cast<LPARAM>(&windows->count));
    }
    return TRUE;
}

// Top-level and message-only windows of this process with all their descendants.
inline long CountWindows()
{
    WindowCount windows{GetCurrentProcessId(), 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr))
        CountTopLevel(hwnd, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

// Kernel handles are multiples of 4; the table is asked slot by slot up to a generous bound.
inline long ProbeHandles()
{
    long count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

}  // namespace detail

inline Counts Take()
{
    Counts counts;
    const HANDLE self = GetCurrentProcess();
    const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS);
    counts.gdi = gdi > 0 ? static_cast<long>(gdi) : detail::ProbeGdiObjects();
    const DWORD user = GetGuiResources(self, GR_USEROBJECTS);
    counts.user = user > 0 ? static_cast<long>(user) : detail::CountWindows() + detail::ProbeMenus();
    DWORD handles = 0;
    counts.handles =
        GetProcessHandleCount(self, &handles) && handles > 0 ? static_cast<long>(handles) : detail::ProbeHandles();
    return counts;
}

}  // namespace perfcount
