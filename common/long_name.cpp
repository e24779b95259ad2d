// The long form of a path, or the path with its letter case rewritten when Windows cannot resolve it.

#include "common/commands.h"

#include <cwchar>
#include <vector>

namespace Commands {

namespace {

bool IsWordSeparator(wchar_t c)
{
    return c == L' ' || c == L'-' || c == L'(' || c == L'_' || c == L'\\';
}

// The system's case rules, one character at a time, so umlauts change too.
wchar_t ToUpper(wchar_t c)
{
    CharUpperBuffW(&c, 1);
    return c;
}

wchar_t ToLower(wchar_t c)
{
    CharLowerBuffW(&c, 1);
    return c;
}

}  // namespace

std::wstring GetLongName(std::wstring path)
{
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    DWORD r = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    // A long form that does not fit is fetched again with the size Windows asked for.
    for (int attempt = 0; attempt < 4 && r >= buffer.size(); ++attempt) {
        buffer.assign(static_cast<std::size_t>(r) + 1, L'\0');
        r = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (r != 0 && r < buffer.size())
        return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));

    for (std::size_t i = 1; i < path.size(); ++i)
        path[i] = IsWordSeparator(path[i - 1]) ? ToUpper(path[i]) : ToLower(path[i]);
    if (!path.empty())
        path[0] = ToUpper(path[0]);
    return path;
}

}  // namespace Commands
