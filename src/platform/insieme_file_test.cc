#include "platform/insieme_file.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

std::uint64_t impronta_di(std::string_view byte) {
  return aggiorna_impronta(impronta_iniziale, byte);
}

voce_diario voce(const std::string& nome, const std::string& contenuto,
                 const std::string& coda = ".~parziale.1.0000abcd") {
  return {nome, nome + coda, contenuto.size(), impronta_di(contenuto)};
}

TEST(Diario, ItsTextReadsBackAsWritten) {
  const std::vector<voce_diario> voci = {
      voce("Vela_Nuro_linea.dat", "linea"), voce("Vela_Nuro_IC 731.sim", "treno"),
      voce("100%\n\x7f\xe8 %20.dat", ""),  // bytes written as codes
  };
  const std::string testo = testo_diario(voci);
  EXPECT_EQ(testo.substr(0, testo.find('\n')), "insieme di file 1");
  EXPECT_NE(testo.find(" Vela_Nuro_IC%20731.sim Vela_Nuro_IC%20731.sim.~parziale.1.0000abcd\n"),
            std::string::npos)
      << testo;
  std::vector<voce_diario> letti;
  ASSERT_TRUE(leggi_diario(testo, "d", letti).riuscito()) << testo;
  ASSERT_EQ(letti.size(), voci.size());
  for (size_t i = 0; i < voci.size(); ++i) {
    EXPECT_EQ(letti[i].nome, voci[i].nome);
    EXPECT_EQ(letti[i].temporaneo, voci[i].temporaneo);
    EXPECT_EQ(letti[i].byte, voci[i].byte);
    EXPECT_EQ(letti[i].impronta, voci[i].impronta);
  }
}

// A journal is refused unless it is exactly one that testo_diario writes of
// names in its own folder; every refusal names the file and the line.
TEST(Diario, AnyOtherTextIsRefused) {
  auto con_fine = [](std::string corpo) {
    return corpo + "fine " + fmt::format("{:016x}", impronta_di(corpo)) + "\n";
  };
  const std::string intestazione = "insieme di file 1\n";
  const std::string buona = "5 " + fmt::format("{:016x}", impronta_di("linea")) + " ";
  struct caso {
    const char* cosa;
    std::string testo;
  };
  const caso casi[] = {
      {"empty", ""},
      {"no last line", intestazione + buona + "a.dat a.dat.~parziale.1.0000abcd\n"},
      {"cut in the last line",
       con_fine(intestazione + buona + "a a.~parziale.1.0000abcd\n").substr(0, 80)},
      {"no entry", con_fine(intestazione)},
      {"another header", con_fine("insieme di file 2\n" + buona + "a a.~parziale.1.0000abcd\n")},
      {"a wrong hash", intestazione + buona + "a a.~parziale.1.0000abcd\nfine 0000000000000000\n"},
      {"a line after the end",
       con_fine(intestazione + buona + "a a.~parziale.1.0000abcd\n") + "x\n"},
      {"a parent folder", con_fine(intestazione + buona + ".. ...~parziale.1.0000abcd\n")},
      {"a path up", con_fine(intestazione + buona + "../a ../a.~parziale.1.0000abcd\n")},
      {"an absolute path", con_fine(intestazione + buona + "/tmp/a /tmp/a.~parziale.1.0000abcd\n")},
      {"a parent folder as Windows reads it",
       con_fine(intestazione + buona + "..%20 ..%20.~parziale.1.0000abcd\n")},
      {"a name ending in a dot", con_fine(intestazione + buona + "a. a..~parziale.1.0000abcd\n")},
      {"a backslash", con_fine(intestazione + buona + "..\\a ..\\a.~parziale.1.0000abcd\n")},
      {"a NUL", con_fine(intestazione + buona + "a%00b a%00b.~parziale.1.0000abcd\n")},
      {"a slash as a code", con_fine(intestazione + buona + "%2Fa %2Fa.~parziale.1.0000abcd\n")},
      {"a bad code", con_fine(intestazione + buona + "a%2 a%2.~parziale.1.0000abcd\n")},
      {"a temporary of another file",
       con_fine(intestazione + buona + "a b.~parziale.1.0000abcd\n")},
      {"a temporary of the older form", con_fine(intestazione + buona + "a a.~parziale\n")},
      {"the file as its own temporary", con_fine(intestazione + buona + "a a\n")},
      {"the journal replaced",
       con_fine(intestazione + buona + ".~insieme .~insieme.~parziale.1.0000abcd\n")},
      {"a name twice", con_fine(intestazione + buona + "a a.~parziale.1.0000abcd\n" + buona +
                                "a a.~parziale.2.0000abcd\n")},
      {"a size with a sign",
       con_fine(intestazione + "+5 0000000000000000 a a.~parziale.1.0000abcd\n")},
      {"a size too large",
       con_fine(intestazione + "99999999999999999999 0000000000000000 a a.~parziale.1.0000abcd\n")},
      {"a short hash", con_fine(intestazione + "5 00 a a.~parziale.1.0000abcd\n")},
      {"a field too many", con_fine(intestazione + buona + "a a.~parziale.1.0000abcd x\n")},
  };
  for (const caso& c : casi) {
    std::vector<voce_diario> voci;
    const Stato stato = leggi_diario(c.testo, "cartella/.~insieme", voci);
    EXPECT_FALSE(stato.riuscito()) << c.cosa;
    EXPECT_TRUE(voci.empty()) << c.cosa;
    EXPECT_EQ(stato.messaggio().rfind("cartella/.~insieme:", 0), 0u)
        << c.cosa << ": " << stato.messaggio();
  }
}

