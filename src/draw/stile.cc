#include "draw/stile.h"

namespace scen::stile {

double larghezza_testo(std::string_view utf8, double corpo, bool grassetto) {
  double em = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) == 0x80) continue;  // inside a letter written in more bytes
    if (c == ' ' || c == 'i' || c == 'l' || c == 'j' || c == '\'' || c == '.' || c == ',' ||
        c == '|' || c == '(' || c == ')' || c == '-')
      em += 0.3;
    else if (c == 'f' || c == 't' || c == 'r' || c == 'I')
      em += 0.36;
    else if (c == 'm' || c == 'w' || c == 'M' || c == 'W')
      em += 0.86;
    else if (c >= 'A' && c <= 'Z')
      em += 0.68;
    else
      em += 0.56;
  }
  return em * corpo * (grassetto ? 1.07 : 1.0);
}

}  // namespace scen::stile
