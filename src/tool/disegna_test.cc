// `scenario disegna` as its users run it: the built program on the carried
// scenario, its descriptions and its compiled files, in a folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/cartella_temporanea.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"
#include "testing/xml_minimo.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

const std::string linea = "Vela_Nuro_linea.txt";
const std::string treno = "Vela_Nuro_IC 731-.txt";
const std::string riga_portata =
    ": 334,0 km, 45 stazioni (45 nominate sulla pianta), 179 segnali, 2 rallentamenti\n";

// A folder with the carried descriptions and crew documents, and their
// compiled files in "compilati".
class Disegna : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    ASSERT_EQ(scenario({"descrivi", "."}).stato, 0);
    std::filesystem::create_directory(cartella.file("compilati"));
    ASSERT_EQ(scenario({"compila", linea, treno, "compilati"}).stato, 0);
    prima = cartella.elenco();
  }

  prova::Esito scenario(const std::vector<std::string>& argomenti) {
    return prova::esegui(prova::riga_comando(SCEN_SCENARIO, argomenti), cartella.percorso());
  }

  // The names that a run added to the folder.
  std::vector<std::string> nuovi() const {
    std::vector<std::string> n;
    for (const std::string& nome : cartella.elenco())
      if (std::find(prima.begin(), prima.end(), nome) == prima.end()) n.push_back(nome);
    return n;
  }

  CartellaTemporanea cartella;
  std::vector<std::string> prima;
};

TEST_F(Disegna, LeDescrizioniELaCartellaCompilataDannoLoStessoDisegno) {
  const std::string linea_prima = leggi(cartella.file(linea));
  prova::Esito coppia = scenario({"disegna", linea, treno});
  EXPECT_EQ(coppia.errori, "");
  EXPECT_EQ(coppia.uscita, "Vela_Nuro_linea.svg" + riga_portata);
  EXPECT_EQ(coppia.stato, 0);
  EXPECT_EQ(nuovi(), std::vector<std::string>{"Vela_Nuro_linea.svg"});
  EXPECT_EQ(leggi(cartella.file(linea)), linea_prima) << "the descriptions are not touched";
  const std::string svg = leggi(cartella.file("Vela_Nuro_linea.svg"));
  const auto radice = prova::leggi_xml(svg);
  EXPECT_EQ(radice->nome, "svg");
  EXPECT_NE(radice->con_id("pianta"), nullptr);
  EXPECT_NE(radice->con_id("profilo"), nullptr);

  prova::Esito compilati = scenario({"disegna", "compilati"});
  EXPECT_EQ(compilati.errori, "");
  EXPECT_EQ(compilati.uscita, "Vela_Nuro.svg" + riga_portata);
  EXPECT_EQ(compilati.stato, 0);
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro.svg")), svg);

  // From UTF-8 descriptions, the same again.
  std::filesystem::create_directory(cartella.file("utf8"));
  ASSERT_EQ(scenario({"descrivi", "utf8", "--utf8"}).stato, 0);
  prova::Esito utf8 = scenario(
      {"disegna", "utf8/" + linea, "utf8/" + treno, "--utf8", "--uscita", "utf8/disegno.svg"});
  EXPECT_EQ(utf8.errori, "");
  EXPECT_EQ(utf8.uscita, "utf8/disegno.svg" + riga_portata);
  EXPECT_EQ(leggi(cartella.file("utf8/disegno.svg")), svg);
}

TEST_F(Disegna, LaPaginaHaLoStessoDisegnoEIlSuoScript) {
  prova::Esito esito = scenario({"disegna", "compilati", "--uscita", "linea.html"});
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(esito.uscita, "linea.html" + riga_portata);
  EXPECT_EQ(esito.stato, 0);
  ASSERT_EQ(scenario({"disegna", "compilati", "--uscita", "linea.svg"}).stato, 0);
  const std::string pagina = leggi(cartella.file("linea.html"));
  EXPECT_EQ(pagina.rfind("<!DOCTYPE html>\n<html lang=\"it\">", 0), 0u);
  // The picture's elements, in two documents: the plan's and the profile's.
  const std::string svg = leggi(cartella.file("linea.svg"));
  std::size_t da = 0;
  for (int riga = 0; riga < 3; ++riga) da = svg.find('\n', da) + 1;  // <svg>, <title>, <rect>
  const std::string dentro = svg.substr(da, svg.rfind("</svg>") - da);
  const std::size_t profilo = dentro.find("  <g id=\"profilo\"");
  ASSERT_NE(profilo, std::string::npos);
  EXPECT_NE(pagina.find(dentro.substr(0, profilo) + "</svg>"), std::string::npos);
  EXPECT_NE(pagina.find(dentro.substr(profilo) + "</svg>"), std::string::npos);
  EXPECT_LT(pagina.find("id=\"disegno-profilo\""), pagina.find("id=\"disegno-pianta\""));
  EXPECT_NE(pagina.find("document.body.dataset.pronto = \"si\""), std::string::npos);
  EXPECT_EQ(pagina.substr(pagina.size() - 8), "</html>\n");
}

