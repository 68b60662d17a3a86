// For tests: the compiled cell file and the compiled train file read back
// into the model's records, so that a test says what a cell or a record holds
// rather than where its bytes lie. Numbers are little-endian, fields follow
// one another with no padding, and a record's text is a two-byte length and
// its bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"

namespace scen {

// How gtest shows a cell: its fields by name.
inline void PrintTo(const cella& c, std::ostream* os) {
  *os << "{codice " << int{c.codice} << ", valori " << c.valore_1 << " " << c.valore_2 << " "
      << c.valore_3 << " " << c.valore_4 << " " << int{c.valore_5} << ", avvicinamento "
      << int{c.avvicinamento} << ", montagna " << int{c.montagna} << ", vel_limite "
      << int{c.vel_limite} << ", pendenza " << int{c.pendenza} << ", aderenza " << int{c.aderenza}
      << "}";
}

// How gtest shows a record: its fields in file order.
inline void PrintTo(const registro& r, std::ostream* os) {
  *os << "{" << int{r.tipo} << ", " << r.inizio << ", " << r.fine << ", " << r.progressiva << ", "
      << int{r.campo_4} << ", \"" << r.nome << "\", " << r.campo_7 << ", " << r.campo_8 << ", "
      << r.campo_10 << ", " << r.campo_11 << ", " << r.campo_12 << ", " << int{r.campo_9} << ", "
      << int{r.fermata} << ", " << int{r.prolungamento} << ", " << int{r.campo_5} << ", "
      << r.orario << "}";
}

}  // namespace scen

namespace scen::prova {

// Takes numbers and texts off the front of a compiled file's bytes; after a
// read past the end every later read gives 0 and `riuscita` is false.
class LetturaCompilata {
 public:
  explicit LetturaCompilata(std::string_view byte) : resto_(byte) {}

  Byte un_byte() { return static_cast<Byte>(senza_segno(1)); }
  Integer un_integer() { return static_cast<Integer>(static_cast<std::uint16_t>(senza_segno(2))); }
  Long un_long() { return static_cast<Long>(static_cast<std::uint32_t>(senza_segno(4))); }
  std::string testo() {
    const size_t n = static_cast<std::uint16_t>(un_integer());
    if (!riuscita_ || n > resto_.size()) {
      riuscita_ = false;
      return {};
    }
    std::string t(resto_.substr(0, n));
    resto_.remove_prefix(n);
    return t;
  }

  bool riuscita() const { return riuscita_; }
  // Every read found its bytes and none is left over.
  bool finita() const { return riuscita_ && resto_.empty(); }

 private:
  std::uint32_t senza_segno(size_t n) {
    if (!riuscita_ || n > resto_.size()) {
      riuscita_ = false;
      return 0;
    }
    std::uint32_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | static_cast<std::uint8_t>(resto_[i]);
    resto_.remove_prefix(n);
    return v;
  }

  std::string_view resto_;
  bool riuscita_ = true;
};

// A compiled cell file's cells; nothing if its size is not a whole number
// of 15-byte cells.
inline std::optional<std::vector<cella>> celle_lette(std::string_view byte) {
  if (byte.size() % 15 != 0) return std::nullopt;
  LetturaCompilata l(byte);
  std::vector<cella> celle(byte.size() / 15);
  for (cella& c : celle) {
    c.codice = l.un_byte();
    c.valore_1 = l.un_integer();
    c.valore_2 = l.un_integer();
    c.valore_3 = l.un_integer();
    c.valore_4 = l.un_integer();
    c.valore_5 = l.un_byte();
    c.avvicinamento = l.un_byte();
    c.montagna = l.un_byte();
    c.vel_limite = l.un_byte();
    c.pendenza = l.un_byte();
    c.aderenza = l.un_byte();
  }
  return celle;
}

using tabella_registri = std::array<registro, indice_registro::numero>;

// A compiled train file's 87 records; nothing if the bytes end inside a
// record or go on after the last one.
inline std::optional<tabella_registri> registri_letti(std::string_view byte) {
  LetturaCompilata l(byte);
  tabella_registri registri{};
  for (registro& r : registri) {
    r.tipo = l.un_byte();
    r.inizio = l.un_long();
    r.fine = l.un_long();
    r.progressiva = l.un_long();
    r.campo_4 = l.un_byte();
    r.nome = l.testo();
    r.campo_7 = l.un_integer();
    r.campo_8 = l.un_integer();
    r.campo_10 = l.un_integer();
    r.campo_11 = l.un_integer();
    r.campo_12 = l.un_integer();
    r.campo_9 = l.un_byte();
    r.fermata = l.un_byte();
    r.prolungamento = l.un_byte();
    r.campo_5 = l.un_byte();
    r.orario = l.un_long();
  }
  if (!l.finita()) return std::nullopt;
  return registri;
}

}  // namespace scen::prova
