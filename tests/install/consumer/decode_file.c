/* A C program that uses the installed codec the way its header documents:
 * decodes the JPEG file named on the command line into a BGR bitmap and
 * prints its size and the sum of its bytes. */
#include <halvora/jpeg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned char* ReadFile(const char* path, long* size) {
  FILE* file = fopen(path, "rb");
  unsigned char* bytes = NULL;
  if (file == NULL) return NULL;
  if (fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) > 0 && fseek(file, 0, SEEK_SET) == 0) {
    bytes = malloc((size_t)*size);
    if (bytes != NULL && fread(bytes, 1, (size_t)*size, file) != (size_t)*size) {
      free(bytes);
      bytes = NULL;
    }
  }
  fclose(file);
  return bytes;
}

static int Decode(JPEG_PROPERTIES* record, const unsigned char* stream, long size) {
  unsigned char* pixels;
  unsigned long sum = 0;
  size_t i, bytes;
  int result;
  record->jpeg_buffer = stream;
  record->jpeg_buffer_size = (int32_t)size;
  result = JpegRead(record, BufferReadParams);
  if (result != 0) return result;
  bytes = (size_t)record->jpeg_width * 3 * (size_t)record->jpeg_height;
  pixels = malloc(bytes);
  if (pixels == NULL) return JpegErrMemory;
  record->dib_pixels = pixels;
  record->dib_width = record->jpeg_width;
  record->dib_height = record->jpeg_height;
  record->dib_channels = 3;
  record->dib_color = JpegColorBgr;
  result = JpegRead(record, BufferReadImage);
  for (i = 0; i < bytes; ++i) sum += pixels[i];
  if (result == 0) printf("%dx%d %lu\n", record->jpeg_width, record->jpeg_height, sum);
  free(pixels);
  return result;
}

int main(int argc, char** argv) {
  JPEG_PROPERTIES record;
  long size = 0;
  unsigned char* stream;
  int result;
  if (argc != 2 || (stream = ReadFile(argv[1], &size)) == NULL) {
    fprintf(stderr, "usage: decode_file FILE.jpg\n");
    return 2;
  }
  memset(&record, 0, sizeof record);
  result = JpegInit(&record);
  if (result == 0) result = Decode(&record, stream, size);
  JpegFree(&record);
  free(stream);
  if (result != 0) fprintf(stderr, "%s %s: %s\n", JpegGetVersion()->version, argv[1], JpegErrorText(result));
  return result == 0 ? 0 : 1;
}
