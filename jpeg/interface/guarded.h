// No exception leaves an entry: the body's allocation failures become -5,
// anything else unexpected -1.
#pragma once

#include <halvora/jpeg.h>

#include <new>

namespace halvora::jpeg {

template <typename Body>
int Guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return JpegErrMemory;
  } catch (...) {
    return JpegErrException;
  }
}

}  // namespace halvora::jpeg
