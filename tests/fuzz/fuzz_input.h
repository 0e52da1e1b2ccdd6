// Reading a fuzzer's input. The bytes are the stream (or file, or text) under
// test, and its last bytes also choose how it is read: a real JPEG file is
// then a good seed as it stands, its EOI marker keeping the choice bytes out
// of the image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvora::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size), m_next(size) {}

  // The next choice byte, from the end backwards (0 when the input is used up).
  uint8_t Byte() { return m_next == 0 ? 0 : m_data[--m_next]; }
  // One of `count` choices (count > 0).
  int Choose(int count) { return Byte() % count; }
  bool Flag() { return (Byte() & 1) != 0; }

  const uint8_t* Data() const { return m_data; }
  size_t Size() const { return m_size; }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_next;
};

// Adds every byte of a block to a sum the optimiser cannot drop, so that a
// read of memory the codec did not write shows under the sanitizers.
uint32_t TouchEveryByte(const uint8_t* bytes, size_t count);

}  // namespace halvora::fuzz
