// What leaves the program besides the clipboard: the tiling saved as a file, the desktop background.

#include "ui/main/form1.h"

#include <algorithm>
#include <functional>

#include "common/commands.h"
#include "forms/file_dialog.h"
#include "imaging/repeat.h"
#include "imaging/save.h"
#include "ui/dialogs/frm_save_size.h"
#include "ui/main/tiling_file.h"
#include "ui/main/wallpaper.h"

namespace ui {

void Form1::mnuSaveTiling_Click()
{
    // One output at a time, and only of a picture that could be read.
    if (!OutputsAvailable())
        return;
    // The primary monitor's size is the first proposal: a tiling to fill the screen.
    SaveSizeDialog().Start(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    DisableWhileDialogIsUp(SaveSizeDialog());
}

void Form1::SaveSizeDialog_Closed(bool accepted)
{
    if (!accepted || !IsLoaded() || !OutputsAvailable())
        return;
    // Taken before asking for the name: that dialog lets the preview's timer run.
    AskAndSaveTiling(L"Kachelung speichern unter", CurrentTile(), SaveSizeDialog().ChosenWidth,
                 SaveSizeDialog().ChosenHeight, view_.repeat);
}

void Form1::mnuSaveRepeat_Click()
{
    if (!OutputsAvailable())
        return;
    const TileSource unit = RepeatUnitOf(CurrentTile(), view_.repeat);
    // The unit repeats by plain translation: saved as it is, it is a block tile.
    AskAndSaveTiling(L"Rapport speichern unter", unit, unit.pixels.width, unit.pixels.height, imaging::Repeat{});
}

Form1::TileSource Form1::RepeatUnitOf(const TileSource& tile, imaging::Repeat repeat)
{
    if (repeat.IsBlock() || tile.pixels.Empty())
        return tile;
    auto unit = std::make_shared<imaging::Image32>(imaging::RepeatUnit(tile.pixels, repeat, imaging::kMaxOutputSide));
    TileSource result;
    result.background = tile.background;
    result.pixels = unit->View();
    result.pixels.opaque = tile.pixels.opaque;
    result.owner = std::move(unit);
    return result;
}

void Form1::AskAndSaveTiling(const wchar_t* dialogTitle, const TileSource& tile, int width, int height,
                             imaging::Repeat repeat)
{
    if (tile.pixels.Empty())
        return;
    const std::wstring pictureName = shown_ ? Commands::CurrentFile : std::wstring();
    int typeIndex = 0;
    const std::optional<std::wstring> chosen =
        forms::AskSavePath(Hwnd(), dialogTitle, ProposedTilingName(pictureName, width, height), TilingFileTypes(),
                           typeIndex);
    if (!chosen || !OutputsAvailable())
        return;
    const TilingTarget target = ResolveTilingTarget(*chosen, typeIndex);
    SaveTileAs(tile, target.path, target.format, width, height, repeat);
}

void Form1::SaveTilingAs(const std::wstring& path, imaging::ImageFormat format, int width, int height)
{
    SaveTileAs(CurrentTile(), path, format, width, height, view_.repeat);
}

void Form1::SaveTileAs(const TileSource& tile, const std::wstring& path, imaging::ImageFormat format, int width,
                       int height, imaging::Repeat repeat)
{
    if (tile.pixels.Empty() || !OutputsAvailable())
        return;
    // Written on a job's thread; the tile's owner keeps its pixels alive until the job is done.
    StartOutput(L"Kachelung wird gespeichert", [path, format, tile, width, height, repeat](forms::JobContext& job) {
        const imaging::SaveResult result = imaging::SaveTilingToFile(
            path, format, tile.pixels, width, height, tile.background, repeat, [&job](int done, int rows) {
                job.SetProgress(static_cast<int>(100LL * done / std::max(rows, 1)));
                return !job.Cancelled();
            });
        if (result.ok || result.error == E_ABORT)
            return std::wstring();
        return L"Die Datei '" + path + L"' konnte nicht gespeichert werden." + Commands::CrLf +
               imaging::DescribeError(result);
    });
}

void Form1::mnuWallpaper_Click()
{
    if (!OutputsAvailable())
        return;
    const TileSource tile = CurrentTile();
    const imaging::Repeat repeat = view_.repeat;
    if (tile.pixels.Empty() || !UnitFits(tile.pixels, repeat))
        return;
    StartOutput(L"Desktophintergrund wird gesetzt", [tile, repeat](forms::JobContext&) {
        // Windows tiles only rectangles: the repeat unit, laid out here rather than on the window's thread.
        const TileSource unit = RepeatUnitOf(tile, repeat);
        const imaging::SaveResult result = SetTiledWallpaper(unit.pixels, unit.background);
        if (result.ok)
            return std::wstring();
        return L"Der Desktophintergrund konnte nicht gesetzt werden." + Commands::CrLf + WallpaperFilePath() +
               Commands::CrLf + imaging::DescribeError(result);
    });
}

void Form1::StartOutput(const std::wstring& title, std::function<std::wstring(forms::JobContext&)> write)
{
    saveJob_ = forms::Job::Start(Hwnd(), [this, write](forms::JobContext& job) -> forms::JobResult {
        const std::wstring failure = write(job);
        return [this, failure] { OutputEnded(failure); };
    });
    if (!saveJob_.Started())
        return;
    // Shown once the work has lasted half a second; Escape and "Abbrechen" stop it.
    saveProgress_.onCancel = [this] { CancelSave(); };
    saveProgress_.Open(Hwnd(), title, [this] { return saveJob_.Progress(); });
}

void Form1::CancelSave()
{
    // The work stops at its next strip and removes its temporary file; nothing of it is shown any more.
    saveJob_.Cancel();
    saveProgress_.Close();
}

void Form1::OutputEnded(const std::wstring& failure)
{
    saveProgress_.Close();
    if (failure.empty())
        return;
    std::wstring title;  // ShowMessage puts the program's title in
    Commands::ShowMessage(failure, Commands::kMsgWarning, title);
}

}  // namespace ui
