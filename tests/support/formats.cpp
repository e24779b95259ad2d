#include "support/formats.h"

#include <windows.h>

#include <cstdlib>

namespace testsupport {

namespace {

void AppendBe32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

}  // namespace

std::string Qoi(const Pixels& pixels, int channels)
{
    std::string out = "qoif";
    AppendBe32(out, static_cast<std::uint32_t>(pixels.width));
    AppendBe32(out, static_cast<std::uint32_t>(pixels.height));
    out += static_cast<char>(channels);
    out += '\0';  // sRGB
    std::uint32_t previous = 0xff000000u;
    int run = 0;
    const auto endRun = [&] {
        if (run > 0)
            out += static_cast<char>(0xc0 | (run - 1));
        run = 0;
    };
    for (const std::uint32_t argb : pixels.argb) {
        if (argb == previous) {
            if (++run == 62)
                endRun();
            continue;
        }
        endRun();
        const bool sameAlpha = (argb >> 24) == (previous >> 24);
        out += static_cast<char>(sameAlpha ? 0xfe : 0xff);
        out += static_cast<char>((argb >> 16) & 0xff);
        out += static_cast<char>((argb >> 8) & 0xff);
        out += static_cast<char>(argb & 0xff);
        if (!sameAlpha)
            out += static_cast<char>(argb >> 24);
        previous = argb;
    }
    endRun();
    out += std::string(7, '\0') + '\x01';
    return out;
}

std::string Hdr(int width, int height, const std::vector<Rgbe>& pixels)
{
    std::string out =
        "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
    for (const Rgbe& pixel : pixels) {
        out += static_cast<char>(pixel.r);
        out += static_cast<char>(pixel.g);
        out += static_cast<char>(pixel.b);
        out += static_cast<char>(pixel.e);
    }
    return out;
}

Pixels ReferencePixels(bool alpha)
{
    static const std::uint32_t alphas[] = {255, 0, 128, 64, 200};
    Pixels pixels{7, 5, {}};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            if (y == 0 && x < 4) {
                pixels.argb.push_back(0xffc81e5au);
                continue;
            }
            const std::uint32_t r = static_cast<std::uint32_t>(x * 53 + y * 19) & 255;
            const std::uint32_t g = static_cast<std::uint32_t>(x * 7 + y * 61 + 40) & 255;
            const std::uint32_t b = static_cast<std::uint32_t>((x * 29) ^ (y * 13)) & 255;
            const std::uint32_t a = alpha ? alphas[(x + 2 * y) % 5] : 255;
            pixels.argb.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return pixels;
}

Pixels BlockPixels()
{
    static const std::uint32_t colours[] = {0xfffa1414u, 0x8014f01eu, 0x001e28e6u, 0xc8f0e63cu};
    Pixels pixels{8, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pixels.argb.push_back(colours[(y / 4) * 2 + x / 4]);
    return pixels;
}

std::wstring DataFile(const std::wstring& name)
{
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + L"data\\formats\\" + name;
}

::testing::AssertionResult NearPicture(const Pixels& got, const Pixels& want, int tolerance, bool anyAlpha,
                                       int alphaTolerance)
{
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "size " << got.width << "x" << got.height;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x) {
            const std::uint32_t g = got.At(x, y);
            const std::uint32_t w = want.At(x, y);
            const int alpha = static_cast<int>(w >> 24);
            if (std::abs(static_cast<int>(g >> 24) - alpha) > alphaTolerance)
                return ::testing::AssertionFailure() << "alpha at " << x << "," << y << ": " << std::hex << g;
            if (alpha == 0 || (!anyAlpha && alpha != 255))
                continue;
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(static_cast<int>((g >> shift) & 0xff) - static_cast<int>((w >> shift) & 0xff)) > tolerance)
                    return ::testing::AssertionFailure()
                           << "pixel " << x << "," << y << " is " << std::hex << g << ", the reference's " << w;
        }
    return ::testing::AssertionSuccess();
}

}  // namespace testsupport
