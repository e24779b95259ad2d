// The seam workbench in PicW: half-tile offset, pan, tile borders, zoom and the seam measure.
// Only the screen shows them: PicW's persistent image, which goes to the clipboard, stays the plain tiling.

#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "forms/skip.h"
#include "imaging/borders.h"
#include "imaging/encode.h"
#include "imaging/repeat_view.h"
#include "imaging/seam.h"
#include "imaging/view.h"
#include "ui/main/form1.h"

namespace ui {

namespace {

constexpr std::array<int, 6> kZooms{25, 50, 100, 200, 400, 800};
// The origin is held in eighths of a picture pixel: at 800 % one screen pixel is one eighth, so a pan
// at any zoom moves it by a whole number of these units, and it means the same at every zoom.
constexpr long long kUnits = 8;

enum Accelerator : WORD {
    kAccelHalfOffset = 1,
    kAccelBorders,
    kAccelZoomIn,
    kAccelZoomOut,
    kAccelZoomReset,
    kAccelSave,
    // The repeats; ids of their own, apart from the others' ranges.
    kAccelRepeatBlock = 20,
    kAccelRepeatDrop = 21,
    kAccelRepeatBrick = 22,
    kAccelRepeatMirror = 23,
    kAccelRepair = 30,
    kAccelOverview = 40,
};

struct RepeatChoice {
    imaging::RepeatKind kind;
    const wchar_t* caption;
    WORD key;
    WORD accelerator;
};
constexpr std::array<RepeatChoice, 4> kRepeats{{
    {imaging::RepeatKind::Block, L"Block\tStrg+1", '1', kAccelRepeatBlock},
    {imaging::RepeatKind::HalfDrop, L"Halbversatz senkrecht\tStrg+2", '2', kAccelRepeatDrop},
    {imaging::RepeatKind::HalfBrick, L"Halbversatz waagrecht (Ziegel)\tStrg+3", '3', kAccelRepeatBrick},
    {imaging::RepeatKind::Mirror, L"Gespiegelt\tStrg+4", '4', kAccelRepeatMirror},
}};


// Screen pixels per unit of origin, as a fraction zoom / (100 * kUnits).
long long ScreenFromUnits(long long units, int zoom)
{
    return imaging::FloorDiv(units * zoom, 100 * kUnits);
}

long long UnitsPerScreenPixel(int zoom)
{
    return 100 * kUnits / zoom;
}

}  // namespace

bool Form1::UnitFits(imaging::ConstPixels tile, imaging::Repeat repeat)
{
    const imaging::RepeatSize unit = imaging::RepeatUnitSize(tile.width, tile.height, repeat);
    return unit.width <= imaging::kMaxOutputSide && unit.height <= imaging::kMaxOutputSide;
}

std::vector<ACCEL> Form1::ViewKeys()
{
    std::vector<ACCEL> keys;
    const auto add = [&keys](WORD key, WORD id) {
        // With or without Shift: on many layouts the plus sits on a shifted key.
        keys.push_back({FVIRTKEY | FCONTROL, key, id});
        keys.push_back({FVIRTKEY | FCONTROL | FSHIFT, key, id});
    };
    add('H', kAccelHalfOffset);
    add('G', kAccelBorders);
    add(VK_OEM_PLUS, kAccelZoomIn);
    add(VK_ADD, kAccelZoomIn);
    add(VK_OEM_MINUS, kAccelZoomOut);
    add(VK_SUBTRACT, kAccelZoomOut);
    add('0', kAccelZoomReset);
    add(VK_NUMPAD0, kAccelZoomReset);
    add('S', kAccelSave);
    for (const RepeatChoice& choice : kRepeats)
        add(choice.key, choice.accelerator);
    add('N', kAccelRepair);
    add('T', kAccelOverview);
    return keys;
}

void Form1::Form_Accelerator(WORD id)
{
    const POINT centre{PicW.ScaleWidth() / 2, PicW.ScaleHeight() / 2};
    switch (id) {
    case kAccelHalfOffset: mnuHalfOffset_Click(); break;
    case kAccelBorders: mnuBorders_Click(); break;
    case kAccelZoomIn: StepZoom(+1, centre); break;
    case kAccelZoomOut: StepZoom(-1, centre); break;
    case kAccelZoomReset: SetZoom(100, centre); break;
    case kAccelSave: mnuSaveTiling_Click(); break;
    case kAccelOverview: mnuOverview_Click(); break;
    case kAccelRepair: mnuRepair_Click(); break;
    default:
        for (const RepeatChoice& choice : kRepeats) {
            if (choice.accelerator == id)
                mnuRepeat_Click(choice.kind);
        }
        break;
    }
}

void Form1::mnuHalfOffset_Click()
{
    view_.halfOffset = !view_.halfOffset;
    const imaging::ConstPixels tile = ShownTile().pixels;
    // On: the tile's edges meet in the middle of the screen. Off: back to the corner.
    view_.originX = view_.halfOffset ? imaging::HalfTile(tile.width) * kUnits : 0;
    view_.originY = view_.halfOffset ? imaging::HalfTile(tile.height) * kUnits : 0;
    ViewChanged();
}

void Form1::mnuRepeat_Click(imaging::RepeatKind kind)
{
    if (view_.repeat.kind == kind)
        return;
    view_.repeat.kind = kind;
    RepeatChanged();
}

void Form1::mnuRepeatOffset_Click(int n)
{
    if (view_.repeat.n == n)
        return;
    view_.repeat.n = n;
    // The block and the mirror have no offset: nothing they show changes.
    if (view_.repeat.kind == imaging::RepeatKind::HalfDrop || view_.repeat.kind == imaging::RepeatKind::HalfBrick)
        RepeatChanged();
}

void Form1::mnuBorders_Click()
{
    view_.borders = !view_.borders;
    ViewChanged();
}

void Form1::SetZoom(int percent, POINT anchor)
{
    if (percent == view_.zoom)
        return;
    // The picture point under the anchor stays where it is.
    const long long before = UnitsPerScreenPixel(view_.zoom);
    const long long after = UnitsPerScreenPixel(percent);
    view_.originX = anchor.x * after - (anchor.x * before - view_.originX);
    view_.originY = anchor.y * after - (anchor.y * before - view_.originY);
    view_.zoom = percent;
    ViewChanged();
}

void Form1::StepZoom(int steps, POINT anchor)
{
    int index = 0;
    while (index < static_cast<int>(kZooms.size()) && kZooms[static_cast<std::size_t>(index)] != view_.zoom)
        ++index;
    const int next = std::clamp(index + steps, 0, static_cast<int>(kZooms.size()) - 1);
    SetZoom(kZooms[static_cast<std::size_t>(next)], anchor);
}

int Form1::ZoomPercent() const
{
    return view_.zoom;
}

POINT Form1::ViewOrigin() const
{
    return {static_cast<LONG>(ScreenFromUnits(view_.originX, view_.zoom)),
            static_cast<LONG>(ScreenFromUnits(view_.originY, view_.zoom))};
}

void Form1::PicW_DragStart()
{
    dragFrom_ = {view_.originX, view_.originY};
}

void Form1::PicW_Drag(int dx, int dy)
{
    // The origin follows the pointer exactly, from where the button went down.
    view_.originX = dragFrom_.first + dx * UnitsPerScreenPixel(view_.zoom);
    view_.originY = dragFrom_.second + dy * UnitsPerScreenPixel(view_.zoom);
    ViewChanged();
}

bool Form1::PicW_MouseWheel(int delta, POINT at, bool control)
{
    // Only over the preview: a wheel that reaches it while the pointer is elsewhere is not for it.
    if (!control || delta == 0 || at.x < 0 || at.y < 0 || at.x >= PicW.ScaleWidth() || at.y >= PicW.ScaleHeight())
        return false;
    StepZoom(delta > 0 ? +1 : -1, at);
    return true;
}

void Form1::PicW_ContextMenu(POINT screenPoint)
{
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        screenPoint = {0, 0};
        ClientToScreen(PicW.Hwnd(), &screenPoint);
    }
    std::vector<forms::PopupMenu::Item> zooms;
    for (const int zoom : kZooms) {
        std::wstring caption = std::to_wstring(zoom) + L" %";
        if (zoom == 100)
            caption += L"\tStrg+0";
        zooms.push_back(forms::PopupMenu::Item(caption, [this, zoom] {
                            SetZoom(zoom, POINT{PicW.ScaleWidth() / 2, PicW.ScaleHeight() / 2});
                        }).RadioChecked(zoom == view_.zoom));
    }
    std::vector<forms::PopupMenu::Item> repeats;
    for (const RepeatChoice& choice : kRepeats)
        repeats.push_back(forms::PopupMenu::Item(choice.caption, [this, kind = choice.kind] { mnuRepeat_Click(kind); })
                              .RadioChecked(choice.kind == view_.repeat.kind));
    repeats.push_back(forms::PopupMenu::Item(L"-"));
    for (const int n : {2, 3, 4})
        repeats.push_back(forms::PopupMenu::Item(L"Versatz 1/" + std::to_wstring(n), [this, n] { mnuRepeatOffset_Click(n); })
                              .RadioChecked(n == view_.repeat.n));
    const bool unitFits = UnitFits(ShownTile().pixels, view_.repeat);
    forms::PopupMenu menu({
        forms::PopupMenu::Item(L"Um halbe Kachel versetzen\tStrg+H", [this] { mnuHalfOffset_Click(); })
            .Checked(view_.halfOffset),
        forms::PopupMenu::Item(L"Kachelgrenzen zeigen\tStrg+G", [this] { mnuBorders_Click(); }).Checked(view_.borders),
        forms::PopupMenu::Item(L"Vergrößerung\tStrg++ / Strg+-").Opens(std::move(zooms)),
        forms::PopupMenu::Item(L"Rapport").Opens(std::move(repeats)),
        forms::PopupMenu::Item(L"-"),
        forms::PopupMenu::Item(L"Kachelung speichern unter …\tStrg+S", [this] { mnuSaveTiling_Click(); })
            .Enabled(OutputsAvailable()),
        forms::PopupMenu::Item(L"Rapport speichern unter …", [this] { mnuSaveRepeat_Click(); })
            .Enabled(OutputsAvailable() && unitFits),
        forms::PopupMenu::Item(L"Als Desktophintergrund (gekachelt)", [this] { mnuWallpaper_Click(); })
            .Enabled(OutputsAvailable() && unitFits),
        forms::PopupMenu::Item(L"Nahtlos machen …\tStrg+N", [this] { mnuRepair_Click(); })
            .Enabled(shown_ != nullptr && OutputsAvailable()),
        forms::PopupMenu::Item(L"Übersicht des Ordners …\tStrg+T", [this] { mnuOverview_Click(); }),
        forms::PopupMenu::Item(L"-"),
        forms::PopupMenu::Item(SeamText()).Enabled(false),
    });
    menu.ShowAt(Hwnd(), screenPoint);
}

