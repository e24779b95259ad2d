// frmRename: the rename dialog.

#include "ui/dialogs/frm_rename.h"

#include "common/commands.h"
#include "forms/skip.h"

namespace ui {

namespace {

// Caption, client size, Label1's text, then Label1, Text1, Label2, Command1 and Command2, in twips.
const NameDialogLayout kRenameLayout{L"Datei umbenennen",
                                     3495,
                                     1155,
                                     L"Bitte neuen Namen eingeben:",
                                     {60, 60, 3255, 225},
                                     {60, 300, 2790, 285},
                                     {2880, 300, 495, 375},
                                     {60, 660, 1635, 435},
                                     {1800, 660, 1635, 435}};

}  // namespace

frmRename::frmRename() : NameDialog(kRenameLayout)
{}

void frmRename::Start(const std::wstring& isFullPath)
{
    FullPath = isFullPath;
    if (!LoadDialog())
        return;
    FillFromFullPath();
    Show();
    SelectNameText();
}

void frmRename::Command2_Click()
{
    NewName = ChosenName();
    if (!HasBaseName()) {
        SelectNameText();
        return;
    }
    if (Commands::FileExists(SourceFolder + NewName)) {
        // The message box is the only window taking input while it is up.
        Hide();
        std::wstring title;
        Commands::ShowMessage(L"Datei " + NewName + L" existiert bereits.   ", Commands::kMsgInformation, title);
        if (!IsLoaded())
            return;
        // Modal again: the box gave its owner, the main window, its input back; the dialog takes it.
        if (Owner && IsWindow(Owner))
            EnableWindow(Owner, FALSE);
        Show();
        SetForegroundWindow(Hwnd());
        SetActiveWindow(Hwnd());
        SelectNameText();
        return;
    }
    const std::wstring source = SourceFolder + SourceFile;
    const std::wstring target = SourceFolder + NewName;
    // A name the system refuses leaves the file as it was: the old name is the one to select again.
    if (!forms::SkipIfFalse(MoveFileExW(source.c_str(), target.c_str(), 0), L"rename"))
        NewName = SourceFile;
    Accepted = true;
    CloseDialog();
}

frmRename& RenameDialog()
{
    static frmRename dialog;
    return dialog;
}

}  // namespace ui
