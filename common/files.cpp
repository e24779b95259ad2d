// Testing and deleting single files; every platform failure ends in False or in nothing.

#include "common/commands.h"

#include "forms/handles.h"
#include "forms/skip.h"

namespace Commands {

bool FileExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    const forms::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    // A device name (NUL, CON, COM1, a pipe) opens the device, which is no file either.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        return false;
    // Where the platform hands out a handle to a folder, that is still no file.
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file.get(), &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return true;
}

void DeleteFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // Read-only, hidden and system files can only be deleted without their attributes.
    forms::SkipIfFalse(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL), L"clear attributes");
    if (!forms::SkipIfFalse(DeleteFileW(path.c_str()), L"delete") && attributes != INVALID_FILE_ATTRIBUTES)
        forms::SkipIfFalse(SetFileAttributesW(path.c_str(), attributes), L"restore attributes");
}

}  // namespace Commands
