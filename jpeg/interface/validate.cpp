#include "jpeg/interface/validate.h"

#include <cstdint>
#include <initializer_list>

#include "jpeg/interface/io_types.h"

namespace halvora::jpeg {

namespace {

constexpr int32_t kMaxDimension = 65535;
constexpr int32_t kMaxDibChannels = 255;
constexpr int32_t kMaxJpegChannels = 256;

struct ColorPair {
  int32_t color;
  int32_t channels;
};

bool IsPair(int32_t color, int32_t channels, ColorPair pair) {
  return color == pair.color && channels == pair.channels;
}

bool IsAnyOf(int32_t color, int32_t channels, std::initializer_list<ColorPair> pairs) {
  for (ColorPair pair : pairs) {
    if (IsPair(color, channels, pair)) return true;
  }
  return false;
}

bool ReadPairingAccepted(const JPEG_PROPERTIES& p) {
  const int32_t dc = p.dib_color;
  const int32_t dn = p.dib_channels;
  if (p.jpeg_color == JpegColorOther) return dc == JpegColorOther;
  if (IsPair(p.jpeg_color, p.jpeg_channels, {JpegColorGrey, 1})) {
    return IsAnyOf(dc, dn, {{JpegColorGrey, 1}, {JpegColorRgb, 3}, {JpegColorBgr, 3}, {JpegColorRgba, 4}});
  }
  if (IsPair(p.jpeg_color, p.jpeg_channels, {JpegColorRgb, 3})) {
    return IsAnyOf(dc, dn, {{JpegColorRgb, 3}, {JpegColorBgr, 3}, {JpegColorRgba, 4}});
  }
  if (IsPair(p.jpeg_color, p.jpeg_channels, {JpegColorYCbCr, 3})) {
    return dc == JpegColorYCbCr ||
           IsAnyOf(dc, dn, {{JpegColorGrey, 1}, {JpegColorRgb, 3}, {JpegColorBgr, 3}, {JpegColorRgba, 4}});
  }
  if (IsAnyOf(p.jpeg_color, p.jpeg_channels, {{JpegColorRgba, 4}, {JpegColorYCbCrAlpha, 4}})) {
    return IsPair(dc, dn, {JpegColorRgba, 4});
  }
  return false;
}

bool WritePairingAccepted(const JPEG_PROPERTIES& p) {
  const int32_t jc = p.jpeg_color;
  const int32_t jn = p.jpeg_channels;
  if (p.dib_color == JpegColorOther) return jn <= p.dib_channels && jc == JpegColorOther;
  if (IsPair(p.dib_color, p.dib_channels, {JpegColorGrey, 1})) {
    return IsAnyOf(jc, jn, {{JpegColorGrey, 1}, {JpegColorYCbCr, 3}});
  }
  if (IsAnyOf(p.dib_color, p.dib_channels, {{JpegColorRgb, 3}, {JpegColorBgr, 3}})) {
    return IsAnyOf(jc, jn, {{JpegColorGrey, 1}, {JpegColorRgb, 3}, {JpegColorYCbCr, 3}});
  }
  if (IsPair(p.dib_color, p.dib_channels, {JpegColorRgb, 4})) return IsPair(jc, jn, {JpegColorYCbCr, 3});
  if (IsPair(p.dib_color, p.dib_channels, {JpegColorRgba, 4})) {
    return IsAnyOf(jc, jn, {{JpegColorRgba, 4}, {JpegColorYCbCrAlpha, 4}});
  }
  if (IsPair(p.dib_color, p.dib_channels, {JpegColorYCbCr, 3})) return IsPair(jc, jn, {JpegColorYCbCr, 3});
  return false;
}

int ValidateDib(const JPEG_PROPERTIES& p, int ioType) {
  if (p.dib_pixels == nullptr || p.dib_width <= 0 || p.dib_width > kMaxDimension ||
      p.dib_height < -kMaxDimension || p.dib_height > kMaxDimension) {
    return JpegErrInvalidProperties;
  }
  const bool thumbnail = ioType == FileReadThumbnail || ioType == BufferReadThumbnail;
  if (thumbnail && p.dib_color != JpegColorRgb && p.dib_color != JpegColorBgr) return JpegErrThumbnailColor;
  if (p.dib_pad_bytes < 0 || p.dib_channels <= 0 || p.dib_channels > kMaxDibChannels) {
    return JpegErrInvalidProperties;
  }
  if (p.dib_subsampling != 0 && !(p.dib_subsampling == 2 && p.dib_color == JpegColorYCbCr)) {
    return JpegErrUnsupportedSubsampling;
  }
  return JpegSuccess;
}

bool SubsamplingSuitsChannels(int32_t subsampling, int32_t channels) {
  switch (channels) {
    case 3:
      return subsampling >= 0 && subsampling <= 2;
    case 4:
      return subsampling == 0 || subsampling == 3 || subsampling == 4;
    default:
      return subsampling == 0;
  }
}

int ValidateImageToWrite(const JPEG_PROPERTIES& p, int ioType) {
  if (UsesDib(ioType)) {
    if (p.jpeg_width <= 0 || p.jpeg_width > kMaxDimension || p.jpeg_height <= 0 || p.jpeg_height > kMaxDimension) {
      return JpegErrInvalidProperties;
    }
    const bool channelsFree = p.dib_color == JpegColorGrey || p.jpeg_color == JpegColorYCbCr;
    if (!channelsFree && p.jpeg_channels > p.dib_channels) return JpegErrInvalidProperties;
  }
  return SubsamplingSuitsChannels(p.jpeg_subsampling, p.jpeg_channels) ? JpegSuccess
                                                                         : JpegErrUnsupportedSubsampling;
}

}  // namespace

int ValidateProperties(const JPEG_PROPERTIES& p, int ioType, Direction direction) {
  // A write keeps no working parameters from an earlier call to stand in for
  // the fields: it checks them always.
  if (p.use_state_as_is != 0 && direction == Direction::kRead) return JpegSuccess;
  if (ioType < FileReadParams || ioType > BufferReadThumbnail) return JpegErrInvalidProperties;
  // A read of a write type would go on to a file that was never opened, and
  // a write of a read type has nothing to write.
  if ((direction == Direction::kRead) == IsWriteType(ioType)) return JpegErrInvalidProperties;
  // Raw planes take the place of the DIB in a read only; a write always
  // reads its DIB.
  const bool rawPlanes = p.state.raw_plane_list != nullptr && direction == Direction::kRead;
  if (UsesDib(ioType) && !rawPlanes) {
    const int dib = ValidateDib(p, ioType);
    if (dib != JpegSuccess) return dib;
  }
  if (IsFileType(ioType) ? p.jpeg_file_name == nullptr : (p.jpeg_buffer == nullptr || p.jpeg_buffer_size <= 0)) {
    return JpegErrInvalidProperties;
  }
  if (p.jpeg_channels < 1 || p.jpeg_channels > kMaxJpegChannels) return JpegErrInvalidProperties;
  if (direction == Direction::kWrite) {
    const int image = ValidateImageToWrite(p, ioType);
    if (image != JpegSuccess) return image;
  }
  const bool paired = direction == Direction::kRead ? ReadPairingAccepted(p) : WritePairingAccepted(p);
  if (!paired) return JpegErrInvalidProperties;
  if (p.state.dct_method != 0 && p.state.dct_method != 1) return JpegErrInvalidProperties;
  if (p.state.smooth_upsampling == 1 && p.state.raw_plane_list != nullptr) return JpegErrInvalidProperties;
  return JpegSuccess;
}

}  // namespace halvora::jpeg
