#include "compile/file_compilati.h"

#include <algorithm>

#include "compile/codifica.h"
#include "platform/file.h"

namespace scen {

namespace {

void metti_tag(scrittore_byte& out, std::uint16_t tag) { out.integer(static_cast<Integer>(tag)); }

void metti_variante(scrittore_byte& out, const variante& v) {
  if (const double* d = std::get_if<double>(&v)) {
    metti_tag(out, tag_variante::double_);
    out.double_(*d);
  } else if (const Integer* i = std::get_if<Integer>(&v)) {
    metti_tag(out, tag_variante::integer);
    out.integer(*i);
  } else {
    metti_tag(out, tag_variante::vuoto);
  }
}

// A cell or a record, field by field in file order.
template <typename Oggetto>
void metti_campi(scrittore_byte& out, const Oggetto& oggetto) {
  per_ogni_campo(oggetto, [&](const auto& campo) { out.campo(campo); });
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
  try {
    return per_pezzi(m, [&](std::string_view pezzo) { return file.scrivi(pezzo); });
  } catch (const codifica_traboccata& e) {
    return Stato::errore(e.what());
  }
}

std::string codifica_registri(const modello& m) {
  size_t massimo = 0;
  for (const registro& r : m.registri) massimo += byte_per_registro + r.nome.size();
  std::string byte;
  scrittore_byte out(byte, massimo);
  for (const registro& r : m.registri) metti_campi(out, r);
  out.fine();
  return byte;
}

std::string codifica_celle(const modello& m) {
  std::string byte;
  scrittore_byte out(byte, byte_per_cella * m.celle.size());
  for (const cella& c : m.celle) metti_campi(out, c);
  out.fine();
  return byte;
}

}  // namespace scen