TEST_F(Disegna, FileCompilatiSenzaLaLineaDannoIlProfiloSenzaLaPianta) {
  std::filesystem::create_directory(cartella.file("senza"));
  ASSERT_EQ(scenario({"compila", linea, treno, "senza", "--senza-linea"}).stato, 0);
  prova::Esito esito = scenario({"disegna", "senza", "--uscita", "senza.svg"});
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(esito.uscita,
            "senza.svg: 334,0 km, 45 stazioni (0 nominate sulla pianta), 179 "
            "segnali, 2 rallentamenti\n");
  EXPECT_EQ(esito.stato, 0);
  const auto svg = prova::leggi_xml(leggi(cartella.file("senza.svg")));
  EXPECT_EQ(svg->con_id("linea"), nullptr);
  EXPECT_EQ(svg->con_id("pianta")->figli.back()->testo,
            "pianta non disponibile: lo scenario non ha il tracciato della linea");
  EXPECT_EQ(svg->con_id("nomi-profilo")->figli.size(), 45u);
}

TEST_F(Disegna, UnDisegnoGiaPresenteVieneSostituito) {
  prova::scrivi(cartella.file("vecchio.svg"), std::string(500000, 'x'));
  ASSERT_EQ(scenario({"disegna", "compilati", "--uscita", "vecchio.svg"}).stato, 0);
  EXPECT_NO_THROW(prova::leggi_xml(leggi(cartella.file("vecchio.svg"))));
}

TEST_F(Disegna, IngressiCheNonSiPossonoLeggere) {
  struct caso {
    std::vector<std::string> argomenti;
    int stato;
    std::string errori;
  };
  std::filesystem::create_directory(cartella.file("vuota"));
  prova::scrivi(
      cartella.file("rotta.txt"),
      "[generale]\r\nlunghezza percorso,    10000\r\n[pendenze]\r\npendenza, 99999999999, 1\r\n");
  const std::string fermata =
      "la lettura si è fermata: nessun disegno scritto (scenario verifica elenca tutti i "
      "problemi)\n";
  const caso casi[] = {
      {{"disegna", "manca"}, 2, "manca: la cartella non esiste\n"},
      {{"disegna", "vuota"}, 2, "vuota: nessun treno compilato (un file .sim)\n"},
      {{"disegna", "manca.txt", treno},
       2,
       "impossibile aprire \"manca.txt\": file o cartella inesistente (No such file or "
       "directory)\n"},
      {{"disegna", "rotta.txt", treno},
       1,
       " Errore n. 25\nrotta.txt:4:11: errore: la posizione della pendenza vale \"99999999999\", "
       "oltre i 32 bit: va da -2147483648 a 2147483647\n" +
           fermata},
      {{"disegna", treno, linea},
       1,
       " Errore n. 25\n" + treno +
           ":1:1: errore: la lunghezza della linea non è stata letta: manca «lunghezza "
           "percorso» nella sezione [generale]\n" +
           treno +
           ":2:1: nota: \"numero vetture\" è un record della descrizione del treno: i due file "
           "di descrizione sono forse scambiati?\n" +
           fermata},
      {{"disegna", "compilati", "--uscita", "manca/disegno.svg"},
       2,
       "impossibile creare \"manca/disegno.svg\": file o cartella inesistente (No such file or "
       "directory)\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, c.stato);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, c.errori);
  }
  EXPECT_EQ(nuovi(), (std::vector<std::string>{"rotta.txt", "vuota"}));
}

TEST_F(Disegna, UsoNonValido) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string messaggio;
  };
  const caso casi[] = {
      {{"disegna"}, "disegna: servono CARTELLA, oppure LINEA e TRENO"},
      {{"disegna", "a", "b", "c"}, "disegna: servono CARTELLA, oppure LINEA e TRENO (dati 3)"},
      {{"disegna", "compilati", "--uscita", "disegno.png"},
       "disegna: il disegno \"disegno.png\" deve finire in .svg o .html"},
      {{"disegna", "compilati", "--utf8"}, "disegna: --utf8 vale solo per LINEA e TRENO"},
      {{"disegna", "compilati", "--scala", "2"},
       "disegna: argomenti o opzioni non previsti: \"--scala\""},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, "scenario: " + c.messaggio + "\nPer l'aiuto: scenario --help\n");
  }
  EXPECT_TRUE(nuovi().empty());
}

TEST_F(Disegna, AiutoDelComando) {
  prova::Esito esito = scenario({"disegna", "--help"});
  EXPECT_EQ(esito.stato, 0);
  for (const char* parte :
       {"Uso: scenario disegna", "(CARTELLA | LINEA TRENO) [--uscita FILE.svg | FILE.html]",
        "come P.svg", "Stato di uscita:"})
    EXPECT_NE(esito.uscita.find(parte), std::string::npos) << parte;
}

}  // namespace
}  // namespace scen
