#include "imaging/repeat_view.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "imaging/borders.h"
#include "imaging/composite.h"

namespace imaging {

namespace {

// Plane pixels a reduction draws through at a time: a few MiB, so the buffer stays in the cache.
constexpr long long kScratchPixels = 1LL << 20;

constexpr long long CeilDiv(long long value, long long divisor)
{
    return -FloorDiv(-value, divisor);
}

// The plane pixels whose start lies in screen pixel `s` along an axis: [first, last).
struct PlaneSpan {
    long long first = 0;
    long long last = 0;
};

PlaneSpan SpanOf(long long s, int origin, ZoomStep step)
{
    if (step.reduces)
        return {(s - origin) * step.factor, (s - origin + 1) * step.factor};
    return {CeilDiv(s - origin, step.factor), CeilDiv(s + 1 - origin, step.factor)};
}

// The plane pixel screen pixel `s` shows (the first it averages when reducing).
long long ShownOf(long long s, int origin, ZoomStep step)
{
    return step.reduces ? (s - origin) * step.factor : FloorDiv(s - origin, step.factor);
}

// Whether a plane position congruent to `offset` modulo `period` lies in the span.
bool HoldsEdge(PlaneSpan span, long long offset, int period)
{
    return span.first + Wrap(offset - span.first, period) < span.last;
}

std::uint32_t Dot(int x, int y)
{
    return ((x + y) & 1) == 0 ? kBorderDark : kBorderLight;
}

void CompositeInPlace(MutablePixels target, bool opaque, std::uint32_t background)
{
    for (int y = 0; y < target.height; ++y) {
        std::uint8_t* row = target.Row(y);
        if (!opaque && !AllOpaque(row, target.width))
            CompositeRow(row, row, target.width, background);
    }
}

}  // namespace

long long RepeatViewPeriod(long long unitSide, int zoomPercent)
{
    if (unitSide <= 0 || unitSide > INT_MAX)
        return 0;
    return ViewPeriod(static_cast<int>(unitSide), zoomPercent);
}

void RenderRepeatView(ConstPixels tile, Repeat repeat, MutablePixels target, ViewParams params,
                      std::uint32_t background)
{
    const std::optional<ZoomStep> step = StepOf(params.zoomPercent);
    if (repeat.IsBlock() || tile.Empty() || !step || target.Empty()) {
        RenderView(tile, target, params, background);
        return;
    }
    const int k = step->factor;
    if (!step->reduces && k == 1) {
        // At 100 % the layout's pixels are the screen's: laid straight into the target.
        RepeatRegion(tile, repeat, -static_cast<long long>(params.originX), -static_cast<long long>(params.originY),
                     target);
        CompositeInPlace(target, tile.opaque, background);
        return;
    }
    if (!step->reduces) {
        // The plane pixels the screen shows, enlarged by the block's view from a corner just left of
        // and above the screen's, so nothing wraps.
        const long long left = FloorDiv(-static_cast<long long>(params.originX), k);
        const long long top = FloorDiv(-static_cast<long long>(params.originY), k);
        const int cornerX = static_cast<int>(params.originX + left * k);
        const int cornerY = static_cast<int>(params.originY + top * k);
        Image32 plane((target.width - cornerX + k - 1) / k, (target.height - cornerY + k - 1) / k);
        RepeatRegion(tile, repeat, left, top, plane.View());
        ConstPixels planeView = plane.View();
        planeView.opaque = tile.opaque;
        RenderView(planeView, target, {cornerX, cornerY, params.zoomPercent}, background);
        return;
    }
    // Reducing: strips of screen rows, each averaged from exactly the plane rows under it.
    const long long planeWidth = static_cast<long long>(target.width) * k;
    const int stripRows = static_cast<int>(std::clamp<long long>(kScratchPixels / (planeWidth * k), 1, target.height));
    Image32 plane(static_cast<int>(planeWidth), stripRows * k);
    for (int y = 0; y < target.height; y += stripRows) {
        const int rows = std::min(stripRows, target.height - y);
        const MutablePixels planeRows{plane.width, rows * k, plane.View().stride, plane.View().bits};
        RepeatRegion(tile, repeat, -static_cast<long long>(params.originX) * k,
                     (static_cast<long long>(y) - params.originY) * k, planeRows);
        ConstPixels planeView = planeRows;
        planeView.opaque = tile.opaque;
        RenderView(planeView, {target.width, rows, target.stride, target.Row(y)}, {0, 0, params.zoomPercent},
                   background);
    }
}

void DrawRepeatBorders(MutablePixels target, ViewParams params, int tileWidth, int tileHeight, Repeat repeat)
{
    const std::optional<ZoomStep> step = StepOf(params.zoomPercent);
    if (target.Empty() || !step || tileWidth <= 0 || tileHeight <= 0)
        return;
    if (repeat.kind == RepeatKind::Block || repeat.kind == RepeatKind::Mirror) {
        // A mirror's tiles meet on the block's grid.
        DrawTileBorders(target, params, tileWidth, tileHeight);
        return;
    }
    const bool drop = repeat.kind == RepeatKind::HalfDrop;
    const int offset = RepeatOffset(drop ? tileHeight : tileWidth, repeat.n);
    // Runs of screen columns that show one column of tiles, with where its horizontal edges lie.
    struct Run {
        int from = 0;
        int to = 0;
        long long edgeOffset = 0;
    };
    std::vector<Run> runs;
    std::vector<long long> edgeColumns;  // screen columns with a vertical edge, for the half-drop
    for (int x = 0; x < target.width; ++x) {
        const long long column = FloorDiv(ShownOf(x, params.originX, *step), tileWidth);
        if (runs.empty() || runs.back().edgeOffset != column * offset)
            runs.push_back({x, x + 1, column * offset});
        else
            runs.back().to = x + 1;
        if (HoldsEdge(SpanOf(x, params.originX, *step), 0, tileWidth))
            edgeColumns.push_back(x);
    }
    long long bandShift = -1;
    std::vector<int> shiftedColumns;  // the half-brick's vertical edges in the current row of tiles
    for (int y = 0; y < target.height; ++y) {
        std::uint8_t* row = target.Row(y);
        const PlaneSpan span = SpanOf(y, params.originY, *step);
        if (drop) {
            for (const Run& run : runs) {
                if (HoldsEdge(span, run.edgeOffset, tileHeight))
                    for (int x = run.from; x < run.to; ++x)
                        StorePixel(row + std::size_t(x) * 4, Dot(x, y));
            }
            for (const long long x : edgeColumns)
                StorePixel(row + std::size_t(x) * 4, Dot(static_cast<int>(x), y));
            continue;
        }
        if (HoldsEdge(span, 0, tileHeight)) {
            for (int x = 0; x < target.width; ++x)
                StorePixel(row + std::size_t(x) * 4, Dot(x, y));
            continue;
        }
        const long long shift = Wrap(FloorDiv(ShownOf(y, params.originY, *step), tileHeight) * offset, tileWidth);
        if (shift != bandShift) {
            bandShift = shift;
            shiftedColumns.clear();
            for (int x = 0; x < target.width; ++x)
                if (HoldsEdge(SpanOf(x, params.originX, *step), shift, tileWidth))
                    shiftedColumns.push_back(x);
        }
        for (const int x : shiftedColumns)
            StorePixel(row + std::size_t(x) * 4, Dot(x, y));
    }
}

}  // namespace imaging
