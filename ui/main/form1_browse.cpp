// The chained drive, folder and file lists, files dropped onto them, and the file list's mouse gestures.

#include <windows.h>

#include "common/commands.h"
#include "forms/drag_drop.h"
#include "forms/paths.h"
#include "forms/skip.h"
#include "ui/main/form1.h"

namespace ui {

namespace {

using forms::UpperCase;

}  // namespace

void Form1::Warn(const std::wstring& text, std::int16_t kind) const
{
    if (quiet_ > 0)
        return;
    std::wstring title;  // ShowMessage puts the program's title in
    Commands::ShowMessage(text, kind, title);
}

void Form1::Drive1_Change()
{
    // Drive1 is being put back on the last readable drive: the folder list stays where it is.
    if (restoringDrive_)
        return;
    const std::wstring drive = Drive1.Drive();
    if (Dir1.SetPath(drive))
        return;

    Warn(L"Das Laufwerk " + UpperCase(drive.substr(0, 2)) + L" ist nicht bereit.", Commands::kMsgWarning);
    const std::wstring shown = Dir1.Path();
    if (shown.size() >= 2) {
        restoringDrive_ = true;
        Drive1.SetDrive(shown.substr(0, 2));
        restoringDrive_ = false;
    }
}

void Form1::Dir1_Change()
{
    // The picture being decoded belongs to the folder left behind.
    selectionJob_ = forms::Job();
    const std::wstring folder = Dir1.Path();
    if (File1.SetPath(folder)) {
        lastGoodFolder_ = folder;
        FollowFolderInOverview();
        return;
    }
    folderRefused_ = true;

    Warn(L"Der Ordner " + folder + L" ist nicht mehr vorhanden.", Commands::kMsgError);
    // Back to the last folder that could be read; its own change puts File1 there again.
    if (!lastGoodFolder_.empty() && lastGoodFolder_ != folder && Dir1.SetPath(lastGoodFolder_)) {
        restoringDrive_ = true;
        Drive1.SetDrive(lastGoodFolder_.substr(0, 2));
        restoringDrive_ = false;
    }
}

void Form1::ReadDroppedFiles(IDataObject* data)
{
    List1.Clear();
    if (!data || !forms::HasFileList(data))
        return;
    for (const std::wstring& path : forms::DroppedFiles(data))
        List1.AddItem(path);
}

bool Form1::MoveListsToDroppedFolder()
{
    // Without a dropped path the lists stay where they are.
    if (List1.ListCount() == 0)
        return false;
    // A drop reports nothing; a folder whose files cannot be listed counts as not shown.
    const QuietScope quiet(*this);
    folderRefused_ = false;
    return Dir1.SetPath(Commands::GetParentPath(List1.List(0))) && !folderRefused_;
}

void Form1::SelectDroppedFile()
{
    const std::wstring wanted = UpperCase(Commands::GetFileName(List1.List(0)));
    const int count = File1.ListCount();
    for (int i = 0; i < count; ++i) {
        if (UpperCase(File1.List(i)) == wanted) {
            // Selecting raises File1_Click, which shows the file.
            File1.SetSelected(i);
            return;
        }
    }
}

void Form1::Dir1_OLEDragDrop(IDataObject* data)
{
    ReadDroppedFiles(data);
    PostDrop(DropOn::Dir1);
}

void Form1::File1_OLEDragDrop(IDataObject* data)
{
    ReadDroppedFiles(data);
    PostDrop(DropOn::File1);
}

void Form1::PostDrop(DropOn on)
{
    // The program that dropped waits until Drop returns: the lists move once the drop is over.
    forms::SkipIfFalse(PostMessageW(Hwnd(), kMsgDropped, static_cast<WPARAM>(on), static_cast<LPARAM>(++drops_)),
                       L"hand on a drop");
}

void Form1::Dropped(DropOn on, LPARAM drop)
{
    // A later drop replaced List1: only its own message acts on it.
    if (drop != static_cast<LPARAM>(drops_))
        return;
    // A folder that could not be shown is not searched: a file of the same name elsewhere is not the one dropped.
    // Drive1 is not touched.
    if (MoveListsToDroppedFolder() && on != DropOn::Dir1)
        SelectDroppedFile();
}

void Form1::File1_DblClick()
{
    // With no file selected there is nothing to rename, as with the right click.
    if (File1.FileName().empty())
        return;
    mnuRen_Click();
}

void Form1::File1_MouseDown(int button, int /*shift*/, int /*x*/, int /*y*/)
{
    constexpr int kRightButton = 2;
    if (button == kRightButton && !File1.FileName().empty())
        mnuPop.Show(Hwnd());
}

}  // namespace ui
