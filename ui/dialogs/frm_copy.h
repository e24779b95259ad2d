#pragma once
// frmCopy: asks for a free name when the collection folder already holds the image's name,
// then copies or moves the image there under that name.

#include <string>

#include "ui/dialogs/name_dialog.h"

namespace ui {

class frmCopy : public NameDialog {
public:
    frmCopy();

    std::wstring TargetFolder;  // destination folder, ending in "\"
    bool MoveMode = false;      // true: move the file; false: copy it

    // Fills and shows the dialog and returns at once; the caller then disables the main window.
    void Start(const std::wstring& isFullPath, const std::wstring& isTo, bool isMove);

    void Command2_Click() override;
};

// The one copy and move dialog of the program, created on first use.
frmCopy& CopyDialog();

}  // namespace ui
