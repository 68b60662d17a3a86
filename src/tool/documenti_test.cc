// `scenario documenti`: the carried descriptions give back the carried
// documents' rows, and the program writes its documents as the crew
// documents are written.
#include "tool/documenti.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "content/dati_incorporati.h"
#include "platform/blocco_cartella.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"
#include "testing/righe_scritte.h"
#include "tool/testi_aiuto.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

const std::string scheda_portata = "Vela_Nuro_IC 731_scheda_treno.txt";
const std::string ordine_portato = "Vela_Nuro_IC 731_rallentamenti.txt";
const std::string note_portate = "Vela_Nuro_IC 731_note.txt";

using prova::crlf;

struct cella_righe {
  std::string vel_limite, vel_marcia, progressiva, no_rs, localita, orario, recupero;
  std::string testo;  // the whole row
};

std::string senza_bordi(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The grid rows of a card, spacers left out. The row that closes a grid
// with underscores in its cells is taken with blanks.
std::vector<cella_righe> righe_di(const std::vector<std::string>& scheda) {
  const std::string righello =
      " |_____|_____|__________|_____|____________________________|________________|_____|";
  std::vector<cella_righe> righe;
  for (std::string riga : scheda) {
    if (riga.size() != 83 || riga[7] != '|' || riga[13] != '|' || riga[24] != '|') continue;
    if (riga == righello || riga.find("Vel.") != std::string::npos ||
        riga.find("Lim.") != std::string::npos)
      continue;
    std::replace(riga.begin(), riga.end(), '_', ' ');
    cella_righe r{riga.substr(2, 5),   riga.substr(8, 5),   riga.substr(14, 10), riga.substr(25, 5),
                  riga.substr(31, 28), riga.substr(60, 16), riga.substr(77, 5),  riga};
    if (senza_bordi(riga.substr(2)) ==
        "|     |          |     |                            |       "
        "         |     |")
      continue;
    if (riga.find_first_not_of(" |") == std::string::npos) continue;
    righe.push_back(r);
  }
  return righe;
}

class DocumentiPortati : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(cartella.file("uscita"));
    prova::scrivi(cartella.file("linea.txt"), crlf(righe_incorporate("linea")));
    prova::scrivi(cartella.file("treno.txt"), crlf(righe_incorporate("treno")));
    richiesta.linea = cartella.file("linea.txt");
    richiesta.treno = cartella.file("treno.txt");
    richiesta.cartella = cartella.file("uscita");
    std::ostringstream uscita, errori;
    ASSERT_EQ(documenti(richiesta, uscita, errori), 0) << errori.str();
    EXPECT_EQ(errori.str(), "");
    EXPECT_EQ(uscita.str(),
              ordine_portato + ": 2 rallentamenti\n" + scheda_portata + ": 4 fogli\n");
    scheda = prova::righe_crlf(leggi(cartella.file("uscita/" + scheda_portata)));
  }

  CartellaTemporanea cartella;
  richiesta_documenti richiesta;
  std::vector<std::string> scheda;
};

TEST_F(DocumentiPortati, TheSlowdownOrderIsTheCarriedOrder) {
  EXPECT_EQ(leggi(cartella.file("uscita/" + ordine_portato)),
            crlf(righe_incorporate("rallentamenti")));
  EXPECT_FALSE(std::filesystem::exists(cartella.file("uscita/" + note_portate)));
}

TEST_F(DocumentiPortati, HeadingsAsTheCarriedCard) {
  const std::vector<std::string> portata = righe_incorporate("scheda_treno");
  EXPECT_EQ(std::vector<std::string>(scheda.begin(), scheda.begin() + 16),
            std::vector<std::string>(portata.begin(), portata.begin() + 16));
  for (const char* foglio : {"SCHEDA 2/4", "SCHEDA 3/4", "SCHEDA 4/4"})
    EXPECT_EQ(std::count_if(scheda.begin(), scheda.end(),
                            [&](const std::string& r) { return r.find(foglio) != r.npos; }),
              1);
}

// The stations of the carried train whose description gives no time: the
// carried card gives them a time of passing that the descriptions do not hold.
const std::set<std::string> senza_orario = {
    "Vela San Rocco",  "Borgo Feroni",  "Lavrano",         "San Elvio",
    "Marenza",         "Rivolta Bassa", "Corvaglia",       "Ponte Lissa",
    "Fossalba",        "Terranera",     "Castel Vespro",   "Selvalunga",
    "Orsaio",          "Rocca Vesina",  "Piano dei Gelsi", "Lenzara",
    "Bivio Tavorna",   "Sassomarro",    "Calvinera",       "Morvano Scalo",
    "Grisolve",        "Fontecupa",     "Malvento",        "Posto Arcola",
    "Trecampi",        "Isola Verna",   "Mezzaluna",       "Orvenza",
    "Pra Lungo",       "Serra-Liccia",  "Vallenuro",       "Bivio Crosa",
    "Sorba",           "Campo Vela",    "Lagune",          "San Dorlino di Nuro",
    "Nuro Smistamento"};

