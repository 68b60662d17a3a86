// Checked access to the model while reading: every index outside its table
// and every value that does not fit its field is a failure of reading, at the
// moment it happens. Cell indices from positions round to the nearest whole
// number, halves to the even neighbour.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/modello.h"
#include "read/guasto.h"

namespace scen {

using largo = std::int64_t;

[[noreturn]] void guasto_cella(const modello& m, largo i);
[[noreturn]] void guasto_tracciato(const modello& m, largo metro);
[[noreturn]] void guasto_registro(largo i);
[[noreturn]] void guasto_larghezza(largo valore, std::string_view campo, largo minimo,
                                   largo massimo);
[[noreturn]] void guasto_32_bit(largo valore, std::string_view cosa);

inline cella& cella_n(modello& m, largo i) {
  if (i < 0 || i >= static_cast<largo>(m.celle.size())) [[unlikely]]
    guasto_cella(m, i);
  return m.celle[static_cast<size_t>(i)];
}

inline registro& registro_n(modello& m, largo i) {
  if (i < 0 || i >= static_cast<largo>(m.registri.size())) [[unlikely]]
    guasto_registro(i);
  return m.registri[static_cast<size_t>(i)];
}

// The metre `metro` of the trace, both values; the trace must hold it.
inline void scrivi_metro(modello& m, largo metro, variante x, variante y) {
  if (metro < 0 || metro >= static_cast<largo>(m.tracciato[0].size())) [[unlikely]]
    guasto_tracciato(m, metro);
  m.tracciato[0][static_cast<size_t>(metro)] = x;
  m.tracciato[1][static_cast<size_t>(metro)] = y;
}

inline Byte a_byte(largo v, std::string_view campo) {
  if (v < 0 || v > 255) [[unlikely]]
    guasto_larghezza(v, campo, 0, 255);
  return static_cast<Byte>(v);
}

inline Integer a_integer(largo v, std::string_view campo) {
  if (v < -32768 || v > 32767) [[unlikely]]
    guasto_larghezza(v, campo, -32768, 32767);
  return static_cast<Integer>(v);
}

// Result of 32-bit arithmetic: `cosa` names the operation in the message.
inline Long a_long(largo v, std::string_view cosa) {
  if (v < INT32_MIN || v > INT32_MAX) [[unlikely]]
    guasto_32_bit(v, cosa);
  return static_cast<Long>(v);
}

// The low 8 bits, for the fields that keep only those.
inline Byte otto_bit(Long v) { return static_cast<Byte>(static_cast<std::uint32_t>(v) & 0xFF); }

// p / 50, to the nearest whole number, halves to even.
inline largo cella_di(largo p) {
  largo q = p / 50, r = p % 50;
  if (r < 0) {
    r += 50;
    --q;
  }
  if (r > 25 || (r == 25 && (q & 1) != 0)) ++q;
  return q;
}

// p / 50 + 1, to the nearest whole number, halves to even.
inline largo cella_dopo(largo p) { return cella_di(p + 50); }

// The range test: (p + margine) / 50, in real numbers, not beyond the last cell.
inline bool nelle_celle(const modello& m, Long p, largo margine) {
  return static_cast<largo>(p) + margine <= static_cast<largo>(m.ultima_cella) * 50;
}

}  // namespace scen
