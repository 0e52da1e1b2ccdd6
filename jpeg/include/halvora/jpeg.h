/* The JPEG codec's programming interface, usable from C and C++.
 *
 * A caller keeps one JPEG_PROPERTIES record per stream (automatic storage is
 * fine), clears it, calls JpegInit, fills the public fields, calls JpegRead
 * with an I/O type, and calls JpegFree on every path once JpegInit has been
 * called. Every entry but JpegErrorText and JpegGetVersion answers with a
 * result code: negative for failure, 0 for success, 1 for an interrupted
 * decode, 2 for a completed region. */
#ifndef HALVORA_JPEG_JPEG_H
#define HALVORA_JPEG_JPEG_H

#include <stdint.h>

/* The six entries are the library's whole interface: a shared build of the
 * codec exports them and nothing else. Callers define nothing. */
#if defined(HALVORA_JPEG_SHARED_BUILD) && defined(_WIN32)
#define JPEG_API __declspec(dllexport)
#elif defined(HALVORA_JPEG_BUILD) && defined(__GNUC__)
#define JPEG_API __attribute__((visibility("default")))
#else
#define JPEG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes and their texts: one list, from which both the codes and
 * JpegErrorText's table are made. */
#define JPEG_RESULT_LIST(X)                                               \
  X(JpegSuccess, 0, "Success")                                            \
  X(JpegInterruptSuccess, 1, "Interrupt Success")                         \
  X(JpegRoiSuccess, 2, "ROI Success")                                     \
  X(JpegErrException, -1, "Exception detected")                           \
  X(JpegErrInvalidEncoder, -2, "Invalid Encoder")                         \
  X(JpegErrUnsupportedSubsampling, -3, "Unsupported subsampling")         \
  X(JpegErrUnsupportedBytesPerPixel, -4, "Unsupported bytes per pixel")   \
  X(JpegErrMemory, -5, "Memory error")                                    \
  X(JpegErrBadHuffmanTable, -6, "Bad Huffman table")                      \
  X(JpegErrBadQuantTable, -7, "Bad Quantization table")                   \
  X(JpegErrInvalidProperties, -8, "Invalid JPEG_PROPERTIES")              \
  X(JpegErrCloseFile, -9, "Error close file")                             \
  X(JpegErrFileName, -10, "Invalid file name")                            \
  X(JpegErrEof, -11, "Error EOF")                                         \
  X(JpegErrNotSupported, -12, "Not supported")                            \
  X(JpegErrNotJpeg, -13, "Not JPEG")                                      \
  X(JpegErrComp, -14, "Error COMP")                                       \
  X(JpegErrSof, -15, "Error SOF")                                         \
  X(JpegErrDnl, -16, "Error DNL")                                         \
  X(JpegErrNoHuffmanTable, -17, "No Huffman table")                       \
  X(JpegErrNoQuantTable, -18, "No Quantization table")                    \
  X(JpegErrNoFrame, -19, "No frame")                                      \
  X(JpegErrMultipleFrames, -20, "Multiply frame")                         \
  X(JpegErrData, -21, "Data error")                                       \
  X(JpegErrNoImage, -22, "No image")                                      \
  X(JpegErrFile, -23, "File error")                                       \
  X(JpegErrInternal, -24, "Internal error")                               \
  X(JpegErrBadRst, -25, "Bad RST marker")                                 \
  X(JpegErrThumbnailTooSmall, -26, "Thumbnail too small")                 \
  X(JpegErrThumbnailColor, -27, "Thumbnail has wrong color")              \
  X(JpegErrOutputTooSmall, -28, "Output buffer too small")                \
  X(JpegErrUnsupportedFrame, -29, "Unsupported frame was found")          \
  X(JpegErrComment, -30, "Error access to jpeg_comment buffer")           \
  X(JpegErrReserved, -99, "Reserved")

#define JPEG_RESULT_ENUMERATOR(name, code, text) name = (code),
enum JpegResult { JPEG_RESULT_LIST(JPEG_RESULT_ENUMERATOR) };
#undef JPEG_RESULT_ENUMERATOR

/* What a JpegRead or JpegWrite call does. Even values work on the file named
 * by jpeg_file_name, odd values on jpeg_buffer. */