std::wstring Form1::SeamText()
{
    // An unreadable file: its first line says so.
    if (!unreadable_.empty())
        return unreadable_.substr(0, unreadable_.find(L'\n'));
    const TileSource& tile = ShownTile();
    if (tile.pixels.Empty())
        return L"Kein Bild";
    // Measured once per shown picture; showing or clearing one empties it.
    if (seamText_.empty()) {
        seamText_ = imaging::SeamLine(tile.pixels.width, tile.pixels.height,
                                      imaging::MeasureSeam(tile.pixels, tile.background, view_.repeat), view_.repeat);
        if (!UnitFits(tile.pixels, view_.repeat)) {
            const imaging::RepeatSize unit = imaging::RepeatUnitSize(tile.pixels.width, tile.pixels.height, view_.repeat);
            seamText_ += L" · Rapport " + std::to_wstring(unit.width) + L" × " + std::to_wstring(unit.height) +
                         L" Pixel, zu groß zum Speichern";
        }
    }
    return seamText_;
}

void Form1::UpdateSeamTip()
{
    const std::wstring text = SeamText();
    previewTips_.SetText(PicM.Hwnd(), text);
    previewTips_.SetText(PicW.Hwnd(), text);
}

bool Form1::PlainView() const
{
    const POINT origin = ViewOrigin();
    // PicW's own image is the plain tiling of the picture, never of a repair's preview.
    return !repairPreview_ && view_.zoom == 100 && !view_.borders && origin.x == 0 && origin.y == 0;
}

