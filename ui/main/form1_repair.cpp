// "Nahtlos machen": the repair dialog's preview in PicW and its saved file in the file list.

#include "common/commands.h"
#include "imaging/composite.h"
#include "ui/dialogs/frm_repair.h"
#include "ui/main/form1.h"

namespace ui {

void Form1::mnuRepair_Click()
{
    // Only a picture that was read: PicM's drawing of something unreadable is not a photo to repair.
    if (!shown_ || RepairDialog().IsLoaded())
        return;
    const TileSource tile = CurrentTile();
    if (tile.pixels.Empty())
        return;
    RepairDialog().Start({tile.owner, tile.pixels, tile.background, Commands::CurrentFolder, Commands::CurrentFile});
    DisableWhileDialogIsUp(RepairDialog());
}

void Form1::WireRepairDialog(bool wired)
{
    RepairDialog().Owner = wired ? Hwnd() : nullptr;
    RepairDialog().onClosed = wired ? std::function<void(bool)>([this](bool accepted) { RepairDialog_Closed(accepted); })
                                    : nullptr;
    RepairDialog().onPreview =
        wired ? std::function<void(std::shared_ptr<const imaging::Image32>, bool)>(
                    [this](std::shared_ptr<const imaging::Image32> result, bool opaque) {
                        RepairDialog_Preview(std::move(result), opaque);
                    })
              : nullptr;
}

void Form1::RepairDialog_Preview(std::shared_ptr<const imaging::Image32> result, bool opaque)
{
    repairPreview_ = std::move(result);
    repairPreviewOpaque_ = opaque;
    ForgetShownTile();
    ViewChanged();
}

Form1::TileSource Form1::RepairPreviewTile() const
{
    TileSource tile;
    tile.background = imaging::FromColorref(PicM.BackColor());
    tile.pixels = repairPreview_->View();
    tile.pixels.opaque = repairPreviewOpaque_;
    tile.owner = repairPreview_;
    return tile;
}

void Form1::RepairDialog_Closed(bool accepted)
{
    // The picture comes back into the preview, whatever else happens.
    repairPreview_.reset();
    if (!IsLoaded())
        return;
    ForgetShownTile();
    ViewChanged();
    if (accepted) {
        File1.Refresh();
        Commands::SelectListEntry(File1, RepairDialog().SavedName);
    }
}

}  // namespace ui
