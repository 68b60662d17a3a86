#include "platform/file.h"

#include <gtest/gtest.h>

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
