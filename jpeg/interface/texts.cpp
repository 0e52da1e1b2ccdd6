// The codec's own texts: what each result code means, and its version.
#include <halvora/jpeg.h>

namespace {

struct ResultText {
  int code;
  const char* text;
};

#define JPEG_RESULT_ROW(name, code, text) {code, text},
constexpr ResultText kResultTexts[] = {JPEG_RESULT_LIST(JPEG_RESULT_ROW)};
#undef JPEG_RESULT_ROW

constexpr const char kUnknownResult[] = "Unknown error code";

}  // namespace

extern "C" const char* JpegErrorText(int code) {
  for (const ResultText& row : kResultTexts) {
    if (row.code == code) return row.text;
  }
  return kUnknownResult;
}

extern "C" const JpegVersionInfo* JpegGetVersion(void) {
  static constexpr JpegVersionInfo kVersion = {
      1, 51, 13, "hjpeg15.lib", "1.51.13", "[1.51.13.45]", "Apr 30 2002", "Microsoft*"};
  return &kVersion;
}