// A folder with an older set (a, b, c) and a replacement by a new one that a
// killed run left at some step.
class SostituzioneInterrotta : public testing::Test {
 protected:
  const std::vector<std::string> nomi = {"a.dat", "b 1.sim", "b 1.dat"};
  const std::vector<std::string> vecchi = {"linea vecchia", "treno vecchio", "celle vecchie"};
  const std::vector<std::string> nuovi = {"linea nuova!", "treno nuovo!!", "celle nuove!!!"};
  CartellaTemporanea cartella;

  void SetUp() override {
    for (size_t i = 0; i < nomi.size(); ++i) prova::scrivi(cartella.file(nomi[i]), vecchi[i]);
  }
  std::string temporaneo(size_t i) const { return nomi[i] + ".~parziale.1.0000abcd"; }
  std::vector<voce_diario> voci() const {
    std::vector<voce_diario> v;
    for (size_t i = 0; i < nomi.size(); ++i) v.push_back(voce(nomi[i], nuovi[i]));
    return v;
  }
  // The first `rinominati` files in place, the others under their
  // temporary names, and the journal.
  void interrotta(size_t rinominati) {
    for (size_t i = 0; i < nomi.size(); ++i)
      prova::scrivi(cartella.file(i < rinominati ? nomi[i] : temporaneo(i)), nuovi[i]);
    prova::scrivi(cartella.file(".~insieme"), testo_diario(voci()));
  }
  std::vector<std::string> contenuti() const {
    std::vector<std::string> c;
    for (const std::string& nome : nomi) c.push_back(prova::leggi(cartella.file(nome)));
    return c;
  }
  std::string riprendi() {
    std::string detto;
    const Stato stato = riprendi_insieme(cartella.percorso(), detto);
    EXPECT_TRUE(stato.riuscito()) << stato.messaggio();
    return detto;
  }
  std::vector<std::string> soli_file() const {
    std::vector<std::string> ordinati = nomi;
    std::sort(ordinati.begin(), ordinati.end());
    return ordinati;
  }
};

TEST_F(SostituzioneInterrotta, NoJournalNothingDone) {
  prova::scrivi(cartella.file(temporaneo(0)), nuovi[0]);
  EXPECT_EQ(riprendi(), "");
  EXPECT_EQ(contenuti(), vecchi);
  EXPECT_TRUE(std::filesystem::exists(cartella.file(temporaneo(0))));
}

