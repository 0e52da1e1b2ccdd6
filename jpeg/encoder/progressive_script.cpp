#include "jpeg/encoder/progressive_script.h"

namespace halvora::jpeg {

namespace {

void Add(ProgressiveScript& script, std::initializer_list<int32_t> components, int32_t ss, int32_t se, int32_t ah,
         int32_t al) {
  ScanHeader& scan = script.scans[script.count++];
  scan = ScanHeader{};
  for (int32_t k : components) scan.components[scan.component_count++] = k;
  scan.ss = ss;
  scan.se = se;
  scan.ah = ah;
  scan.al = al;
}

void AddDcScan(ProgressiveScript& script, const FrameLayout& frame, int32_t ah, int32_t al) {
  ScanHeader& scan = script.scans[script.count++];
  scan = ScanHeader{};
  scan.component_count = frame.component_count;
  for (int32_t k = 0; k < frame.component_count; ++k) scan.components[k] = k;
  scan.ah = ah;
  scan.al = al;
}

// One AC scan for each component of `table`.
void AddAcScans(ProgressiveScript& script, const FrameLayout& frame, int table, int32_t ss, int32_t se, int32_t ah,
                int32_t al) {
  for (int32_t k = 0; k < frame.component_count; ++k) {
    if (frame.components[k].table == table) Add(script, {k}, ss, se, ah, al);
  }
}

}  // namespace

ProgressiveScript MakeProgressiveScript(const FrameLayout& frame) {
  ProgressiveScript script{};
  AddDcScan(script, frame, 0, 1);
  AddAcScans(script, frame, 0, 1, 5, 0, 2);
  AddAcScans(script, frame, 1, 1, 63, 0, 1);
  AddAcScans(script, frame, 0, 6, 63, 0, 2);
  AddAcScans(script, frame, 0, 1, 63, 2, 1);
  AddDcScan(script, frame, 1, 0);
  AddAcScans(script, frame, 1, 1, 63, 1, 0);
  AddAcScans(script, frame, 0, 1, 63, 1, 0);
  return script;
}

}  // namespace halvora::jpeg
