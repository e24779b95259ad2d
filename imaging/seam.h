#pragma once
// How visible the seams of a tile are: colour jumps across its edges against those inside it.

#include <cstdint>
#include <string>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imaging {

enum class SeamGrade { Seamless, Slight, Distinct };

// Only the directions in which the picture has inner neighbours are measured: a row 256 pixels wide
// and one high has edges left and right, none top and bottom.
struct SeamMeasure {
    double edgeMean = 0.0;                  // mean |dR|+|dG|+|dB| across the right/left and bottom/top edges
    double innerMean = 0.0;                 // the same over all neighbouring pixel pairs inside the picture
    double ratio = 1.0;                     // edgeMean / innerMean; 1 for one colour, +infinity for edges alone
    SeamGrade grade = SeamGrade::Seamless;  // from the departure, rounded to two decimals
    double besideMean = 0.0;                // the mean step of the inner pairs that touch the edge pixels
    bool measured = true;                   // false when no pixel has an inner neighbour (1 x 1): "Naht –"
};

// Measures the picture with its pixels composited over `background` (0x00RRGGBB), across the edges
// that touch in `repeat`: a half-drop's right edge against the left edge moved down by its offset, a
// half-brick's bottom edge against the top edge moved right. A mirror's edges meet their own mirror
// image and have no jump to measure.
SeamMeasure MeasureSeam(ConstPixels picture, std::uint32_t background, Repeat repeat = {});

// How far the edges stand out, graded like a ratio: the ratio itself when the edges jump more than
// the picture steps; when they are smoother than both the picture and the pixels right beside them
// (a checkerboard cut where its pattern breaks), the inverse of the nearer of the two. An edge in a
// flat margin is as smooth as its surroundings and departs by 1.
double Departure(const SeamMeasure& measure);

// The grade for a ratio: up to 1,30 seamless, up to 2,00 slight, above (or infinite) distinct.
SeamGrade GradeOf(double ratio);

// "nahtlos", "leichte Naht" or "deutliche Naht".
const wchar_t* GradeName(SeamGrade grade);

// The status line, e.g. "145 × 113 Pixel · Naht 1,04 (nahtlos)"; "1 × 1 Pixel · Naht –" unmeasured.
// Any repeat but the block is named: "145 × 113 Pixel · Halbversatz 1/2 · Naht 1,04 (nahtlos)",
// "… · Gespiegelt · Naht gespiegelt".
std::wstring SeamLine(int width, int height, const SeamMeasure& measure, Repeat repeat = {});

}  // namespace imaging
