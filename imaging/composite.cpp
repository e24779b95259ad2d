#include "imaging/composite.h"

#include "imaging/pixels.h"

#if defined(_M_X64) || defined(__SSE2__)
#include <emmintrin.h>
#define QUADRINO_SSE2 1
#endif

namespace imaging {

namespace {

#ifdef QUADRINO_SSE2
// Two pixels widened to 16-bit lanes: c * a + b * (255 - a), divided by 255 with rounding.
__m128i MixTwo(__m128i pixels, __m128i back)
{
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
    const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(pixels, alpha), _mm_mullo_epi16(back, rest));
    mixed = _mm_add_epi16(mixed, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(mixed, _mm_srli_epi16(mixed, 8)), 8);
}
#endif

}  // namespace

void CompositeRow(const std::uint8_t* source, std::uint8_t* out, int count, std::uint32_t background)
{
    int i = 0;
#ifdef QUADRINO_SSE2
    const __m128i zero = _mm_setzero_si128();
    const __m128i back = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(background & 0x00FFFFFFu)), zero);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + std::size_t(i) * 4));
        const __m128i low = MixTwo(_mm_unpacklo_epi8(pixels, zero), back);
        const __m128i high = MixTwo(_mm_unpackhi_epi8(pixels, zero), back);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + std::size_t(i) * 4),
                         _mm_or_si128(_mm_packus_epi16(low, high), opaque));
    }
#endif
    for (; i < count; ++i)
        StorePixel(out + std::size_t(i) * 4, CompositeOver(LoadPixel(source + std::size_t(i) * 4), background));
}

}  // namespace imaging
