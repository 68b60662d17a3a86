// For tests: the compiled cell file and the compiled train file read back
// into the model's records, so that a test says what a cell or a record holds
// rather than where its bytes lie. Numbers are little-endian, fields follow
// one another with no padding in the order of model/disposizione_compilati.h,
// and a record's text is a two-byte length and its bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/disposizione_compilati.h"
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
  const char* prima = "{";
  per_ogni_campo(r, [&]<typename Campo>(const Campo& c) {
    *os << prima;
    prima = ", ";
    if constexpr (std::is_same_v<Campo, std::string>)
      *os << "\"" << c << "\"";
    else
      *os << +c;
  });
  *os << "}";
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

  // One field of a compiled record, by its type.
  void campo(Byte& v) { v = un_byte(); }
  void campo(Integer& v) { v = un_integer(); }
  void campo(Long& v) { v = un_long(); }
  void campo(std::string& v) { v = testo(); }

  // A cell or a record, field by field in file order.
  template <typename Oggetto>
  void campi(Oggetto& oggetto) {
    per_ogni_campo(oggetto, [&](auto& c) { campo(c); });
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
// of cells.
inline std::optional<std::vector<cella>> celle_lette(std::string_view byte) {
  if (byte.size() % byte_per_cella != 0) return std::nullopt;
  LetturaCompilata l(byte);
  std::vector<cella> celle(byte.size() / byte_per_cella);
  for (cella& c : celle) l.campi(c);
  return celle;
}

using tabella_registri = std::array<registro, indice_registro::numero>;

// A compiled train file's 87 records; nothing if the bytes end inside a
// record or go on after the last one.
inline std::optional<tabella_registri> registri_letti(std::string_view byte) {
  LetturaCompilata l(byte);
  tabella_registri registri{};
  for (registro& r : registri) l.campi(r);
  if (!l.finita()) return std::nullopt;
  return registri;
}

}  // namespace scen::prova
