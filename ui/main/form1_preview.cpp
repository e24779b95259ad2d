// The tile preview: showing the chosen image tiled, the clipboard, and files dropped onto the preview.

#include "common/commands.h"
#include "forms/clipboard.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "forms/skip.h"
#include "imaging/composite.h"
#include "imaging/repeat.h"
#include "ui/main/form1.h"
#include "ui/main/repeat_preview.h"
#include "ui/main/tile_clipboard.h"

namespace ui {

namespace {

// Keys already waiting in the queue: the user holds a key down, auto-repeat runs ahead.
bool KeyboardInputWaiting()
{
    MSG waiting;
    return PeekMessageW(&waiting, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) != FALSE;
}

}  // namespace

void Form1::File1_Selected()
{
    // A held key's repeats, or keys already queued behind this one, pass over entries without loading them.
    if (File1.ByKeyboard() && (File1.KeyRepeating() || KeyboardInputWaiting())) {
        // Where the image is follows every step; loading it waits until the keys pause (Timer1).
        Commands::CurrentFolder = File1.Path();
        Commands::AddBackslash(Commands::CurrentFolder);
        Commands::CurrentFile = File1.FileName();
        selectionPending_ = true;
        return;
    }
    File1_Click();
}

void Form1::ShowPendingSelection()
{
    if (selectionPending_ && !KeyboardInputWaiting() && !File1.KeyHeld())
        File1_Click();
}

void Form1::File1_Click()
{
    selectionPending_ = false;
    const std::wstring name = File1.FileName();
    if (name.empty())
        return;
    Commands::CurrentFolder = File1.Path();
    Commands::AddBackslash(Commands::CurrentFolder);
    Commands::CurrentFile = name;
    // A selection made in the pending events below, or while the picture decodes (another program may
    // resize the window meanwhile, and the resize runs pending events), shows its own picture: this
    // one is then out of date.
    const unsigned run = ++selectionRuns_;
    ClearShownPicture();
    forms::DoEvents();
    if (run != selectionRuns_)
        return;
    // A file that cannot be read as a picture leaves PicM empty; the tiling still goes on.
    std::optional<forms::Picture> picture = forms::LoadPicture(Commands::CurrentFolder + Commands::CurrentFile);
    if (run != selectionRuns_)
        return;
    if (picture)
        ShowPicture(std::move(*picture));
    TilePreview();
    RefreshView();
    CopyPreviewToClipboard();
}

void Form1::TilePreview()
{
    // PicM's image is the tile as the preview shows it, laid over the background.
    TileInRepeat(PicW, PicM, view_.repeat);
}

void Form1::RepeatChanged()
{
    TilePreview();
    seamText_.clear();
    RefreshView();
    CopyPreviewToClipboard();
}

void Form1::RefreshView()
{
    // The view keeps its zoom and offset for the new picture; the half offset is half of the new tile.
    ForgetShownTile();
    if (view_.halfOffset) {
        const imaging::ConstPixels tile = ShownTile().pixels;
        view_.originX = imaging::HalfTile(tile.width) * 8LL;
        view_.originY = imaging::HalfTile(tile.height) * 8LL;
    }
    if (!PlainView()) {
        ViewChanged();
    }
    UpdateSeamTip();
}

void Form1::ForgetShownTile()
{
    // The view and the clipboard take the tile afresh, and the old picture's memory is not held for it.
    shownTile_ = TileSource{};
    shownTileTaken_ = false;
    reduced_.clear();
}

void Form1::ShowPicture(forms::Picture picture)
{
    ForgetShownTile();
    // One copy of the pixels: an opaque picture is PicM's image itself.
    auto shown = std::make_shared<const forms::Picture>(std::move(picture));
    PicM.SetPicture(shown);
    shown_ = PicM.HasPicture() ? std::move(shown) : nullptr;
}

void Form1::ClearShownPicture()
{
    ForgetShownTile();
    PicM.ClearPicture();
    shown_.reset();
}

Form1::TileSource Form1::CurrentTile() const
{
    TileSource tile;
    tile.background = imaging::FromColorref(PicM.BackColor());
    // The decoded picture counts only while PicM still shows it; made pictures may leave alpha unset.
    if (shown_ && PicM.HasPicture() && shown_->Width() == PicM.ScaleWidth() && shown_->Height() == PicM.ScaleHeight() &&
        shown_->Bits() && !shown_->Premultiplied()) {
        tile.owner = shown_;
        tile.pixels = {shown_->Width(), shown_->Height(), static_cast<std::ptrdiff_t>(shown_->Width()) * 4,
                       shown_->Bits(), !shown_->HasAlpha()};
        return tile;
    }
    // Otherwise PicM's own image, every pixel opaque.
    const int width = PicM.ScaleWidth();
    const int height = PicM.ScaleHeight();
    DIBSECTION section{};
    if (width <= 0 || height <= 0 || !PicM.Image() ||
        GetObjectW(PicM.Image(), sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return tile;
    GdiFlush();
    auto copy = std::make_shared<imaging::Image32>(width, height);
    const auto* bits = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(bits + static_cast<std::size_t>(y) * section.dsBm.bmWidthBytes);
        for (int x = 0; x < width; ++x)
            copy->At(x, y) = row[x] | 0xFF000000u;
    }
    tile.pixels = copy->View();
    tile.pixels.opaque = true;
    tile.owner = std::move(copy);
    return tile;
}

void Form1::CopyPreviewToClipboard()
{
    forms::SkipIfFalse(forms::ClipboardClear(Hwnd()), L"clear clipboard");
    forms::DoEvents();
    // Read after the pending events: a resize in between may have replaced the image.
    const int width = PicW.ScaleWidth();
    const int height = PicW.ScaleHeight();
    // What stayed of the preview since the last copy is not copied again: a drag of the window's corner
    // copies only the strips that come into view.
    if (forms::SkipIfFalse(forms::ClipboardSetBitmap(Hwnd(), PicW.Hdc(), width, height,
                                                     TilingWithAlpha(ShownTile(), width, height, view_.repeat),
                                                     PicW.Unchanged()),
                           L"copy"))
        PicW.MarkUnchanged();
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
