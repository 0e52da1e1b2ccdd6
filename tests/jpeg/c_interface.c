/* A C caller of the codec: the record lives in automatic storage, is cleared
 * and passed to the entries, and the documented caller state is set through
 * the public header. */
#include <string.h>

#include <halvora/jpeg.h>

int ReadParamsFromC(const unsigned char* stream, int size, int* width, int* height) {
  JPEG_PROPERTIES record;
  int result;
  int freed;
  memset(&record, 0, sizeof record);
  result = JpegInit(&record);
  if (result == JpegSuccess) {
    record.jpeg_buffer = stream;
    record.jpeg_buffer_size = size;
    record.state.dct_method = 0;
    record.state.region.right = 0;
    result = JpegRead(&record, BufferReadParams);
    *width = record.jpeg_width;
    *height = record.jpeg_height;
  }
  freed = JpegFree(&record);
  return result != JpegSuccess ? result : freed;
}
