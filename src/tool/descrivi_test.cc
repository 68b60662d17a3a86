// `scenario descrivi`, `scenario compila --utf8`, `--version` and the bare
// command, as their users run them: the built programs, in folders of their
// own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "content/dati_incorporati.h"
#include "platform/windows1252.h"
#include "testing/descrizioni_prova.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"
#include "testing/scansione.h"
#include "tool/testi_aiuto.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

const std::string descrizione_linea = "Vela_Nuro_linea.txt";
const std::string descrizione_treno = "Vela_Nuro_IC 731-.txt";
const std::string note = "Vela_Nuro_IC 731_note.txt";
const std::string rallentamenti = "Vela_Nuro_IC 731_rallentamenti.txt";
const std::string scheda = "Vela_Nuro_IC 731_scheda_treno.txt";
const std::vector<std::string> compilati = {"Vela_Nuro_linea.dat", "Vela_Nuro_IC 731.sim",
                                            "Vela_Nuro_IC 731.dat"};

using file_cartella = std::map<std::string, std::string>;  // name -> bytes

// The files in `cartella`; a folder in it is listed with the bytes "(cartella)".
file_cartella contenuto(const std::string& cartella) {
  file_cartella file;
  for (const auto& voce : std::filesystem::directory_iterator(cartella))
    file[voce.path().filename().string()] =
        voce.is_directory() ? "(cartella)" : leggi(voce.path().string());
  return file;
}

// What `compilatore` leaves in its folder: the three crew documents and the
// three compiled files. Run once for every test here.
const file_cartella& dal_compilatore() {
  static const file_cartella file = [] {
    CartellaTemporanea cartella;
    prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
    const prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
    EXPECT_EQ(esito.stato, 0) << esito.errori;
    file_cartella trovati = contenuto(cartella.percorso());
    trovati.erase("compilatore");
    return trovati;
  }();
  return file;
}

// The carried text of a description as it is kept: UTF-8, LF after every line.
std::string portato(std::string_view nome) {
  for (const DatoIncorporato& dato : dati_incorporati())
    if (dato.nome == nome) return std::string(dato.testo);
  ADD_FAILURE() << "no carried " << nome;
  return "";
}

// The same in the readers' form: Windows-1252, CR LF after every line.
std::string portato_1252(std::string_view nome) {
  std::string crlf;
  for (char c : portato(nome)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return utf8_a_1252(crlf).value_or("(non in Windows-1252)");
}

std::string con_lf(std::string testo) {
  for (size_t i = 0; (i = testo.find("\r\n", i)) != std::string::npos;) testo.erase(i, 1);
  return testo;
}

std::string sostituito(std::string testo, const std::string& prima, const std::string& dopo) {
  const size_t dove = testo.find(prima);
  EXPECT_NE(dove, std::string::npos) << prima;
  if (dove != std::string::npos) testo.replace(dove, prima.size(), dopo);
  return testo;
}

// A working folder with an empty folder `tmp` for the tool's temporary files.
class Strumento : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    std::filesystem::create_directory(cartella.file("tmp"));
  }

  prova::Esito scenario(const std::vector<std::string>& argomenti) {
    return prova::esegui("TMPDIR=" + prova::tra_apici(cartella.file("tmp")) + " " +
                             prova::riga_comando(SCEN_SCENARIO, argomenti),
                         cartella.percorso());
  }

  // A new folder in the working folder; its path.
  std::string nuova(const std::string& nome) {
    std::filesystem::create_directory(cartella.file(nome));
    return cartella.file(nome);
  }

  void nessun_temporaneo() const { EXPECT_TRUE(std::filesystem::is_empty(cartella.file("tmp"))); }

  CartellaTemporanea cartella;
};

using Descrivi = Strumento;

TEST_F(Descrivi, ScriveIFileDelCompilatoreByteperByte) {
  const std::string d = nuova("d");
  // Older, longer files of the same names are replaced whole.
  prova::scrivi(d + "/" + descrizione_linea, std::string(20000, 'x'));
  prova::scrivi(d + "/" + note, std::string(5000, 'x'));

  const prova::Esito esito = scenario({"descrivi", "d"});
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.uscita,
            descrizione_linea + ": la descrizione della linea (Windows-1252, CR LF)\n" +
                descrizione_treno + ": la descrizione del treno (Windows-1252, CR LF)\n" + note +
                ": le note\n" + rallentamenti + ": l'ordine dei rallentamenti\n" + scheda +
                ": la scheda del treno\n");
  EXPECT_EQ(esito.errori, "");
  const file_cartella scritti = contenuto(d);
  ASSERT_EQ(scritti.size(), 5u);

  for (const std::string& documento : {note, rallentamenti, scheda}) {
    ASSERT_TRUE(dal_compilatore().count(documento)) << documento;
    EXPECT_TRUE(scritti.at(documento) == dal_compilatore().at(documento)) << documento;
  }
  EXPECT_TRUE(scritti.at(descrizione_linea) == portato_1252("linea"));
  EXPECT_TRUE(scritti.at(descrizione_treno) == portato_1252("treno"));
  // The line file as the build run writes it: 537 lines, 16,209 bytes.
  EXPECT_EQ(scritti.at(descrizione_linea).size(), 16209u);
  nessun_temporaneo();
}

