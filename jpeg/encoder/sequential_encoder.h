// The one interleaved scan of a sequential image: the DIB converted and
// transformed an MCU row at a time, each block Huffman-coded as soon as its
// row is transformed, with restart markers every restart_interval MCUs.
#pragma once

#include "jpeg/encoder/encoder_state.h"
#include "jpeg/encoder/huffman_statistics.h"
#include "jpeg/encoder/output_sink.h"
#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {

// The scan's coded data, with the record's encode tables: 0 or the sink's failure.
int EncodeSequentialScan(EncoderState& encoder, const KernelTable& kernels, OutputSink& sink);

// The first pass of an optimised write: the symbols the scan will code, by
// frame table.
void CountSequentialScan(EncoderState& encoder, const KernelTable& kernels, SymbolCounts (&dc)[2],
                         SymbolCounts (&ac)[2]);

// Converts and transforms every MCU row in turn into the blocks of the whole
// image (the blocks a progressive image's scans read).
void TransformImage(EncoderState& encoder, const KernelTable& kernels);

}  // namespace halvora::jpeg
