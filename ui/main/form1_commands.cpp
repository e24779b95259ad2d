// The popup menu's file commands: copy, move, rename and delete the selected image.

#include "ui/main/form1.h"

#include "common/commands.h"
#include "forms/message_box.h"
#include "forms/skip.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"
#include "ui/dialogs/frm_save_size.h"

namespace ui {

namespace {

constexpr UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1;

}  // namespace

void Form1::mnuCopy_Click()
{
    const std::wstring source = Commands::CurrentFolder + Commands::CurrentFile;
    const std::wstring target = Commands::TilesFolder + Commands::CurrentFile;
    if (!Commands::FileExists(target)) {
        // Never replaces: a destination that exists but cannot be read looks free to FileExists.
        forms::SkipIfFalse(CopyFileW(source.c_str(), target.c_str(), TRUE), L"copy to the collection folder");
        return;
    }
    CopyDialog().Start(source, Commands::TilesFolder, false);
    DisableWhileDialogIsUp(CopyDialog());
}

void Form1::mnuMove_Click()
{
    const std::wstring source = Commands::CurrentFolder + Commands::CurrentFile;
    const std::wstring target = Commands::TilesFolder + Commands::CurrentFile;
    if (Commands::FileExists(target)) {
        CopyDialog().Start(source, Commands::TilesFolder, true);
        DisableWhileDialogIsUp(CopyDialog());
        return;
    }
    const int answer = forms::ShowMessageBox(Hwnd(), Commands::CurrentFile + L" wirklich umbewegen ?",
                                             Commands::AppTitle, kQuestionFlags);
    if (answer != IDYES)
        return;
    // Moves across drives too; an existing destination is never replaced.
    forms::SkipIfFalse(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED), L"move to collection");
    File1.Refresh();
    PicW.Refresh();
    ClearShownPicture();
}

void Form1::mnuRen_Click()
{
    RenameDialog().Start(Commands::CurrentFolder + Commands::CurrentFile);
    DisableWhileDialogIsUp(RenameDialog());
}

void Form1::DisableWhileDialogIsUp(const forms::Form& dialog)
{
    // A dialog that could not be made must not leave the main window disabled.
    if (dialog.IsLoaded())
        SetEnabled(false);
}

void Form1::WireDialogs()
{
    CopyDialog().Owner = Hwnd();
    CopyDialog().onClosed = [this](bool accepted) { CopyDialog_Closed(accepted); };
    RenameDialog().Owner = Hwnd();
    RenameDialog().onClosed = [this](bool accepted) { RenameDialog_Closed(accepted); };
    SaveSizeDialog().Owner = Hwnd();
    SaveSizeDialog().onClosed = [this](bool accepted) { SaveSizeDialog_Closed(accepted); };
    WireRepairDialog(true);
}

void Form1::UnwireDialogs()
{
    CopyDialog().Owner = nullptr;
    CopyDialog().onClosed = nullptr;
    RenameDialog().Owner = nullptr;
    RenameDialog().onClosed = nullptr;
    SaveSizeDialog().Owner = nullptr;
    SaveSizeDialog().onClosed = nullptr;
    WireRepairDialog(false);
}

void Form1::CopyDialog_Closed(bool accepted)
{
    // Pending events may have closed the main window.
    if (!IsLoaded())
        return;
    if (accepted && CopyDialog().MoveMode) {
        File1.Refresh();
        PicW.Refresh();
        ClearShownPicture();
    } else {
        File1_Click();
    }
}

void Form1::RenameDialog_Closed(bool accepted)
{
    if (!IsLoaded())
        return;
    if (accepted)
        Commands::SelectListEntry(File1, RenameDialog().NewName);
    else
        File1_Click();
}

void Form1::mnuDel_Click()
{
    // Taken before asking: events handled while the question is up may choose another file.
    const std::wstring asked = Commands::CurrentFolder + Commands::CurrentFile;
    const int answer =
        forms::ShowMessageBox(Hwnd(), L"Soll die Datei '" + Commands::CurrentFile + L"' wirklich gelöscht werden ?",
                              Commands::AppTitle, kQuestionFlags);
    if (answer != IDYES)
        return;
    Commands::DeleteFile(asked);
    File1.Refresh();
    PicW.Refresh();
    ClearShownPicture();
}

}  // namespace ui
