// Path, name and key-input strings: pure routines that know only "\" and "." as separators.

#include "common/commands.h"

namespace Commands {

void AddBackslash(std::wstring& path)
{
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
}

std::wstring GetParentPath(const std::wstring& path)
{
    std::wstring copy = path;
    // A network path keeps both of its leading backslashes; any other leading one goes.
    const bool network = copy.size() >= 2 && copy[0] == L'\\' && copy[1] == L'\\';
    if (!network && !copy.empty() && copy.front() == L'\\')
        copy.erase(0, 1);
    if (!copy.empty() && copy.back() == L'\\')
        copy.pop_back();
    const std::size_t last = copy.rfind(L'\\');
    if (last != std::wstring::npos)
        copy.erase(last);
    return copy;
}

std::wstring GetFileName(const std::wstring& path)
{
    std::wstring copy = path;
    if (!copy.empty() && copy.back() == L'\\')
        copy.pop_back();
    const std::size_t last = copy.rfind(L'\\');
    if (last != std::wstring::npos)
        copy.erase(0, last + 1);
    return copy;
}

std::wstring GetExtension(const std::wstring& name)
{
    std::wstring copy = name;
    if (!copy.empty() && copy.back() == L'\\')
        copy.pop_back();
    const std::size_t dot = copy.rfind(L'.');
    if (dot != std::wstring::npos)
        copy.erase(0, dot + 1);
    return copy;
}

std::wstring GetBaseName(const std::wstring& name)
{
    const std::size_t dot = name.rfind(L'.');
    // A name that ends in its dot has no extension to strip.
    if (dot != std::wstring::npos && dot + 1 < name.size())
        return name.substr(0, dot);
    return name;
}

namespace {

bool InRange(std::int16_t code, int low, int high)
{
    return code >= low && code <= high;
}

std::int16_t FilterNameCharacter(std::int16_t code)
{
    switch (code) {
    case 32: case 33: case 38: case 39: case 43: case 45:
        return code;
    default:
        break;
    }
    if (code < 48 || InRange(code, 58, 62) || InRange(code, 91, 94))
        return 0;
    return code;
}

std::int16_t FilterHexDigit(std::int16_t code)
{
    if (!InRange(code, 48, 102) || InRange(code, 58, 64) || InRange(code, 71, 96))
        return 0;
    if (InRange(code, 97, 102))
        return static_cast<std::int16_t>(code - 32);
    return code;
}

}  // namespace

void FilterKey(std::int16_t& keyCode, std::int16_t mode)
{
    // Copy, Backspace, Enter and paste keep working in every text box.
    if (keyCode == 3 || keyCode == 8 || keyCode == 13 || keyCode == 22)
        return;
    switch (mode) {
    case 1:
        keyCode = FilterNameCharacter(keyCode);
        break;
    case 2:
        if (!(keyCode == 44 || keyCode == 46 || InRange(keyCode, 48, 58)))
            keyCode = 0;
        break;
    case 3:
        if (!(InRange(keyCode, 65, 90) || InRange(keyCode, 97, 122)))
            keyCode = 0;
        break;
    case 4:
        keyCode = FilterHexDigit(keyCode);
        break;
    case 5:
        if (InRange(keyCode, 97, 122))
            keyCode = static_cast<std::int16_t>(keyCode - 32);
        break;
    case 6:
        if (InRange(keyCode, 65, 90))
            keyCode = static_cast<std::int16_t>(keyCode + 32);
        break;
    default:
        break;
    }
}

}  // namespace Commands
