// The program-wide variables and the two routines that fill them at start-up.

#include "common/commands.h"

#include <vector>

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
}

}  // namespace Commands
