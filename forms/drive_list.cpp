#include "forms/drive_list.h"

#include <cwctype>
#include <vector>

#include "forms/list_support.h"
#include "forms/raise.h"

namespace forms {

namespace {

// "c: [Label]" as the classic drive list shows a drive; only the letter when there is no label.
std::wstring DriveText(const std::wstring& root)
{
    std::wstring text;
    text += static_cast<wchar_t>(std::towlower(root[0]));
    text += L':';
    const UINT type = GetDriveTypeW(root.c_str());
    // Network drives can hang for seconds when their server is gone; their label is not worth it.
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE && type != DRIVE_CDROM && type != DRIVE_RAMDISK)
        return text;
    wchar_t label[MAX_PATH + 1] = {};
    QuietErrorMode quiet;
    if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != L'\0') {
        text += L" [";
        text += label;
        text += L']';
    }
    return text;
}

std::vector<std::wstring> ReadDrives()
{
    std::vector<std::wstring> drives;
    const DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0)
        return drives;
    std::wstring buffer(needed + 1, L'\0');
    const DWORD written = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (written == 0 || written > buffer.size())
        return drives;
    for (const wchar_t* p = buffer.c_str(); *p; p += wcslen(p) + 1) {
        const std::wstring root = p;
        if (root.size() >= 2 && root[1] == L':')
            drives.push_back(DriveText(root));
    }
    return drives;
}

bool SameDriveLetter(const std::wstring& a, const std::wstring& b)
{
    return a.size() >= 2 && b.size() >= 2 && a[1] == L':' && b[1] == L':' && std::towupper(a[0]) == std::towupper(b[0]);
}

}  // namespace

bool DriveList::Create(HWND parent, const forms::Bounds& bounds)
{
    // A combo box's window height includes its dropped-down list.
    forms::Bounds withList = bounds;
    withList.height = bounds.height + 240;
    if (!CreateControl(L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, parent,
                       withList))
        return false;
    Refresh();
    // Start on the process's current drive, as the classic control does.
    wchar_t current[MAX_PATH] = {};
    if (GetCurrentDirectoryW(MAX_PATH, current) >= 2) {
        for (int i = 0; i < ListCount(); ++i) {
            if (SameDriveLetter(List(i), current)) {
                SendMessageW(Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                selected_ = i;
                break;
            }
        }
    }
    return true;
}

std::wstring DriveList::Drive() const
{
    const int index = static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0));
    return index >= 0 ? List(index) : std::wstring();
}

bool DriveList::SetDrive(const std::wstring& text)
{
    if (text.size() < 2 || text[1] != L':')
        return false;
    auto find = [&]() {
        for (int i = 0; i < ListCount(); ++i)
            if (SameDriveLetter(List(i), text))
                return i;
        return -1;
    };
    int index = find();
    if (index < 0) {
        // The drive may have been attached since the list was read.
        Refresh();
        index = find();
    }
    if (index < 0)
        return false;
    SendMessageW(Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index != selected_) {
        selected_ = index;
        Raise(onChange);
    }
    return true;
}

void DriveList::Refresh()
{
    if (!IsCreated())
        return;
    const std::wstring previous = Drive();
    const std::vector<std::wstring> drives = ReadDrives();
    SendMessageW(Hwnd(), CB_RESETCONTENT, 0, 0);
    for (const std::wstring& drive : drives)
        SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
    // Keep the drive that was selected when it is still there.
    selected_ = -1;
    for (int i = 0; i < ListCount(); ++i) {
        if (SameDriveLetter(List(i), previous)) {
            SendMessageW(Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            selected_ = i;
            break;
        }
    }
}

int DriveList::ListCount() const
{
    return static_cast<int>(SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0));
}

std::wstring DriveList::List(int index) const
{
    return ComboBoxItem(Hwnd(), index);
}

bool DriveList::OnCommand(WORD code)
{
    if (code != CBN_SELCHANGE)
        return false;
    const int index = static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0));
    // Browsing the open list with the arrow keys reports the same entry again; raise only on a change.
    if (index >= 0 && index != selected_) {
        selected_ = index;
        Raise(onChange);
    }
    return true;
}

}  // namespace forms
