#pragma once
// The main window: drive, folder and file lists, the tile preview and its popup menu.

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/controls.h"
#include "forms/dir_list.h"
#include "forms/drag_drop.h"
#include "forms/drive_list.h"
#include "forms/file_list.h"
#include "forms/fonts.h"
#include "forms/form.h"
#include "forms/jobs.h"
#include "forms/picture.h"
#include "forms/picture_box.h"
#include "forms/popup_menu.h"
#include "forms/progress_window.h"
#include "forms/tool_tip.h"
#include "imaging/encode.h"
#include "imaging/pixels.h"
#include "imaging/repeat.h"
#include "imaging/view.h"
#include "forms/dib_canvas.h"
#include "forms/timer.h"

namespace ui {

class Overview;

class Form1 : public forms::Form {
public:
    Form1();
    ~Form1() override;

    // Creates the window and its controls (hidden); Show() then shows it.
    // The lists open on the process's current folder, unless the caller points them elsewhere at once
    // (the first view): a large current folder is then not read for nothing.
    bool Create(bool openCurrentFolder = true);

    // Starts decoding the selected image and returns; when it arrives it is shown, tiled and put on the
    // clipboard in one step, unless a newer selection, a folder change or the window's end came first.
    void File1_Click();
    // Decodes `path` as a job and shows it as File1_Click does; an unreadable file is said so in the
    // preview, or, with `keepShownIfUnreadable`, what PicM shows is tiled and copied instead.
    void ShowFileAsJob(const std::wstring& path, bool keepShownIfUnreadable = false);
    // A decoded file arrives: shown, tiled and copied, or, when unreadable, as ShowFileAsJob says.
    void ShowDecoded(const std::wstring& path, forms::DecodedPicture decoded, bool keepShownIfUnreadable = false);
    // A selection is being decoded (tests and the benchmark wait for it).
    bool SelectionRunning() const { return selectionJob_.Running(); }
    // The line the preview shows for a file that could not be read; empty while a picture is shown.
    const std::wstring& UnreadableText() const { return unreadable_; }
    // A picture is shown that the outputs (save, desktop background) can take.
    bool OutputsAvailable() const { return unreadable_.empty() && !saveJob_.Running(); }
    // A save runs; its progress window, while it is up.
    bool SaveRunning() const { return saveJob_.Running(); }
    // Saves the tiling of the shown picture as a job, as "Kachelung speichern unter …" does once asked.
    void SaveTilingAs(const std::wstring& path, imaging::ImageFormat format, int width, int height);
    forms::ProgressWindow& SaveProgress() { return saveProgress_; }
    void CancelSave();

    // Shows a picture in PicM and keeps it, with its own alpha, for what leaves the program.
    void ShowPicture(forms::Picture picture);
    // Empties PicM.
    void ClearShownPicture();
    // What the tiling repeats: the shown picture with its own alpha, or what PicM shows, opaque.
    // The owner keeps the pixels alive as long as a copy of it is held (a promised clipboard format).
    struct TileSource {
        std::shared_ptr<const void> owner;
        imaging::ConstPixels pixels{};
        std::uint32_t background = 0;  // PicM's background as 0x00RRGGBB, for outputs without alpha
    };
    TileSource CurrentTile() const;
    // Puts the tiling on the clipboard (clear, set): the preview's persistent image,
    // and the tiling with its alpha as "PNG" and CF_DIBV5 at the preview's size.
    void CopyPreviewToClipboard();

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

    // PicM's design size, which it takes when it shows nothing.
    static constexpr int kPicMWidthTwips = 2175;
    static constexpr int kPicMHeightTwips = 1695;

    // Counts timer ticks since the last resize; the preview is redrawn at 10.
    std::int16_t ResizeTicks = 0;

    // While one lives, a drive or folder that cannot be shown is not reported (start-up, drops).
    class QuietScope {
    public:
        explicit QuietScope(Form1& form) : form_(form) { ++form_.quiet_; }
        ~QuietScope() { --form_.quiet_; }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;

