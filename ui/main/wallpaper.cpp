#include "ui/main/wallpaper.h"

#include <windows.h>
#include <shlobj.h>

#include "forms/handles.h"

namespace ui {

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

imaging::SaveResult FailedWin32(DWORD error)
{
    if (error == ERROR_SUCCESS)
        error = ERROR_GEN_FAILURE;
    return {false, HRESULT_FROM_WIN32(error), error};
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The tiled, unstretched style, as the desktop settings of the system write it.
DWORD SetTiledStyle()
{
    HKEY opened = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
    const forms::UniqueHkey key(opened);
    if (status == ERROR_SUCCESS)
        status = SetText(key.get(), L"TileWallpaper", L"1");
    if (status == ERROR_SUCCESS)
        status = SetText(key.get(), L"WallpaperStyle", L"0");
    return static_cast<DWORD>(status);
}

}  // namespace

std::wstring WallpaperFilePath()
{
    PWSTR folder = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder);
    std::wstring path = SUCCEEDED(hr) && folder ? folder : L"";
    CoTaskMemFree(folder);
    if (path.empty())
        return path;
    if (path.back() != L'\\')
        path += L'\\';
    return path + L"Brenwick Quadrino\\Hintergrund.bmp";
}

imaging::SaveResult SetTiledWallpaper(imaging::ConstPixels tile, std::uint32_t background)
{
    const std::wstring path = WallpaperFilePath();
    if (path.empty())
        return FailedWin32(ERROR_PATH_NOT_FOUND);
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return FailedWin32(GetLastError());
    // Written beside the old file and moved over it when complete: the desktop never shows half a file.
    const imaging::SaveResult saved =
        imaging::SaveTilingToFile(path, imaging::ImageFormat::Bmp, tile, tile.width, tile.height, background);
    if (!saved.ok)
        return saved;
    if (const DWORD error = SetTiledStyle(); error != ERROR_SUCCESS)
        return FailedWin32(error);
    if (!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(path.c_str()),
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        return FailedWin32(GetLastError());
    return {true, S_OK, 0};
}

}  // namespace ui
