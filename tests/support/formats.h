#pragma once
// Files of the formats decoded beside the system's, made for the tests apart from the decoders under
// test, and the committed reference files of tests/data/formats (made by ImageMagick, see make.sh there).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pixels.h"

namespace testsupport {

// A QOI file written with the format's plain operations only (RGB, RGBA and runs); with 3 channels
// the file says so and leaves alpha out (the pixels must then be opaque).
std::string Qoi(const Pixels& pixels, int channels);

// A Radiance HDR file of flat (not run-length coded) RGBE pixels, top row first.
struct Rgbe {
    unsigned char r, g, b, e;  // value = mantissa * 2^(e - 136)
};
std::string Hdr(int width, int height, const std::vector<Rgbe>& pixels);

// The picture the reference files hold: 7 x 5, a run of four equal opaque pixels at the top left,
// alphas 255, 0, 128, 64, 200 repeating (all 255 when opaque).
Pixels ReferencePixels(bool alpha);
// The 8 x 8 picture of the block-compressed references: flat 4 x 4 blocks, alphas 255, 128, 0, 200.
Pixels BlockPixels();

// Same size; alphas equal within `alphaTolerance`; colours within `tolerance` each where the reference
// is opaque (or, with `anyAlpha`, wherever it is not fully clear).
::testing::AssertionResult NearPicture(const Pixels& got, const Pixels& want, int tolerance, bool anyAlpha,
                                       int alphaTolerance = 0);

// The full path of a committed reference file (copied beside the test programs at configure time).
std::wstring DataFile(const std::wstring& name);

}  // namespace testsupport
