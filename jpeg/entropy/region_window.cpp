#include "jpeg/entropy/region_window.h"

#include <algorithm>
#include <cstdint>

namespace halvora::jpeg {

UnitWindow WindowOf(const PixelRect& region, int unitWidth, int unitHeight, int perRow, int rows, int margin) {
  const bool whole = region.left == 0 && region.top == 0 && region.right == 0 && region.bottom == 0;
  if (whole || unitWidth < 1 || unitHeight < 1) return {0, perRow, 0, rows};
  const auto first = [margin](int32_t edge, int unit) { return int64_t{std::max(edge, 0)} / unit - margin; };
  const auto end = [margin](int32_t edge, int unit) {
    return (int64_t{std::max(edge, 0)} + unit - 1) / unit + margin;
  };
  const auto inside = [](int64_t value, int limit) { return static_cast<int>(std::clamp<int64_t>(value, 0, limit)); };
  return {inside(first(region.left, unitWidth), perRow), inside(end(region.right, unitWidth), perRow),
          inside(first(region.top, unitHeight), rows), inside(end(region.bottom, unitHeight), rows)};
}

}  // namespace halvora::jpeg
