#include "imaging/decode_builtin.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>

#include "imaging/composite.h"
#include "imaging/stb_config.h"
#include "imaging/tone_map.h"

#include <qoi.h>
#include <stb_image.h>

namespace imaging {

namespace {

constexpr std::uint8_t kPsdSignature[] = {'8', 'B', 'P', 'S'};
constexpr std::uint8_t kQoiSignature[] = {'q', 'o', 'i', 'f'};
constexpr std::uint8_t kQoiEnd[] = {0, 0, 0, 0, 0, 0, 0, 1};
constexpr std::size_t kQoiHeaderBytes = 14;

bool StartsWith(const std::uint8_t* data, std::size_t size, const void* prefix, std::size_t length)
{
    return data && size >= length && std::memcmp(data, prefix, length) == 0;
}

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* text)
{
    return StartsWith(data, size, text, std::strlen(text));
}

std::uint32_t BigEndian32(const std::uint8_t* at)
{
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

bool SizeAllowed(std::uint64_t width, std::uint64_t height, long long maxPixels)
{
    return width <= INT_MAX && height <= INT_MAX && maxPixels > 0 &&
           width * height <= static_cast<std::uint64_t>(maxPixels);
}

// stb_image reads through these, so that a file which ends before its pixels do is noticed: stb_image
// itself would go on with zeros.
struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool overrun = false;  // more was asked for than the file holds
};

int Read(void* user, char* out, int wanted)
{
    auto& reader = *static_cast<Reader*>(user);
    const std::size_t left = reader.size - reader.at;
    if (left == 0) {
        reader.overrun = true;
        return 0;
    }
    const std::size_t count = std::min<std::size_t>(left, static_cast<std::size_t>(std::max(wanted, 0)));
    std::memcpy(out, reader.data + reader.at, count);
    reader.at += count;
    return static_cast<int>(count);
}

void Skip(void* user, int count)
{
    auto& reader = *static_cast<Reader*>(user);
    const std::size_t left = reader.size - reader.at;
    if (count < 0) {
        reader.at = reader.size;  // stb_image skips backwards only past the end
        return;
    }
    if (static_cast<std::size_t>(count) > left)
        reader.overrun = true;
    reader.at += std::min(left, static_cast<std::size_t>(count));
}

int AtEnd(void* user)
{
    const auto& reader = *static_cast<const Reader*>(user);
    return reader.at >= reader.size ? 1 : 0;
}

constexpr stbi_io_callbacks kCallbacks{&Read, &Skip, &AtEnd};

struct StbFree {
    void operator()(void* pixels) const { stbi_image_free(pixels); }
};
struct CFree {
    void operator()(void* pixels) const { std::free(pixels); }
};

// RGBA bytes to BGRA; true when some pixel is not fully opaque.
bool StoreRgba(const std::uint8_t* rgba, std::size_t count, std::uint8_t* bgra)
{
    for (std::size_t i = 0; i < 4 * count; i += 4) {
        bgra[i] = rgba[i + 2];
        bgra[i + 1] = rgba[i + 1];
        bgra[i + 2] = rgba[i];
        bgra[i + 3] = rgba[i + 3];
    }
    return count > INT_MAX || !AllOpaque(bgra, static_cast<int>(count));
}

BuiltinResult Failed(BuiltinFailure failure)
{
    BuiltinResult result;
    result.failure = failure;
    return result;
}

BuiltinResult DecodeWithStb(const std::uint8_t* data, std::size_t size, BuiltinFormat format, long long maxPixels,
                            const PixelTarget& target)
{
    if (size > INT_MAX)
        return Failed(BuiltinFailure::TooLarge);
    int width = 0;
    int height = 0;
    int channels = 0;
    Reader probe{data, size};
    if (!stbi_info_from_callbacks(&kCallbacks, &probe, &width, &height, &channels) || width <= 0 || height <= 0)
        return Failed(BuiltinFailure::Damaged);
    // Checked before stb_image allocates anything for the pixels.
    if (!SizeAllowed(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), maxPixels))
        return Failed(BuiltinFailure::TooLarge);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

