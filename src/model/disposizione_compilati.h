// The layout of the compiled files, written once: the fields of a cell and of
// a record in file order, the marks stamped into two reserved slots, and the
// tags of the trace's variants. The writer and every reader of the compiled
// files visit these lists, so a field is added, removed or moved here and
// nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>

#include "model/modello.h"
#include "model/tipi.h"

namespace scen {

// The fields of a cell or of a record, in file order.
template <typename Oggetto>
struct disposizione;

template <>
struct disposizione<cella> {
  static constexpr std::tuple campi{
      &cella::codice,     &cella::valore_1, &cella::valore_2,      &cella::valore_3,
      &cella::valore_4,   &cella::valore_5, &cella::avvicinamento, &cella::montagna,
      &cella::vel_limite, &cella::pendenza, &cella::aderenza,
  };
};

template <>
struct disposizione<registro> {
  static constexpr std::tuple campi{
      &registro::tipo,     &registro::inizio,        &registro::fine,     &registro::progressiva,
      &registro::campo_4,  &registro::nome,          &registro::campo_7,  &registro::campo_8,
      &registro::campo_10, &registro::campo_11,      &registro::campo_12, &registro::campo_9,
      &registro::fermata,  &registro::prolungamento, &registro::campo_5,  &registro::orario,
  };
};

// Calls `visita` on every field of `oggetto` (a cell or a record, constant
// or not) in file order.
template <typename Oggetto, typename Visita>
constexpr void per_ogni_campo(Oggetto& oggetto, Visita&& visita) {
  std::apply([&](auto... campo) { (visita(oggetto.*campo), ...); },
             disposizione<std::remove_const_t<Oggetto>>::campi);
}

namespace dettaglio {
template <typename Puntatore>
struct tipo_membro;
template <typename Classe, typename Tipo>
struct tipo_membro<Tipo Classe::*> {
  using tipo = Tipo;
};
}  // namespace dettaglio

// The bytes a field takes whatever it holds: a number its width, a text the
// two bytes of its length (its own bytes come after them).
template <typename Campo>
inline constexpr size_t byte_fissi_campo = sizeof(Campo);
template <>
inline constexpr size_t byte_fissi_campo<std::string> = 2;

// The bytes a cell or a record takes beside its text.
template <typename Oggetto>
inline constexpr size_t byte_fissi = std::apply(
    [](auto... campo) {
      return (byte_fissi_campo<typename dettaglio::tipo_membro<decltype(campo)>::tipo> + ... + 0);
    },
    disposizione<Oggetto>::campi);

inline constexpr size_t byte_per_cella = byte_fissi<cella>;
inline constexpr size_t byte_per_registro = byte_fissi<registro>;  // plus the length of its text
// The longest text a record's two-byte length can give.
inline constexpr size_t lunghezza_testo_massima = 65535;

// The marks stamped after reading into two reserved slots, by which a
// compiled file is known for one of its kind: record 85's `campo_7` and
// cell 1's `valore_1`.
inline constexpr Integer segno_registri = 610;
inline constexpr Integer segno_celle = 5121;
inline constexpr int registro_segnato = indice_registro::generali_linea;
inline constexpr size_t cella_segnata = 1;
inline constexpr auto campo_segno_registri = &registro::campo_7;
inline constexpr auto campo_segno_celle = &cella::valore_1;

// A trace element is a two-byte tag, then the value the tag names.
namespace tag_variante {
inline constexpr std::uint16_t vuoto = 0;
inline constexpr std::uint16_t integer = 2;
inline constexpr std::uint16_t double_ = 5;
}  // namespace tag_variante
inline constexpr size_t byte_tag_variante = 2;

// The bytes of the value after tag `tag` (0 for an empty element or an
// unknown tag).
constexpr size_t byte_valore_variante(std::uint16_t tag) {
  return tag == tag_variante::integer   ? sizeof(Integer)
         : tag == tag_variante::double_ ? sizeof(double)
                                        : 0;
}
inline constexpr size_t byte_massimi_variante =
    byte_tag_variante + byte_valore_variante(tag_variante::double_);

}  // namespace scen
