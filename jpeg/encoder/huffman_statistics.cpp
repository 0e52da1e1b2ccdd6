#include "jpeg/encoder/huffman_statistics.h"

#include <algorithm>

#include "jpeg/encoder/bit_writer.h"

namespace halvora::jpeg {

namespace {

constexpr int kSymbols = 257;  // the 256 symbols and the code point kept back
constexpr int kReserved = 256;
// Code lengths before limiting: at most one per symbol merged.
constexpr int kMaxUnlimitedLength = kSymbols;
constexpr int kMaxLength = 16;

// The least frequent symbol with a nonzero frequency other than `except`;
// among equal frequencies the highest symbol, so that the reserved code point
// ends up with one of the longest codes. -1 when there is none.
int LeastFrequent(const uint64_t (&frequency)[kSymbols], int except) {
  int found = -1;
  for (int symbol = 0; symbol < kSymbols; ++symbol) {
    if (frequency[symbol] == 0 || symbol == except) continue;
    if (found < 0 || frequency[symbol] <= frequency[found]) found = symbol;
  }
  return found;
}

// The code length of every symbol: the two least frequent trees are merged
// until one is left, each merge lengthening the codes of both by one.
void CodeLengths(const SymbolCounts& counts, int (&length)[kSymbols]) {
  uint64_t frequency[kSymbols];
  int next[kSymbols];  // the symbols of one tree, chained
  std::copy(counts.counts, counts.counts + 256, frequency);
  frequency[kReserved] = 1;
  std::fill(length, length + kSymbols, 0);
  std::fill(next, next + kSymbols, -1);
  for (;;) {
    const int first = LeastFrequent(frequency, -1);
    const int second = LeastFrequent(frequency, first);
    if (second < 0) return;
    frequency[first] += frequency[second];
    frequency[second] = 0;
    int last = first;
    for (++length[first]; next[last] >= 0; ++length[last]) last = next[last];
    next[last] = second;
    for (int symbol = second; symbol >= 0; symbol = next[symbol]) ++length[symbol];
  }
}

// Moves codes longer than 16 bits up: two codes of the longest length make
// room for each other by one taking the length below and the other joining a
// shorter code split in two. Then the reserved code point, one of the
// longest codes, is given up.
void LimitLengths(int (&countOfLength)[kMaxUnlimitedLength + 1]) {
  for (int longest = kMaxUnlimitedLength; longest > kMaxLength; --longest) {
    while (countOfLength[longest] > 0) {
      int shorter = longest - 2;
      while (countOfLength[shorter] == 0) --shorter;
      countOfLength[longest] -= 2;
      countOfLength[longest - 1] += 1;
      countOfLength[shorter + 1] += 2;
      countOfLength[shorter] -= 1;
    }
  }
  int longest = kMaxLength;
  while (countOfLength[longest] == 0) --longest;
  countOfLength[longest] -= 1;
}

}  // namespace

void CountBlockSymbols(const CoefficientBlock& block, int16_t& lastDc, SymbolCounts& dc, SymbolCounts& ac) {
  dc.counts[MagnitudeCategory(block.values[0] - lastDc)] += 1;
  lastDc = block.values[0];
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int32_t value = block.values[kZigZagToNatural[k]];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16) ac.counts[kZeroRunSymbol] += 1;
    ac.counts[(run << 4) | MagnitudeCategory(value)] += 1;
    run = 0;
  }
  if (run > 0) ac.counts[kEndOfBlockSymbol] += 1;
}

HuffmanSpec OptimalHuffmanSpec(const SymbolCounts& counts) {
  SymbolCounts used = counts;
  // A table nobody codes with still needs a symbol for a valid segment.
  if (std::all_of(used.counts, used.counts + 256, [](uint64_t n) { return n == 0; })) used.counts[0] = 1;
  int length[kSymbols];
  CodeLengths(used, length);
  int countOfLength[kMaxUnlimitedLength + 1] = {};
  for (int symbol = 0; symbol < kSymbols; ++symbol) {
    if (length[symbol] > 0) countOfLength[length[symbol]] += 1;
  }
  LimitLengths(countOfLength);
  HuffmanSpec spec{};
  for (int i = 1; i <= kMaxLength; ++i) {
    spec.bits[i - 1] = static_cast<uint8_t>(countOfLength[i]);
    spec.count += countOfLength[i];
  }
  // Symbols by their unlimited code length, shortest first and in symbol
  // order within a length; the limited lengths are dealt out in that order.
  int next = 0;
  for (int unlimited = 1; unlimited <= kMaxUnlimitedLength && next < spec.count; ++unlimited) {
    for (int symbol = 0; symbol < 256 && next < spec.count; ++symbol) {
      if (length[symbol] == unlimited) spec.values[next++] = static_cast<uint8_t>(symbol);
    }
  }
  return spec;
}

}  // namespace halvora::jpeg