// The first time of a time cell, in seconds of the day ("13.09.30", "13.10").
long primo_orario(const std::string& cella) {
  const std::string t = senza_bordi(cella);
  const long ore = std::stol(t.substr(0, 2)), minuti = std::stol(t.substr(3, 2));
  const long secondi = t.size() >= 8 && t[5] == '.' ? std::stol(t.substr(6, 2)) : 0;
  return (ore * 60 + minuti) * 60 + secondi;
}

TEST_F(DocumentiPortati, TimedRowsAreThoseOfTheCarriedCard) {
  for (const bool senza_marcia : {true, false}) {
    SCOPED_TRACE(senza_marcia);
    std::vector<std::string> questa = scheda;
    if (senza_marcia) {
      richiesta.senza_marcia = true;
      std::filesystem::create_directory(cartella.file("senza"));
      richiesta.cartella = cartella.file("senza");
      std::ostringstream uscita, errori;
      ASSERT_EQ(documenti(richiesta, uscita, errori), 0) << errori.str();
      questa = prova::righe_crlf(leggi(cartella.file("senza/" + scheda_portata)));
    }
    std::map<std::string, cella_righe> portate;
    for (const cella_righe& r : righe_di(righe_incorporate("scheda_treno")))
      if (senza_bordi(r.orario) != "") portate[senza_bordi(r.localita)] = r;
    std::vector<cella_righe> stazioni;
    for (const cella_righe& r : righe_di(questa))
      if (senza_bordi(r.localita) != "" && !r.localita.starts_with("Cippo Km "))
        stazioni.push_back(r);
    ASSERT_EQ(stazioni.size(), 45u);
    // The carried card has one timed row more: a junction that is no station.
    EXPECT_EQ(portate.size(), 46u);
    EXPECT_TRUE(portate.contains("Bivio Rio Secco"));

    size_t orari_uguali = 0;
    for (const cella_righe& g : stazioni) {
      const std::string nome = senza_bordi(g.localita);
      SCOPED_TRACE(nome);
      ASSERT_TRUE(portate.contains(nome));
      const cella_righe& p = portate[nome];
      EXPECT_EQ(g.localita, p.localita);
      EXPECT_EQ(g.vel_limite, p.vel_limite);
      // The destination stands on a fourth count of the carried card that the
      // line's three progressives do not give.
      if (nome == "Nuro Centrale") {
        EXPECT_EQ(g.progressiva, "   79.300 ");
        EXPECT_EQ(p.progressiva, "    0.000 ");
      } else {
        EXPECT_EQ(g.progressiva, p.progressiva);
      }
      if (senza_orario.contains(nome)) {
        if (senza_marcia) {
          EXPECT_EQ(senza_bordi(g.orario), "");
        } else {
          // The timetable of the built-in train passes within a minute and a
          // half of the carried card's times.
          EXPECT_LE(std::labs(primo_orario(g.orario) - primo_orario(p.orario)), 90) << g.orario;
          EXPECT_EQ(primo_orario(g.orario) % 30, 0);
        }
      } else {
        EXPECT_EQ(g.orario, p.orario);
        // The recovery of the timetable at the stops and at the end.
        if (nome != "Vela") {
          EXPECT_EQ(senza_bordi(g.recupero) != "", !senza_marcia);
        }
        ++orari_uguali;
      }
    }
    EXPECT_EQ(orari_uguali, 8u);  // the origin, six stops, the destination
  }
}

