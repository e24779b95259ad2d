// The program-wide variables and the two routines that fill them at start-up.

#include "common/commands.h"

#include <shlobj.h>

#include <vector>

#include "forms/handles.h"

namespace Commands {

std::wstring AppPath;
std::wstring AppTitle;
std::wstring StartFile;
std::wstring CrLf;
std::wstring CurrentFolder;
std::wstring CurrentFile;
std::wstring TilesFolder;

namespace {

// The full path of the running program file; empty when Windows cannot tell.
std::wstring ModuleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        // The name was cut: try again with room for a long path.
        buffer.resize(buffer.size() * 4);
    }
    return {};
}

// Whether a file can be made in the folder: a trial file that removes itself when closed.
bool CanWriteInto(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const std::wstring probe = folder + L"~quadrino-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const forms::UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

// The user's local application-data folder, ending in "\"; empty when the system cannot tell.
std::wstring LocalAppDataFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path)
        folder = path;
    CoTaskMemFree(path);
    if (!folder.empty())
        AddBackslash(folder);
    return folder;
}

}  // namespace

void InitEnvironment()
{
    const std::wstring module = ModuleFileName();
    const std::size_t last = module.rfind(L'\\');
    if (last != std::wstring::npos)
        AppPath = module.substr(0, last + 1);
    AddBackslash(AppPath);
    CrLf = L"\r\n";
}

void InitProgramFiles()
{
    AppTitle = L"Brenwick Quadrino";
    TilesFolder = AppPath + L"Tiles\\";
    if (!FolderExists(TilesFolder))
        MakeFolderPath(TilesFolder);
    if (CanWriteInto(TilesFolder))
        return;
    // Installed where it may not write (the program files folder): the user's own folder holds the collection.
    std::wstring fallback = LocalAppDataFolder();
    if (fallback.empty())
        return;
    fallback += L"Brenwick Quadrino\\Tiles\\";
    if (!FolderExists(fallback))
        MakeFolderPath(fallback);
    TilesFolder = fallback;
}

}  // namespace Commands
