#include "tests/jpeg/stream_mutator.h"

#include <algorithm>

namespace halvora::jpeg {

uint32_t StreamMutator::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  return state_ >> 8;
}

std::vector<uint8_t> StreamMutator::Mutate(std::vector<uint8_t> stream, size_t from, const MutationPolicy& policy) {
  const int edits = 1 + static_cast<int>(Next() % static_cast<uint32_t>(policy.max_edits));
  for (int i = 0; i < edits && stream.size() > from + 1; ++i) {
    const bool anywhere = policy.anywhere_one_in > 0 && Next() % static_cast<uint32_t>(policy.anywhere_one_in) == 0;
    const size_t start = anywhere ? 0 : from;
    const size_t at = start + Next() % (stream.size() - start);
    Apply(stream, at, from, policy.edits[Next() % policy.edits.size()]);
  }
  return stream;
}

void StreamMutator::Apply(std::vector<uint8_t>& stream, size_t at, size_t from, Edit edit) {
  const auto position = stream.begin() + static_cast<std::ptrdiff_t>(at);
  switch (edit) {
    case Edit::kRandomByte:
      stream[at] = static_cast<uint8_t>(Next());
      break;
    case Edit::kMarkerByte:
      stream[at] = 0xFF;
      break;
    case Edit::kFlipBit:
      stream[at] = static_cast<uint8_t>(stream[at] ^ (1u << (Next() % 8)));
      break;
    case Edit::kInsertRestart:
      stream.insert(position, {0xFF, static_cast<uint8_t>(0xD0 + Next() % 8)});
      break;
    case Edit::kInsertByte:
      stream.insert(position, static_cast<uint8_t>(Next()));
      break;
    case Edit::kDropByte:
      stream.erase(position);
      break;
    case Edit::kCut:
      stream.resize(std::max(at, from + 1));
      break;
  }
}

}  // namespace halvora::jpeg
