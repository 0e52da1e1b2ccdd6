// The scans of a progressive image, coded from the blocks of the whole image:
// each scan's Huffman tables are made for it in a first pass over its blocks
// and written before its header.
#pragma once

#include "jpeg/encoder/encoder_state.h"
#include "jpeg/encoder/output_sink.h"
#include "jpeg/encoder/progressive_script.h"

namespace halvora::jpeg {

// Every scan of `script`, with its DHT and SOS segments: 0 or the sink's failure.
int EncodeProgressiveScans(EncoderState& encoder, const ProgressiveScript& script, OutputSink& sink);

}  // namespace halvora::jpeg