TEST_F(DocumentiPortati, PostRowsShowEveryFallOfTheSpeedLimit) {
  // Every fall of the carried speed profile, where the card gives it.
  std::vector<std::string> attese;
  std::int64_t prima = -1;
  for (const std::string& riga : righe_incorporate("treno")) {
    if (!riga.starts_with("velocita")) continue;
    const std::int64_t p = std::stoll(riga.substr(riga.find(',') + 1));
    const std::int64_t v = std::stoll(riga.substr(riga.rfind(',') + 1));
    if (prima >= 0 && v < prima) attese.push_back(std::to_string(p) + ":" + std::to_string(v));
    prima = v;
  }
  ASSERT_EQ(attese.size(), 22u);
  std::vector<cella_righe> cippi;
  for (const cella_righe& r : righe_di(scheda))
    if (r.localita.starts_with("Cippo Km ")) cippi.push_back(r);
  ASSERT_EQ(cippi.size(), attese.size());

  std::set<std::string> portate;
  for (const cella_righe& r : righe_di(righe_incorporate("scheda_treno"))) portate.insert(r.testo);
  for (size_t i = 0; i < cippi.size(); ++i) {
    const std::string velocita = attese[i].substr(attese[i].find(':') + 1);
    EXPECT_EQ(senza_bordi(cippi[i].vel_limite), velocita) << attese[i];
    EXPECT_EQ(senza_bordi(cippi[i].localita), "Cippo Km " + senza_bordi(cippi[i].progressiva));
    // Row for row the carried one, but for the last fall, which the carried
    // card gives as its shunting limit on its fourth count.
    if (attese[i] == "330750:30")
      EXPECT_EQ(cippi[i].testo,
                " |  30 |  30 |   81.300 |  30 |Cippo Km 81.300             |  "
                "              |     |");
    else
      EXPECT_TRUE(portate.contains(cippi[i].testo)) << cippi[i].testo;
  }
}

TEST_F(DocumentiPortati, RowsOfTheCarriedCardThatTheDescriptionsDoNotGive) {
  std::set<std::string> generate;
  std::set<std::string> stazioni;
  for (const cella_righe& r : righe_di(scheda)) {
    generate.insert(r.testo);
    stazioni.insert(senza_bordi(r.localita));
  }
  std::vector<std::string> non_fatte;
  for (const cella_righe& r : righe_di(righe_incorporate("scheda_treno")))
    if (!generate.contains(r.testo) &&
        (senza_bordi(r.localita).empty() || !stazioni.contains(senza_bordi(r.localita))))
      non_fatte.push_back(senza_bordi(senza_bordi(r.progressiva) + " " + r.localita));
  const std::vector<std::string> attese = {
      "1.000 Dev.U.",                   // switches: no record of the descriptions
      "14.000 Cippo Km 14.000",         // a rise of the limit, marked by hand
      "31.100/ Confine Compartimento",  // the jump: the generated row has no name
      "102.600 Dev.I.",
      "136.450 Cippo Km 136.450",  // a rise
      "148.950 Segn.Prot.",        // protection signals: no record either
      "208.650 Dev.I.",
      "287.550/ Bivio Rio Secco",        // a timed junction that is no station
      "31.450/ Innesto Linea Costiera",  // the jump, named
      "86.950/ Dev.U.",                  // a jump to a fourth count ...
      "(7650)",                          // ... that the line does not describe
      "6.800 C.C. Km 6.800",             // posts on that count, placed by hand
      "5.000 C.C. Km 5.000",
      "4.000 C.C. Km 4.000",
      "3.000 C.C. Km 3.000",
      "(2.000) Limite manovra    (Km 2.000)",
      "1.650 Segn.Prot.",
      "1.000 Dev.I.",
  };
  EXPECT_EQ(non_fatte, attese);
}

// The real program, in a folder of its own.
class Documenti : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    std::filesystem::create_directory(cartella.file("uscita"));
    prova::scrivi(cartella.file("linea.txt"), prova::linea_prova);
    prova::scrivi(cartella.file("treno.txt"), prova::treno_prova);
  }
  prova::Esito scenario(std::vector<std::string> opzioni) {
    std::vector<std::string> argomenti = {"documenti", "linea.txt", "treno.txt", "uscita"};
    argomenti.insert(argomenti.end(), opzioni.begin(), opzioni.end());
    return prova::esegui(prova::riga_comando(SCEN_SCENARIO, argomenti), cartella.percorso());
  }
  std::string scritto(const std::string& nome) const {
    return leggi(cartella.file("uscita/" + nome));
  }
  CartellaTemporanea cartella;
};

