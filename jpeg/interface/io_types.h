// What each JpegIoType asks of a call.
#pragma once

#include <initializer_list>

#include <halvora/jpeg.h>

namespace halvora::jpeg {

inline bool IsOneOf(int ioType, std::initializer_list<int> types) {
  for (int type : types) {
    if (type == ioType) return true;
  }
  return false;
}

// Even types read or write the named file, odd types the caller's buffer.
inline bool IsFileType(int ioType) { return ioType % 2 == 0; }

inline bool IsWriteType(int ioType) { return ioType >= FileWriteImage && ioType <= BufferWriteImageData; }

inline bool UsesDib(int ioType) {
  return !IsOneOf(ioType, {FileReadParams, BufferReadParams, FileReadHeader, BufferReadHeader, FileWriteHeader,
                           BufferWriteHeader});
}

// Reads that start a stream (SOI first) and end at its first scan header,
// or at its frame for the header reads.
inline bool StartsStream(int ioType) {
  return IsOneOf(ioType, {FileReadParams, BufferReadParams, FileReadHeader, BufferReadHeader, FileReadThumbnail,
                          BufferReadThumbnail});
}

// Reads that decode the image into the DIB.
inline bool IsImageRead(int ioType) {
  return IsOneOf(ioType, {FileReadImage, BufferReadImage, FileReadImageData, BufferReadImageData, FileReadHalf,
                          BufferReadHalf, FileReadQuarter, BufferReadQuarter, FileReadEighth, BufferReadEighth});
}

}  // namespace halvora::jpeg
