#include "forms/message_box.h"

namespace forms {

namespace {

class PlatformPrompter : public Prompter {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) override
    {
        return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
    }
};

Prompter*& CurrentPrompter()
{
    static Prompter* current = nullptr;
    return current;
}

BOOL CALLBACK TakeFirstVisible(HWND hwnd, LPARAM found)
{
    if (!IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

}  // namespace

HWND MessageOwner()
{
    const HWND active = GetActiveWindow();
    if (active && IsWindowVisible(active))
        return active;
    // The system lists a thread's top-level windows from the top of the z-order down.
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeFirstVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

Prompter& SystemPrompter()
{
    static PlatformPrompter prompter;
    return prompter;
}

void SetPrompter(Prompter* prompter)
{
    CurrentPrompter() = prompter;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)
{
    Prompter* prompter = CurrentPrompter();
    return (prompter ? *prompter : SystemPrompter()).Show(owner, text, title, flags);
}

}  // namespace forms
