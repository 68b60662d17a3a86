#include "platform/visibile.h"

#include <fmt/format.h>

namespace scen {

std::string visibile(std::string_view testo) {
  std::string esito;
  esito.reserve(testo.size());
  for (std::size_t i = 0; i < testo.size(); ++i) {
    const auto c = static_cast<unsigned char>(testo[i]);
    if (c == '\n') {
      esito += "\\n";
    } else if (c == '\r') {
      esito += "\\r";
    } else if (c == '\t') {
      esito += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      esito += fmt::format("\\x{:02x}", c);
    } else if (c == 0xc2 && i + 1 < testo.size() &&
               static_cast<unsigned char>(testo[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(testo[i + 1]) <= 0x9f) {
      esito += fmt::format("\\u{:04x}", static_cast<unsigned char>(testo[i + 1]));
      ++i;
    } else if (c == 0xe2 && i + 2 < testo.size() &&
               static_cast<unsigned char>(testo[i + 1]) == 0x80 &&
               (static_cast<unsigned char>(testo[i + 2]) == 0xa8 ||
                static_cast<unsigned char>(testo[i + 2]) == 0xa9)) {
      esito += static_cast<unsigned char>(testo[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      esito += static_cast<char>(c);
    }
  }
  return esito;
}

}  // namespace scen
