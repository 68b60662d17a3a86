#include "run/esecuzione.h"

#include <gtest/gtest.h>

#include "testing/processo.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(Esecuzione, AFirstFileThatCannotBeCreatedEndsTheRunWithNothingWritten) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  std::filesystem::create_directory(cartella.file("Vela_Nuro_linea.txt"));
  prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, "impossibile sostituire \"" + cartella.file("Vela_Nuro_linea.txt") +
                              "\": è una cartella (Is a directory)\n");
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"Vela_Nuro_linea.txt", "compilatore"}));
}

TEST(Esecuzione, TheHelpIsAllThatHelpDoes) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito = prova::esegui("./compilatore --help", cartella.percorso());
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.uscita.rfind("uso: compilatore\n\nScrive nella cartella del programma", 0), 0u)
      << esito.uscita;
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"compilatore"});
}

}  // namespace
}  // namespace scen
