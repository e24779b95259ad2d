#include "forms/file_list.h"

#include <windowsx.h>

#include <algorithm>

#include "forms/list_support.h"
#include "forms/paths.h"
#include "forms/raise.h"

namespace forms {

namespace {

// Only ordinary, read-only and archive files are listed.
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

}  // namespace

bool FileList::Create(HWND parent, const forms::Bounds& bounds)
{
    return CreateControl(L"LISTBOX", L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                         WS_EX_CLIENTEDGE, parent, bounds);
}

bool FileList::SetPath(const std::wstring& path)
{
    std::wstring folder;
    std::vector<std::wstring> names;
    const auto read = [this](const std::wstring& at, std::vector<std::wstring>& found) {
        return ReadFolder(at, found);
    };
    if (!ListFolder(path, read, folder, names))
        return false;
    path_ = folder;
    Fill(names);
    return true;
}

void FileList::SetPattern(const std::wstring& pattern)
{
    pattern_ = pattern;
    if (!path_.empty())
        Refresh();
}

void FileList::Refresh()
{
    std::vector<std::wstring> names;
    // A folder that has vanished since shows as empty rather than keeping stale names.
    if (!path_.empty() && !ReadFolder(path_, names))
        names.clear();
    Fill(names);
}

int FileList::ListCount() const
{
    return static_cast<int>(SendMessageW(Hwnd(), LB_GETCOUNT, 0, 0));
}

std::wstring FileList::List(int index) const
{
    return ListBoxItem(Hwnd(), index);
}

void FileList::SetSelected(int index)
{
    if (index < 0 || index >= ListCount())
        return;
    SendMessageW(Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Raise(onClick);
}

int FileList::ListIndex() const
{
    return static_cast<int>(SendMessageW(Hwnd(), LB_GETCURSEL, 0, 0));
}

std::wstring FileList::FileName() const
{
    const int index = ListIndex();
    return index >= 0 ? List(index) : std::wstring();
}

bool FileList::OnCommand(WORD code)
{
    if (code == LBN_SELCHANGE) {
        Raise(onClick);
        return true;
    }
    if (code == LBN_DBLCLK) {
        Raise(onDblClick);
        return true;
    }
    return false;
}

bool FileList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    int button = 0;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_CHAR: {
        // Arrows and type-ahead move the selection inside the list's own handling of the key.
        if (msg == WM_KEYDOWN) {
            lastKey_ = static_cast<int>(wParam);
            repeated_ = (lParam & (1 << 30)) != 0;  // the key was already down: auto-repeat
        }
        ++keyDepth_;
        result = CallDefault(msg, wParam, lParam);
        --keyDepth_;
        return true;
    }
    case WM_LBUTTONDOWN: button = 1; break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // a quick second right click is a button press all the same
        button = 2;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: button = 4; break;
    default: return false;
    }
    int shift = 0;
    if (wParam & MK_SHIFT)
        shift |= 1;
    if (wParam & MK_CONTROL)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    Raise(onMouseDown, button, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (button != 2)
        return false;  // the left and middle buttons go on to select as usual
    // The right button never moves the selection: the popup menu acts on the file last chosen.
    result = 0;
    return true;
}

bool FileList::ReadFolder(const std::wstring& folder, std::vector<std::wstring>& names) const
{
    names.clear();
    const std::wstring searchPattern = EveryEntryOf(folder);
    const PatternSet patterns(pattern_);
    QuietErrorMode quiet;
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirstFileExW(searchPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find && GetLastError() == ERROR_INVALID_PARAMETER)
        find.reset(FindFirstFileExW(searchPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return FoundEmptyFolder(folder);
    do {
        if (data.dwFileAttributes & kSkippedAttributes)
            continue;
        const std::wstring name = data.cFileName;
        if (patterns.Matches(name))
            names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end(), NameLess);
    return true;
}

void FileList::Fill(const std::vector<std::wstring>& names)
{
    FillListBox(Hwnd(), names, [](const std::wstring& name) -> const std::wstring& { return name; });
    if (Hwnd())
        InvalidateRect(Hwnd(), nullptr, TRUE);
}

}  // namespace forms
