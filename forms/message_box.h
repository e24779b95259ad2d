#pragma once
// Message boxes reach the user through a replaceable prompter, so tests can answer them.

#include <windows.h>

#include <string>

namespace forms {

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a modal message box; flags and result are those of MessageBoxW (MB_*, IDOK, IDYES...).
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) = 0;
};

// The platform's MessageBoxW.
Prompter& SystemPrompter();

// Replaces the prompter for the rest of the run (tests); nullptr restores the system one.
void SetPrompter(Prompter* prompter);

// The window a message box belongs to: the active window of this thread when it is shown, else this
// thread's visible top-level window nearest the top, so the box never opens behind the program.
HWND MessageOwner();

// Shows a message box through the current prompter.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags);

}  // namespace forms
