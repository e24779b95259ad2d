// Testing for a folder and creating a folder path level by level.

#include "common/commands.h"

#include "forms/handles.h"

namespace Commands {

bool FolderExists(std::wstring path)
{
    AddBackslash(path);
    WIN32_FIND_DATAW data{};
    const forms::UniqueFind find(FindFirstFileW((path + L"*.*").c_str(), &data));
    if (!find)
        return false;
    // Hidden and system entries do not count; "." of a non-root folder is a plain entry.
    do {
        if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            return data.cFileName[0] != L'\0';
    } while (FindNextFileW(find.get(), &data));
    return false;
}

bool MakeFolderPath(std::wstring& path)
{
    AddBackslash(path);
    // The path's first letter names the drive; without one (a network path) nothing is created.
    const wchar_t drive = path[0];
    const bool isLetter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    if (!isLetter)
        return false;
    const std::wstring root = std::wstring(1, drive) + L":\\";
    if (!SetCurrentDirectoryW(root.c_str()))
        return false;

    // Levels lie between one backslash and the next, starting after "X:\".
    std::size_t start = 2;
    std::size_t pos = path.find(L'\\', 3);
    while (pos != std::wstring::npos) {
        const std::wstring part = path.substr(start + 1, pos - start - 1);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (!SetCurrentDirectoryW(part.c_str()))
            return false;
        start = pos;
        pos = path.find(L'\\', start + 1);
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

}  // namespace Commands
