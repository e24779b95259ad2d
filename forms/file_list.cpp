#include "forms/file_list.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "forms/list_support.h"
#include "forms/raise.h"

namespace forms {

namespace {

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// '*' any run of characters, '?' one character; both texts already upper case.
bool WildcardMatch(const std::wstring& text, const std::wstring& pattern)
{
    size_t t = 0, p = 0, star = std::wstring::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

// The ";"-separated patterns, split and upper-cased once for a whole folder.
class PatternSet {
public:
    explicit PatternSet(const std::wstring& patterns)
    {
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find(L';', start);
            if (end == std::wstring::npos)
                end = patterns.size();
            std::wstring one = patterns.substr(start, end - start);
            const size_t first = one.find_first_not_of(L' ');
            const size_t last = one.find_last_not_of(L' ');
            if (first != std::wstring::npos) {
                one = Upper(one.substr(first, last - first + 1));
                // "*.*" means every file, names without a dot included.
                if (one == L"*.*")
                    one = L"*";
                patterns_.push_back(one);
            }
            start = end + 1;
        }
    }
    bool Matches(const std::wstring& name) const
    {
        const std::wstring upper = Upper(name);
        return std::any_of(patterns_.begin(), patterns_.end(),
                           [&](const std::wstring& p) { return WildcardMatch(upper, p); });
    }

private:
    std::vector<std::wstring> patterns_;
};

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// One entry of a folder by exact name, or false when there is none.
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& data)
{
    UniqueFind find(FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    return static_cast<bool>(find);
}

// Only ordinary, read-only and archive files are listed.
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

}  // namespace

bool NameLess(const std::wstring& a, const std::wstring& b)
{
    const int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                           static_cast<int>(b.size()), TRUE);
    if (order != CSTR_EQUAL)
        return order == CSTR_LESS_THAN;
    return a < b;  // a stable order for names that differ only in case
}

bool MatchesPattern(const std::wstring& name, const std::wstring& patterns)
{
    return PatternSet(patterns).Matches(name);
}

std::wstring ResolveFolderPath(const std::wstring& path)
{
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != L':')
        return {};
    std::wstring rest = path.substr(2);
    // A bare drive, or a drive list's text such as "c: [System]", means the drive's root.
    if (!rest.empty() && rest[0] == L' ')
        rest.clear();
    if (!rest.empty() && rest[0] != L'\\' && rest[0] != L'/')
        return {};  // relative to a drive's current folder: not supported

    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = rest.size();
        const std::wstring part = rest.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            if (part.find_first_of(L"*?<>|\"") != std::wstring::npos)
                return {};
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::wstring resolved;
    resolved += static_cast<wchar_t>(std::towupper(path[0]));
    resolved += L":\\";
    QuietErrorMode quiet;
    const DWORD rootAttributes = GetFileAttributesW(resolved.c_str());
    if (rootAttributes == INVALID_FILE_ATTRIBUTES || !(rootAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    for (const std::wstring& part : parts) {
        std::wstring candidate = resolved;
        if (candidate.back() != L'\\')
            candidate += L'\\';
        candidate += part;
        WIN32_FIND_DATAW data{};
        if (!FindEntry(candidate, data) || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        // The name as the file system stores it: real letter case, long form of a short name.
        candidate.resize(candidate.size() - part.size());
        candidate += data.cFileName;
        resolved = candidate;
    }
    return resolved;
}

bool FileList::Create(HWND parent, const forms::Bounds& bounds)
{
    return CreateControl(L"LISTBOX", L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                         WS_EX_CLIENTEDGE, parent, bounds);
}

bool FileList::SetPath(const std::wstring& path)
{
    const std::wstring folder = ResolveFolderPath(path);
    if (folder.empty())
        return false;
    std::vector<std::wstring> names;
    if (!ReadFolder(folder, names))
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
    const LRESULT length = SendMessageW(Hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(Hwnd(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR || copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
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
    case WM_LBUTTONDOWN:
        button = 1;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // a quick second right click is a button press all the same
        button = 2;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        button = 4;
        break;
    default:
        return false;
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
    std::wstring searchPattern = folder;
    if (searchPattern.back() != L'\\')
        searchPattern += L'\\';
    searchPattern += L'*';
    const PatternSet patterns(pattern_);
    QuietErrorMode quiet;
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirstFileExW(searchPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find && GetLastError() == ERROR_INVALID_PARAMETER)
        find.reset(FindFirstFileExW(searchPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        // An empty root folder has not even "." to report.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
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
    HWND list = Hwnd();
    if (!list)
        return;
    const ClassProcSender send(list);
    // One batch: no repaint per entry, memory taken once.
    send(WM_SETREDRAW, FALSE, 0);
    send(LB_RESETCONTENT, 0, 0);
    size_t chars = 0;
    for (const std::wstring& name : names)
        chars += name.size() + 1;
    send(LB_INITSTORAGE, static_cast<WPARAM>(names.size()), static_cast<LPARAM>(chars * sizeof(wchar_t)));
    for (const std::wstring& name : names)
        send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace forms