TEST_F(SostituzioneInterrotta, AJournalWithEveryFileWholeIsFinishedAtEveryStep) {
  for (size_t rinominati = 0; rinominati <= nomi.size(); ++rinominati) {
    SetUp();
    interrotta(rinominati);
    const std::string detto = riprendi();
    EXPECT_NE(detto.find("completata la sostituzione di 3 file"), std::string::npos) << detto;
    EXPECT_EQ(contenuti(), nuovi) << rinominati;
    EXPECT_EQ(cartella.elenco(), soli_file()) << rinominati;
  }
}

TEST_F(SostituzioneInterrotta, AFileNotWholeUndoesIt) {
  struct caso {
    const char* cosa;
    size_t rinominati;
    void (*guasta)(const std::string& cartella);
  };
  const caso casi[] = {
      {"a temporary cut short", 0,
       [](const std::string& c) { prova::scrivi(c + "/b 1.sim.~parziale.1.0000abcd", "treno"); }},
      {"a temporary with other bytes", 0,
       [](const std::string& c) {
         prova::scrivi(c + "/b 1.dat.~parziale.1.0000abcd", "celle nuove!!?");
       }},
      {"a temporary gone", 0,
       [](const std::string& c) { std::filesystem::remove(c + "/a.dat.~parziale.1.0000abcd"); }},
      {"a temporary that is a link", 0,
       [](const std::string& c) {
         std::filesystem::rename(c + "/b 1.dat.~parziale.1.0000abcd", c + "/altrove");
         std::filesystem::create_symlink(c + "/altrove", c + "/b 1.dat.~parziale.1.0000abcd");
       }},
  };
  for (const caso& c : casi) {
    for (const std::string& nome : cartella.elenco()) std::filesystem::remove(cartella.file(nome));
    SetUp();
    interrotta(c.rinominati);
    c.guasta(cartella.percorso());
    const std::string detto = riprendi();
    EXPECT_NE(detto.find("sostituzione interrotta annullata"), std::string::npos) << detto;
    EXPECT_NE(detto.find("restano i file precedenti"), std::string::npos) << detto;
    EXPECT_EQ(contenuti(), vecchi) << c.cosa;
    // Only the set, and what was not a temporary file of it.
    std::vector<std::string> restano = cartella.elenco();
    std::erase(restano, "altrove");
    std::erase(restano, "b 1.dat.~parziale.1.0000abcd");  // a link is never removed
    EXPECT_EQ(restano, soli_file()) << c.cosa;
  }
}

TEST_F(SostituzioneInterrotta, UndoneAfterARenameItSaysWhichFilesAreNew) {
  interrotta(1);
  std::filesystem::remove(cartella.file(temporaneo(2)));
  const std::string detto = riprendi();
  EXPECT_NE(detto.find("\"a.dat\" già sostituiti"), std::string::npos) << detto;
  EXPECT_EQ(contenuti(), (std::vector<std::string>{nuovi[0], vecchi[1], vecchi[2]}));
  EXPECT_EQ(cartella.elenco(), soli_file());
}

TEST_F(SostituzioneInterrotta, ADamagedJournalGoesAndNothingElseIsTouched) {
  interrotta(0);
  std::string testo = testo_diario(voci());
  testo[testo.size() / 2] ^= 1;
  prova::scrivi(cartella.file(".~insieme"), testo);
  const std::string detto = riprendi();
  EXPECT_NE(detto.find("diario rimosso"), std::string::npos) << detto;
  EXPECT_FALSE(std::filesystem::exists(cartella.file(".~insieme")));
  EXPECT_EQ(contenuti(), vecchi);
  // The temporaries are left to the removal of abandoned temporary files.
  EXPECT_TRUE(std::filesystem::exists(cartella.file(temporaneo(0))));
}

