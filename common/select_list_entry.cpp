#include "common/commands.h"

#include "forms/selectable_list.h"

namespace Commands {

namespace {

// Upper case by the system's rules, so names compare without regard to letter case.
std::wstring UpperCase(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

void SelectListEntry(forms::SelectableList& list, const std::wstring& name)
{
    // A file created since the list was last read must be found too.
    list.Refresh();
    const std::wstring wanted = UpperCase(name);
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) {
        // No early exit: every match is selected in turn, so the last one stays selected.
        if (UpperCase(list.List(i)) == wanted)
            list.SetSelected(i);
    }
}

}  // namespace Commands
