#include "jpeg/decode_scan.h"

#include "jpeg/dispatch.h"
#include "jpeg/io_types.h"
#include "jpeg/quant_tables.h"
#include "jpeg/sequential_scan.h"

namespace halvora::jpeg {

namespace {

bool IsRegionRead(const JpegRegion& region, const WorkingFields& work) {
  return (region.right != 0 && region.right < work.jpeg_width) ||
         (region.bottom != 0 && region.bottom < work.jpeg_height) || region.left > 0 || region.top > 0;
}

// A fresh scan fixes the extent it writes; a resumed one keeps it.
void SettleScanExtent(PrivateState& state, const JpegScan& scan, const JpegRegion& region) {
  if (scan.resume_column != 0 || scan.resume_row != 0) return;
  state.scan_is_region_read = IsRegionRead(region, state.work) ? 1 : 0;
  state.scan_region = PixelRect{region.left, region.top, region.right, region.bottom};
}

bool IsReducedSizeRead(int ioType) {
  return IsOneOf(ioType, {FileReadHalf, BufferReadHalf, FileReadQuarter, BufferReadQuarter, FileReadEighth,
                          BufferReadEighth});
}

// Reads that need decoders this codec does not have yet are refused before
// any byte of the scan is decoded, so the DIB is never written by a routine
// that was not chosen for the image.
int RefusalFor(const JPEG_PROPERTIES& record, const PrivateState& state) {
  if (state.scan_is_region_read != 0 || state.progressive_scans != 0 || IsReducedSizeRead(state.io_type) ||
      record.state.raw_plane_list != nullptr) {
    return JpegErrNotSupported;
  }
  return state.output_refusal;
}

int DecodeActiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  ActivateDctMethod(*stream.kernels, record.state.dct_method);
  MatchQuantTablesToMethod(state, record.state.dct_method);
  SettleScanExtent(state, scan, record.state.region);
  const int refusal = RefusalFor(record, state);
  if (refusal != JpegSuccess) return refusal;
  const int result = DecodeSequentialScan(stream, scan, record);
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
