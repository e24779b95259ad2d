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

// What lies between a letter's upper and lower case code.
constexpr int kCaseDistance = 'a' - 'A';

std::int16_t FilterNameCharacter(std::int16_t code)
{
    switch (code) {
    case ' ':
    case '!':
    case '&':
    case '\'':
    case '+':
    case '-': return code;
    default: break;
    }
    if (code < '0' || InRange(code, ':', '>') || InRange(code, '[', '^'))
        return 0;
    return code;
}

std::int16_t FilterHexDigit(std::int16_t code)
{
    if (!InRange(code, '0', 'f') || InRange(code, ':', '@') || InRange(code, 'G', '`'))
        return 0;
    if (InRange(code, 'a', 'f'))
        return static_cast<std::int16_t>(code - kCaseDistance);
    return code;
}

}  // namespace

void FilterKey(std::int16_t& keyCode, std::int16_t mode)
{
    // Copy, Backspace, Enter and paste keep working in every text box.
    if (keyCode == kKeyCopy || keyCode == kKeyBackspace || keyCode == kKeyEnter || keyCode == kKeyPaste)
        return;
    switch (mode) {
    case kFilterName: keyCode = FilterNameCharacter(keyCode); break;
    case kFilterNumber:
        if (!(keyCode == ',' || keyCode == '.' || InRange(keyCode, '0', ':')))
            keyCode = 0;
        break;
    case kFilterLetters:
        if (!(InRange(keyCode, 'A', 'Z') || InRange(keyCode, 'a', 'z')))
            keyCode = 0;
        break;
    case kFilterHex: keyCode = FilterHexDigit(keyCode); break;
    case kFilterUpper:
        if (InRange(keyCode, 'a', 'z'))
            keyCode = static_cast<std::int16_t>(keyCode - kCaseDistance);
        break;
    case kFilterLower:
        if (InRange(keyCode, 'A', 'Z'))
            keyCode = static_cast<std::int16_t>(keyCode + kCaseDistance);
        break;
    default: break;
    }
}

}  // namespace Commands
