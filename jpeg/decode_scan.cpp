#include "jpeg/decode_scan.h"

#include "jpeg/dispatch.h"
#include "jpeg/progressive_output.h"
#include "jpeg/progressive_scan.h"
#include "jpeg/quant_tables.h"
#include "jpeg/sequential_scan.h"

namespace halvora::jpeg {

namespace {

bool IsRegionRead(const JpegRegion& region, const WorkingFields& work) {
  return (region.right != 0 && region.right < work.jpeg_width) ||
         (region.bottom != 0 && region.bottom < work.jpeg_height) || region.left > 0 || region.top > 0;
}

// A fresh scan fixes the extent it writes; a resumed one keeps it. All scans
// of a progressive image write one image at its end, so they keep the extent
// of its first scan (an interrupted scan reports its last unit in `region`,
// which the next scan must not take for a region).
void SettleScanExtent(PrivateState& state, const JpegScan& scan, const JpegRegion& region) {
  // The image's first scan fixes the extent; later scans (and resumed ones)
  // keep it, so the MCU an interrupt reports is never taken for a region.
  const bool laterScan = state.progressive_scans > 1 || state.stream.sequential_component_count > 0;
  if (scan.resume_column != 0 || scan.resume_row != 0 || laterScan) return;
  state.scan_is_region_read = IsRegionRead(region, state.work) ? 1 : 0;
  state.scan_region = PixelRect{region.left, region.top, region.right, region.bottom};
}

// Reads that need decoders this codec does not have yet are refused before
// any byte of the scan is decoded, so the DIB is never written by a routine
// that was not chosen for the image.
int RefusalFor(const JPEG_PROPERTIES& record, const PrivateState& state) {
  if (state.scan_is_region_read != 0 || record.state.raw_plane_list != nullptr) return JpegErrNotSupported;
  if (state.progressive_scans != 0) return ProgressiveOutputRefusal(state);
  return state.output_refusal;
}

int DecodeActiveScan(JpegStream& stream, JpegScan& scan, JPEG_PROPERTIES& record) {
  PrivateState& state = Private(record);
  ActivateDctMethod(*stream.kernels, record.state.dct_method);
  MatchQuantTablesToMethod(state, record.state.dct_method);
  SettleScanExtent(state, scan, record.state.region);
  const int refusal = RefusalFor(record, state);
  if (refusal != JpegSuccess) return refusal;
  const int result = state.progressive_scans != 0 ? DecodeProgressiveScan(stream, scan, record)
                                                 : DecodeSequentialScan(stream, scan, record);
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
