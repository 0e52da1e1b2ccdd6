#include "jpeg/encoder/encoder_state.h"

#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

EncoderState& EncoderStateOf(PrivateState& state) {
  if (state.encoder == nullptr) state.encoder = new EncoderState{};
  return *state.encoder;
}

void ReleaseEncoderState(PrivateState& state) {
  delete state.encoder;
  state.encoder = nullptr;
}

void McuRowBlockRows(const FrameLayout& frame, CoefficientBlock* blocks, int32_t row, bool wholeImage,
                     CoefficientBlock* (&rows)[kMaxComponents]) {
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    const int64_t rowBlocks = int64_t{component.blocks_across} * component.v;
    rows[k] = blocks + (wholeImage ? row * rowBlocks : 0);
    blocks += wholeImage ? rowBlocks * frame.mcus_down : rowBlocks;
  }
}

int64_t BlockCount(const FrameLayout& frame, bool wholeImage) {
  int64_t count = 0;
  for (int k = 0; k < frame.component_count; ++k) {
    const EncodedComponent& component = frame.components[k];
    count += int64_t{component.blocks_across} * component.v * (wholeImage ? frame.mcus_down : 1);
  }
  return count;
}

}  // namespace halvora::jpeg
