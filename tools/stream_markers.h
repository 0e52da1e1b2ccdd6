// What `hjpeg info` reports of a stream's marker segments beyond the
// codec's public fields, from the tool's own walk over them.
#pragma once

#include <string>

namespace halvora::tools {

struct StreamMarkers {
  int frame_marker = 0;      // the first frame header's marker (0xC0 to 0xCF), 0 when none came
  int restart_interval = 0;  // of the last DRI before the first scan; 0 = none
  bool jfif = false;         // an APP0 segment that starts "JFIF\0"
  bool adobe = false;        // an APP14 segment that starts "Adobe"
  int adobe_transform = 0;   // its transform byte (the last such segment's)
};

// Walks the segments of the file from its SOI up to the first SOS, EOI or
// the end of the file. False when the file cannot be opened or does not
// start with SOI.
bool ReadStreamMarkers(const std::string& path, StreamMarkers& markers);

}  // namespace halvora::tools
