#include "playback/yuv_to_bgrx.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace yuv {

namespace {

// Each sample is taken as a signed distance from 128 and widened to 16 bits by repeating its byte (t * 257,
// near enough t << 8); a coefficient c then gives (wide * c) >> 16, about t * c / 256. The SIMD path does
// exactly this with byte unpacking and a signed multiply-high, so both give the same pixels.
constexpr int kLuma = 298;       // 1.164 * 256
constexpr int kRedV = 409;       // 1.596 * 256
constexpr int kGreenU = -100;    // -0.391 * 256
constexpr int kGreenV = -208;    // -0.813 * 256
constexpr int kBlueU = 516;      // 2.018 * 256

constexpr int Wide(int sample)
{
    const int t = sample - 128;
    return t * 256 + (t & 0xFF);
}

constexpr int MulHigh(int wide, int coefficient)
{
    return (wide * coefficient) >> 16;
}

constexpr std::uint32_t Clamp(int value)
{
    return static_cast<std::uint32_t>(std::clamp(value + 128, 0, 255));
}

int ChromaShift(Sampling sampling)
{
    return sampling == Sampling::Yuv420 ? 1 : 2;
}

#if defined(__SSE2__)

// Signed chroma bytes for 16 pixels from the samples at c: 8 of them for 4:2:0, 4 for 4:1:1.
__m128i ChromaFor16(const std::uint8_t* c, Sampling sampling, __m128i bias)
{
    if (sampling == Sampling::Yuv420) {
        const __m128i samples = _mm_xor_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(c)), bias);
        return _mm_unpacklo_epi8(samples, samples);
    }
    std::int32_t four = 0;
    std::copy_n(c, 4, reinterpret_cast<std::uint8_t*>(&four));
    const __m128i samples = _mm_xor_si128(_mm_cvtsi32_si128(four), bias);
    const __m128i twice = _mm_unpacklo_epi8(samples, samples);
    return _mm_unpacklo_epi8(twice, twice);
}

struct Channels {
    __m128i b;
    __m128i g;
    __m128i r;
};

// Eight pixels from their widened luma and chroma, each channel still 16 bits and centred on 0.
Channels Mix8(__m128i y, __m128i u, __m128i v)
{
    const __m128i luma = _mm_mulhi_epi16(y, _mm_set1_epi16(kLuma));
    return Channels{
        _mm_add_epi16(luma, _mm_mulhi_epi16(u, _mm_set1_epi16(kBlueU))),
        _mm_add_epi16(_mm_add_epi16(luma, _mm_mulhi_epi16(u, _mm_set1_epi16(kGreenU))),
                      _mm_mulhi_epi16(v, _mm_set1_epi16(kGreenV))),
        _mm_add_epi16(luma, _mm_mulhi_epi16(v, _mm_set1_epi16(kRedV))),
    };
}

__m128i Pack(__m128i low, __m128i high)
{
    const __m128i centre = _mm_set1_epi16(128);
    return _mm_packus_epi16(_mm_add_epi16(low, centre), _mm_add_epi16(high, centre));
}

void Convert16(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, Sampling sampling,
               std::uint32_t* out)
{
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i luma = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y)), bias);
    const __m128i cu = ChromaFor16(u, sampling, bias);
    const __m128i cv = ChromaFor16(v, sampling, bias);
    const Channels low = Mix8(_mm_unpacklo_epi8(luma, luma), _mm_unpacklo_epi8(cu, cu), _mm_unpacklo_epi8(cv, cv));
    const Channels high = Mix8(_mm_unpackhi_epi8(luma, luma), _mm_unpackhi_epi8(cu, cu), _mm_unpackhi_epi8(cv, cv));
    const __m128i b = Pack(low.b, high.b);
    const __m128i g = Pack(low.g, high.g);
    const __m128i r = Pack(low.r, high.r);
    const __m128i opaque = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i bgLow = _mm_unpacklo_epi8(b, g);
    const __m128i bgHigh = _mm_unpackhi_epi8(b, g);
    const __m128i raLow = _mm_unpacklo_epi8(r, opaque);
    const __m128i raHigh = _mm_unpackhi_epi8(r, opaque);
    auto* to = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(to, _mm_unpacklo_epi16(bgLow, raLow));
    _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(bgLow, raLow));
    _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(bgHigh, raHigh));
    _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(bgHigh, raHigh));
}

#endif

}  // namespace

std::uint32_t ConvertPixel(int y, int u, int v)
{
    const int luma = MulHigh(Wide(y), kLuma);
    const int wu = Wide(u);
    const int wv = Wide(v);
    return 0xFF000000u | Clamp(luma + MulHigh(wv, kRedV)) << 16
         | Clamp(luma + MulHigh(wu, kGreenU) + MulHigh(wv, kGreenV)) << 8 | Clamp(luma + MulHigh(wu, kBlueU));
}

int ChromaRow(const Planes& planes, int y)
{
    if (planes.sampling == Sampling::Yuv411) {
        return y;
    }
    // Interlaced 4:2:0: rows 0 and 2 share the first field's chroma row, rows 1 and 3 the second's.
    return planes.interlaced ? (y >> 2) * 2 + (y & 1) : y >> 1;
}

void ConvertRow(const Planes& planes, int y, int x, int count, std::uint32_t* out)
{
    const int shift = ChromaShift(planes.sampling);
    const int chromaRow = ChromaRow(planes, y);
    const std::uint8_t* luma = planes.y + static_cast<std::ptrdiff_t>(y) * planes.strideY;
    const std::uint8_t* u = planes.u + static_cast<std::ptrdiff_t>(chromaRow) * planes.strideU;
    const std::uint8_t* v = planes.v + static_cast<std::ptrdiff_t>(chromaRow) * planes.strideV;
    const int end = x + count;
    int at = x;
#if defined(__SSE2__)
    // Pixels one by one up to the first whole chroma sample, then sixteen at a time.
    const int step = 1 << shift;
    for (; at < end && (at & (step - 1)) != 0; ++at) {
        *out++ = ConvertPixel(luma[at], u[at >> shift], v[at >> shift]);
    }
    for (; at + 16 <= end; at += 16, out += 16) {
        Convert16(luma + at, u + (at >> shift), v + (at >> shift), planes.sampling, out);
    }
#endif
    for (; at < end; ++at) {
        *out++ = ConvertPixel(luma[at], u[at >> shift], v[at >> shift]);
    }
}

}  // namespace yuv