TEST_F(Descrivi, InUtf8LeDescrizioniSonoIlContenutoPortato) {
  const std::string d = nuova("d");
  prova::scrivi(d + "/" + descrizione_treno, std::string(20000, 'x'));
  const prova::Esito esito = scenario({"descrivi", "d", "--utf8"});
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.uscita,
            descrizione_linea + ": la descrizione della linea (UTF-8, LF)\n" + descrizione_treno +
                ": la descrizione del treno (UTF-8, LF)\n" + note + ": le note\n" + rallentamenti +
                ": l'ordine dei rallentamenti\n" + scheda + ": la scheda del treno\n");
  EXPECT_EQ(esito.errori, "");
  const file_cartella scritti = contenuto(d);
  ASSERT_EQ(scritti.size(), 5u);

  EXPECT_TRUE(scritti.at(descrizione_linea) == portato("linea"));
  EXPECT_TRUE(scritti.at(descrizione_treno) == portato("treno"));
  EXPECT_EQ(scritti.at(descrizione_linea).size(), 16209u - 537u);
  // The crew documents as always.
  for (const std::string& documento : {note, rallentamenti, scheda})
    EXPECT_TRUE(scritti.at(documento) == dal_compilatore().at(documento)) << documento;
  nessun_temporaneo();
}

TEST_F(Descrivi, LeDescrizioniScritteSiCompilanoComeFaIlCompilatore) {
  struct caso {
    std::vector<std::string> descrivi;
    std::vector<std::string> compila;
  };
  const caso casi[] = {
      {{"descrivi", "d"}, {}},
      {{"descrivi", "d", "--utf8"}, {"--utf8"}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.descrivi));
    std::filesystem::remove_all(cartella.file("d"));
    std::filesystem::remove_all(cartella.file("uscita"));
    nuova("d");
    const std::string uscita = nuova("uscita");
    ASSERT_EQ(scenario(c.descrivi).stato, 0);

    std::vector<std::string> argomenti = {"compila", "d/" + descrizione_linea,
                                          "d/" + descrizione_treno, "uscita"};
    argomenti.insert(argomenti.end(), c.compila.begin(), c.compila.end());
    const prova::Esito esito = scenario(argomenti);
    EXPECT_EQ(esito.stato, 0) << esito.errori;
    EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
    const file_cartella scritti = contenuto(uscita);
    EXPECT_EQ(scritti.size(), compilati.size());
    for (const std::string& nome : compilati) {
      ASSERT_TRUE(scritti.count(nome) && dal_compilatore().count(nome)) << nome;
      EXPECT_TRUE(scritti.at(nome) == dal_compilatore().at(nome)) << nome;
    }
    nessun_temporaneo();
  }
}

TEST_F(Descrivi, UnaCartellaOUnFileCheNonSiPossonoUsare) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string occupato;  // a folder where this file goes, if any
    std::string messaggio;
    std::vector<std::string> scritti;  // what is in d/ afterwards
  };
  prova::scrivi(cartella.file("file.txt"), "x");
  const caso casi[] = {
      {{"descrivi", "manca"},
       "",
       "la cartella di uscita \"manca\" non esiste o non è una cartella",
       {}},
      {{"descrivi", "file.txt", "--utf8"},
       "",
       "la cartella di uscita \"file.txt\" non esiste o non è una cartella",
       {}},
      {{"descrivi", "d"},
       note,
       "impossibile sostituire \"d/" + note + "\": è una cartella (Is a directory)",
       {descrizione_treno, note, descrizione_linea}},
      {{"descrivi", "d", "--utf8"},
       descrizione_linea,
       "impossibile sostituire \"d/" + descrizione_linea + "\": è una cartella (Is a directory)",
       {descrizione_linea}},
      {{"descrivi", "d", "--utf8"},
       scheda,
       "impossibile sostituire \"d/" + scheda + "\": è una cartella (Is a directory)",
       {descrizione_treno, note, rallentamenti, scheda, descrizione_linea}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    std::filesystem::remove_all(cartella.file("d"));
    const std::string d = nuova("d");
    if (!c.occupato.empty()) std::filesystem::create_directory(d + "/" + c.occupato);

    const prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, c.messaggio + "\n");
    std::vector<std::string> trovati;
    for (const auto& [nome, byte] : contenuto(d)) trovati.push_back(nome);
    EXPECT_EQ(trovati, c.scritti);
    nessun_temporaneo();
  }
}

