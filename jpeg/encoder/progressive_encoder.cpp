#include "jpeg/encoder/progressive_encoder.h"

#include <cstdlib>

#include "jpeg/encoder/bit_writer.h"
#include "jpeg/encoder/huffman_statistics.h"
#include "jpeg/encoder/marker_writer.h"

namespace halvora::jpeg {

namespace {

constexpr int32_t kMaxEndOfBandRun = 0x7FFF;
// Correction bits wait for the end-of-band run they follow; a run is ended
// early once they would outgrow this buffer.
constexpr int kCorrectionBits = 1024;
// The most one coded unit (an MCU of a DC scan, a block of an AC scan) can
// take: an ended run with its correction bits, then the unit, all stuffed.
constexpr size_t kUnitRoom = 2048;

// The first pass: counts the symbols a scan codes, by frame table.
struct CountingSink {
  SymbolCounts* tables[2];
  int Reserve() { return JpegSuccess; }
  void Code(int table, int symbol, uint32_t, int) { tables[table]->counts[symbol] += 1; }
  void Bits(uint32_t, int) {}
  void Restart(int) {}
  void End() {}
};

// The second pass: writes the coded data with the scan's tables.
struct WritingSink {
  OutputSink& sink;
  const HuffmanEncodeTable* tables[2];
  BitBuffer bits{};

  int Reserve() { return ReserveRoom(sink, kUnitRoom); }
  void Code(int table, int symbol, uint32_t value, int length) {
    sink.next = PutSymbol(sink.next, bits, *tables[table], symbol, value, length);
  }
  void Bits(uint32_t value, int length) { sink.next = PutBits(sink.next, bits, value, length); }
  void Restart(int index) {
    sink.next = FlushBits(sink.next, bits);
    *sink.next++ = 0xFF;
    *sink.next++ = static_cast<uint8_t>(kFirstRestartCode + index % 8);
  }
  void End() { sink.next = FlushBits(sink.next, bits); }
};

enum class ScanKind { kDcFirst, kDcRefine, kAcFirst, kAcRefine };

ScanKind KindOf(const ScanHeader& scan) {
  if (scan.ss == 0) return scan.ah == 0 ? ScanKind::kDcFirst : ScanKind::kDcRefine;
  return scan.ah == 0 ? ScanKind::kAcFirst : ScanKind::kAcRefine;
}

// The coding of one scan's blocks: DC differences of the point-transformed
// DC; the next bit of each DC; AC bands with runs of blocks that end in
// zeros (end-of-band runs); and the refinement of AC bands, whose bits for
// coefficients already nonzero wait for the next code.
template <typename Sink>
class ScanCoder {
 public:
  ScanCoder(const FrameLayout& frame, const ScanHeader& scan, Sink& sink)
      : scan_(scan), kind_(KindOf(scan)), sink_(sink) {
    for (int i = 0; i < scan.component_count; ++i) tables_[i] = frame.components[scan.components[i]].table;
  }

  void Block(int position, const CoefficientBlock& block) {
    switch (kind_) {
      case ScanKind::kDcFirst:
        return DcFirst(position, block);
      case ScanKind::kDcRefine:
        return sink_.Bits((block.values[0] >> scan_.al) & 1, 1);
      case ScanKind::kAcFirst:
        return AcFirst(block);
      case ScanKind::kAcRefine:
        return AcRefine(block);
    }
  }

  // Ends the scan or a restart interval: a pending end-of-band run is coded
  // and the predictions start again.
  void EndInterval() {
    EndRun();
    for (int32_t& prediction : predictions_) prediction = 0;
  }

 private:
  void DcFirst(int position, const CoefficientBlock& block) {
    // The DC's point transform is an arithmetic shift.
    const int32_t value = block.values[0] >> scan_.al;
    const int32_t difference = value - predictions_[position];
    predictions_[position] = value;
    const int category = MagnitudeCategory(difference);
    sink_.Code(tables_[position], category, MagnitudeBits(difference, category), category);
  }

