#pragma once
// Figures of what the user feels directly: a held key, the program's start, the seam workbench.

#include <vector>

#include "bench/bench_figures.h"

namespace bench {

// 30 Down keys at auto-repeat speed over 30 large JPEGs: the picture after the last key against one
// selection of it, and the longest time the window took to answer a message meanwhile.
std::vector<Figure> MeasureKeyboardBrowsing(const Setup& setup);

// Quadrino.exe from process start to its first view, started in the folder of 20,000 files against
// started in an empty folder.
std::vector<Figure> MeasureStartup(const Setup& setup);

// Offset, zoom and pan at a 3840 x 2160 preview against one copy of it, and the seam measure of a
// 4096 x 4096 picture against decoding it.
std::vector<Figure> MeasureView(const Setup& setup);

// Selecting a 4096 x 4096 TGA against decoding it alone.
std::vector<Figure> MeasureTgaSelection(const Setup& setup);
// The overview of 1,000 JPEGs of 1024 x 1024: open, first screen and all against decoding them one after
// another, reopening, answers to WM_NULL meanwhile, and the peak memory against the thumbnails' bytes.
std::vector<Figure> MeasureOverview(const Setup& setup);

}  // namespace bench