TEST_F(Documenti, WritesTheDocumentsInWindows1252WithCrLf) {
  prova::scrivi(cartella.file("note.txt"), "   Un treno è già qui: «R 2».\n\nFine\n");
  // An older, longer card is replaced whole.
  prova::scrivi(cartella.file("uscita/Linea_R 2_scheda_treno.txt"), std::string(40000, 'x'));
  const prova::Esito esito =
      scenario({"--chiave-percorso", "Linea", "--chiave-treno", "R 2", "--note", "note.txt",
                "--categoria", "V140", "--massa-bloccata", "350"});
  ASSERT_EQ(esito.stato, 0) << esito.errori;
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(esito.uscita,
            "Linea_R 2_note.txt: 3 righe\nLinea_R 2_rallentamenti.txt: 1 rallentamento\n"
            "Linea_R 2_scheda_treno.txt: 1 foglio\n");
  EXPECT_EQ(scritto("Linea_R 2_note.txt"),
            "   Un treno \xe8 gi\xe0 qui: \xabR 2\xbb.\r\n\r\nFine\r\n");

  const std::vector<std::string> scheda = prova::righe_crlf(scritto("Linea_R 2_scheda_treno.txt"));
  const std::vector<std::string> attese = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA 1/1               |              |",
      " |   TRENO n.  2     |                   da: Vela                  |     V140     |",
      " |___________________|                    a: Nuro                  |     130%     |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        R          |              |      350T         |",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      " |_____|_____|__________|_____|____________________________|________________|_____|",
      " | 100 | 100 |    0.000 |     |Vela                        |         13.04  |     |",
      " |     |     |          |     |                            |                |     |",
      " |  60 |  60 |    5.000 |  60 |Cippo Km 5.000              |                |     |",
      " |  60 |  60 |    9.000 |     |Nuro                        | 13.20          | 0.5 |",
      " |     |     |   (0.000)|     |                            |                |     |",
      " |_____|_____|__________|_____|____________________________|________________|_____|",
      "",
  };
  EXPECT_EQ(scheda, attese);
  const std::vector<std::string> ordine = prova::righe_crlf(scritto("Linea_R 2_rallentamenti.txt"));
  ASSERT_EQ(ordine.size(), 46u);
  EXPECT_EQ(ordine[4], "  Linea  Vela-Nuro");
  EXPECT_EQ(ordine[12],
            " | 1 |Vela e Nuro                 |Km 4.000    |  60Km/h  |  500    |            |");
}