TEST_F(Descrivi, UsoNonValido) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string messaggio;
  };
  nuova("d");
  const caso casi[] = {
      {{"descrivi"}, "scenario: descrivi: serve CARTELLA"},
      {{"descrivi", "--utf8"}, "scenario: descrivi: serve CARTELLA"},
      {{"descrivi", "d", "altro"},
       "scenario: descrivi: argomenti o opzioni non previsti: \"altro\""},
      {{"descrivi", "d", "--veloce"},
       "scenario: descrivi: argomenti o opzioni non previsti: \"--veloce\""},
      {{"descrivi", "d", "compila", "a", "b", "c"},
       "scenario: descrivi: argomenti o opzioni non previsti: \"compila\", \"a\", \"b\", \"c\""},
      {{"compila", "a", "b", "c", "descrivi", "d"},
       "scenario: compila: argomenti o opzioni non previsti: \"descrivi\", \"d\""},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    const prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, c.messaggio + "\nPer l'aiuto: scenario --help\n");
  }
  EXPECT_TRUE(std::filesystem::is_empty(cartella.file("d")));
}

TEST_F(Strumento, AiutoVersioneESenzaComando) {
  const prova::Esito aiuto = scenario({"--help"});
  EXPECT_EQ(aiuto.stato, 0);
  for (std::string_view parte :
       {std::string_view("descrivi"), aiuto_descrivi, std::string_view("--version")})
    EXPECT_NE(aiuto.uscita.find(parte), std::string::npos) << parte;
  // The general help ends by saying where each command's is, not with one
  // command's manual.
  EXPECT_TRUE(aiuto.uscita.ends_with("\n  scenario COMANDO --help\n\n")) << aiuto.uscita;
  EXPECT_EQ(aiuto.uscita.find("Stato di uscita:"), std::string::npos);

  // The line that names a record where reading stopped has its column, in
  // each help that tells it.
  for (const char* comando : {"compila", "disegna"}) {
    const prova::Esito e = scenario({comando, "--help"});
    EXPECT_NE(e.uscita.find("\"FILE:RIGA:COLONNA: errore: causa\""), std::string::npos) << comando;
    EXPECT_EQ(e.uscita.find("FILE:RIGA: "), std::string::npos) << comando;
  }

  // No command: the same help, but nothing was done.
  const prova::Esito senza = scenario({});
  EXPECT_EQ(senza.stato, 2);
  EXPECT_EQ(senza.uscita, aiuto.uscita);
  EXPECT_EQ(senza.errori, "");

  const prova::Esito descrivi = scenario({"descrivi", "--help"});
  EXPECT_EQ(descrivi.stato, 0);
  for (std::string_view parte : {std::string_view("Uso: scenario descrivi [OPZIONI] CARTELLA"),
                                 std::string_view("--utf8"), aiuto_descrivi_piede})
    EXPECT_NE(descrivi.uscita.find(parte), std::string::npos) << parte;

  const prova::Esito compila = scenario({"compila", "--help"});
  EXPECT_EQ(compila.stato, 0);
  for (const char* parte : {"--utf8", "[--senza-linea] [--utf8]\n"})
    EXPECT_NE(compila.uscita.find(parte), std::string::npos) << parte;

  const prova::Esito versione = scenario({"--version"});
  EXPECT_EQ(versione.stato, 0);
  EXPECT_EQ(versione.errori, "");
  prova::Scansione riga(versione.uscita);
  riga.testo("scenario ");
  for (const char* dopo : {".", ".", "\n"}) {
    riga.cifre();
    riga.testo(dopo);
  }
  EXPECT_TRUE(riga.finita()) << versione.uscita;
}

// `compila --utf8`: the test descriptions given in UTF-8 in every form an
// editor may save them read as their Windows-1252 CR LF form does.
class CompilaUtf8 : public Strumento {
 protected:
  struct risultato {
    prova::Esito esito;
    file_cartella scritti;
  };

