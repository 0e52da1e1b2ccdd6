// DIB lines into component samples on 128-bit registers, eight pixels at a
// time: the channels are brought into 16-bit lanes, each conversion sum is
// two 16 x 16-bit multiply-adds into 32 bits plus its offset and shifted as
// the plain kernel shifts it, and downsampling adds the neighbours in 16-bit
// lanes. The pixels of a line beyond the last whole group go through the
// plain kernel, which gives the same result for them.
#include <emmintrin.h>

#include <cstring>

#include "jpeg/kernels/dib_convert.h"

namespace halvora::jpeg {

namespace {

using namespace ycc_factors;

struct Channels {
  __m128i r;
  __m128i g;
  __m128i b;
};

__m128i Pair(int32_t first, int32_t second) {
  return _mm_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xFFFF)));
}

// (fr R + fg G + fb B + offset) >> 15 for eight pixels, as eight bytes.
__m128i Weighted(const Channels& c, int32_t fr, int32_t fg, int32_t fb, int32_t offset) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i rg = Pair(fr, fg);
  const __m128i b0 = Pair(fb, 0);
  const __m128i add = _mm_set1_epi32(offset);
  const __m128i low = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(c.r, c.g), rg),
                                                  _mm_madd_epi16(_mm_unpacklo_epi16(c.b, zero), b0)),
                                    add);
  const __m128i high = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(c.r, c.g), rg),
                                                   _mm_madd_epi16(_mm_unpackhi_epi16(c.b, zero), b0)),
                                     add);
  const __m128i words = _mm_packs_epi32(_mm_srai_epi32(low, 15), _mm_srai_epi32(high, 15));
  return _mm_packus_epi16(words, words);
}

void Store8(uint8_t* out, __m128i bytes) { _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes); }

void PutYcc(const Channels& c, uint8_t* const* rows, int32_t i) {
  Store8(rows[0] + i, Weighted(c, kYr, kYg, kYb, kYRounding));
  Store8(rows[1] + i, Weighted(c, kCbR, kCbG, kCbB, kChromaOffset));
  Store8(rows[2] + i, Weighted(c, kCrR, kCrG, kCrB, kChromaOffset));
}

// Byte `channel` of eight four-byte pixels, in 16-bit lanes.
__m128i FourByteChannel(__m128i first, __m128i second, int channel) {
  const __m128i mask = _mm_set1_epi32(0xFF);
  const __m128i shift = _mm_cvtsi32_si128(8 * channel);
  return _mm_packs_epi32(_mm_and_si128(_mm_srl_epi32(first, shift), mask),
                         _mm_and_si128(_mm_srl_epi32(second, shift), mask));
}

// Eight pixels of three bytes, each read as a 32-bit word (its bytes and the
// first byte of the pixel after it), so that their channels come out as
// those of four-byte pixels do. The pixel after the eighth must exist.
template <int kRed, int kBlue>
Channels LoadThreeBytePixels(const uint8_t* pixels) {
  uint32_t words[8];
  for (int j = 0; j < 8; ++j) std::memcpy(&words[j], pixels + 3 * j, 4);
  const __m128i first = _mm_setr_epi32(static_cast<int32_t>(words[0]), static_cast<int32_t>(words[1]),
                                       static_cast<int32_t>(words[2]), static_cast<int32_t>(words[3]));
  const __m128i second = _mm_setr_epi32(static_cast<int32_t>(words[4]), static_cast<int32_t>(words[5]),
                                        static_cast<int32_t>(words[6]), static_cast<int32_t>(words[7]));
  return {FourByteChannel(first, second, kRed), FourByteChannel(first, second, 1),
          FourByteChannel(first, second, kBlue)};
}

struct FourBytePixels {
  __m128i first;
  __m128i second;
};

FourBytePixels LoadFourBytePixels(const uint8_t* pixels) {
  return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16))};
}

// The plain kernel for the pixels from `done` on.
void ConvertRest(DibConvertKernel plain, const uint8_t* pixels, int bytes, int32_t done, int32_t count,
                 uint8_t* const* rows, int components) {
  if (done == count) return;
  uint8_t* rest[4] = {};  // at most four components
  for (int k = 0; k < components; ++k) rest[k] = rows[k] + done;
  plain(pixels + static_cast<ptrdiff_t>(done) * bytes, count - done, rest);
}

