#pragma once
// The main window's layout rule as plain arithmetic, so it can be checked without a screen.

namespace ui {

// Smallest outer size of the main window, in twips.
inline constexpr float kMinOuterWidthTwips = 9525.0f;
inline constexpr float kMinOuterHeightTwips = 6795.0f;

// What the rule reads: the outer size in twips (outer pixels times twips per pixel), the
// widths it subtracts as the window measures them (pixels) and the window's twips per pixel.
struct LayoutInput {
    float outerWidthTwips = 0.0f;
    float outerHeightTwips = 0.0f;
    int dir1WidthPixels = 0;
    int check1HeightPixels = 0;
    float twipsPerPixel = 15.0f;
};

// Sizes and positions in client pixels, as computed (unrounded) in single precision.
struct MainLayout {
    float picWWidth = 0.0f;
    float picWHeight = 0.0f;
    float frame1Top = 0.0f;
    float file1Height = 0.0f;
    float check1Top = 0.0f;  // from the rounded Frame1 top, as the window reads it back
};

// Steps 3 to 7 of the layout rule. The pixel offsets are held in twips so they grow with the DPI;
// at 96 DPI (15 twips per pixel) they are exactly 186 and 356 pixels.
MainLayout ComputeMainLayout(const LayoutInput& input);

// Fractions of a pixel go to the nearest whole pixel when a value is applied.
int RoundPixels(float value);

// The outer size in pixels that the rule raises a smaller window to, per dimension;
// 0 when that dimension is already large enough. Rounded up so the twips never fall short.
int RaisedOuterWidthPixels(int outerWidthPixels, float twipsPerPixel);
int RaisedOuterHeightPixels(int outerHeightPixels, float twipsPerPixel);

}  // namespace ui
