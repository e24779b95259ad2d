#include "imaging/tone_map.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace imaging {

namespace {

float Linear(float value)
{
    return std::isfinite(value) && value > 0 ? value : 0.0f;
}

double Luminance(const float* rgb)
{
    return 0.2126 * Linear(rgb[0]) + 0.7152 * Linear(rgb[1]) + 0.0722 * Linear(rgb[2]);
}

std::uint8_t Srgb8(double linear)
{
    const double clipped = std::clamp(linear, 0.0, 1.0);
    const double encoded = clipped <= 0.0031308 ? 12.92 * clipped : 1.055 * std::pow(clipped, 1.0 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(encoded * 255.0));
}

}  // namespace

void ToneMapHdr(const float* rgb, std::size_t count, std::uint8_t* bgra)
{
    if (count == 0)
        return;
    double logSum = 0;
    double brightest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double luminance = Luminance(rgb + 3 * i);
        logSum += std::log(1e-4 + luminance);
        brightest = std::max(brightest, luminance);
    }
    const double key = std::exp(logSum / static_cast<double>(count));
    const double scale = 0.18 / key;
    const double white = std::max(1.0, scale * brightest);
    const double whiteSquared = white * white;
    for (std::size_t i = 0; i < count; ++i) {
        const float* in = rgb + 3 * i;
        std::uint8_t* out = bgra + 4 * i;
        const double luminance = Luminance(in);
        const double scaled = scale * luminance;
        const double display = scaled * (1 + scaled / whiteSquared) / (1 + scaled);
        const double factor = luminance > 0 ? display / luminance : 0;
        out[0] = Srgb8(Linear(in[2]) * factor);
        out[1] = Srgb8(Linear(in[1]) * factor);
        out[2] = Srgb8(Linear(in[0]) * factor);
        out[3] = 255;
    }
}

}  // namespace imaging
