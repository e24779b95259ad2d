// What leaves the program besides the clipboard: the tiling saved as a file, the desktop background.

#include "ui/main/form1.h"

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
    // The primary monitor's size is the first proposal: a tiling to fill the screen.
    SaveSizeDialog().Start(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    DisableWhileDialogIsUp(SaveSizeDialog());
}

void Form1::SaveSizeDialog_Closed(bool accepted)
{
    // Pending events may have closed the main window.
    if (!accepted || !IsLoaded())
        return;
    // Taken before asking for the name: that dialog lets the preview's timer run.
    SaveTilingAs(L"Kachelung speichern unter", CurrentTile(), SaveSizeDialog().ChosenWidth,
                 SaveSizeDialog().ChosenHeight, view_.repeat);
}

void Form1::mnuSaveRepeat_Click()
{
    const TileSource unit = RepeatUnitOf(CurrentTile(), view_.repeat);
    // The unit repeats by plain translation: saved as it is, it is a block tile.
    SaveTilingAs(L"Rapport speichern unter", unit, unit.pixels.width, unit.pixels.height, imaging::Repeat{});
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

void Form1::SaveTilingAs(const wchar_t* dialogTitle, const TileSource& tile, int width, int height, imaging::Repeat repeat)
{
    if (tile.pixels.Empty())
        return;
    const std::wstring pictureName = shown_ ? Commands::CurrentFile : std::wstring();
    int typeIndex = 0;
    const std::optional<std::wstring> chosen =
        forms::AskSavePath(Hwnd(), dialogTitle, ProposedTilingName(pictureName, width, height), TilingFileTypes(), typeIndex);
    if (!chosen)
        return;
    const TilingTarget target = ResolveTilingTarget(*chosen, typeIndex);
    const imaging::SaveResult result =
        imaging::SaveTilingToFile(target.path, target.format, tile.pixels, width, height, tile.background, repeat);
    if (result.ok)
        return;
    std::wstring title;  // ShowMessage puts the program's title in
    Commands::ShowMessage(L"Die Datei '" + target.path + L"' konnte nicht gespeichert werden." + Commands::CrLf +
                              imaging::DescribeError(result),
                          Commands::kMsgWarning, title);
}

void Form1::mnuWallpaper_Click()
{
    // Windows tiles only rectangles: the repeat unit.
    const TileSource tile = RepeatUnitOf(CurrentTile(), view_.repeat);
    if (tile.pixels.Empty())
        return;
    const imaging::SaveResult result = SetTiledWallpaper(tile.pixels, tile.background);
    if (result.ok)
        return;
    std::wstring title;
    Commands::ShowMessage(L"Der Desktophintergrund konnte nicht gesetzt werden." + Commands::CrLf +
                              WallpaperFilePath() + Commands::CrLf + imaging::DescribeError(result),
                          Commands::kMsgWarning, title);
}

}  // namespace ui
