#include "forms/skip.h"

#include <cwchar>

namespace forms {

void LogSkip(const wchar_t* step, DWORD code)
{
    const DWORD lastError = GetLastError();
    wchar_t line[256] = {};
    std::swprintf(line, sizeof(line) / sizeof(line[0]), L"Quadrino: %ls skipped, error %lu\n", step ? step : L"step",
                  static_cast<unsigned long>(code));
    OutputDebugStringW(line);
    SetLastError(lastError);
}

void LogFailure(const wchar_t* what, const char* message)
{
    wchar_t text[200] = {};
    if (!message || MultiByteToWideChar(CP_UTF8, 0, message, -1, text, 199) <= 0)
        text[0] = L'\0';
    wchar_t line[320] = {};
    std::swprintf(line, sizeof(line) / sizeof(line[0]), L"Quadrino: %ls failed: %ls\n", what ? what : L"handler",
                  text[0] ? text : L"unknown exception");
    OutputDebugStringW(line);
}

bool SkipIfFalse(BOOL result, const wchar_t* step)
{
    if (!result)
        LogSkip(step, GetLastError());
    return result != FALSE;
}

bool SkipIfFailed(HRESULT result, const wchar_t* step)
{
    if (FAILED(result))
        LogSkip(step, static_cast<DWORD>(result));
    return SUCCEEDED(result);
}

}  // namespace forms
