#include "run/rapporto.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

risultato_build risultato(esito_percorso fine, esito e = esito::nessuno, Long posizione = 0,
                          diagnosi_lettura diagnosi = {}, std::string messaggio = {}) {
  risultato_build r;
  r.percorso.esito = fine;
  r.percorso.messaggio = std::move(messaggio);
  r.percorso.diagnosi = std::move(diagnosi);
  r.errore_codice = e;
  r.errore_posizione = posizione;
  return r;
}

diagnosi_lettura diagnosi(std::string file, long riga, long colonna, std::string causa,
                          std::vector<diagnostica> note = {}) {
  diagnosi_lettura d;
  d.file = std::move(file);
  d.riga = riga;
  d.colonna = colonna;
  d.causa = std::move(causa);
  d.note = std::move(note);
  return d;
}

TEST(Rapporto, WhatTheUserIsToldAndTheExitStatus) {
  const diagnosi_lettura oltre = diagnosi(
      "Vela_Nuro_linea.txt", 212, 12, "posizione oltre le celle della linea",
      {{gravita::nota, "Vela_Nuro_IC 731-.txt", 103, 17, "la lettura del treno si ferma qui", {}}});
  const diagnosi_lettura avviso =
      diagnosi("", 0, 0, "", {{gravita::avviso, "Vela_Nuro_IC 731-.txt", 1, 1, "vuoto", {}}});
  struct caso {
    const char* nome;
    risultato_build r;
    std::string errore;
    bool termina;
    std::vector<std::string> righe;
    int stato;
  };
  const caso casi[] = {
      {"all written, no outcome", risultato(esito_percorso::scritti), "", false, {}, 0},
      {"an outcome with its position and where reading stopped",
       risultato(esito_percorso::scritti, esito::fuori_dalle_celle, 340100, oltre),
       "15 alla posizione 340100",
       false,
       {"Vela_Nuro_linea.txt:212:12: errore: posizione oltre le celle della linea",
        "Vela_Nuro_IC 731-.txt:103:17: nota: la lettura del treno si ferma qui"},
       1},
      {"no outcome, but a warning",
       risultato(esito_percorso::scritti, esito::nessuno, 0, avviso),
       "",
       false,
       {"Vela_Nuro_IC 731-.txt:1:1: avviso: vuoto"},
       0},
      {"an outcome without a position and without a file",
       risultato(esito_percorso::scritti, esito::progressiva_non_multipla, 7),
       "2",
       false,
       {},
       1},
      {"a reserved slot taken", risultato(esito_percorso::errore_1250), "1250", true, {}, 1},
      {"the other reserved slot taken",
       risultato(esito_percorso::errore_1251, esito::fuori_dalle_celle, 5, oltre),
       "1251",
       true,
       {},
       1},
      {"a file that cannot be written",
       risultato(esito_percorso::guasto_file, esito::nessuno, 0, {},
                 "impossibile creare \"x\": Permission denied"),
       "",
       false,
       {"impossibile creare \"x\": Permission denied"},
       1},
      {"a model that cannot be written, after an outcome",
       risultato(esito_percorso::non_scrivibile, esito::lunghezza_eccessiva, 0,
                 diagnosi("Vela_Nuro_linea.txt", 2, 24, "lunghezza della linea oltre 1.000.000 m"),
                 "la linea non ha la cella 1"),
       "1",
       false,
       {"Vela_Nuro_linea.txt:2:24: errore: lunghezza della linea oltre 1.000.000 m",
        "nessun file compilato scritto: la linea non ha la cella 1"},
       1},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const rapporto_build fine = rapporto(c.r);
    EXPECT_EQ(fine.errore, c.errore);
    EXPECT_EQ(fine.termina, c.termina);
    EXPECT_EQ(fine.righe, c.righe);
    EXPECT_EQ(fine.stato, c.stato);
  }
}

}  // namespace
}  // namespace scen
