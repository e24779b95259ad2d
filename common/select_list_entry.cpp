#include "common/commands.h"

#include "forms/paths.h"
#include "forms/selectable_list.h"

namespace Commands {

void SelectListEntry(forms::SelectableList& list, const std::wstring& name)
{
    // A file created since the list was last read must be found too.
    list.Refresh();
    const std::wstring wanted = forms::UpperCase(name);
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) {
        // No early exit: every match is selected in turn, so the last one stays selected.
        if (forms::UpperCase(list.List(i)) == wanted)
            list.SetSelected(i);
    }
}

}  // namespace Commands
