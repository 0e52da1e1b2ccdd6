// DIB lines into component samples on 256-bit registers, sixteen pixels at a
// time: the arithmetic of dib_convert_sse2.cpp with twice the lanes. Three-
// byte pixels are sorted into channels by byte shuffles, four-byte ones by
// masks and shifts. Lane order is kept: the in-half unpacking before each
// multiply-add is undone by the in-half packing after it.
#include <immintrin.h>

#include <array>

#include "jpeg/kernels/dib_convert.h"

namespace halvora::jpeg {

namespace {

using namespace ycc_factors;

struct Channels {
  __m256i r;
  __m256i g;
  __m256i b;
};

__m256i Pair(int32_t first, int32_t second) {
  return _mm256_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xFFFF)));
}

// (fr R + fg G + fb B + offset) >> 15 for sixteen pixels, as sixteen bytes.
__m128i Weighted(const Channels& c, int32_t fr, int32_t fg, int32_t fb, int32_t offset) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i rg = Pair(fr, fg);
  const __m256i b0 = Pair(fb, 0);
  const __m256i add = _mm256_set1_epi32(offset);
  const __m256i low = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(c.r, c.g), rg),
                                                        _mm256_madd_epi16(_mm256_unpacklo_epi16(c.b, zero), b0)),
                                       add);
  const __m256i high = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(c.r, c.g), rg),
                                                         _mm256_madd_epi16(_mm256_unpackhi_epi16(c.b, zero), b0)),
                                        add);
  const __m256i words = _mm256_packs_epi32(_mm256_srai_epi32(low, 15), _mm256_srai_epi32(high, 15));
  return _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
}

void Store16(uint8_t* out, __m128i bytes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes); }

void PutYcc(const Channels& c, uint8_t* const* rows, int32_t i) {
  Store16(rows[0] + i, Weighted(c, kYr, kYg, kYb, kYRounding));
  Store16(rows[1] + i, Weighted(c, kCbR, kCbG, kCbB, kChromaOffset));
  Store16(rows[2] + i, Weighted(c, kCrR, kCrG, kCrB, kChromaOffset));
}

// Shuffle controls that pick byte `offset` of each of sixteen three-byte
// pixels out of the first, second or third 16 bytes of the 48 they take
// (0x80 where the byte lies in another part).
using Controls = std::array<std::array<uint8_t, 16>, 3>;

constexpr Controls MakeControls(int offset) {
  Controls controls{};
  for (int part = 0; part < 3; ++part) {
    for (int i = 0; i < 16; ++i) {
      const int source = 3 * i + offset - 16 * part;
      controls[part][i] = static_cast<uint8_t>(source >= 0 && source < 16 ? source : 0x80);
    }
  }
  return controls;
}

constexpr Controls kByteControls[3] = {MakeControls(0), MakeControls(1), MakeControls(2)};

__m256i ThreeByteChannel(const __m128i (&parts)[3], int offset) {
  __m128i bytes = _mm_setzero_si128();
  for (int part = 0; part < 3; ++part) {
    const __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kByteControls[offset][part].data()));
    bytes = _mm_or_si128(bytes, _mm_shuffle_epi8(parts[part], control));
  }
  return _mm256_cvtepu8_epi16(bytes);
}

template <int kRed, int kBlue>
Channels LoadThreeBytePixels(const uint8_t* pixels) {
  const __m128i parts[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 32))};
  return {ThreeByteChannel(parts, kRed), ThreeByteChannel(parts, 1), ThreeByteChannel(parts, kBlue)};
}

struct FourBytePixels {
  __m256i first;
  __m256i second;
};

FourBytePixels LoadFourBytePixels(const uint8_t* pixels) {
  return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels)),
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 32))};
}

// Byte `channel` of sixteen four-byte pixels in 16-bit lanes, in pixel
// order (the packing interleaves the halves, which the permute undoes).
__m256i FourByteChannel(const FourBytePixels& p, int channel) {
  const __m256i mask = _mm256_set1_epi32(0xFF);
  const __m128i shift = _mm_cvtsi32_si128(8 * channel);
  const __m256i packed = _mm256_packs_epi32(_mm256_and_si256(_mm256_srl_epi32(p.first, shift), mask),
                                            _mm256_and_si256(_mm256_srl_epi32(p.second, shift), mask));
  return _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0));
}

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
  for (; i + 16 <= count; i += 16) PutYcc(LoadThreeBytePixels<kRed, kBlue>(pixels + 3 * i), rows, i);
  return i;
}

__m256i Bias(int16_t even, int16_t odd) {
  return _mm256_setr_epi16(even, odd, even, odd, even, odd, even, odd, even, odd, even, odd, even, odd, even, odd);
}

// The sums of the sixteen byte pairs of 32 bytes, in 16-bit lanes.
__m256i PairSums(const uint8_t* bytes) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  return _mm256_add_epi16(_mm256_and_si256(v, _mm256_set1_epi16(0xFF)), _mm256_srli_epi16(v, 8));
}

__m128i PackedBytes(__m256i words) {
  return _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
}

}  // namespace

void ConvertBgrToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertBgrToYccPlain, pixels, 3, ConvertThreeByteGroups<2, 0>(pixels, count, rows), count, rows, 3);
}

void ConvertRgbToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  ConvertRest(ConvertRgbToYccPlain, pixels, 3, ConvertThreeByteGroups<0, 2>(pixels, count, rows), count, rows, 3);
}

void ConvertRgbxToYccAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const FourBytePixels p = LoadFourBytePixels(pixels + 4 * i);
    PutYcc({FourByteChannel(p, 0), FourByteChannel(p, 1), FourByteChannel(p, 2)}, rows, i);
  }
  ConvertRest(ConvertRgbxToYccPlain, pixels, 4, i, count, rows, 3);
}

void ConvertRgbaToYcckAvx2(const uint8_t* pixels, int32_t count, uint8_t* const* rows) {
  const __m256i full = _mm256_set1_epi16(255);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const FourBytePixels p = LoadFourBytePixels(pixels + 4 * i);
    PutYcc({_mm256_sub_epi16(full, FourByteChannel(p, 0)), _mm256_sub_epi16(full, FourByteChannel(p, 1)),
            _mm256_sub_epi16(full, FourByteChannel(p, 2))},
           rows, i);
    Store16(rows[3] + i, PackedBytes(FourByteChannel(p, 3)));
  }
  ConvertRest(ConvertRgbaToYcckPlain, pixels, 4, i, count, rows, 4);
}

void DownsampleH2V1Avx2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out) {
  const __m256i bias = Bias(0, 1);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    Store16(out + i, PackedBytes(_mm256_srli_epi16(_mm256_add_epi16(PairSums(upper + 2 * i), bias), 1)));
  }
  if (i < count) DownsampleH2V1Plain(upper + 2 * i, lower, count - i, out + i);
}

void DownsampleH2V2Avx2(const uint8_t* upper, const uint8_t* lower, int32_t count, uint8_t* out) {
  const __m256i bias = Bias(1, 2);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i sums = _mm256_add_epi16(_mm256_add_epi16(PairSums(upper + 2 * i), PairSums(lower + 2 * i)), bias);
    Store16(out + i, PackedBytes(_mm256_srli_epi16(sums, 2)));
  }
  if (i < count) DownsampleH2V2Plain(upper + 2 * i, lower + 2 * i, count - i, out + i);
}

}  // namespace halvora::jpeg