  // An AC coefficient's point transform divides its magnitude.
  int32_t Magnitude(const CoefficientBlock& block, int k) const {
    return std::abs(int32_t{block.values[kZigZagToNatural[k]]}) >> scan_.al;
  }

  void AcFirst(const CoefficientBlock& block) {
    int run = 0;
    for (int k = scan_.ss; k <= scan_.se; ++k) {
      const int32_t magnitude = Magnitude(block, k);
      if (magnitude == 0) {
        ++run;
        continue;
      }
      EndRun();
      for (; run > 15; run -= 16) sink_.Code(tables_[0], kZeroRunSymbol, 0, 0);
      const int category = MagnitudeCategory(magnitude);
      const int32_t value = block.values[kZigZagToNatural[k]] < 0 ? -magnitude : magnitude;
      sink_.Code(tables_[0], (run << 4) | category, MagnitudeBits(value, category), category);
      run = 0;
    }
    if (run > 0 && ++run_ == kMaxEndOfBandRun) EndRun();
  }

  void AcRefine(const CoefficientBlock& block) {
    int32_t magnitudes[64];
    int lastNew = 0;  // the last coefficient that becomes nonzero in this scan
    for (int k = scan_.ss; k <= scan_.se; ++k) {
      magnitudes[k] = Magnitude(block, k);
      if (magnitudes[k] == 1) lastNew = k;
    }
    uint8_t pending[64];  // correction bits of this block not yet coded
    int pendingCount = 0;
    int run = 0;
    for (int k = scan_.ss; k <= scan_.se; ++k) {
      if (magnitudes[k] == 0) {
        ++run;
        continue;
      }
      // Zeros before a new coefficient go as ZRLs, each followed by the
      // correction bits seen so far; zeros after the last new one belong to
      // the end-of-band run.
      for (; run > 15 && k <= lastNew; run -= 16) {
        EndRun();
        sink_.Code(tables_[0], kZeroRunSymbol, 0, 0);
        PutCorrections(pending, pendingCount);
      }
      if (magnitudes[k] > 1) {
        pending[pendingCount++] = static_cast<uint8_t>(magnitudes[k] & 1);
        continue;
      }
      EndRun();
      sink_.Code(tables_[0], (run << 4) | 1, block.values[kZigZagToNatural[k]] < 0 ? 0 : 1, 1);
      PutCorrections(pending, pendingCount);
      run = 0;
    }
    if (run == 0 && pendingCount == 0) return;
    for (int i = 0; i < pendingCount; ++i) corrections_[correctionCount_++] = pending[i];
    if (++run_ == kMaxEndOfBandRun || correctionCount_ > kCorrectionBits - 64) EndRun();
  }

  void PutCorrections(const uint8_t* bits, int& count) {
    for (int i = 0; i < count; ++i) sink_.Bits(bits[i], 1);
    count = 0;
  }

  // Codes the end-of-band run of the blocks so far: its size category, the
  // bits below its top bit, then the correction bits of its blocks.
  void EndRun() {
    if (run_ == 0) return;
    const int category = MagnitudeCategory(run_) - 1;
    sink_.Code(tables_[0], category << 4, static_cast<uint32_t>(run_) & ((1u << category) - 1), category);
    PutCorrections(corrections_, correctionCount_);
    run_ = 0;
  }

