#include "read/guasto.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/windows1252.h"

namespace scen {

void guasto(std::string causa) { guasto_campo(std::move(causa), 0); }

void guasto_campo(std::string causa, int campo) {
  guasto_lettura g;
  g.causa = std::move(causa);
  g.campo = campo;
  throw g;
}

void guasto_in(std::string causa, punto_file punto) {
  guasto_lettura g;
  g.causa = std::move(causa);
  g.dove = guasto_lettura::luogo::punto;
  g.punto = punto;
  throw g;
}

void guasto_file(std::string causa) {
  guasto_lettura g;
  g.causa = std::move(causa);
  g.dove = guasto_lettura::luogo::file;
  throw g;
}

namespace {

// The bytes shown escaped: controls, DEL, and the five that Windows-1252
// leaves undefined (they would reach the terminal as C1 controls).
bool da_mostrare_in_codice(unsigned char b) {
  return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

}  // namespace

std::string cita(std::string_view testo) {
  constexpr size_t massimo = 40;
  std::string r = "\"";
  const size_t n = std::min(testo.size(), massimo);
  for (size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(testo[i]);
    switch (b) {
      case '\t':
        r += "\\t";
        break;
      case '\r':
        r += "\\r";
        break;
      case '\n':
        r += "\\n";
        break;
      case '"':
        r += "\\\"";
        break;
      case '\\':
        r += "\\\\";
        break;
      default:
        if (da_mostrare_in_codice(b))
          r += fmt::format("\\x{:02x}", b);
        else if (b < 0x80)
          r += static_cast<char>(b);
        else
          r += da_1252_a_utf8(testo.substr(i, 1));
    }
  }
  if (testo.size() > massimo) r += "…";
  r += '"';
  return r;
}

}  // namespace scen
