#include "imaging/borders.h"

#include <vector>

namespace imaging {

namespace {

// Screen positions in [0, extent) of the tile edges along one axis, ascending, each once.
std::vector<int> EdgePositions(int origin, int tileSize, ZoomStep step, int extent)
{
    std::vector<int> positions;
    if (!step.reduces) {
        const long long period = static_cast<long long>(tileSize) * step.factor;
        const long long first = origin % period;
        for (long long x = first < 0 ? first + period : first; x < extent; x += period)
            positions.push_back(static_cast<int>(x));
        return positions;
    }
    // Edge m lies in the screen pixel that averages plane pixel m * tileSize.
    const long long k = step.factor;
    for (long long m = -FloorDiv(static_cast<long long>(origin) * k, tileSize);; ++m) {
        const long long x = origin + FloorDiv(m * tileSize, k);
        if (x >= extent)
            break;
        if (x >= 0 && (positions.empty() || positions.back() != x))
            positions.push_back(static_cast<int>(x));
    }
    return positions;
}

std::uint32_t Dot(int x, int y)
{
    return ((x + y) & 1) == 0 ? kBorderDark : kBorderLight;
}

}  // namespace

void DrawTileBorders(MutablePixels target, ViewParams params, int tileWidth, int tileHeight)
{
    const std::optional<ZoomStep> step = StepOf(params.zoomPercent);
    if (target.Empty() || !step || tileWidth <= 0 || tileHeight <= 0)
        return;
    const std::vector<int> columns = EdgePositions(params.originX, tileWidth, *step, target.width);
    const std::vector<int> rows = EdgePositions(params.originY, tileHeight, *step, target.height);
    std::vector<bool> isEdgeRow(target.height, false);
    for (int y : rows)
        isEdgeRow[y] = true;
    for (int y = 0; y < target.height; ++y) {
        std::uint8_t* row = target.Row(y);
        if (isEdgeRow[y]) {
            for (int x = 0; x < target.width; ++x)
                StorePixel(row + std::size_t(x) * 4, Dot(x, y));
            continue;
        }
        for (int x : columns)
            StorePixel(row + std::size_t(x) * 4, Dot(x, y));
    }
}

}  // namespace imaging
