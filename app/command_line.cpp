#include "app/command_line.h"

namespace AppModul {

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

}  // namespace

std::wstring CommandLineTail(const std::wstring& commandLine)
{
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        // A quoted program name ends at the next quotation mark.
        const std::size_t close = commandLine.find(L'"', 1);
        pos = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (pos < commandLine.size() && !IsBlank(commandLine[pos]))
            ++pos;
    }
    while (pos < commandLine.size() && IsBlank(commandLine[pos]))
        ++pos;
    return commandLine.substr(pos);
}

std::wstring StartPathFromTail(const std::wstring& tail)
{
    // Explorer quotes a path with blanks; only a single pair around the whole text is such quoting.
    if (tail.size() >= 2 && tail.front() == L'"' && tail.back() == L'"' && tail.find(L'"', 1) == tail.size() - 1)
        return tail.substr(1, tail.size() - 2);
    return tail;
}

}  // namespace AppModul
