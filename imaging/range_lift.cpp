#include "imaging/range_lift.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace imaging {

namespace {

constexpr int kCell = 16;
constexpr int kSteps = 20;
constexpr double kGain = 1.5;

constexpr std::size_t Index(int n)
{
    return static_cast<std::size_t>(n);
}

// How far a value that rounds outside 0 to 255 lies beyond it; 0 inside.
float Overshoot(float value)
{
    if (value < -0.5f)
        return -value;
    return value > 255.5f ? value - 255.0f : 0.0f;
}

}  // namespace

RangeLift::RangeLift(int width, int height)
    : width_(width), height_(height), columns_(std::max(1, (width + kCell / 2) / kCell)),
      rows_(std::max(1, (height + kCell / 2) / kCell)), lift_(Index(columns_) * Index(rows_)),
      rowLift_(Index(width)), across_(Index(width)), down_(Index(height))
{
    for (int x = 0; x < width; ++x)
        across_[Index(x)] = Between(x, width, columns_);
    for (int y = 0; y < height; ++y)
        down_[Index(y)] = Between(y, height, rows_);
}

bool RangeLift::Fit(const std::function<float(int x, int y)>& valueAt, const std::function<bool()>& stopped)
{
    const int every = std::clamp(std::min(width_, height_) / 128, 1, 8);
    std::vector<Sample> samples;
    float overshoot = 0.0f;
    for (int y = every / 2; y < height_; y += every) {
        for (int x = every / 2; x < width_; x += every) {
            const float value = valueAt(x, y);
            overshoot = std::max(overshoot, Overshoot(value));
            samples.push_back({x, y, value});
        }
    }
    if (overshoot <= 0.0f)
        return true;
    // Never more than twice what the picture overshoots: a step cannot run away.
    limit_ = 2.0f * overshoot + 8.0f;
    cellWeight_ = double(every) * every * double(columns_) * rows_ / (double(width_) * height_);
    for (int step = 0; step < kSteps; ++step) {
        if (stopped())
            return false;
        if (!Step(samples))
            break;
    }
    return true;
}

const std::vector<float>& RangeLift::Row(int y)
{
    if (limit_ <= 0.0f)
        return rowLift_;  // nothing was lifted: zeros
    for (int x = 0; x < width_; ++x)
        rowLift_[Index(x)] = LiftAt(x, y);
    return rowLift_;
}

RangeLift::Neighbours RangeLift::Between(int position, int length, int cells)
{
    const double at = (position + 0.5) * cells / length - 0.5;
    const double below = std::floor(at);
    const int low = (int(below) + cells) % cells;
    return {low, (low + 1) % cells, float(at - below)};
}

float RangeLift::LiftAt(int x, int y) const
{
    const Neighbours& down = down_[Index(y)];
    const Neighbours& across = across_[Index(x)];
    const float* const upper = lift_.data() + Index(down.low) * Index(columns_);
    const float* const lower = lift_.data() + Index(down.high) * Index(columns_);
    const float top = upper[across.low] + (upper[across.high] - upper[across.low]) * across.share;
    const float bottom = lower[across.low] + (lower[across.high] - lower[across.low]) * across.share;
    return top + (bottom - top) * down.share;
}

// One step: each cell's overshoot, softened over its neighbours and taken off, the mean kept.
// False when nothing overshoots any more.
bool RangeLift::Step(const std::vector<Sample>& samples)
{
    std::vector<double> overshoot(lift_.size());
    bool any = false;
    for (const Sample& sample : samples) {
        const float value = sample.value + LiftAt(sample.x, sample.y);
        if (value >= -0.5f && value <= 255.5f)
            continue;
        const std::size_t cell = Index(int(static_cast<long long>(sample.y) * rows_ / height_)) * Index(columns_) +
                                 Index(int(static_cast<long long>(sample.x) * columns_ / width_));
        overshoot[cell] += value < 0.0f ? value : value - 255.0f;
        any = true;
    }
    if (!any)
        return false;
    double mean = 0.0;
    std::vector<float> next(lift_.size());
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            double sum = 0.0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += (2 - std::abs(dx)) * (2 - std::abs(dy)) *
                           overshoot[Index((row + dy + rows_) % rows_) * Index(columns_) +
                                     Index((column + dx + columns_) % columns_)];
            const std::size_t cell = Index(row) * Index(columns_) + Index(column);
            next[cell] = lift_[cell] - float(kGain * sum / 16.0 * cellWeight_);
            mean += next[cell];
        }
    }
    mean /= double(next.size());
    for (std::size_t cell = 0; cell < next.size(); ++cell)
        lift_[cell] = std::clamp(next[cell] - float(mean), -limit_, limit_);
    return true;
}

}  // namespace imaging