  const ScanHeader& scan_;
  const ScanKind kind_;
  Sink& sink_;
  int tables_[kMaxComponents] = {};
  int32_t predictions_[kMaxComponents] = {};
  int32_t run_ = 0;
  uint8_t corrections_[kCorrectionBits];
  int correctionCount_ = 0;
};

// Hands the scan's blocks to the coder in scan order (whole MCUs when it
// interleaves components, the component's own blocks otherwise), with a
// restart every restart_interval units.
template <typename Sink>
int CodeScan(EncoderState& encoder, const ScanHeader& scan, Sink& sink) {
  const FrameLayout& frame = encoder.frame;
  CoefficientBlock* bases[kMaxComponents] = {};
  McuRowBlockRows(frame, encoder.image_blocks.data(), 0, true, bases);
  ScanCoder<Sink> coder(frame, scan, sink);
  const int32_t interval = encoder.settings.restart_interval;
  const bool interleaved = scan.component_count > 1;
  const EncodedComponent& single = frame.components[scan.components[0]];
  const int32_t across = interleaved ? frame.mcus_across : single.width_in_blocks;
  const int32_t down = interleaved ? frame.mcus_down : single.height_in_blocks;
  int64_t unit = 0;
  for (int32_t y = 0; y < down; ++y) {
    for (int32_t x = 0; x < across; ++x, ++unit) {
      const int room = sink.Reserve();
      if (room != JpegSuccess) return room;
      if (interval > 0 && unit > 0 && unit % interval == 0) {
        coder.EndInterval();
        sink.Restart(static_cast<int>(unit / interval - 1));
      }
      if (!interleaved) {
        coder.Block(0, bases[scan.components[0]][int64_t{y} * single.blocks_across + x]);
        continue;
      }
      for (int i = 0; i < scan.component_count; ++i) {
        const EncodedComponent& component = frame.components[scan.components[i]];
        const CoefficientBlock* first =
            bases[scan.components[i]] + (int64_t{y} * component.v * component.blocks_across + x * component.h);
        for (int32_t by = 0; by < component.v; ++by) {
          for (int32_t bx = 0; bx < component.h; ++bx) coder.Block(i, first[by * component.blocks_across + bx]);
        }
      }
    }
  }
  // The last run, with its correction bits, and the last byte.
  const int room = sink.Reserve();
  if (room != JpegSuccess) return room;
  coder.EndInterval();
  sink.End();
  return JpegSuccess;
}

// Counts the scan's symbols and makes its tables (a DC scan's by frame
// table, an AC scan's for its one component), then writes their DHT
// segments. A refinement of the DC codes bits alone and has no table.
int WriteScanTables(EncoderState& encoder, const ScanHeader& scan, OutputSink& sink, HuffmanEncodeTable (&codes)[2]) {
  const ScanKind kind = KindOf(scan);
  if (kind == ScanKind::kDcRefine) return JpegSuccess;
  SymbolCounts counts[2] = {};
  CountingSink counter{{&counts[0], &counts[1]}};
  CodeScan(encoder, scan, counter);
  const bool dc = kind == ScanKind::kDcFirst;
  bool used[2] = {false, false};
  for (int i = 0; i < scan.component_count; ++i) used[encoder.frame.components[scan.components[i]].table] = true;
  for (int t = 0; t < 2; ++t) {
    if (!used[t]) continue;
    const HuffmanSpec spec = OptimalHuffmanSpec(counts[t]);
    codes[t] = MakeEncodeTable(spec);
    const int written = WriteHuffmanTable(sink, dc ? 0 : 1, t, spec);
    if (written != JpegSuccess) return written;
  }
  return JpegSuccess;
}

}  // namespace

int EncodeProgressiveScans(EncoderState& encoder, const ProgressiveScript& script, OutputSink& sink) {
  for (int s = 0; s < script.count; ++s) {
    const ScanHeader& scan = script.scans[s];
    HuffmanEncodeTable codes[2] = {};
    int result = WriteScanTables(encoder, scan, sink, codes);
    if (result == JpegSuccess) result = WriteScanHeader(sink, encoder.frame, scan);
    if (result != JpegSuccess) return result;
    WritingSink writer{sink, {&codes[0], &codes[1]}};
    result = CodeScan(encoder, scan, writer);
    if (result != JpegSuccess) return result;
  }
  return JpegSuccess;
}

}  // namespace halvora::jpeg
