// The UTF-8 decoder, the same on every host.
#include "platform/windows1252.h"

#include <string_view>

namespace scen {

std::optional<char32_t> carattere_utf8(std::string_view s, size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t seguito;
  char32_t c;
  if (b < 0x80) {
    ++i;
    return b;
  }
  if ((b & 0xE0) == 0xC0) {
    seguito = 1;
    c = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    seguito = 2;
    c = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    seguito = 3;
    c = b & 0x07;
  } else
    return std::nullopt;
  if (i + seguito >= s.size()) return std::nullopt;
  for (size_t k = 1; k <= seguito; ++k) {
    auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (t & 0x3F);
  }
  static constexpr char32_t minimi[] = {0, 0x80, 0x800, 0x10000};
  if (c < minimi[seguito] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  i += seguito + 1;
  return c;
}

}  // namespace scen
