#include "jpeg/entropy/coded_symbol.h"

namespace halvora::jpeg {

CodedSymbol DecodeSymbolOnStream(JpegStream& stream, const HuffmanDecodeTable& table) {
  int symbol = 0;
  const int result = DecodeHuffman(stream, table, symbol);
  return {result, symbol, 0};
}

CodedSymbol ReceiveExtended(JpegStream& stream, int symbol, int category) {
  if (stream.bit_count < category) {
    const int result = FillBits(stream, category);
    if (result != 0) return {result, symbol, 0};
  }
  return {JpegSuccess, symbol, ExtendReceived(GetBits(stream, category), category)};
}

CodedSymbol DecodeCodedOnStream(JpegStream& stream, const HuffmanDecodeTable& table) {
  const CodedSymbol coded = DecodeSymbolOnStream(stream, table);
  if (coded.result != 0) return coded;
  const int size = coded.symbol & 15;
  return size == 0 ? coded : ReceiveExtended(stream, coded.symbol, size);
}

CodedSymbol ReceiveBits(JpegStream& stream, int count) {
  if (count == 0) return {JpegSuccess, 0, 0};
  if (stream.bit_count < count) {
    const int result = FillBits(stream, count);
    if (result != 0) return {result, 0, 0};
  }
  return {JpegSuccess, 0, static_cast<int32_t>(GetBits(stream, count))};
}

}  // namespace halvora::jpeg
