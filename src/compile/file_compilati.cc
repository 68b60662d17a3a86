#include "compile/file_compilati.h"

#include <algorithm>

#include "compile/codifica.h"
#include "platform/file.h"

namespace scen {

namespace {

constexpr std::int16_t tag_vuoto = 0;
constexpr std::int16_t tag_integer = 2;
constexpr std::int16_t tag_double = 5;
constexpr size_t byte_massimi_variante = 10;

void metti_variante(scrittore_byte& out, const variante& v) {
  if (const double* d = std::get_if<double>(&v)) {
    out.integer(tag_double);
    out.double_(*d);
  } else if (const Integer* i = std::get_if<Integer>(&v)) {
    out.integer(tag_integer);
    out.integer(*i);
  } else {
    out.integer(tag_vuoto);
  }
}

// Hands the encoded trace to `pezzo` in consecutive pieces, X before Y;
// stops at the first piece that fails. A piece's buffer is alive beside the
// whole trace, at the run's peak of memory: 32,768 elements (about 320 KB
// encoded) keep that peak low, while twice as many saved no measurable time.
template <typename Pezzo>
Stato per_pezzi(const modello& m, Pezzo&& pezzo) {
  constexpr size_t varianti_per_pezzo = size_t{1} << 15;
  std::string byte;
  for (const auto& componente : m.tracciato)
    for (size_t inizio = 0; inizio < componente.size(); inizio += varianti_per_pezzo) {
      const size_t fine = std::min(componente.size(), inizio + varianti_per_pezzo);
      scrittore_byte out(byte, byte_massimi_variante * (fine - inizio));
      for (size_t i = inizio; i < fine; ++i) metti_variante(out, componente[i]);
      out.fine();
      if (Stato stato = pezzo(std::string_view(byte)); !stato.riuscito()) return stato;
    }
  return Stato::ok();
}

}  // namespace

std::string codifica_tracciato(const modello& m) {
  std::string tutto;
  tutto.reserve(byte_massimi_variante * (m.tracciato[0].size() + m.tracciato[1].size()));
  // Appending to a string cannot fail: every piece is taken.
  static_cast<void>(per_pezzi(m, [&](std::string_view pezzo) {
    tutto += pezzo;
    return Stato::ok();
  }));
  return tutto;
}

Stato scrivi_tracciato(const modello& m, file_nuovo& file) {
  return per_pezzi(m, [&](std::string_view pezzo) { return file.scrivi(pezzo); });
}

std::string codifica_registri(const modello& m) {
  size_t massimo = 0;
  for (const registro& r : m.registri) massimo += byte_per_registro + r.nome.size();
  std::string byte;
  scrittore_byte out(byte, massimo);
  for (const registro& r : m.registri) {
    out.byte(r.tipo);
    out.long_(r.inizio);
    out.long_(r.fine);
    out.long_(r.progressiva);
    out.byte(r.campo_4);
    out.stringa(r.nome);
    out.integer(r.campo_7);
    out.integer(r.campo_8);
    out.integer(r.campo_10);
    out.integer(r.campo_11);
    out.integer(r.campo_12);
    out.byte(r.campo_9);
    out.byte(r.fermata);
    out.byte(r.prolungamento);
    out.byte(r.campo_5);
    out.long_(r.orario);
  }
  out.fine();
  return byte;
}

std::string codifica_celle(const modello& m) {
  std::string byte;
  scrittore_byte out(byte, byte_per_cella * m.celle.size());
  for (const cella& c : m.celle) {
    out.byte(c.codice);
    out.integer(c.valore_1);
    out.integer(c.valore_2);
    out.integer(c.valore_3);
    out.integer(c.valore_4);
    out.byte(c.valore_5);
    out.byte(c.avvicinamento);
    out.byte(c.montagna);
    out.byte(c.vel_limite);
    out.byte(c.pendenza);
    out.byte(c.aderenza);
  }
  out.fine();
  return byte;
}

}  // namespace scen
