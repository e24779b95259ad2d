// frmCopy: the copy and move dialog.

#include "ui/dialogs/frm_copy.h"

#include "common/commands.h"
#include "forms/skip.h"

namespace ui {

namespace {

// Caption, client size, Label1's text, then Label1, Text1, Label2, Command1 and Command2, in twips.
const NameDialogLayout kCopyLayout{L"Datei Kopieren",
                                   3495,
                                   1380,
                                   L"Eine Datei mit diesem Namen existiert bereits. Bitte Namen ändern:",
                                   {60, 60, 3255, 465},
                                   {60, 540, 2790, 285},
                                   {2880, 540, 495, 375},
                                   {60, 900, 1635, 435},
                                   {1800, 900, 1635, 435}};

}  // namespace

frmCopy::frmCopy() : NameDialog(kCopyLayout)
{}

void frmCopy::Start(const std::wstring& isFullPath, const std::wstring& isTo, bool isMove)
{
    FullPath = isFullPath;
    TargetFolder = isTo;
    MoveMode = isMove;
    if (!LoadDialog())
        return;
    if (MoveMode)
        SetCaption(L"Datei umbewegen");
    FillFromFullPath();
    Show();
    Text1.SetSelection(static_cast<int>(Text1.Text().size()), 0);
    Text1.SetFocus();
}

void frmCopy::Command2_Click()
{
    const std::wstring newName = ChosenName();
    if (!HasBaseName() || Commands::FileExists(TargetFolder + newName)) {
        SelectWholeName();
        return;
    }
    const std::wstring source = SourceFolder + SourceFile;
    const std::wstring target = TargetFolder + newName;
    // A copy never replaces a file: one that exists but cannot be read looks free to FileExists.
    if (MoveMode)
        forms::SkipIfFalse(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED), L"move");
    else
        forms::SkipIfFalse(CopyFileW(source.c_str(), target.c_str(), TRUE), L"copy");
    Accepted = true;
    CloseDialog();
}

frmCopy& CopyDialog()
{
    static frmCopy dialog;
    return dialog;
}

}  // namespace ui