void Form1::ViewChanged()
{
    const imaging::ConstPixels tile = ShownTile().pixels;
    // The origin only matters within one repeat unit of the picture.
    const imaging::RepeatSize unit = imaging::RepeatUnitSize(tile.width, tile.height, view_.repeat);
    if (unit.width > 0 && unit.width * kUnits <= INT_MAX)
        view_.originX = imaging::Wrap(view_.originX, static_cast<int>(unit.width * kUnits));
    if (unit.height > 0 && unit.height * kUnits <= INT_MAX)
        view_.originY = imaging::Wrap(view_.originY, static_cast<int>(unit.height * kUnits));
    PicW.PaintNow();
}

imaging::ViewParams Form1::ShownViewParams() const
{
    const POINT origin = ViewOrigin();
    return {origin.x, origin.y, view_.zoom};
}

const Form1::TileSource& Form1::ShownTile()
{
    if (!shownTileTaken_) {
        shownTile_ = repairPreview_ ? RepairPreviewTile() : CurrentTile();
        shownTileTaken_ = true;
    }
    return shownTile_;
}

namespace {

// Rows painted at a time: a band of a 4K preview (about 1 MB) is still in the cache when it is
// blitted, so the view never makes a round trip through memory. Even, so the border dots keep
// their parity from band to band.
constexpr int kBandRows = 64;
// A kept reduction spans at least this many pixels each way, so tiling from it copies long runs.
constexpr long long kMinBlockSide = 1024;
// Largest kept reduction (64 MiB); past it the view is reduced afresh at every paint.
constexpr long long kMaxBlockPixels = 16LL << 20;
// From this side on, a tile at 100 % is blitted straight from PicM: a few long copies, each
// pixel read from memory once (kept reductions are at least this large too).
constexpr int kBlitTileSide = 1024;

// Paints `area` with the tiling of the width x height image in `tile` at the origin.
void BlitTiling(HDC dc, const RECT& area, HDC tile, int width, int height, int originX, int originY)
{
    for (int y = area.top; y < area.bottom;) {
        const int sourceY = imaging::Wrap(static_cast<long long>(y) - originY, height);
        const int rows = std::min(height - sourceY, static_cast<int>(area.bottom - y));
        for (int x = area.left; x < area.right;) {
            const int sourceX = imaging::Wrap(static_cast<long long>(x) - originX, width);
            const int columns = std::min(width - sourceX, static_cast<int>(area.right - x));
            forms::SkipIfFalse(BitBlt(dc, x, y, columns, rows, tile, sourceX, sourceY, SRCCOPY), L"draw view");
            x += columns;
        }
        y += rows;
    }
}

long long BlockSide(long long period)
{
    return period <= 0 ? 0 : std::max(1LL, (kMinBlockSide + period - 1) / period) * period;
}

}  // namespace

