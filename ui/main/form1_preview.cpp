// The tile preview: showing the chosen image tiled, the clipboard, and files dropped onto the preview.

#include "common/commands.h"
#include "forms/clipboard.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "forms/skip.h"
#include "ui/main/form1.h"

namespace ui {

void Form1::File1_Click()
{
    const std::wstring name = File1.FileName();
    if (name.empty())
        return;
    Commands::CurrentFolder = File1.Path();
    Commands::AddBackslash(Commands::CurrentFolder);
    Commands::CurrentFile = name;
    PicM.ClearPicture();
    forms::DoEvents();
    // A file that cannot be read as a picture leaves PicM empty; the tiling still goes on.
    if (const auto picture = forms::LoadPicture(Commands::CurrentFolder + Commands::CurrentFile))
        PicM.SetPicture(*picture);
    Commands::TilePicture(PicW, PicM);
    CopyPreviewToClipboard();
}

void Form1::CopyPreviewToClipboard()
{
    forms::SkipIfFalse(forms::ClipboardClear(Hwnd()), L"clear clipboard");
    forms::DoEvents();
    // Read after the pending events: a resize in between may have replaced the image.
    forms::SkipIfFalse(forms::ClipboardSetBitmap(Hwnd(), PicW.Hdc(), PicW.ScaleWidth(), PicW.ScaleHeight()), L"copy");
}

void Form1::PicW_Click()
{
    CopyPreviewToClipboard();
    forms::DoEvents();
    const std::wstring text = L"die Grafik befindet sich jetzt in der Zwischenablage.   " + Commands::CrLf +
                              L"now the graphic is on the clipboard.   " + Commands::CrLf;
    std::wstring title;  // ShowMessage puts the program's title in
    Commands::ShowMessage(text, Commands::kMsgInformation, title);
}

void Form1::PicM_Click()
{
    // A click on the single tile does nothing.
}

void Form1::PicW_OLEDragDrop(IDataObject* data)
{
    ReadDroppedFiles(data);
    // Drive1 is not touched; a folder that could not be shown is not searched.
    if (MoveListsToDroppedFolder())
        SelectDroppedFile();
}

}  // namespace ui
