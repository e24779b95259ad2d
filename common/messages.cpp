// Message boxes of four kinds under the program's title.

#include "common/commands.h"

#include "forms/message_box.h"

namespace Commands {

void ShowMessage(const std::wstring& text, std::int16_t kind, std::wstring& title)
{
    if (title.empty())
        title = AppTitle;
    UINT icon = 0;
    switch (kind) {
    case kMsgInformation: icon = MB_ICONINFORMATION; break;
    case kMsgWarning: icon = MB_ICONEXCLAMATION; break;
    case kMsgError: icon = MB_ICONHAND; break;
    case kMsgQuestion: icon = MB_ICONQUESTION; break;
    default: return;
    }
    forms::ShowMessageBox(forms::MessageOwner(), text, title, MB_OK | icon);
}

}  // namespace Commands
