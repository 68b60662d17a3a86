#include "check/causa_unica.h"

#include <fmt/format.h>

#include <algorithm>

#include "check/verifica_letture.h"
#include "read/accesso.h"
#include "read/formato.h"

namespace scen {

namespace {

bool ha_specie(const descrizione_vista& d, specie tipo) {
  return std::any_of(d.record.begin(), d.record.end(),
                     [&](const record_visto& r) { return r.tipo == tipo; });
}

}  // namespace

std::optional<problema> file_scambiati(const descrizione_vista& linea,
                                       const descrizione_vista& treno) {
  if (ha_specie(linea, specie::lunghezza) || linea.testo == treno.testo) return std::nullopt;
  if (!ha_specie(vedi_linea(treno.testo), specie::lunghezza)) return std::nullopt;
  if (vedi_treno(linea.testo).record.empty()) return std::nullopt;
  return problema{gravita::errore,
                  nome_di_parte(file_verificato::linea),
                  0,
                  0,
                  "i due file sono dati scambiati: questo è una descrizione del treno, e quello "
                  "dato per il treno è una descrizione della linea; si dà prima la linea, poi il "
                  "treno",
                  {}};
}

std::optional<lunghezza_in_km> lunghezza_in_chilometri(const descrizione_vista& linea,
                                                       const descrizione_vista& treno) {
  const std::optional<problema> nota = nota_lunghezza(linea, treno);
  if (!nota) return std::nullopt;
  const record_visto* lunghezza = nullptr;
  for (const record_visto& r : linea.record)
    if (r.tipo == specie::lunghezza && r.intero) lunghezza = &r;
  if (!lunghezza) return std::nullopt;
  const long chilometri = lunghezza->valore(1);
  constexpr long metri_al_chilometro = 1000;
  if (chilometri < 1 || chilometri * metri_al_chilometro > lunghezza_massima) return std::nullopt;
  lunghezza_in_km km;
  km.metri = chilometri * metri_al_chilometro;
  km.errore = *nota;
  km.errore.livello = gravita::errore;
  km.errore.causa += fmt::format(" ({}, se {} sono chilometri)", km.metri, chilometri);
  return km;
}

std::string problemi_che_seguono(long n) {
  if (n == 1) return "un altro problema ne segue";
  return fmt::format("altri {} problemi ne seguono", n);
}

}  // namespace scen