    private:
        Form1& form_;
    };

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
    // A new selection in File1: shown at once, unless a held key moves on before it could be seen.
    void File1_Selected();
    // Shows the selection a held key passed over, once no more keys wait (each Timer1 tick).
    void ShowPendingSelection();
    void File1_MouseDown(int button, int shift, int x, int y);
    void PicW_Click();
    void PicM_Click();
    void PicW_OLEDragDrop(IDataObject* data);
    void mnuCopy_Click();
    void mnuMove_Click();
    void mnuRen_Click();
    void mnuDel_Click();
    // Popup menu of PicW: the tiling saved at a chosen size, the desktop background.
    void mnuSaveTiling_Click();
    void mnuWallpaper_Click();
    // The repeat the tiling is laid in, everywhere it goes: preview, clipboard, files, desktop.
    void mnuRepeat_Click(imaging::RepeatKind kind);
    void mnuRepeatOffset_Click(int n);
    void mnuSaveRepeat_Click();
    imaging::Repeat ChosenRepeat() const { return view_.repeat; }
    // The repeat unit of the tile, which Windows can tile as it is; empty when a side exceeds what is written.
    static TileSource RepeatUnitOf(const TileSource& tile, imaging::Repeat repeat);
    // Whether the repeat unit can be written as a file (and so as the desktop background).
    static bool UnitFits(imaging::ConstPixels tile, imaging::Repeat repeat);
    // Lays the picture PicM shows over PicW in the chosen repeat from the top-left corner.
    void TilePreview();
    // "Nahtlos machen": the shown picture made seamless, previewed while the dialog is open.
    void mnuRepair_Click();
    void RepairDialog_Preview(std::shared_ptr<const imaging::Image32> result, bool opaque);
    void RepairDialog_Closed(bool accepted);
    // The repair dialog's result the preview shows instead of the picture; nullptr when none.
    const imaging::Image32* RepairPreview() const { return repairPreview_.get(); }
    // The seam workbench: PicW's popup menu, keys, drag and wheel.
    void mnuHalfOffset_Click();
    void mnuBorders_Click();
    void PicW_ContextMenu(POINT screenPoint);
    void PicW_DragStart();
    void PicW_Drag(int dx, int dy);
    bool PicW_MouseWheel(int delta, POINT at, bool control);
    void Form_Accelerator(WORD id);
    void SetZoom(int percent, POINT anchor);
    void StepZoom(int steps, POINT anchor);
    int ZoomPercent() const;
    bool HalfOffset() const { return view_.halfOffset; }
    bool TileBorders() const { return view_.borders; }
    // Where a tile's top-left corner lies on the screen, in PicW's pixels.
    POINT ViewOrigin() const;
    // "145 × 113 Pixel · Naht 1,04 (nahtlos)" for the shown picture.
    std::wstring SeamText();
    // After the tiling changed: the view redrawn from it, the seam line measured anew.
    void RefreshView();
    // The overview of File1's folder: opened or brought up; a file chosen there is selected here.
    void mnuOverview_Click();
    void Overview_Choose(const std::wstring& name);
    // The overview window while it exists (it is made on first use), else nullptr.
    Overview* OverviewWindow() const { return overview_.get(); }
    void CopyDialog_Closed(bool accepted);
    void SaveSizeDialog_Closed(bool accepted);
    void RenameDialog_Closed(bool accepted);

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The copy/move and rename dialogs report their end to this window.
    void WireDialogs();
    void UnwireDialogs();
    void WireRepairDialog(bool wired);
    void DisableWhileDialogIsUp(const forms::Form& dialog);
    // The delayed redraw: tiles what PicM shows, reloading it first when a file is selected.
    void RedrawPreview();
    // A drive or folder that cannot be shown is reported, except while quiet (start-up, drops).
    void Warn(const std::wstring& text, std::int16_t kind) const;
    // Places every control at its design position and font for the window's DPI.
    void ApplyDesignLayout();
    // The drop rules' steps: List1 := the dropped paths; the lists to the first one's folder
    // (false when it could not be shown); select that file in File1 when it is listed.
    void ReadDroppedFiles(IDataObject* data);
    bool MoveListsToDroppedFolder();
    void SelectDroppedFile();
    // The Save As step shared by the tiling and the repeat unit; the tile is taken before asking.
    void AskAndSaveTiling(const wchar_t* dialogTitle, const TileSource& tile, int width, int height,
                          imaging::Repeat repeat);
    // After the repeat changed: the preview laid anew, its view and seam line, the clipboard.
    void RepeatChanged();
    // Drops are handled from the message loop, after Drop has returned to the program that dropped.
    enum class DropOn : WPARAM { Dir1, File1, PicW };
    static constexpr UINT kMsgDropped = WM_APP + 1;
    void PostDrop(DropOn on);
    void Dropped(DropOn on, LPARAM drop);
    unsigned drops_ = 0;
    // Puts a window that a size change left below its minimum back at it (not when minimized).
    void KeepMinimumSize();
    static constexpr UINT kMsgKeepMinimum = WM_APP + 2;
    static constexpr int kMaxKeepMinimumPosts = 3;  // a window manager that keeps refusing is left alone
    int keepMinimumPosts_ = 0;

