#include "jpeg/entropy/decode_scan.h"

#include <algorithm>

#include "jpeg/interface/work_memory.h"
#include "jpeg/kernels/kernel_table.h"
#include "jpeg/output/read_size.h"
#include "jpeg/output/progressive_output.h"
#include "jpeg/entropy/progressive_scan.h"
#include "jpeg/markers/tables.h"
#include "jpeg/entropy/region_index.h"
#include "jpeg/entropy/sequential_region.h"
#include "jpeg/entropy/sequential_scan.h"

namespace halvora::jpeg {

bool IsRegionRead(const JpegRegion& region, const WorkingFields& work) {
  return (region.right != 0 && region.right < work.jpeg_width) ||
         (region.bottom != 0 && region.bottom < work.jpeg_height) || region.left > 0 || region.top > 0;
}

namespace {

// The region in pixels of the read's output image, kept inside it; a right
// or bottom edge of 0 stands for the image's own.
PixelRect ClampedRegion(const JpegRegion& region, const PrivateState& state) {
  const int scale = OutputScale(state.read.io_type);
  const int width = CeilDiv(state.read.work.jpeg_width, scale);
  const int height = CeilDiv(state.read.work.jpeg_height, scale);
  const auto edge = [](int32_t value, int size) { return value > 0 ? std::min(value, size) : size; };
  return PixelRect{std::max(region.left, 0), std::max(region.top, 0), edge(region.right, width),
                   edge(region.bottom, height)};
}

}  // namespace

int SettleReadExtent(PrivateState& state, const JpegRegion& region) {
  if (state.region.extent_settled != 0) return JpegSuccess;
  state.region.extent_settled = 1;
  state.region.scan_is_region_read = IsRegionRead(region, state.read.work) ? 1 : 0;
  state.region.scan_region =
      state.region.scan_is_region_read != 0 ? ClampedRegion(region, state) : PixelRect{0, 0, 0, 0};
  if (state.region.scan_is_region_read == 0) return JpegSuccess;
  if (state.region.index == nullptr && !WorkMemoryFits(state, sizeof(RegionIndex))) return JpegErrMemory;
  return EnsureRegionIndex(state.region);
}

namespace {

// Reads that need decoders this codec does not have yet are refused before
// any byte of the scan is decoded, so the DIB is never written by a routine
// that was not chosen for the image.
int RefusalFor(const PrivateState& state) {
  if (state.progression.progressive_scans != 0) return ProgressiveOutputRefusal(state);
  return state.output.output_refusal;
}

// A progressive scan decodes every block whatever the region: the image is
// written from its coefficients at its end, region or not.
int DecodeWithScanDecoder(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  const PrivateState& state = Private(record);
  if (state.progression.progressive_scans != 0) return DecodeProgressiveScan(stream, scan, record);
  if (state.region.scan_is_region_read != 0) return DecodeSequentialRegion(stream, scan, record);
  return DecodeSequentialScan(stream, scan, record);
}

int DecodeActiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  ActivateDctMethod(*stream.kernels, record.state.dct_method);
  MatchQuantTablesToMethod(state.tables, record.state.dct_method);
  int result = SettleReadExtent(state, record.state.region);
  if (result == JpegSuccess) result = RefusalFor(state);
  if (result != JpegSuccess) return result;
  result = DecodeWithScanDecoder(stream, scan, record);
  if (result == JpegSuccess) stream.bit_count = 0;
  return result;
}

}  // namespace

int DecodeScan(int& marker, JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  marker = 0;
  const int result = DecodeActiveScan(stream, scan, record);
  stream.kernels->leave_simd_state();
  return result;
}

}  // namespace halvora::jpeg
