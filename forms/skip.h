#pragma once
// Skips that leave a trace: a failed platform call the caller steps over, or a handler that threw,
// is written to the debugger output, so an intended skip reads differently from a forgotten check.

#include <windows.h>

#include <exception>
#include <utility>

namespace forms {

// Writes "Quadrino: <step> skipped, error <code>" to the debugger output; the last error stays as it was.
void LogSkip(const wchar_t* step, DWORD code);
// Writes "Quadrino: <what> failed: <message>" to the debugger output.
void LogFailure(const wchar_t* what, const char* message);

// Returns the result of a platform call; a failure is logged with the step's name and GetLastError.
bool SkipIfFalse(BOOL result, const wchar_t* step);
// The same for an HRESULT: true when it succeeded.
bool SkipIfFailed(HRESULT result, const wchar_t* step);

// Runs a handler where nothing may unwind into the system's code: whatever it throws is logged and
// dropped. False when it threw.
template <class F>
bool GuardedCall(const wchar_t* what, F&& call) noexcept
{
    try {
        std::forward<F>(call)();
        return true;
    } catch (const std::exception& failure) {
        LogFailure(what, failure.what());
    } catch (...) {
        LogFailure(what, nullptr);
    }
    return false;
}

}  // namespace forms
