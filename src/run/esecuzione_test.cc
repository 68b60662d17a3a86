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

}  // namespace
}  // namespace scen