TEST_F(SostituzioneInterrotta, AJournalNamingFilesOutsideItsFolderTouchesNone) {
  // The journal is in "dentro"; the files it names are beside that folder.
  const std::string dentro = cartella.file("dentro");
  std::filesystem::create_directory(dentro);
  prova::scrivi(cartella.file("fuori.dat.~parziale.1.0000abcd"), "nuovo");
  std::vector<voce_diario> ostili = {
      {"../fuori.dat", "../fuori.dat.~parziale.1.0000abcd", 5, impronta_di("nuovo")}};
  prova::scrivi(dentro + "/.~insieme", testo_diario(ostili));
  std::string detto;
  ASSERT_TRUE(riprendi_insieme(dentro, detto).riuscito());
  EXPECT_NE(detto.find("un nome esce dalla cartella del diario"), std::string::npos) << detto;
  EXPECT_EQ(prova::leggi(cartella.file("fuori.dat.~parziale.1.0000abcd")), "nuovo");
  EXPECT_FALSE(std::filesystem::exists(cartella.file("fuori.dat")));
  EXPECT_TRUE(std::filesystem::is_empty(dentro));
}

TEST_F(SostituzioneInterrotta, AJournalThatIsALinkIsNeitherReadNorFollowed) {
  const std::string altrove = cartella.file("altrove");
  interrotta(0);
  std::filesystem::rename(cartella.file(".~insieme"), altrove);
  std::filesystem::create_symlink(altrove, cartella.file(".~insieme"));
  const std::string detto = riprendi();
  EXPECT_NE(detto.find("non è un file"), std::string::npos) << detto;
  EXPECT_EQ(contenuti(), vecchi);
  EXPECT_TRUE(std::filesystem::exists(altrove));
}

TEST(InsiemeNuovo, ReplacesEveryFileAndLeavesNothingElse) {
  CartellaTemporanea cartella;
  prova::scrivi(cartella.file("a"), "vecchio");
  insieme_nuovo insieme(cartella.percorso());
  for (const char* nome : {"a", "b c"}) {
    file_nuovo& f = insieme.aggiungi(nome);
    ASSERT_TRUE(f.apri().riuscito());
    ASSERT_TRUE(f.scrivi(std::string("nuovo ") + nome).riuscito());
    ASSERT_TRUE(f.chiudi().riuscito());
  }
  EXPECT_EQ(prova::leggi(cartella.file("a")), "vecchio");
  ASSERT_TRUE(insieme.completa().riuscito());
  EXPECT_EQ(prova::leggi(cartella.file("a")), "nuovo a");
  EXPECT_EQ(prova::leggi(cartella.file("b c")), "nuovo b c");
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"a", "b c"}));
}

// The first rename failing (its target is a folder) leaves the older files,
// and no temporary file or journal.
TEST(InsiemeNuovo, AFailureBeforeAnyFileIsReplacedLeavesTheOlderSet) {
  CartellaTemporanea cartella;
  std::filesystem::create_directory(cartella.file("a"));
  prova::scrivi(cartella.file("a/dentro"), "");
  prova::scrivi(cartella.file("b"), "vecchio");
  Stato stato;
  {
    insieme_nuovo insieme(cartella.percorso());
    for (const char* nome : {"a", "b"}) {
      file_nuovo& f = insieme.aggiungi(nome);
      ASSERT_TRUE(f.apri().riuscito());
      ASSERT_TRUE(f.scrivi("nuovo").riuscito());
    }
    stato = insieme.completa();
  }
  EXPECT_FALSE(stato.riuscito());
  EXPECT_NE(stato.messaggio().find("impossibile sostituire"), std::string::npos);
  EXPECT_EQ(prova::leggi(cartella.file("b")), "vecchio");
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"a", "b"}));
}

// Dropped before `completa`, a set leaves nothing of itself.
TEST(InsiemeNuovo, DroppedItLeavesNoTemporary) {
  CartellaTemporanea cartella;
  {
    insieme_nuovo insieme(cartella.percorso());
    file_nuovo& f = insieme.aggiungi("a");
    ASSERT_TRUE(f.apri().riuscito());
    ASSERT_TRUE(f.scrivi("nuovo").riuscito());
    ASSERT_TRUE(f.chiudi().riuscito());
    EXPECT_EQ(cartella.elenco().size(), 1u);
  }
  EXPECT_TRUE(cartella.elenco().empty());
}

}  // namespace
}  // namespace scen
