#pragma once
// How visible the seams of a tile are: colour jumps across its edges against those inside it.

#include <cstdint>
#include <string>

#include "imaging/pixels.h"

namespace imaging {

enum class SeamGrade { Seamless, Slight, Distinct };

struct SeamMeasure {
    double edgeMean = 0.0;                  // mean |dR|+|dG|+|dB| across the right/left and bottom/top edges
    double innerMean = 0.0;                 // the same over all neighbouring pixel pairs inside the picture
    double ratio = 1.0;                     // edgeMean / innerMean; 1 for one colour, +infinity for edges alone
    SeamGrade grade = SeamGrade::Seamless;  // from the ratio rounded to two decimals
};

// Measures the picture with its pixels composited over `background` (0x00RRGGBB).
SeamMeasure MeasureSeam(ConstPixels picture, std::uint32_t background);

// The grade for a ratio: up to 1,30 seamless, up to 2,00 slight, above (or infinite) distinct.
SeamGrade GradeOf(double ratio);

// "nahtlos", "leichte Naht" or "deutliche Naht".
const wchar_t* GradeName(SeamGrade grade);

// The status line, e.g. "145 × 113 Pixel · Naht 1,04 (nahtlos)".
std::wstring SeamLine(int width, int height, const SeamMeasure& measure);

}  // namespace imaging
