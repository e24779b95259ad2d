#include "ui/dialogs/repair_saving.h"

#include <windows.h>

namespace ui {

namespace {

// Far beyond any folder a person keeps, and a bound on the file system calls.
constexpr int kMaxNumber = 9999;

bool Taken(const std::wstring& path)
{
    // Anything that answers, a file or a folder, takes the name; so does one the system cannot check.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::wstring FreeRepairedPath(const std::wstring& folder, const std::wstring& fileName)
{
    const std::size_t dot = fileName.find_last_of(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    for (int number = 1; number <= kMaxNumber; ++number) {
        const std::wstring path =
            folder + stem + L"_nahtlos" + (number == 1 ? std::wstring() : L"_" + std::to_wstring(number)) + L".png";
        if (!Taken(path))
            return path;
    }
    return {};
}

imaging::SaveResult SaveRepaired(const std::wstring& path, imaging::ConstPixels picture)
{
    // One tile is a tiling of its own size; the background is unused, PNG keeps the alpha.
    return imaging::SaveTilingToFile(path, imaging::ImageFormat::Png, picture, picture.width, picture.height, 0);
}

}  // namespace ui
