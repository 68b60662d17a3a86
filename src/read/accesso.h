// Checked access to the model while reading: every index outside its table
// and every value that does not fit its field is a failure of reading, at the
// moment it happens, named in the author's words: what the value is, what it
// is, and what it may be. Cell indices from positions round to the nearest
// whole number, halves to the even neighbour.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/modello.h"
#include "read/guasto.h"

namespace scen {

using largo = std::int64_t;

// What a cell or a metre of the trace is wanted for, when it lies outside its
// table: `cosa` in the author's words ("il segnale a 300 m"), `campo` the
// value field of the record that places it (0: the record as a whole), and
// a `consiglio` that may follow.
struct uso_tabella {
  explicit uso_tabella(std::string cosa_ = {}, int campo_ = 0, std::string consiglio_ = {})
      : cosa(std::move(cosa_)), campo(campo_), consiglio(std::move(consiglio_)) {}
  std::string cosa;
  int campo;
  std::string consiglio;
};

// A value as a message names it: `nome` in the author's words ("il campo 9
// della stazione") and `campo` the value field that gives it (0: the record
// as a whole).
struct nome_campo {
  constexpr nome_campo(std::string_view nome_, int campo_ = 0) : nome(nome_), campo(campo_) {}
  std::string_view nome;
  int campo;
};

[[noreturn]] void guasto_cella(const modello& m, largo i, const uso_tabella& uso);
[[noreturn]] void guasto_tracciato(const modello& m, largo metro, const uso_tabella& uso);
[[noreturn]] void guasto_registro(largo i);
[[noreturn]] void guasto_larghezza(largo valore, nome_campo c, largo minimo, largo massimo);
[[noreturn]] void guasto_32_bit(largo valore, nome_campo c);

// The cell `i`; `uso` gives, only when the cell does not exist, what it is
// wanted for.
template <class Uso>
inline cella& cella_n(modello& m, largo i, Uso&& uso) {
  if (i < 0 || i >= static_cast<largo>(m.celle.size())) [[unlikely]]
    guasto_cella(m, i, uso());
  return m.celle[static_cast<size_t>(i)];
}

inline registro& registro_n(modello& m, largo i) {
  if (i < 0 || i >= static_cast<largo>(m.registri.size())) [[unlikely]]
    guasto_registro(i);
  return m.registri[static_cast<size_t>(i)];
}

// The metre `metro` of the trace, both values; the trace must hold it.
template <class Uso>
inline void scrivi_metro(modello& m, largo metro, variante x, variante y, Uso&& uso) {
  if (metro < 0 || metro >= static_cast<largo>(m.tracciato[0].size())) [[unlikely]]
    guasto_tracciato(m, metro, uso());
  m.tracciato[0][static_cast<size_t>(metro)] = x;
  m.tracciato[1][static_cast<size_t>(metro)] = y;
}

inline Byte a_byte(largo v, nome_campo c) {
  if (v < 0 || v > 255) [[unlikely]]
    guasto_larghezza(v, c, 0, 255);
  return static_cast<Byte>(v);
}

inline Integer a_integer(largo v, nome_campo c) {
  if (v < -32768 || v > 32767) [[unlikely]]
    guasto_larghezza(v, c, -32768, 32767);
  return static_cast<Integer>(v);
}

// Result of 32-bit arithmetic: `c` names the result in the message.
inline Long a_long(largo v, nome_campo c) {
  if (v < INT32_MIN || v > INT32_MAX) [[unlikely]]
    guasto_32_bit(v, c);
  return static_cast<Long>(v);
}

// The low 8 bits, for the fields that keep only those.
inline Byte otto_bit(Long v) { return static_cast<Byte>(static_cast<std::uint32_t>(v) & 0xFF); }

// The length of a cell (m): the line is kept in cells of this many metres.
inline constexpr Long metri_cella = 50;

// p / metri_cella, to the nearest whole number, halves to even.
inline constexpr largo cella_di(largo p) {
  largo q = p / metri_cella, r = p % metri_cella;
  if (r < 0) {
    r += metri_cella;
    --q;
  }
  if (2 * r > metri_cella || (2 * r == metri_cella && (q & 1) != 0)) ++q;
  return q;
}

// p / metri_cella + 1, to the nearest whole number, halves to even.
inline largo cella_dopo(largo p) { return cella_di(p + metri_cella); }

// The longest line a description may give (m).
inline constexpr Long lunghezza_massima = 1000000;
// The cells and the trace run this far beyond the line's end (m).
inline constexpr Long oltre_la_linea = 7000;
// The last cell of a line of length `lunghezza`.
inline constexpr largo ultima_cella_di(largo lunghezza) {
  return cella_di(lunghezza + oltre_la_linea);
}

// How far inside the cells the range test wants a record's position: a
// station, whose marks reach beyond its position, and any other record.
inline constexpr largo margine_record = 100;
inline constexpr largo margine_stazione = 800;

// The range test: (p + margine) / metri_cella, in real numbers, not beyond the last
// cell `ultima`.
inline bool nel_campo(largo p, largo ultima, largo margine) {
  return p + margine <= ultima * metri_cella;
}
inline bool nelle_celle(const modello& m, Long p, largo margine) {
  return nel_campo(p, m.ultima_cella, margine);
}

// Cell `i` in words: "cella 22 (da 1100 a 1150 m)".
std::string cella_in_parole(largo i);

// What an occupied cell holds, in words: "un segnale".
std::string contenuto_cella(const cella& c);

// The cause when the line length was never read: the cells and the trace
// have no size.
inline constexpr std::string_view senza_lunghezza =
    "la lunghezza della linea non è stata letta: manca «lunghezza percorso» nella sezione "
    "[generale]";

}  // namespace scen
