#pragma once
// Pictures in formats the system may have no decoder for: TGA (with RLE), PSD (the flattened
// composite), QOI and Radiance HDR (tone-mapped, see tone_map.h). They are decoded from the file's
// bytes into 32-bit BGRA with straight alpha. Written for hostile files: the size is checked before
// any pixel memory is taken, and a file that does not parse is refused, never guessed at.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace imaging {

enum class BuiltinFormat { None, Tga, Psd, Qoi, Hdr };

// PSD, QOI and HDR are known by their signatures; TGA has none and is known by its extension
// (".tga", any letter case). `head` is the file's beginning, as much of it as there is.
BuiltinFormat BuiltinFormatOf(const std::uint8_t* head, std::size_t size, std::wstring_view extension);

// The extensions the built-in formats are listed with, lower case with their dot.
const std::vector<std::wstring>& BuiltinExtensions();

enum class BuiltinFailure {
    None,
    NotBuiltin,  // no built-in format: the file is of a kind nothing here reads
    TooLarge,    // more pixels than allowed, or no memory for them
    Damaged,     // the file does not parse
};

struct BuiltinResult {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;  // some pixel is not fully opaque
    BuiltinFailure failure = BuiltinFailure::None;
};

// Gives the memory for width x height BGRA pixels (rows top-down, width * 4 bytes each), or
// nullptr when there is none; called at most once, after the size has passed the limit.
using PixelTarget = std::function<std::uint8_t*(int width, int height)>;

// Decodes `data` as `format` into the target. At most `maxPixels` pixels (width x height) are accepted.
BuiltinResult DecodeBuiltin(const std::uint8_t* data, std::size_t size, BuiltinFormat format, long long maxPixels,
                            const PixelTarget& target);

}  // namespace imaging
