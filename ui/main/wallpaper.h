#pragma once
// The shown picture as the desktop background, tiled.

#include <string>

#include "imaging/pixels.h"
#include "imaging/save.h"

namespace ui {

// Where the background file is kept: "Brenwick Quadrino\Hintergrund.bmp" in the user's local
// application data; empty when that folder is unknown.
std::wstring WallpaperFilePath();

// Writes the tile as a 24-bit BMP (pixels laid over `background`, 0x00RRGGBB) to WallpaperFilePath,
// sets "Control Panel\Desktop" TileWallpaper = "1" and WallpaperStyle = "0" for the user and hands
// the file to the system. The user's own picture file is never referenced. On failure the result
// holds the failing step's error.
imaging::SaveResult SetTiledWallpaper(imaging::ConstPixels tile, std::uint32_t background);

}  // namespace ui