const Form1::ReducedBlock* Form1::ReducedBlockFor(int zoom)
{
    // A reduction reads k x k picture pixels for every screen pixel, so a large picture would be
    // read whole at every pan. Whole periods of it are kept per zoom, and every origin tiles from them.
    for (const ReducedBlock& block : reduced_) {
        if (block.zoom == zoom)
            return &block;
    }
    const TileSource& tile = ShownTile();
    const imaging::RepeatSize unit = imaging::RepeatUnitSize(tile.pixels.width, tile.pixels.height, view_.repeat);
    const long long width = BlockSide(imaging::RepeatViewPeriod(unit.width, zoom));
    const long long height = BlockSide(imaging::RepeatViewPeriod(unit.height, zoom));
    if (width <= 0 || height <= 0 || width * height > kMaxBlockPixels)
        return nullptr;
    ReducedBlock block{zoom, std::make_unique<forms::DibCanvas>()};
    if (!block.pixels->Make(static_cast<int>(width), static_cast<int>(height)))
        return nullptr;
    const imaging::ConstPixels view = block.Pixels();
    const imaging::MutablePixels target{view.width, view.height, view.stride, block.pixels->Bits()};
    imaging::RenderRepeatView(tile.pixels, view_.repeat, target, {0, 0, zoom}, tile.background);
    // The two reductions the menu offers stay; a third would be a picture's worth of memory more.
    if (reduced_.size() >= 2)
        reduced_.erase(reduced_.begin());
    reduced_.push_back(std::move(block));
    return &reduced_.back();
}

