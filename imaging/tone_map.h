#pragma once
// Radiance HDR pictures hold linear light of any brightness; a screen shows 0 to 1. The operator is
// Reinhard's global one (Reinhard et al. 2002, equation 4), the same for every pixel, so a tile's
// edges still meet:
//   Lw  = 0.2126 R + 0.7152 G + 0.0722 B                  (each pixel's luminance)
//   Lavg = exp(mean(ln(1e-4 + Lw)))                        (the picture's key)
//   L   = 0.18 / Lavg * Lw                                 (middle grey at the key)
//   Lwh = max(1, largest L)                                (the white point: the brightest pixel)
//   Ld  = L * (1 + L / Lwh²) / (1 + L)
// and each channel is scaled by Ld / Lw, clipped to 1 and written in sRGB (8 bits, rounded).
// A picture without light (Lw 0 everywhere) stays black.

#include <cstddef>
#include <cstdint>

namespace imaging {

// `rgb` holds `count` pixels of three linear floats; `bgra` receives `count` opaque pixels.
// Values that are not finite or below zero count as 0.
void ToneMapHdr(const float* rgb, std::size_t count, std::uint8_t* bgra);

}  // namespace imaging