    Reader reader{data, size};
    int gotWidth = 0;
    int gotHeight = 0;
    BuiltinResult result;
    if (format == BuiltinFormat::Hdr) {
        const std::unique_ptr<float, StbFree> linear(
            stbi_loadf_from_callbacks(&kCallbacks, &reader, &gotWidth, &gotHeight, &channels, 3));
        if (!linear || reader.overrun || gotWidth != width || gotHeight != height)
            return Failed(BuiltinFailure::Damaged);
        std::uint8_t* const out = target(width, height);
        if (!out)
            return Failed(BuiltinFailure::TooLarge);
        ToneMapHdr(linear.get(), count, out);
    } else {
        const std::unique_ptr<stbi_uc, StbFree> rgba(
            stbi_load_from_callbacks(&kCallbacks, &reader, &gotWidth, &gotHeight, &channels, 4));
        if (!rgba || reader.overrun || gotWidth != width || gotHeight != height)
            return Failed(BuiltinFailure::Damaged);
        std::uint8_t* const out = target(width, height);
        if (!out)
            return Failed(BuiltinFailure::TooLarge);
        result.hasAlpha = StoreRgba(rgba.get(), count, out);
    }
    result.width = width;
    result.height = height;
    return result;
}

BuiltinResult DecodeQoi(const std::uint8_t* data, std::size_t size, long long maxPixels, const PixelTarget& target)
{
    if (size > INT_MAX)
        return Failed(BuiltinFailure::TooLarge);
    // The header and the end mark are checked here: qoi.h would take a cut file for a whole one.
    if (size < kQoiHeaderBytes + sizeof(kQoiEnd) || !StartsWith(data, size, kQoiSignature, sizeof(kQoiSignature)) ||
        std::memcmp(data + size - sizeof(kQoiEnd), kQoiEnd, sizeof(kQoiEnd)) != 0)
        return Failed(BuiltinFailure::Damaged);
    const std::uint32_t width = BigEndian32(data + 4);
    const std::uint32_t height = BigEndian32(data + 8);
    const std::uint8_t channels = data[12];
    const std::uint8_t colourSpace = data[13];
    if (width == 0 || height == 0 || (channels != 3 && channels != 4) || colourSpace > 1)
        return Failed(BuiltinFailure::Damaged);
    if (!SizeAllowed(width, height, maxPixels))
        return Failed(BuiltinFailure::TooLarge);
    qoi_desc description{};
    const std::unique_ptr<std::uint8_t, CFree> rgba(
        static_cast<std::uint8_t*>(qoi_decode(data, static_cast<int>(size), &description, 4)));
    if (!rgba || description.width != width || description.height != height)
        return Failed(BuiltinFailure::Damaged);
    std::uint8_t* const out = target(static_cast<int>(width), static_cast<int>(height));
    if (!out)
        return Failed(BuiltinFailure::TooLarge);
    BuiltinResult result;
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    result.hasAlpha = StoreRgba(rgba.get(), std::size_t{width} * height, out);
    return result;
}

}  // namespace

BuiltinFormat BuiltinFormatOf(const std::uint8_t* head, std::size_t size, std::wstring_view extension)
{
    if (StartsWith(head, size, kPsdSignature, sizeof(kPsdSignature)))
        return BuiltinFormat::Psd;
    if (StartsWith(head, size, kQoiSignature, sizeof(kQoiSignature)))
        return BuiltinFormat::Qoi;
    if (StartsWith(head, size, "#?RADIANCE\n") || StartsWith(head, size, "#?RGBE\n"))
        return BuiltinFormat::Hdr;
    std::wstring lower(extension);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    if (lower == L".tga")
        return BuiltinFormat::Tga;
    return BuiltinFormat::None;
}

const std::vector<std::wstring>& BuiltinExtensions()
{
    static const std::vector<std::wstring> extensions{L".tga", L".psd", L".qoi", L".hdr"};
    return extensions;
}

BuiltinResult DecodeBuiltin(const std::uint8_t* data, std::size_t size, BuiltinFormat format, long long maxPixels,
                            const PixelTarget& target)
{
    if (format == BuiltinFormat::None)
        return Failed(BuiltinFailure::NotBuiltin);
    if (!data || size == 0 || !target)
        return Failed(BuiltinFailure::Damaged);
    if (format == BuiltinFormat::Qoi)
        return DecodeQoi(data, size, maxPixels, target);
    return DecodeWithStb(data, size, format, maxPixels, target);
}

}  // namespace imaging
