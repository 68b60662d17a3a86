#include "compile/file_compilati.h"

#include "compile/codifica.h"

namespace scen {

namespace {

constexpr std::int16_t tag_vuoto = 0;
constexpr std::int16_t tag_integer = 2;
constexpr std::int16_t tag_double = 5;

void metti_variante(std::string& out, const variante& v) {
  if (const Integer* i = std::get_if<Integer>(&v)) {
    metti_integer(out, tag_integer);
    metti_integer(out, *i);
  } else if (const double* d = std::get_if<double>(&v)) {
    metti_integer(out, tag_double);
    metti_double(out, *d);
  } else {
    metti_integer(out, tag_vuoto);
  }
}

}  // namespace

std::string codifica_tracciato(const modello& m) {
  std::string out;
  out.reserve(10 * (m.tracciato[0].size() + m.tracciato[1].size()));
  for (const auto& componente : m.tracciato)
    for (const variante& v : componente) metti_variante(out, v);
  return out;
}

std::string codifica_registri(const modello& m) {
  std::string out;
  for (const registro& r : m.registri) {
    metti_byte(out, r.tipo);
    metti_long(out, r.inizio);
    metti_long(out, r.fine);
    metti_long(out, r.progressiva);
    metti_byte(out, r.campo_4);
    metti_stringa(out, r.nome);
    metti_integer(out, r.campo_7);
    metti_integer(out, r.campo_8);
    metti_integer(out, r.campo_10);
    metti_integer(out, r.campo_11);
    metti_integer(out, r.campo_12);
    metti_byte(out, r.campo_9);
    metti_byte(out, r.fermata);
    metti_byte(out, r.prolungamento);
    metti_byte(out, r.campo_5);
    metti_long(out, r.orario);
  }
  return out;
}

std::string codifica_celle(const modello& m) {
  std::string out;
  out.reserve(byte_per_cella * m.celle.size());
  for (const cella& c : m.celle) {
    metti_byte(out, c.codice);
    metti_integer(out, c.valore_1);
    metti_integer(out, c.valore_2);
    metti_integer(out, c.valore_3);
    metti_integer(out, c.valore_4);
    metti_byte(out, c.valore_5);
    metti_byte(out, c.avvicinamento);
    metti_byte(out, c.montagna);
    metti_byte(out, c.vel_limite);
    metti_byte(out, c.pendenza);
    metti_byte(out, c.aderenza);
  }
  return out;
}

}  // namespace scen