bool Form1::PicW_Paint(HDC dc, const RECT& area)
{
    // The line about an unreadable file is in the persistent image.
    if (PlainView() || !unreadable_.empty())
        return false;
    // Even left and top edges keep the dots of the borders in step with the screen.
    const int left = std::max(0, static_cast<int>(area.left)) & ~1;
    const int top = std::max(0, static_cast<int>(area.top)) & ~1;
    const int right = std::min(PicW.ScaleWidth(), static_cast<int>(area.right));
    const int bottom = std::min(PicW.ScaleHeight(), static_cast<int>(area.bottom));
    if (left >= right || top >= bottom)
        return true;
    const TileSource& tile = ShownTile();
    const imaging::ViewParams params = ShownViewParams();
    // PicM's image is the tile as the view shows it at 100 %: laid over the background.
    if (view_.repeat.IsBlock() && params.zoomPercent == 100 && !view_.borders && tile.pixels.width >= kBlitTileSide &&
        tile.pixels.height >= kBlitTileSide && PicM.ScaleWidth() == tile.pixels.width &&
        PicM.ScaleHeight() == tile.pixels.height) {
        BlitTiling(dc, {left, top, right, bottom}, PicM.Hdc(), tile.pixels.width, tile.pixels.height, params.originX,
                   params.originY);
        return true;
    }
    const std::optional<imaging::ZoomStep> step = imaging::StepOf(params.zoomPercent);
    const ReducedBlock* block = step && step->reduces ? ReducedBlockFor(params.zoomPercent) : nullptr;
    // A kept reduction is blitted as it is, each pixel read once.
    if (block && !view_.borders) {
        BlitTiling(dc, {left, top, right, bottom}, block->pixels->Dc(), block->pixels->Width(), block->pixels->Height(),
                   params.originX, params.originY);
        return true;
    }
    if (!band_.Reserve(PicW.ScaleWidth(), kBandRows))
        return false;
    for (int y = top; y < bottom; y += kBandRows) {
        const int rows = std::min(kBandRows, bottom - y);
        const imaging::MutablePixels band{right - left, rows, static_cast<std::ptrdiff_t>(band_.Width()) * 4,
                                          band_.Bits()};
        // The band's pixels are drawn in the band's own coordinates: the origin moves the other way.
        const imaging::ViewParams at{params.originX - left, params.originY - y, params.zoomPercent};
        GdiFlush();  // the blit of the band before may still be queued
        if (block)
            imaging::RenderView(block->Pixels(), band, {at.originX, at.originY, 100}, tile.background);
        else
            imaging::RenderRepeatView(tile.pixels, view_.repeat, band, at, tile.background);
        if (view_.borders)
            imaging::DrawRepeatBorders(band, at, tile.pixels.width, tile.pixels.height, view_.repeat);
        forms::SkipIfFalse(BitBlt(dc, left, y, right - left, rows, band_.Dc(), 0, 0, SRCCOPY), L"draw view");
    }
    return true;
}

}  // namespace ui
