#include "repair_study.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "forms/handles.h"
#include "helpers.h"
#include "support/test_env.h"

namespace imagingtest {

namespace {

int Channel(imaging::ConstPixels picture, int x, int y, int channel)
{
    return picture.Row(y)[std::size_t(x) * 4 + std::size_t(channel)];
}

// Fades each row (or column, `alongX` false) into itself shifted by half.
imaging::Image32 BlendAxis(const imaging::Image32& picture, bool alongX)
{
    imaging::Image32 out(picture.width, picture.height);
    const int length = alongX ? picture.width : picture.height;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int at = alongX ? x : y;
            const double weight = length > 1 ? 1.0 - std::abs(2.0 * at - (length - 1)) / (length - 1) : 1.0;
            const int shifted = (at + length / 2) % length;
            const std::uint32_t a = picture.At(x, y);
            const std::uint32_t b = alongX ? picture.At(shifted, y) : picture.At(x, shifted);
            std::uint32_t mixed = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const double value = weight * double((a >> shift) & 0xFFu) + (1.0 - weight) * double((b >> shift) & 0xFFu);
                mixed |= std::uint32_t(std::lround(value)) << shift;
            }
            out.At(x, y) = mixed;
        }
    }
    return out;
}

}  // namespace

double LaplacianVariance(imaging::ConstPixels picture)
{
    double total = 0.0;
    for (int channel = 0; channel < 3; ++channel) {
        double sum = 0.0;
        double squares = 0.0;
        double count = 0.0;
        for (int y = 1; y + 1 < picture.height; ++y) {
            for (int x = 1; x + 1 < picture.width; ++x) {
                const double laplacian = Channel(picture, x - 1, y, channel) + Channel(picture, x + 1, y, channel) +
                                         Channel(picture, x, y - 1, channel) + Channel(picture, x, y + 1, channel) -
                                         4.0 * Channel(picture, x, y, channel);
                sum += laplacian;
                squares += laplacian * laplacian;
                count += 1.0;
            }
        }
        if (count > 0.0)
            total += squares / count - (sum / count) * (sum / count);
    }
    return total;
}

double MeanColourShift(imaging::ConstPixels a, imaging::ConstPixels b)
{
    const auto mean = [](imaging::ConstPixels picture, int channel) {
        double sum = 0.0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                sum += Channel(picture, x, y, channel);
        return sum / (double(picture.width) * double(picture.height));
    };
    double largest = 0.0;
    for (int channel = 0; channel < 3; ++channel)
        largest = std::max(largest, std::abs(mean(a, channel) - mean(b, channel)));
    return largest;
}

imaging::Image32 CrossBlend(imaging::ConstPixels picture)
{
    imaging::Image32 copy(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            copy.At(x, y) = imaging::LoadPixel(picture.Row(y) + std::size_t(x) * 4);
    return BlendAxis(BlendAxis(copy, true), false);
}

std::optional<imaging::Image32> LoadCrop(const PhotoCrop& crop)
{
    // The largest picture the wallpaper ships is the original photo.
    const std::wstring folder = std::wstring(L"Z:\\usr\\share\\wallpapers\\") + crop.wallpaper + L"\\contents\\images\\";
    std::wstring best;
    std::uint64_t bestSize = 0;
    WIN32_FIND_DATAW data{};
    const forms::UniqueFind find(FindFirstFileW((folder + L"*.jpg").c_str(), &data));
    if (!find)
        return std::nullopt;
    do {
        const std::uint64_t size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size > bestSize) {
            bestSize = size;
            best = data.cFileName;
        }
    } while (FindNextFileW(find.get(), &data));
    const std::optional<imaging::Image32> photo = Decode(testsupport::ReadFileBytes(folder + best));
    if (!photo || crop.x + kCropSide > photo->width || crop.y + kCropSide > photo->height)
        return std::nullopt;
    imaging::Image32 out(kCropSide, kCropSide);
    for (int y = 0; y < kCropSide; ++y)
        for (int x = 0; x < kCropSide; ++x)
            out.At(x, y) = photo->At(crop.x + x, crop.y + y);
    return out;
}

std::wstring CropName(const PhotoCrop& crop)
{
    return std::wstring(crop.wallpaper) + L" " + std::to_wstring(crop.x) + L"," + std::to_wstring(crop.y);
}

}  // namespace imagingtest