template <int kRed, int kBlue>
int32_t ConvertThreeByteGroups(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  int32_t i = 0;
  for (; i + 9 <= count; i += 8) PutYcc(LoadThreeBytePixels<kRed, kBlue>(pixels + 3 * i), rows, i);
  return i;
}

template <int kRed, int kBlue>
int32_t GreyOfThreeByteGroups(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  int32_t i = 0;
  for (; i + 9 <= count; i += 8) {
    Store8(rows[0] + i, Weighted(LoadThreeBytePixels<kRed, kBlue>(pixels + 3 * i), kYr, kYg, kYb, kYRounding));
  }
  return i;
}

// Bias words 1, 2, 1, 2, ... (2 x 2) or 0, 1, 0, 1, ... (2 x 1).
__m128i Bias(int16_t even, int16_t odd) { return _mm_setr_epi16(even, odd, even, odd, even, odd, even, odd); }

// The sums of the eight byte pairs of 16 bytes, in 16-bit lanes.
__m128i PairSums(const uint8_t* bytes) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  return _mm_add_epi16(_mm_and_si128(v, _mm_set1_epi16(0xFF)), _mm_srli_epi16(v, 8));
}

}  // namespace

void ConvertBgrToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertBgrToYccPlain, pixels, 3, ConvertThreeByteGroups<2, 0>(pixels, count, rows), count, rows, 3);
}

void ConvertRgbToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertRgbToYccPlain, pixels, 3, ConvertThreeByteGroups<0, 2>(pixels, count, rows), count, rows, 3);
}

void ConvertRgbxToYccSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const FourBytePixels p = LoadFourBytePixels(pixels + 4 * i);
    PutYcc({FourByteChannel(p.first, p.second, 0), FourByteChannel(p.first, p.second, 1),
            FourByteChannel(p.first, p.second, 2)},
           rows, i);
  }
  ConvertRest(ConvertRgbxToYccPlain, pixels, 4, i, count, rows, 3);
}

void ConvertRgbaToYcckSse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  const __m128i full = _mm_set1_epi16(255);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const FourBytePixels p = LoadFourBytePixels(pixels + 4 * i);
    PutYcc({_mm_sub_epi16(full, FourByteChannel(p.first, p.second, 0)),
            _mm_sub_epi16(full, FourByteChannel(p.first, p.second, 1)),
            _mm_sub_epi16(full, FourByteChannel(p.first, p.second, 2))},
           rows, i);
    const __m128i alpha = FourByteChannel(p.first, p.second, 3);
    Store8(rows[3] + i, _mm_packus_epi16(alpha, alpha));
  }
  ConvertRest(ConvertRgbaToYcckPlain, pixels, 4, i, count, rows, 4);
}

void ConvertBgrToGreySse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertBgrToGreyPlain, pixels, 3, GreyOfThreeByteGroups<2, 0>(pixels, count, rows), count, rows, 1);
}

void ConvertRgbToGreySse2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertRgbToGreyPlain, pixels, 3, GreyOfThreeByteGroups<0, 2>(pixels, count, rows), count, rows, 1);
}

void DownsampleH2V1Sse2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out) {
  const __m128i bias = Bias(0, 1);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i sums = _mm_srli_epi16(_mm_add_epi16(PairSums(upper + 2 * i), bias), 1);
    Store8(out + i, _mm_packus_epi16(sums, sums));
  }
  if (i < count) DownsampleH2V1Plain(upper + 2 * i, lower, count - i, out + i);
}

void DownsampleH2V2Sse2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out) {
  const __m128i bias = Bias(1, 2);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i sums = _mm_add_epi16(_mm_add_epi16(PairSums(upper + 2 * i), PairSums(lower + 2 * i)), bias);
    const __m128i averages = _mm_srli_epi16(sums, 2);
    Store8(out + i, _mm_packus_epi16(averages, averages));
  }
  if (i < count) DownsampleH2V2Plain(upper + 2 * i, lower + 2 * i, count - i, out + i);
}

}  // namespace halvora::jpeg
