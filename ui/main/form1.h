#pragma once
// The main window: drive, folder and file lists, the tile preview and its popup menu.

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "forms/controls.h"
#include "forms/dir_list.h"
#include "forms/drag_drop.h"
#include "forms/drive_list.h"
#include "forms/file_list.h"
#include "forms/fonts.h"
#include "forms/form.h"
#include "forms/picture_box.h"
#include "forms/popup_menu.h"
#include "forms/timer.h"

namespace ui {

class Form1 : public forms::Form {
public:
    Form1();
    ~Form1() override;

    // Creates the window and its controls (hidden); Show() then shows it.
    bool Create();

    // Reloads the selected image, tiles it over the preview and puts the tiling on the clipboard.
    void File1_Click();

    // Controls, in creation order.
    forms::CheckBox Check1;
    forms::ListBox List1;
    forms::FileList File1;
    forms::DirList Dir1;
    forms::DriveList Drive1;
    forms::Frame Frame1;
    forms::PictureBox PicM;
    forms::PictureBox PicW;
    forms::Timer Timer1;
    forms::PopupMenu mnuPop;

    // Counts timer ticks since the last resize; the preview is redrawn at 10.
    std::int16_t ResizeTicks = 0;

    // Event handlers, public so that tests can raise them as the user would.
    void Form_Load();
    void Form_Resize();
    void Form_GotFocus();
    void Timer1_Timer();
    void Check1_Click();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_OLEDragDrop(IDataObject* data);
    void File1_OLEDragDrop(IDataObject* data);
    void File1_DblClick();
    void File1_MouseDown(int button, int shift, int x, int y);
    void PicW_Click();
    void PicM_Click();
    void PicW_OLEDragDrop(IDataObject* data);
    void mnuCopy_Click();
    void mnuMove_Click();
    void mnuRen_Click();
    void mnuDel_Click();

private:
    // Places every control at its design position and font for the window's DPI.
    void ApplyDesignLayout();
    // Puts the preview's persistent image on the clipboard (clear, pending events, set).
    void CopyPreviewToClipboard();
    // The drop rules' steps: List1 := the dropped paths; the lists to the first one's folder
    // (false when it could not be shown); select that file in File1 when it is listed.
    void ReadDroppedFiles(IDataObject* data);
    bool MoveListsToDroppedFolder();
    void SelectDroppedFile();

    forms::FileDropTarget dir1Drop_;
    forms::FileDropTarget file1Drop_;
    forms::FileDropTarget picWDrop_;
    forms::UniqueHfont listFont_;
    forms::UniqueHfont defaultFont_;
    std::wstring lastGoodFolder_;  // where the lists go back to when a drive or folder cannot be read
    bool restoringDrive_ = false;  // Drive1 is being put back: its change must not move Dir1
};

// The main window of the running program (nullptr before the first view and after it closed).
Form1* MainForm();
void SetMainForm(Form1* form);

}  // namespace ui
