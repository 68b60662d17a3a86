#include "run/esecuzione.h"

#include <gtest/gtest.h>

#include "testing/processo.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(Esecuzione, OutcomeTextCarriesThePositionOnlyWhereOneApplies) {
  modello m;
  m.errore_codice = 15;
  m.errore_posizione = 340100;
  EXPECT_EQ(testo_esito(m), "15 alla posizione 340100");
  m.errore_codice = 10;
  EXPECT_EQ(testo_esito(m), "10");
  m.errore_codice = 25;
  EXPECT_EQ(testo_esito(m), "25");
  m.errore_codice = 13;
  m.errore_posizione = 0;
  EXPECT_EQ(testo_esito(m), "13 alla posizione 0");
}

TEST(Esecuzione, AFirstFileThatCannotBeCreatedEndsTheRunWithNothingWritten) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  std::filesystem::create_directory(cartella.file("Vela_Nuro_linea.txt"));
  prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, "impossibile sostituire \"" + cartella.file("Vela_Nuro_linea.txt") +
                              "\": Is a directory\n");
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"Vela_Nuro_linea.txt", "compilatore"}));
}

}  // namespace
}  // namespace scen
