// The blocks of one MCU of a sequential scan, in coding order, with the DC
// prediction of their component.
#pragma once

#include <cstdint>

#include "jpeg/entropy/coded_symbol.h"
#include "jpeg/markers/frame.h"

namespace halvora::jpeg {

// Calls `decode(component, prediction, block)` for each block of an MCU of
// `scan`, `block` counting from 0: a scan of one component codes one block
// per MCU, an interleaved one h x v blocks of each component in turn. Each
// component's prediction is written back once its blocks are in; a negative
// result ends the MCU at once and is returned. Inlined, so that a decoder
// that holds the bits in locals keeps them there from block to block.
template <typename Decode>
HALVORA_SYMBOL_STEP int DecodeEachMcuBlock(JpegScan& scan, Decode decode) {
  int next = 0;
  for (int i = 0; i < scan.ns; ++i) {
    const ScanComponent& component = scan.components[i];
    const int blocks = scan.ns == 1 ? 1 : component.h * component.v;
    // The prediction is kept 16-bit wide: it wraps as the coded differences do.
    auto prediction = static_cast<int16_t>(scan.dc_predictions[i]);
    for (int b = 0; b < blocks; ++b, ++next) {
      const int result = decode(component, prediction, next);
      if (result < 0) return result;
    }
    scan.dc_predictions[i] = prediction;
  }
  return JpegSuccess;
}

}  // namespace halvora::jpeg