TEST_F(Documenti, WaitsForAnotherRunInTheFolderAndSaysSo) {
  auto bloccata = std::make_unique<blocco_cartella>();
  ASSERT_TRUE(bloccata->prendi(cartella.file("uscita"), {}).riuscito());
  prova::Esito esito;
  std::thread seconda([&] { esito = scenario({}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(attesa_prima_di_avvisare_ms + 1000));
  EXPECT_TRUE(std::filesystem::is_empty(cartella.file("uscita"))) << "the run did not wait";
  bloccata.reset();
  seconda.join();
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.errori, avviso_attesa("uscita") + "\n");
  EXPECT_FALSE(std::filesystem::is_empty(cartella.file("uscita")));
}

TEST_F(Documenti, DescriptionsInUtf8GiveNamesInWindows1252) {
  std::string treno = prova::treno_prova;
  treno.replace(treno.find(" Nuro\r\n"), 7, " Citt\xc3\xa0 Nuova\n");
  prova::scrivi(cartella.file("treno.txt"), treno);
  const prova::Esito esito = scenario({"--utf8"});
  ASSERT_EQ(esito.stato, 0) << esito.errori;
  const std::vector<std::string> scheda =
      prova::righe_crlf(scritto("Vela_Nuro_IC 731_scheda_treno.txt"));
  ASSERT_GT(scheda.size(), 19u);
  EXPECT_EQ(scheda[5].substr(42, 25), "a: Citt\xe0 Nuova" + std::string(11, ' '));
  EXPECT_EQ(
      scheda[19],
      " |  60 |  60 |    9.000 |     |Citt\xe0 Nuova                 | 13.20          | 0.5 |");
  EXPECT_EQ(prova::righe_crlf(scritto("Vela_Nuro_IC 731_rallentamenti.txt"))[4],
            "  Linea  Vela-Citt\xe0 Nuova");
}

TEST_F(Documenti, WhatCannotBeWrittenIsNamedAndNothingIsWritten) {
  const struct {
    const char* caso;
    std::string treno;
    std::vector<std::string> opzioni;
    int stato;
    std::string errori;
  } casi[] = {
      {"a note that Windows-1252 cannot hold",
       prova::treno_prova,
       {"--note", "note.txt"},
       2,
       "note.txt:2:5: errore: il carattere «→» (U+2192) non ha una forma in Windows-1252\n"},
      {"a station name wider than its cell",
       [] {
         std::string t = prova::treno_prova;
         t.replace(t.find(" Nuro\r\n"), 7, " Nuro di Sopra con la Frazione Bassa\r\n");
         return t;
       }(),
       {},
       1,
       "treno.txt:13:73: errore: stazione: il nome «Nuro di Sopra con la Frazione Bassa» ha 35 "
       "caratteri, ma l'intestazione della scheda treno ne mostra al più 22 per la destinazione\n"
       "treno.txt:13:73: errore: stazione: il nome «Nuro di Sopra con la Frazione Bassa» ha 35 "
       "caratteri, ma la scheda treno ne mostra al più 28\n"
       "treno.txt:15:17: errore: rallentamento a 4000 m: «Vela e Nuro di Sopra con la Frazione "
       "Bassa» ha 42 caratteri, ma l'ordine di rallentamento ne mostra al più 28 per le "
       "stazioni\n"
       "nessun documento scritto\n"},
      {"descriptions that do not read without error",
       [] {
         std::string t = prova::treno_prova;
         t.replace(t.find("stazione,    9000"), 17, "stazione,    9010");
         return t;
       }(),
       {},
       1,
       ""},
      {"a train number too wide for its box",
       prova::treno_prova,
       {"--chiave-treno", "R 1234567"},
       2,
       "il numero del treno (la chiave del treno dopo l'ultimo spazio) \"1234567\" ha 7 caratteri: "
       "la sua casella della scheda treno ne tiene 6\n"},
  };
  prova::scrivi(cartella.file("note.txt"), "Prima riga\nUna \xe2\x86\x92 freccia\n");
  for (const auto& c : casi) {
    SCOPED_TRACE(c.caso);
    prova::scrivi(cartella.file("treno.txt"), c.treno);
    const prova::Esito esito = scenario(c.opzioni);
    EXPECT_EQ(esito.stato, c.stato);
    EXPECT_EQ(esito.uscita, "");
    if (!c.errori.empty()) {
      EXPECT_EQ(esito.errori, c.errori);
    } else {
      EXPECT_NE(esito.errori.find("treno.txt:13:"), std::string::npos) << esito.errori;
      EXPECT_TRUE(esito.errori.ends_with(
          "nessun documento scritto: le descrizioni non si leggono senza errori\n"))
          << esito.errori;
    }
    EXPECT_TRUE(std::filesystem::is_empty(cartella.file("uscita")));
  }
}

TEST_F(Documenti, HelpAndBadUsage) {
  const prova::Esito aiuto = prova::esegui(
      prova::riga_comando(SCEN_SCENARIO, {"documenti", "--help"}), cartella.percorso());
  EXPECT_EQ(aiuto.stato, 0);
  for (std::string_view parte :
       {std::string_view("Uso: scenario documenti [OPZIONI] LINEA TRENO CARTELLA"),
        std::string_view("--note FILE"), std::string_view("--massa-bloccata T "),
        aiuto_documenti_piede})
    EXPECT_NE(aiuto.uscita.find(parte), std::string::npos) << parte;
  // The value's name alone: what it may be is said in words.
  EXPECT_EQ(aiuto.uscita.find("NONNEGATIVE"), std::string::npos);
  const prova::Esito generale =
      prova::esegui(prova::riga_comando(SCEN_SCENARIO, {"--help"}), cartella.percorso());
  EXPECT_NE(generale.uscita.find("documenti"), std::string::npos);

  const struct {
    std::vector<std::string> argomenti;
    std::string messaggio;
  } casi[] = {
      {{"documenti", "linea.txt"}, "documenti: servono LINEA, TRENO e CARTELLA"},
      {{"documenti", "linea.txt", "treno.txt", "uscita", "--altro"},
       "documenti: argomenti o opzioni non previsti: \"--altro\""},
      {{"documenti", "linea.txt", "treno.txt", "uscita", "--chiave-treno", ""},
       "la chiave del treno non può essere vuota"},
      // Whole numbers from 0 are said so in the program's words.
      {{"documenti", "linea.txt", "treno.txt", "uscita", "--massa-bloccata", "-5"},
       "riga di comando non valida (--massa-bloccata: \"-5\" non è un numero intero da 0 in su)"},
      {{"documenti", "linea.txt", "treno.txt", "uscita", "--massa-bloccata", "x"},
       "riga di comando non valida (--massa-bloccata: \"x\" non è un numero intero da 0 in su)"},
  };
  for (const auto& c : casi) {
    const prova::Esito esito =
        prova::esegui(prova::riga_comando(SCEN_SCENARIO, c.argomenti), cartella.percorso());
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.errori, "scenario: " + c.messaggio + "\nPer l'aiuto: scenario --help\n");
  }
  const prova::Esito cartella_mancante = prova::esegui(
      prova::riga_comando(SCEN_SCENARIO, {"documenti", "linea.txt", "treno.txt", "manca"}),
      cartella.percorso());
  EXPECT_EQ(cartella_mancante.stato, 2);
  EXPECT_EQ(cartella_mancante.errori,
            "la cartella di uscita \"manca\" non esiste o non è una cartella\n");
}

}  // namespace
}  // namespace scen
