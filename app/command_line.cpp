#include "app/command_line.h"

#include "platform/text.h"
#include "platform/trace.h"

namespace halvora {

namespace {

size_t FindOption(std::u16string_view tail, std::u16string_view name) {
  for (size_t p = 0; p < tail.size(); ++p) {
    if ((tail[p] == u'-' || tail[p] == u'/') && tail.substr(p + 1, name.size()) == name) return p;
  }
  return std::u16string_view::npos;
}

}  // namespace

bool ParseOptionValue(std::u16string& tail, std::u16string_view name, std::u16string& value) {
  value.clear();
  const size_t p = FindOption(tail, name);
  if (p == std::u16string::npos) return false;

  const size_t n = name.size();
  const size_t q = p + 1 + n;
  size_t taken = 0;
  if (q < tail.size() && tail[q] == u'=') {
    const size_t blank = tail.find(u' ', q + 1);
    value = tail.substr(q + 1, blank == std::u16string::npos ? std::u16string::npos : blank - (q + 1));
    taken = value.size() + 2;
    platform::Trace("ParseOptionValue: %s = %s.\n", platform::Utf8(name).c_str(), platform::Utf8(value).c_str());
  }
  // n + taken covers the '-' or '/', the name, the '=' and the value less
  // one; one more character (the blank that ended the value) goes with them.
  const size_t total = tail.size() - p;
  tail.erase(p, total > n + taken ? n + taken + 1 : total);
  platform::Trace("ParseOptionValue: remain string %s.\n", platform::Utf8(tail.substr(p)).c_str());
  return true;
}

}  // namespace halvora