  risultato compila(const std::string& linea, const std::string& treno,
                    const std::vector<std::string>& opzioni) {
    std::filesystem::remove_all(cartella.file("uscita"));
    const std::string uscita = nuova("uscita");
    prova::scrivi(cartella.file("linea.txt"), linea);
    prova::scrivi(cartella.file("treno.txt"), treno);
    std::vector<std::string> argomenti = {"compila", "linea.txt", "treno.txt", "uscita"};
    argomenti.insert(argomenti.end(), opzioni.begin(), opzioni.end());
    risultato r{scenario(argomenti), contenuto(uscita)};
    // The given files are never touched.
    EXPECT_EQ(leggi(cartella.file("linea.txt")), linea);
    EXPECT_EQ(leggi(cartella.file("treno.txt")), treno);
    nessun_temporaneo();
    return r;
  }
};

TEST_F(CompilaUtf8, OgniFormaDelleRigheSiLeggeComeCrLf) {
  struct descrizioni {
    const char* cosa;
    std::string linea, treno;  // Windows-1252, CR LF
    int stato;                 // the exit status of both runs
  };
  // A station name with an accent; a code reduction on a taken cell, so that
  // the line of the diagnosis counts too.
  const std::string treno_accento = sostituito(prova::treno_prova, "Nuro", "Nur\xf2");
  const descrizioni coppie[] = {
      {"valid", prova::linea_prova, treno_accento, 0},
      {"outcome 7", prova::linea_prova,
       sostituito(treno_accento, "abbattimento,    6050", "abbattimento,     450"), 1},
  };
  struct forma {
    const char* cosa;
    std::string (*da_crlf)(const std::string&);
  };
  const forma forme[] = {
      {"LF", [](const std::string& t) { return con_lf(t); }},
      {"CR LF", [](const std::string& t) { return t; }},
      {"CR",
       [](const std::string& t) {
         std::string cr = con_lf(t);
         for (char& c : cr)
           if (c == '\n') c = '\r';
         return cr;
       }},
      {"byte-order mark, LF, no last line end",
       [](const std::string& t) {
         std::string lf = "\xef\xbb\xbf" + con_lf(t);
         lf.pop_back();
         return lf;
       }},
  };
  for (const descrizioni& d : coppie) {
    const risultato atteso = compila(d.linea, d.treno, {});
    EXPECT_EQ(atteso.esito.stato, d.stato) << atteso.esito.errori;
    EXPECT_EQ(atteso.scritti.size(), 3u);
    for (const forma& f : forme) {
      SCOPED_TRACE(std::string(d.cosa) + ", " + f.cosa);
      const std::string linea = f.da_crlf(da_1252_a_utf8(d.linea));
      const std::string treno = f.da_crlf(da_1252_a_utf8(d.treno));
      ASSERT_NE(treno.find("Nur\xc3\xb2"), std::string::npos);
      const risultato r = compila(linea, treno, {"--utf8"});
      EXPECT_EQ(r.esito.stato, atteso.esito.stato);
      EXPECT_EQ(r.esito.uscita, atteso.esito.uscita);
      EXPECT_EQ(r.esito.errori, atteso.esito.errori);
      EXPECT_TRUE(r.scritti == atteso.scritti);
    }
  }
}

TEST_F(CompilaUtf8, CioCheNonSiPuoConvertireNonCompilaNulla) {
  struct caso {
    std::string linea, treno;  // UTF-8, LF
    std::string messaggio;
  };
  const std::string linea = con_lf(prova::linea_prova);
  const std::string treno = con_lf(prova::treno_prova);
  const caso casi[] = {
      {sostituito(linea, "(  Cippo  )", "(  Cippo \xe2\x86\x92)"), treno,
       "linea.txt:22:40: errore: il carattere «→» (U+2192) non ha una forma in Windows-1252"},
      {linea, sostituito(treno, "Nuro", "Nur\xf2"),
       "treno.txt:13:76: errore: il byte 0xF2 non inizia un carattere UTF-8 valido"},
      // Both: the line file is the first to be read.
      {sostituito(linea, "[fine]", "[fine]\xef\xbb\xbf"), sostituito(treno, "Vela", "\xff"),
       "linea.txt:23:7: errore: il carattere «\ufeff» (U+FEFF) non ha una forma in "
       "Windows-1252"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.messaggio);
    const risultato r = compila(c.linea, c.treno, {"--utf8"});
    EXPECT_EQ(r.esito.stato, 2);
    EXPECT_EQ(r.esito.uscita, "");
    EXPECT_EQ(r.esito.errori, c.messaggio + "\n");
    EXPECT_TRUE(r.scritti.empty());
  }
}

}  // namespace
}  // namespace scen
