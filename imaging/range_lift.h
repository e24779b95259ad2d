#pragma once
// A smooth lift that brings a channel back into 0 to 255 where a correction would carry it out.

#include <functional>
#include <vector>

namespace imaging {

// Where a channel of a result would leave 0 to 255, a smooth lift of zero mean (bilinear over a grid
// of 16-pixel cells, wrapping around like a tile) moves that part of the picture back into the range
// instead of the clamp flattening it: the detail stays, the mean colour too.
class RangeLift {
public:
    RangeLift(int width, int height);

    // Finds the lift for a channel whose value at (x, y) `valueAt` gives; `stopped` is asked between
    // steps, and false comes back when it said so. Large pictures are sampled at up to every eighth
    // pixel each way: the lift is smooth anyway.
    bool Fit(const std::function<float(int x, int y)>& valueAt, const std::function<bool()>& stopped);

    // The lift for one row: interpolated between the cells' centres, wrapping around; zeros when
    // nothing needed lifting.
    const std::vector<float>& Row(int y);

private:
    // The two cell centres a pixel lies between, and how far it is from the first.
    struct Neighbours {
        int low = 0;
        int high = 0;
        float share = 0.0f;
    };
    struct Sample {
        int x = 0;
        int y = 0;
        float value = 0.0f;
    };

    static Neighbours Between(int position, int length, int cells);
    float LiftAt(int x, int y) const;
    bool Step(const std::vector<Sample>& samples);

    int width_, height_, columns_, rows_;
    float limit_ = 0.0f;       // the most a cell is lifted either way; 0 while nothing is
    double cellWeight_ = 1.0;  // a sample's share of its cell's mean
    std::vector<float> lift_;
    std::vector<float> rowLift_;
    std::vector<Neighbours> across_, down_;
};

}  // namespace imaging
