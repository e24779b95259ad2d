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

}  // namespace

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
