#pragma once
// Small helpers the drive, folder and file lists share.

#include <windows.h>

#include <algorithm>
#include <string>

namespace forms {

// Keeps the system from asking "insert a disk" while a drive without a medium is probed.
class QuietErrorMode {
public:
    QuietErrorMode() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ~QuietErrorMode() { SetThreadErrorMode(old_, nullptr); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD old_ = 0;
};

// Bulk fills go straight to the list's class procedure, past the wrapper's own procedure.
class ClassProcSender {
public:
    explicit ClassProcSender(HWND window)
        : window_(window), proc_(reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)))
    {}
    LRESULT operator()(UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        return proc_ ? CallWindowProcW(proc_, window_, msg, wParam, lParam)
                     : SendMessageW(window_, msg, wParam, lParam);
    }

private:
    HWND window_;
    WNDPROC proc_;
};

// Replaces a list box's entries with the texts of the items in one batch: no repaint per entry, memory
// taken once. The current entry (-1 for none) is set before the list draws again.
template <class Items, class TextOf>
void FillListBox(HWND list, const Items& items, TextOf textOf, int current = -1)
{
    if (!list)
        return;
    const ClassProcSender send(list);
    send(WM_SETREDRAW, FALSE, 0);
    send(LB_RESETCONTENT, 0, 0);
    std::size_t chars = 0;
    for (const auto& item : items)
        chars += textOf(item).size() + 1;
    send(LB_INITSTORAGE, static_cast<WPARAM>(items.size()), static_cast<LPARAM>(chars * sizeof(wchar_t)));
    for (const auto& item : items)
        send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(textOf(item).c_str()));
    if (current >= 0)
        send(LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    send(WM_SETREDRAW, TRUE, 0);
}

// The text of entry index of a list box (LB_ messages) or of a combo box's list (CB_ ones); empty
// when there is no such entry or no window.
inline std::wstring ItemText(HWND window, UINT lengthMessage, UINT textMessage, int index)
{
    if (!window || index < 0)
        return {};
    const LRESULT length = SendMessageW(window, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length <= 0)  // LB_ERR and CB_ERR are -1
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(window, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : std::min(static_cast<size_t>(copied), static_cast<size_t>(length)));
    return text;
}
inline std::wstring ListBoxItem(HWND list, int index)
{
    return ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, index);
}
inline std::wstring ComboBoxItem(HWND combo, int index)
{
    return ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

}  // namespace forms