typedef enum JpegIoType {
  FileReadParams = 0,
  BufferReadParams = 1,
  FileReadImage = 2,
  BufferReadImage = 3,
  FileReadHeader = 4,
  BufferReadHeader = 5,
  FileReadImageData = 6,
  BufferReadImageData = 7,
  FileWriteImage = 8,
  BufferWriteImage = 9,
  FileWriteHeader = 10,
  BufferWriteHeader = 11,
  FileWriteImageData = 12,
  BufferWriteImageData = 13,
  FileReadHalf = 14,
  BufferReadHalf = 15,
  FileReadQuarter = 16,
  BufferReadQuarter = 17,
  FileReadEighth = 18,
  BufferReadEighth = 19,
  FileReadThumbnail = 20,
  BufferReadThumbnail = 21
} JpegIoType;

/* Colour spaces of the DIB (dib_color) and of the JPEG data (jpeg_color). */
typedef enum JpegColor {
  JpegColorRgb = 1,
  JpegColorBgr = 2,
  JpegColorYCbCr = 3,
  JpegColorGrey = 4,
  JpegColorRgba = 5,
  JpegColorYCbCrAlpha = 6,
  JpegColorOther = 255
} JpegColor;

/* Sampling layouts of a frame (jpeg_subsampling), factors written H x V. */
typedef enum JpegSubsampling {
  JpegSubsamplingNone = 0,    /* every component 1x1 */
  JpegSubsampling420 = 1,     /* 2x2, 1x1, 1x1 */
  JpegSubsampling422 = 2,     /* 2x1, 1x1, 1x1 */
  JpegSubsampling420Four = 3, /* 2x2, 1x1, 1x1, 2x2 */
  JpegSubsampling422Four = 4, /* 2x1, 1x1, 1x1, 2x1 */
  JpegSubsamplingOther = 255
} JpegSubsampling;

/* Pixel rectangle of a region of interest; all 0 means the whole image. */
typedef struct JpegRegion {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} JpegRegion;

/* A quantisation table handed in by the caller or handed out by the parser:
 * room for 64 raw 8-bit (or 128 bytes of 16-bit) values and the table's
 * identifier. */
typedef struct JpegQuantSlot {
  unsigned char* values;
  unsigned char identifier;
} JpegQuantSlot;

/* A Huffman table in DHT form: 16 code-length counts and up to 256 symbols. */
typedef struct JpegHuffmanSlot {
  unsigned char* bits;
  unsigned char* values;
  unsigned char table_class; /* 0 DC, 1 AC */
  unsigned char identifier;
} JpegHuffmanSlot;

/* Size of the codec's private working state inside the record. */
#define JPEG_PRIVATE_STATE_BYTES 28672

/* The state behind the public fields. Only the first group is the caller's
 * to set (after JpegInit, before a read); the rest is the codec's own. */
typedef struct JpegState {
  JpegRegion region;
  int32_t dct_method;        /* 1 (default) or 0 */
  int32_t interrupt_request; /* nonzero: the next decode stops after one MCU */
  unsigned char* jpeg_comment;
  int32_t jpeg_comment_size; /* capacity on entry, comment length on return */
  int32_t smooth_upsampling;
  int16_t** raw_plane_list;  /* entry k + 1 receives the samples of component k */
  int32_t quant_tables_supplied;
  int32_t huffman_tables_supplied;
  JpegQuantSlot quant_slots[4];
  JpegHuffmanSlot huffman_slots[8]; /* slot 2 * identifier + class */
  /* The most work memory (coefficients, context planes, region index) a read
   * may take, in MiB; 0: 1024 MiB, which every image of up to 100 megapixels
   * fits. A read that would need more fails with -5 before allocating it. */
  int32_t max_memory_mb;
  /* Writing (JpegWrite), all 0 after JpegInit. restart_interval: MCUs
   * between restart markers, 0 for none, at most 65535. optimize_huffman:
   * nonzero codes the image with Huffman tables made for it (two passes over
   * the DIB) instead of the example tables. progressive: nonzero writes a
   * progressive image, always with tables made for each scan; its
   * coefficients are held in work memory, within max_memory_mb. Neither
   * suits the tables-only stream and the image stream without tables
   * (types 10 to 13), which share the example tables: those writes refuse
   * them with -8. */
  int32_t restart_interval;
  int32_t optimize_huffman;
  int32_t progressive;
  union {
    unsigned char bytes[JPEG_PRIVATE_STATE_BYTES];
    uint64_t align_integer;
    void* align_pointer;
    double align_float;
  } private_state;
} JpegState;

