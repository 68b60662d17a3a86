#include "platform/file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(FileNuovo, TheOlderFileStaysWholeUntilTheNewOneIsComplete) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.dat");
  prova::scrivi(file, "vecchio contenuto");
  {
    file_nuovo nuovo(file);
    ASSERT_TRUE(nuovo.apri().riuscito());
    ASSERT_TRUE(nuovo.scrivi("nuo").riuscito());
    EXPECT_EQ(prova::leggi(file), "vecchio contenuto");
    // Dropped before it is complete: the work so far goes, the older file stays.
  }
  EXPECT_EQ(prova::leggi(file), "vecchio contenuto");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"a.dat"});

  file_nuovo nuovo(file);
  ASSERT_TRUE(nuovo.apri().riuscito());
  ASSERT_TRUE(nuovo.scrivi("nuo").riuscito());
  ASSERT_TRUE(nuovo.scrivi("vo").riuscito());
  ASSERT_TRUE(nuovo.completa().riuscito());
  EXPECT_EQ(prova::leggi(file), "nuovo");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"a.dat"});
}

TEST(FileNuovo, TheTemporaryFileHasANameOfThisRun) {
  CartellaTemporanea cartella;
  file_nuovo nuovo(cartella.file("a.dat"));
  ASSERT_TRUE(nuovo.apri().riuscito());
  const std::vector<std::string> nomi = cartella.elenco();
  ASSERT_EQ(nomi.size(), 1u);
  const std::string inizio = "a.dat.~parziale." + std::to_string(::getpid()) + ".";
  EXPECT_EQ(nomi[0].substr(0, inizio.size()), inizio);
  EXPECT_TRUE(e_nome_temporaneo(nomi[0])) << nomi[0];
}

TEST(File, TheNamesOfTemporaryFiles) {
  struct caso {
    const char* nome;
    bool temporaneo;
  };
  const caso casi[] = {
      {"Vela_Nuro_linea.dat.~parziale.12345.0badcafe", true},
      {"Vela_Nuro_IC 731.sim.~parziale.1.00000000", true},
      {"a.~parziale", true},  // as older versions named them
      {"a.~parziale.~parziale.7.ffffffff", true},
      {".~parziale", false},  // no target name
      {".~parziale.1.00000000", false},
      {"a.~parziale.", false},
      {"a.~parziale.1", false},
      {"a.~parziale.1.", false},
      {"a.~parziale..00000000", false},
      {"a.~parziale.x1.00000000", false},
      {"a.~parziale.1.0badcaf", false},
      {"a.~parziale.1.0badcafe0", false},
      {"a.~parziale.1.0BADCAFE", false},
      {"a.~parziale.1.0badcafe.txt", false},
      {"note.~parziale.txt", false},
      {"a.~parzial", false},
      {"a.dat", false},
  };
  for (const caso& c : casi) EXPECT_EQ(e_nome_temporaneo(c.nome), c.temporaneo) << c.nome;
}

TEST(File, ReadingAMissingFileNamesIt) {
  CartellaTemporanea cartella;
  std::string contenuto = "resta";
  Stato stato = leggi_file(cartella.file("manca"), contenuto);
  EXPECT_EQ(stato.messaggio(), "impossibile aprire \"" + cartella.file("manca") +
                                   "\": file o cartella inesistente (No such file or directory)");
  EXPECT_FALSE(esiste(cartella.file("manca")));
  EXPECT_TRUE(elimina_file(cartella.file("manca")).riuscito());
}

}  // namespace
}  // namespace scen
