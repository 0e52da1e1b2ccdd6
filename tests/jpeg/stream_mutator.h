// Deterministic damage to JPEG streams for the robustness tests: the same
// seed gives the same streams, so a failing one can be rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvora::jpeg {

enum class Edit {
  kRandomByte,     // a byte takes any value
  kMarkerByte,     // a byte becomes 0xFF
  kFlipBit,        // one bit of a byte flips
  kInsertRestart,  // a restart marker appears
  kInsertByte,     // a byte of any value appears
  kDropByte,       // a byte goes
  kCut,            // the stream ends there
};

struct MutationPolicy {
  int max_edits;             // 1 to this many edits per stream
  std::vector<Edit> edits;   // the kinds drawn from
  int anywhere_one_in;       // one edit in this many may land before `from` (0: none)
};

class StreamMutator {
 public:
  explicit StreamMutator(uint32_t seed) : state_(seed) {}

  // A copy of `stream` with edits at or after byte `from` (the stream is
  // never cut before from + 1).
  std::vector<uint8_t> Mutate(std::vector<uint8_t> stream, size_t from, const MutationPolicy& policy);

 private:
  uint32_t Next();
  void Apply(std::vector<uint8_t>& stream, size_t at, size_t from, Edit edit);

  uint32_t state_;
};

}  // namespace halvora::jpeg
