// Per-pixel models of the per-component output and of the colour pass,
// written from their rules: for one pixel they give the bytes to be written.
#pragma once

#include <cstdint>

#include "jpeg/kernels/component_output.h"
#include "jpeg/kernels/kernel_types.h"

namespace halvora::jpeg::testing {

// Sample of `component` at pixel (x, y) of an MCU of blockSize-sample blocks.
uint8_t ModelComponentSample(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int component,
                             int blockSize, bool simpleSampling, int x, int y);

// Writes into `pixel` (channels bytes) what the per-component output writes
// for pixel (x, y) of the MCU, conversion included; other bytes stay.
void ModelComponentPixel(const CoefficientBlock* blocks, const ComponentOutputFormat& format, int channels,
                         int blockSize, bool simpleSampling, int x, int y, uint8_t* pixel);

// The generic-form conversion of one pixel that holds Y Cb Cr in bytes 0..2.
void ModelConvertPixel(uint8_t* pixel, int channels, int dibColor, int jpegColor, bool opaqueYcc);

}  // namespace halvora::jpeg::testing
