#pragma once
// frmRename: renames the selected image within its folder.

#include <string>

#include "ui/dialogs/name_dialog.h"

namespace ui {

class frmRename : public NameDialog {
public:
    frmRename();

    std::wstring NewName;  // the name chosen on the last "Übernehmen", read again after closing

    // Fills and shows the dialog with the whole name selected and returns at once;
    // the caller then disables the main window.
    void Start(const std::wstring& isFullPath);

    void Command2_Click() override;

private:
    void SelectNameText() { SelectWholeName(); }
};

// The one rename dialog of the program, created on first use.
frmRename& RenameDialog();

}  // namespace ui
