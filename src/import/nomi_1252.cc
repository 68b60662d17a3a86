#include "import/nomi_1252.h"

#include <string_view>

#include "platform/windows1252.h"

namespace scen {

namespace {

// The plain letters of U+0100 to U+017F (Latin Extended-A), in order.
constexpr std::string_view latino_esteso =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "IiJjJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";

char lettera_semplice(char32_t c) {
  if (c >= 0x100 && c <= 0x17F) return latino_esteso[c - 0x100];
  switch (c) {
    case 0x218:
      return 'S';
    case 0x219:
      return 's';
    case 0x21A:
      return 'T';
    case 0x21B:
      return 't';
    default:
      return '?';
  }
}

}  // namespace

std::string nome_per_1252(const std::string& nome) {
  std::string scritto;
  for (size_t i = 0; i < nome.size();) {
    const size_t inizio = i;
    const std::optional<char32_t> c = carattere_utf8(nome, i);
    if (!c) {  // not UTF-8: one byte at a time
      ++i;
      scritto += '?';
      continue;
    }
    const std::string_view carattere(nome.data() + inizio, i - inizio);
    if (utf8_a_1252(carattere))
      scritto += carattere;
    else
      scritto += lettera_semplice(*c);
  }
  return scritto;
}

}  // namespace scen
