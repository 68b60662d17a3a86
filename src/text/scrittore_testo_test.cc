#include "text/scrittore_testo.h"

#include <gtest/gtest.h>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

TEST(ScrittoreTesto, WritesEveryEntryExactlyWithCrLf) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.txt");
  ASSERT_TRUE(scrivi_tabella(file, chiudi_tabella({"[generale]", "  due blanchi  ", "", "   ",
                                                   "citt\xc3\xa0"}))
                  .riuscito());
  EXPECT_EQ(leggi(file), "[generale]\r\n  due blanchi  \r\n\r\n   \r\ncitt\xe0\r\n");
}

TEST(ScrittoreTesto, StopsAtTheEndMarker) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.txt");
  ASSERT_TRUE(scrivi_tabella(file, {"uno", fine_del_file, "mai scritta"}).riuscito());
  EXPECT_EQ(leggi(file), "uno\r\n");
  // The marker in entry 0 gives an empty file.
  ASSERT_TRUE(scrivi_tabella(file, {fine_del_file, "mai scritta"}).riuscito());
  EXPECT_EQ(leggi(file), "");
  // Only the exact text is the marker.
  ASSERT_TRUE(scrivi_tabella(file, chiudi_tabella({"Riferimento fine del file"})).riuscito());
  EXPECT_EQ(leggi(file), "Riferimento fine del file\r\n");
}

TEST(ScrittoreTesto, ReplacesALongerOlderFileWhole) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.txt");
  prova::scrivi(file, std::string(5000, 'x'));
  ASSERT_TRUE(scrivi_tabella(file, chiudi_tabella({"corta"})).riuscito());
  EXPECT_EQ(leggi(file), "corta\r\n");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"a.txt"});
}

TEST(ScrittoreTesto, HoldsAtMostAThousandLines) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.txt");
  ASSERT_TRUE(scrivi_tabella(file, chiudi_tabella(std::vector<std::string>(1000, "r"))).riuscito());
  EXPECT_EQ(leggi(file).size(), 3000u);

  Stato stato = scrivi_tabella(file, chiudi_tabella(std::vector<std::string>(1001, "r")));
  EXPECT_EQ(stato.messaggio(), "\"" + file + "\": tabella di oltre 1000 righe");
  EXPECT_EQ(leggi(file).size(), 3000u);  // the older file stays whole
}

TEST(ScrittoreTesto, RefusesACharacterWithoutAWindows1252Byte) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.txt");
  Stato stato = scrivi_tabella(file, chiudi_tabella({"ok", "freccia \xe2\x86\x92"}));
  EXPECT_EQ(stato.messaggio(),
            "\"" + file + "\": riga 2, carattere 9: carattere senza codice Windows-1252");
  EXPECT_TRUE(cartella.elenco().empty());
}

TEST(ScrittoreTesto, AFolderThatCannotBeWrittenLeavesNothingBehind) {
  CartellaTemporanea cartella;
  const std::string assente = cartella.file("manca/a.txt");
  Stato stato = scrivi_tabella(assente, chiudi_tabella({"x"}));
  EXPECT_EQ(stato.messaggio(), "impossibile creare \"" + assente +
                                   "\": file o cartella inesistente (No such file or directory)");

  // A name held by a folder cannot be replaced: the bytes written so far go.
  std::filesystem::create_directory(cartella.file("occupato"));
  stato = scrivi_tabella(cartella.file("occupato"), chiudi_tabella({"x"}));
  EXPECT_EQ(stato.messaggio(), "impossibile sostituire \"" + cartella.file("occupato") +
                                   "\": è una cartella (Is a directory)");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"occupato"});
}

}  // namespace
}  // namespace scen
