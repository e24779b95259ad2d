// The tile preview: showing the chosen image tiled, the clipboard, and files dropped onto the preview.

#include "common/commands.h"
#include "forms/clipboard.h"
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
    ShowFileAsJob(Commands::CurrentFolder + Commands::CurrentFile);
}

void Form1::ShowFileAsJob(const std::wstring& path, bool keepShownIfUnreadable)
{
    // The handler returns at once; a newer selection replaces this job, and its picture is never shown.
    const bool keep = keepShownIfUnreadable;
    selectionJob_ = forms::Job::Start(Hwnd(), [this, path, keep](forms::JobContext& job) -> forms::JobResult {
        auto decoded =
            std::make_shared<forms::DecodedPicture>(forms::DecodePicture(path, [&job] { return job.Cancelled(); }));
        if (job.Cancelled())
            return nullptr;
        return [this, path, decoded, keep] { ShowDecoded(path, std::move(*decoded), keep); };
    });
    if (!selectionJob_.Started())
        ShowDecoded(path, forms::DecodePicture(path), keepShownIfUnreadable);
}

void Form1::ShowDecoded(const std::wstring& path, forms::DecodedPicture decoded, bool keepShownIfUnreadable)
{
    if (!decoded.picture && keepShownIfUnreadable) {
        TilePreview();
        RefreshView();
        CopyPreviewToClipboard();
        return;
    }
    if (!decoded.picture) {
        ShowUnreadable(Commands::GetFileName(path), forms::FailureReason(decoded.failure));
        return;
    }
    ShowPicture(std::move(*decoded.picture));
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
    // An unreadable file stays said in the preview, and the clipboard keeps what it had.
    if (!unreadable_.empty()) {
        seamText_.clear();
        return;
    }
    TilePreview();
    seamText_.clear();
    RefreshView();
    CopyPreviewToClipboard();
}

void Form1::ShowUnreadable(const std::wstring& name, const std::wstring& reason)
{
    // Nothing pretends to be the picture: PicM empty at its design size, the clipboard as it was.
    ClearShownPicture();
    PicM.Move({PicM.Left(), PicM.Top(), TwipsToPixels(kPicMWidthTwips), TwipsToPixels(kPicMHeightTwips)});
    PicM.ClearPicture();
    unreadable_ = L"\u201E" + name + L"\u201C kann nicht gelesen werden";
    if (!reason.empty())
        unreadable_ += L"\n" + reason;
    PaintUnreadable();
    UpdateSeamTip();
}

void Form1::PaintUnreadable()
{
    const HDC dc = PicW.Hdc();
    if (unreadable_.empty() || !dc)
        return;
    PicW.Drawn();
    RECT area{0, 0, PicW.ScaleWidth(), PicW.ScaleHeight()};
    const forms::UniqueHbrush background(CreateSolidBrush(PicW.BackColor()));
    FillRect(dc, &area, background.get());
    // Two lines at most, each centred; the block sits in the middle of the preview.
    const forms::SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT measured = area;
    DrawTextW(dc, unreadable_.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    const int height = measured.bottom - measured.top;
    RECT text{area.left, (area.bottom - height) / 2, area.right, (area.bottom + height) / 2};
    DrawTextW(dc, unreadable_.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    PicW.Refresh();
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
    seamText_.clear();
    unreadable_.clear();
    // One copy of the pixels: an opaque picture is PicM's image itself.
    auto shown = std::make_shared<const forms::Picture>(std::move(picture));
    PicM.SetPicture(shown);
    shown_ = PicM.HasPicture() ? std::move(shown) : nullptr;
}

void Form1::ClearShownPicture()
{
    ForgetShownTile();
    seamText_.clear();
    unreadable_.clear();
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
    // An unreadable file is not a picture: the clipboard keeps what it had.
    if (!unreadable_.empty())
        return;
    forms::SkipIfFalse(forms::ClipboardClear(Hwnd()), L"clear clipboard");
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
    // An unreadable file put nothing on the clipboard to confirm.
    if (!unreadable_.empty())
        return;
    CopyPreviewToClipboard();
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
    PostDrop(DropOn::PicW);
}

}  // namespace ui
