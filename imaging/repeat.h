#pragma once
// The repeats a tile is laid in from the top-left corner: block, half-drop, half-brick and mirror.

#include <string>

#include "imaging/pixels.h"

namespace imaging {

enum class RepeatKind { Block, HalfDrop, HalfBrick, Mirror };

// The chosen repeat; `n` sets the offset of the two offset repeats to 1/n of the tile's side.
struct Repeat {
    RepeatKind kind = RepeatKind::Block;
    int n = 2;

    bool IsBlock() const { return kind == RepeatKind::Block; }
};

// The offset of the half-drop (side = the tile's height) or half-brick (its width): side / n rounded half up.
int RepeatOffset(int side, int n);

// A length along one axis that may exceed an int: a half-drop's unit is up to a tile's height of tiles wide.
struct RepeatSize {
    long long width = 0;
    long long height = 0;
};

// The smallest rectangle that repeats the layout by plain translation, from the top-left corner:
// W x H, (H / gcd(H, d)) W x H, W x (W / gcd(W, d)) H or 2W x 2H; zero for an empty tile.
RepeatSize RepeatUnitSize(int tileWidth, int tileHeight, Repeat repeat);

// How often a row of the layout repeats along x, and after how many rows the rows come again.
RepeatSize RepeatPeriods(int tileWidth, int tileHeight, Repeat repeat);

// Fills `target` with the layout's pixels from plane pixel (left, top) on, copied unchanged (straight
// alpha kept): target(x, y) shows plane(left + x, top + y), the tile's corner at plane (0, 0).
void RepeatRegion(ConstPixels tile, Repeat repeat, long long left, long long top, MutablePixels target);

// The repeat unit as an image; empty when a side would exceed `maxSide` or memory runs out.
Image32 RepeatUnit(ConstPixels tile, Repeat repeat, int maxSide);

// As the info line names it: "Block", "Halbversatz 1/2", "Ziegel 1/3", "Gespiegelt".
std::wstring RepeatName(Repeat repeat);

}  // namespace imaging