typedef struct JPEG_PROPERTIES {
  int32_t use_state_as_is;
  unsigned char* dib_pixels;
  int32_t dib_width;
  int32_t dib_height; /* negative: the top image line goes to the last buffer line */
  int32_t dib_pad_bytes;
  int32_t dib_channels;
  int32_t dib_color;
  int32_t dib_subsampling;
  const char* jpeg_file_name;
  /* Reads: the stream. Writes to a buffer (types 9, 11, 13): the caller's
   * writable output, jpeg_buffer_size bytes of it, which JpegWrite writes
   * through; on success jpeg_buffer_size becomes the bytes written. */
  const unsigned char* jpeg_buffer;
  int32_t jpeg_buffer_size;
  int32_t jpeg_width;
  int32_t jpeg_height;
  int32_t jpeg_channels;
  int32_t jpeg_color;
  int32_t jpeg_subsampling;
  int32_t thumbnail_width;
  int32_t thumbnail_height;
  int32_t color_conversion_needed;
  int32_t upsampling_needed;
  int32_t quality;
  JpegState state;
} JPEG_PROPERTIES;

typedef struct JpegVersionInfo {
  int32_t major;
  int32_t minor;
  int32_t build;
  const char* name;
  const char* version;
  const char* internal_version;
  const char* build_date;
  const char* vendor;
} JpegVersionInfo;

JPEG_API int JpegInit(JPEG_PROPERTIES* properties);
/* io_type is a JpegIoType; any other value is refused with -8. */
JPEG_API int JpegRead(JPEG_PROPERTIES* properties, int io_type);
/* Encodes the DIB (types 8, 9, 12, 13), or writes the tables alone (10,
 * 11), to jpeg_file_name (even types; created or truncated, and removed
 * again when the write fails) or into jpeg_buffer (odd types). The image is
 * the top-left jpeg_width x jpeg_height pixels of the DIB, in the colours
 * of jpeg_color and the sampling of jpeg_subsampling, at quality 1 to 100.
 * A COM segment carries the jpeg_comment_size bytes at state.jpeg_comment
 * when both are set (at most 65533 bytes, else -30). Types 12 and 13 leave
 * the tables out: type 10 or 11 writes them, with the same quality and
 * colours. Every write checks its fields (use_state_as_is does not waive
 * that) and refuses bad ones before any byte is written: -8 for a field
 * out of range or a DIB smaller than the image, -3 for a sampling the
 * components cannot have, -14 for more than four components; -10 when the
 * file cannot be created, -23 when a write to it fails, -9 when its close
 * fails; -28 when the stream does not fit jpeg_buffer_size (nothing is
 * written past it); -5 when work memory runs out. */
JPEG_API int JpegWrite(JPEG_PROPERTIES* properties, int io_type);
JPEG_API int JpegFree(JPEG_PROPERTIES* properties);
JPEG_API const char* JpegErrorText(int code);
JPEG_API const JpegVersionInfo* JpegGetVersion(void);

/* The most bytes JpegWrite can write for the image and settings the record
 * holds (jpeg_width, jpeg_height, jpeg_channels, progressive and the
 * comment), whatever the pixels, quality, sampling, tables and restart
 * interval: a buffer of this capacity never gives -28. Every component is
 * counted in whole 16 x 16 MCUs, and every block at the most its coded
 * bits can take with each byte of them stuffed: 424 bytes in one scan
 * (restart marker included), 1100 in the scans of a progressive image;
 * 8192 bytes cover the segments. A bound above 2^31 - 1 cannot be a buffer
 * write: such an image is written to a file. */
static inline int64_t JpegWriteBound(const JPEG_PROPERTIES* properties) {
  const int64_t across = 2 * (((int64_t)properties->jpeg_width + 15) / 16);
  const int64_t down = 2 * (((int64_t)properties->jpeg_height + 15) / 16);
  const int64_t blocks = (int64_t)properties->jpeg_channels * across * down;
  const int64_t per_block = properties->state.progressive != 0 ? 1100 : 424;
  const int64_t comment = properties->state.jpeg_comment != 0 && properties->state.jpeg_comment_size > 0
                              ? properties->state.jpeg_comment_size
                              : 0;
  return 8192 + comment + blocks * per_block;
}

#ifdef __cplusplus
}
#endif

#endif /* HALVORA_JPEG_JPEG_H */
