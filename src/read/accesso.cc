#include "read/accesso.h"

#include <fmt/format.h>

namespace scen {

namespace {

[[noreturn]] void guasto_senza_lunghezza() {
  guasto_lettura g;
  g.causa = std::string(senza_lunghezza);
  g.dove = guasto_lettura::luogo::lunghezza;
  throw g;
}

std::string con_consiglio(std::string causa, const uso_tabella& uso) {
  if (!uso.consiglio.empty()) causa += "; " + uso.consiglio;
  return causa;
}

}  // namespace

std::string cella_in_parole(largo i) {
  return fmt::format("cella {} (da {} a {} m)", i, i * metri_cella, (i + 1) * metri_cella);
}

void guasto_cella(const modello& m, largo i, const uso_tabella& uso) {
  if (m.celle.empty()) guasto_senza_lunghezza();
  if (i < 0)
    guasto_campo(con_consiglio(fmt::format("{}: la cella {} viene prima della cella 0, "
                                           "l'inizio della linea",
                                           uso.cosa, i),
                               uso),
                 uso.campo);
  const largo ultima = static_cast<largo>(m.celle.size()) - 1;
  guasto_campo(con_consiglio(fmt::format("{}: la cella {} va oltre l'ultima, la {}", uso.cosa, i,
                                         cella_in_parole(ultima)),
                             uso),
               uso.campo);
}

void guasto_tracciato(const modello& m, largo metro, const uso_tabella& uso) {
  if (m.tracciato[0].empty()) guasto_senza_lunghezza();
  const largo ultimo = static_cast<largo>(m.tracciato[0].size()) - 1;
  guasto_campo(con_consiglio(fmt::format("{}: il metro {} va oltre l'ultimo del tracciato, il {} "
                                         "({} m dopo la fine della linea)",
                                         uso.cosa, metro, ultimo, oltre_la_linea),
                             uso),
               uso.campo);
}

void guasto_registro(largo i) {
  guasto(fmt::format("indice di registro {} fuori dalla tabella (0..{})", i,
                     indice_registro::numero - 1));
}

void guasto_larghezza(largo valore, nome_campo c, largo minimo, largo massimo) {
  guasto_campo(fmt::format("{} vale {}, ma va da {} a {}", c.nome, valore, minimo, massimo),
               c.campo);
}

void guasto_32_bit(largo valore, nome_campo c) {
  guasto_campo(fmt::format("{} vale {}, oltre i 32 bit", c.nome, valore), c.campo);
}

std::string contenuto_cella(const cella& c) {
  switch (c.codice) {
    case codice_cella::segnale:
      return "un segnale";
    case codice_cella::fine_rallentamento:
      return "la fine di un rallentamento";
    case codice_cella::inizio_rallentamento:
      return "l'inizio di un rallentamento";
    case codice_cella::avviso_rallentamento:
      return "il punto di avviso di un rallentamento";
    case codice_cella::avvicinamento_avviso:
      return "una cella di avvicinamento di un rallentamento";
    case codice_cella::indicatore_velocita:
      return "un indicatore di velocità";
    case codice_cella::fermata:
      return "il segno di fermata di una stazione";
    case codice_cella::abbattimento:
    case codice_cella::abbattimento_senza_valore:
      return "un abbattimento";
    case codice_cella::cartello:
      return "un cartello indicatore";
    default:
      return fmt::format("il codice {}", c.codice);
  }
}

}  // namespace scen