    forms::FileDropTarget dir1Drop_;
    forms::FileDropTarget file1Drop_;
    forms::FileDropTarget picWDrop_;
    forms::UniqueHfont listFont_;
    forms::UniqueHfont defaultFont_;
    std::wstring lastGoodFolder_;                  // where the lists go back to when a drive or folder cannot be read
    bool restoringDrive_ = false;                  // Drive1 is being put back: its change must not move Dir1
    std::shared_ptr<const forms::Picture> shown_;  // the picture PicM shows, as decoded

    // The view's keys, its paint and its upkeep.
    static std::vector<ACCEL> ViewKeys();
    bool PicW_Paint(HDC dc, const RECT& area);
    bool PlainView() const;
    void ViewChanged();
    imaging::ViewParams ShownViewParams() const;
    // The tile the view and the clipboard repeat, taken once per tiling (CurrentTile may copy PicM's
    // image); ShowPicture, ClearShownPicture and RefreshView take it anew.
    const TileSource& ShownTile();
    TileSource RepairPreviewTile() const;
    void UpdateSeamTip();
    struct ViewState {
        bool halfOffset = false;
        bool borders = false;
        int zoom = 100;
        long long originX = 0;  // eighths of a picture pixel
        long long originY = 0;
        imaging::Repeat repeat;  // kept for later pictures until changed
    };
    ViewState view_;
    std::pair<long long, long long> dragFrom_{0, 0};
    // The view at a reducing zoom, whole periods of it at origin 0: every origin is tiled from it.
    struct ReducedBlock {
        int zoom = 0;
        std::unique_ptr<forms::DibCanvas> pixels;  // blitted from, or tiled into a band
        imaging::ConstPixels Pixels() const
        {
            // Drawn by RenderView: opaque.
            return {pixels->Width(), pixels->Height(), static_cast<std::ptrdiff_t>(pixels->Width()) * 4, pixels->Bits(),
                    true};
        }
    };
    const ReducedBlock* ReducedBlockFor(int zoom);
    std::vector<ReducedBlock> reduced_;  // dropped with the tile they were made from
    TileSource shownTile_;
    std::shared_ptr<const imaging::Image32> repairPreview_;  // lives while the repair dialog is open
    bool repairPreviewOpaque_ = false;
    bool shownTileTaken_ = false;
    void ForgetShownTile();  // the picture changed: ShownTile is taken anew
    forms::DibCanvas band_;  // the rows the view is painted through
    forms::ToolTip previewTips_;
    std::wstring seamText_;  // of the shown picture: measured when it is shown, cleared when it goes
    std::wstring unreadable_;  // the selected file could not be read: the preview says so
    forms::Job selectionJob_;  // the picture being decoded; a newer selection replaces it
    forms::Job saveJob_;
    forms::ProgressWindow saveProgress_;
    void ShowUnreadable(const std::wstring& name, const std::wstring& reason);
    void PaintUnreadable();
    // Saving and the desktop background: `write` runs on a job's thread and returns the failure's
    // message, or nothing; the progress window shows it meanwhile.
    void StartOutput(const std::wstring& title, std::function<std::wstring(forms::JobContext&)> write);
    void OutputEnded(const std::wstring& failure);
    void SaveTileAs(const TileSource& tile, const std::wstring& path, imaging::ImageFormat format, int width,
                    int height, imaging::Repeat repeat);
    bool selectionPending_ = false;  // the keyboard moved on past a selection; shown when the keys pause
    bool folderRefused_ = false;     // the last folder change could not list its files and was undone
    int quiet_ = 0;                  // start-up and drops report nothing: nesting count
    std::unique_ptr<Overview> overview_;
    // File1 shows another folder: the overview, when open, follows it.
    void FollowFolderInOverview();
};

// The main window of the running program (nullptr before the first view and after it closed).
Form1* MainForm();
void SetMainForm(Form1* form);

}  // namespace ui
