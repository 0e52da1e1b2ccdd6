// Huffman decoding of sequential blocks, one at a time or every block of an
// MCU (the decode_block, decode_mcu and skip_block entries of the kernel
// table).
#pragma once

#include <cstdint>

#include "jpeg/entropy/huffman_table.h"
#include "jpeg/interface/private_state.h"

namespace halvora::jpeg {

// Decodes one block into `block`, which arrives all zero: only the coded
// terms are written (natural order), each already dequantised by `factors`
// (a prepared table) as the dequantisation of the method does it; decoding
// and dequantising in one step spares a pass over the block. Clearing is the
// caller's, as one clear of a whole MCU costs less than eight small ones.
// Updates the 16-bit DC prediction. 0 or a negative code; a marker met
// inside the block ends it early with 0, its remaining terms left zero.
int DecodeBlockMethod0(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                       int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
int DecodeBlockMethod1(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                       int16_t& prediction, const int32_t* factors, CoefficientBlock& block);

// Every block of an MCU of `scan` into `blocks` (all zero on arrival), in
// coding order, each as the block decoder of the method decodes it, with the
// scan's DC predictions. 0 or a negative code, which ends the MCU there.
int DecodeMcuMethod0(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeMcuMethod1(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
// The same with the DC term alone of every block, as DecodeDcTermMethodN.
int DecodeMcuDcTermsMethod0(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeMcuDcTermsMethod1(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);

// The DC term alone into coefficient 0, dequantised as above, for blocks
// whose transform reads nothing else (a block of one sample); the AC codes
// are passed over, their values never formed.
int DecodeDcTermMethod0(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                        int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
int DecodeDcTermMethod1(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                        int16_t& prediction, const int32_t* factors, CoefficientBlock& block);

// The same decoders built for BMI2, for the AVX2 set (whose processors have
// it), where the compiler can build them so.
#if defined(__GNUC__) && defined(__x86_64__)
#define HALVORA_BLOCK_DECODER_BMI2 1
int DecodeBlockMethod0Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                           int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
int DecodeBlockMethod1Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                           int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
int DecodeMcuMethod0Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeMcuMethod1Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeMcuDcTermsMethod0Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeMcuDcTermsMethod1Bmi2(JpegStream& stream, JpegScan& scan, CoefficientBlock* blocks);
int DecodeDcTermMethod0Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                            int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
int DecodeDcTermMethod1Bmi2(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac,
                            int16_t& prediction, const int32_t* factors, CoefficientBlock& block);
#endif

// Decodes the DC term into coefficient 0, as it is (no factor), and passes
// over the AC codes, leaving the other coefficients as they were.
int SkipBlockPlain(JpegStream& stream, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, int16_t& prediction,
                   const int32_t* factors, CoefficientBlock& block);

}  // namespace halvora::jpeg
