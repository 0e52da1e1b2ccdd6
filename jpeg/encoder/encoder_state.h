// The encoder's own state: one heap record a codec record, made by the first
// JpegWrite and released by JpegFree. Its work buffers are sized for the
// write under way and kept for the next write of the record. A write that
// codes as it transforms holds one MCU row of samples and blocks; only a
// progressive image holds all of its blocks, within the record's work
// memory budget.
#pragma once

#include <cstdint>
#include <vector>

#include "jpeg/encoder/frame_layout.h"
#include "jpeg/encoder/huffman_tables.h"
#include "jpeg/encoder/sample_conversion.h"
#include "jpeg/encoder/write_settings.h"
#include "jpeg/kernels/encode_kernel_types.h"

namespace halvora::jpeg {

struct PrivateState;

// The staging area of the output: room for several MCUs of the worst kind
// between deliveries.
inline constexpr size_t kStagingBytes = 64 * 1024;

// The tables of a write, by frame table number (0 and 1).
struct EncoderTables {
  uint8_t quant_values[2][64];  // natural order
  ForwardQuantTable forward_quant[2];
  HuffmanSpec dc[2];
  HuffmanSpec ac[2];
  HuffmanEncodeTable dc_codes[2];
  HuffmanEncodeTable ac_codes[2];
};

struct EncoderState {
  WriteSettings settings;
  FrameLayout frame;
  ColourPlan colours;
  EncoderTables tables;
  std::vector<uint8_t> staging;
  std::vector<uint8_t> samples;                // McuRowSamples
  std::vector<CoefficientBlock> row_blocks;    // the blocks of one MCU row
  std::vector<CoefficientBlock> image_blocks;  // every block of a progressive image
};

// The record's encoder state, made on first use (throws std::bad_alloc when
// memory runs out, which the entry answers with -5).
EncoderState& EncoderStateOf(PrivateState& state);
void ReleaseEncoderState(PrivateState& state);

// The blocks of component k for MCU row `row`, in `blocks` laid out as
// TransformMcuRow writes them: the MCU row's own blocks (row_blocks), or that
// row of the whole image (image_blocks).
void McuRowBlockRows(const FrameLayout& frame, CoefficientBlock* blocks, int32_t row, bool wholeImage,
                     CoefficientBlock* (&rows)[kMaxComponents]);
// How many blocks that takes: one MCU row's, or the whole image's.
int64_t BlockCount(const FrameLayout& frame, bool wholeImage);

}  // namespace halvora::jpeg
