// `scenario guarda`: the state it gathers, and the built program as its
// users run it, asked over HTTP while its files change.
#include "tool/guarda.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "draw/politica_pagina.h"
#include "draw/testo_sicuro.h"
#include "platform/windows1252.h"
#include "read/memorizza_dati.h"
#include "testing/cartella_temporanea.h"
#include "testing/cliente_http.h"
#include "testing/descrizioni_prova.h"
#include "testing/riga_comando.h"
#include "testing/testi_ostili.h"
#include "tool/guarda_stato.h"

extern char** environ;

namespace scen {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using prova::CartellaTemporanea;

// The test pair with one line replaced: `da` becomes `a` (once).
std::string con(std::string testo, const std::string& da, const std::string& a) {
  const auto dove = testo.find(da);
  if (dove == std::string::npos) throw std::runtime_error("nel testo manca: " + da);
  return testo.replace(dove, da.size(), a);
}

// As editors save: the whole file written under another name and renamed
// over it.
void salva(const std::string& percorso, const std::string& byte) {
  prova::scrivi(percorso + ".nuovo", byte);
  std::filesystem::rename(percorso + ".nuovo", percorso);
}

// Waits for `fatto`, asking every 20 ms, until `entro` has passed.
bool entro(std::chrono::milliseconds limite, const std::function<bool()>& fatto) {
  const auto fine = std::chrono::steady_clock::now() + limite;
  for (;;) {
    if (fatto()) return true;
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(20ms);
  }
}

TEST(GuardaHost, OnlyTheLoopbackWithItsPort) {
  struct caso {
    const char* host;
    bool ammesso;
  };
  const caso casi[] = {
      {"127.0.0.1:8080", true},
      {"[::1]:8080", true},
      {"localhost:8080", true},
      {"127.0.0.1:8081", false},
      {"127.0.0.1:80800", false},
      {"127.0.0.1", false},
      {"localhost", false},
      {"", false},
      {"esempio.it:8080", false},
      {"127.0.0.1.esempio.it:8080", false},
      {"localhost.esempio.it:8080", false},
      {"x127.0.0.1:8080", false},
      {"[::1]:8080 ", false},
      {"LOCALHOST:8080x", false},
  };
  for (const caso& c : casi) EXPECT_EQ(host_ammesso(c.host, 8080), c.ammesso) << c.host;
}

TEST(GuardaOrigine, OnlyItsOwnPageOrNone) {
  struct caso {
    const char* origine;
    const char* sito;
    bool ammessa;
  };
  const caso casi[] = {
      {"", "", true},
      {"", "none", true},
      {"", "same-origin", true},
      {"http://127.0.0.1:8080", "same-origin", true},
      {"http://[::1]:8080", "", true},
      {"http://localhost:8080", "", true},
      {"", "cross-site", false},
      {"", "same-site", false},
      {"http://localhost:8080", "same-site", false},
      {"http://127.0.0.1:8081", "", false},
      {"http://localhost:80", "", false},
      {"https://127.0.0.1:8080", "", false},
      {"http://esempio.it", "", false},
      {"http://esempio.it:8080", "", false},
      {"http://127.0.0.1:8080.esempio.it", "", false},
      {"null", "", false},
      {"http://127.0.0.1:8080/", "", false},
  };
  for (const caso& c : casi)
    EXPECT_EQ(origine_ammessa(c.origine, c.sito, 8080), c.ammessa) << c.origine << " " << c.sito;
}

// The state from the files of a folder.
class StatoGuarda : public testing::Test {
 protected:
  void SetUp() override {
    richiesta.linea = cartella.file("linea.txt");
    richiesta.treno = cartella.file("treno.txt");
    prova::scrivi(richiesta.linea, prova::linea_prova);
    prova::scrivi(richiesta.treno, prova::treno_prova);
  }
  CartellaTemporanea cartella;
  richiesta_guarda richiesta;
};

TEST_F(StatoGuarda, ProblemsWithTheirPositionAndTheDrawing) {
  const stato_guarda s = leggi_stato(richiesta, stato_guarda{});
  const json j = json::parse(s.json);
  EXPECT_EQ(s.lettura, 1);
  EXPECT_EQ(s.disegno, 1);
  EXPECT_TRUE(s.disegno_attuale);
  EXPECT_EQ(s.errori, 0);
  EXPECT_EQ(s.avvisi, 1);
  ASSERT_EQ(j["problemi"].size(), 1u);
  const json& p = j["problemi"][0];
  EXPECT_EQ(p["riga"], 15);
  EXPECT_EQ(p["gravita"], "avviso");
  EXPECT_EQ(p["metro"], 1250) << "the gradient's own position";
  EXPECT_EQ(p["testo"].get<std::string>().rfind(richiesta.linea + ":15:20: avviso: pendenza:", 0),
            0u);
  EXPECT_TRUE(j["ferma"].empty());
  const json d = json::parse(s.disegno_json);
  EXPECT_EQ(d["disegno"], 1);
  EXPECT_NE(d["svg"].get<std::string>().find("Nuro"), std::string::npos);
  EXPECT_NE(d["svg"].get<std::string>().find("Orario della marcia"), std::string::npos)
      << "the fastest run and its timetable drawn as disegna draws them";
  EXPECT_EQ(d["dati"]["lunghezza"], 10000);
}

TEST_F(StatoGuarda, OneMistakeIsListedAloneAndWhatFollowsFromItCounted) {
  std::string linea = prova::linea_prova;
  const std::string metri = "lunghezza percorso,    10000";
  linea.replace(linea.find(metri), metri.size(), "lunghezza percorso,    10");
  prova::scrivi(richiesta.linea, linea);
  const stato_guarda s = leggi_stato(richiesta, stato_guarda{});
  const json j = json::parse(s.json);
  ASSERT_FALSE(j["problemi"].empty());
  EXPECT_NE(j["problemi"][0]["testo"].get<std::string>().find("la lunghezza si scrive in metri"),
            std::string::npos)
      << j["problemi"][0]["testo"];
  bool detto = false;
  for (const json& riga : j["ferma"])
    detto = detto || riga.get<std::string>().find("ne segu") != std::string::npos;
  EXPECT_TRUE(detto) << j["ferma"];
  EXPECT_EQ(s.errori + s.avvisi, static_cast<long>(j["problemi"].size()));
}

TEST_F(StatoGuarda, AStopKeepsTheLastDrawingAndSaysWhere) {
  const stato_guarda buono = leggi_stato(richiesta, stato_guarda{});
  struct caso {
    const char* nome;
    std::function<void()> guasta;
    std::string ferma;  // what the first line where reading stops holds
  };
  const caso casi[] = {
      {"a record that does not read",
       [&] {
         prova::scrivi(richiesta.linea, con(prova::linea_prova, "pendenza,  6000,   5",
                                            "pendenza,  6000,   cinque"));
       },
       " Errore n. "},
      {"a file that is gone", [&] { std::filesystem::remove(richiesta.treno); }, ""},
      {"a file past the readers' bound",
       [&] { prova::scrivi(richiesta.treno, std::string(byte_massimi_descrizione + 1, ' ')); }, ""},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    prova::scrivi(richiesta.linea, prova::linea_prova);
    prova::scrivi(richiesta.treno, prova::treno_prova);
    c.guasta();
    const stato_guarda s = leggi_stato(richiesta, buono);
    const json j = json::parse(s.json);
    EXPECT_EQ(s.lettura, 2);
    EXPECT_EQ(s.disegno, 1) << "the drawing of the first reading stays";
    EXPECT_FALSE(s.disegno_attuale);
    EXPECT_TRUE(s.disegno_json == buono.disegno_json);
    EXPECT_GE(s.errori, 1);
    if (c.ferma.empty()) {
      EXPECT_TRUE(j.contains("guasto")) << s.json;
    } else {
      ASSERT_FALSE(j["ferma"].empty()) << s.json;
      EXPECT_EQ(j["ferma"][0].get<std::string>().rfind(c.ferma, 0), 0u) << s.json;
    }
  }
}

// The page as served is whole before any script runs: the counts of its
// list, the time of the program's reading, the problems, the drawing and
// its data.
TEST_F(StatoGuarda, ThePageServedHoldsTheStateAndTheDrawing) {
  const stato_guarda s = leggi_stato(richiesta, stato_guarda{});
  const json j = json::parse(s.json);
  ASSERT_EQ(s.ora.size(), 8u);
  EXPECT_EQ(j["ora"], s.ora);
  const std::string p = pagina_guarda(s);
  EXPECT_NE(p.find("<body data-lettura=\"1\" data-disegno=\"1\">\n"), std::string::npos);
  EXPECT_NE(p.find("<span id=\"conteggio\">0 errori, 1 avviso</span>"), std::string::npos);
  EXPECT_NE(
      p.find(fmt::format("<span id=\"ora\">letto alle {} in {} ms</span>", s.ora, s.millisecondi)),
      std::string::npos);
  EXPECT_NE(p.find("<pre id=\"ferma\" hidden></pre>"), std::string::npos);
  EXPECT_NE(p.find("<div id=\"vecchio\" hidden>"), std::string::npos);
  // The problem as the script would list it.
  const json& problema = j["problemi"][0];
  const std::string voce =
      "<ol id=\"problemi\"><li class=\"avviso con-metro\" title=\"" +
      xml_testo(problema["testo"].get<std::string>()) +
      "\n(al km 1,250: un clic lo mostra sul profilo e sulla pianta)\"><span "
      "class=\"dove\">linea.txt:15:20</span><span class=\"gravita\">avviso</span>" +
      xml_testo(problema["causa"].get<std::string>()) + "</li></ol>";
  EXPECT_NE(p.find(voce), std::string::npos) << p.substr(p.find("<ol"), 600);
  // The drawing, the profile first, and its data, as /disegno sends them.
  const json d = json::parse(s.disegno_json);
  EXPECT_EQ(d["svg"], s.disegno_svg);
  EXPECT_EQ(s.disegno_svg.rfind("<svg", 0), 0u);
  EXPECT_LT(s.disegno_svg.find("id=\"disegno-profilo\""),
            s.disegno_svg.find("id=\"disegno-pianta\""));
  EXPECT_NE(p.find("<div id=\"disegno\">" + s.disegno_svg + "</div>"), std::string::npos);
  EXPECT_NE(p.find("<script type=\"application/json\" id=\"dati-scenario\">" + s.disegno_dati +
                   "</script>"),
            std::string::npos);
  EXPECT_EQ(json::parse(s.disegno_dati), d["dati"]);
}

// Whatever happens to the files, the counts are those of the list, and the
// list says what happened.
TEST_F(StatoGuarda, TheCountsAreThoseOfTheList) {
  const stato_guarda buono = leggi_stato(richiesta, stato_guarda{});
  struct caso {
    const char* nome;
    std::function<void()> guasta;
    long errori, avvisi;
  };
  const caso casi[] = {
      {"as it is", [] {}, 0, 1},
      {"a record that does not read",
       [&] {
         prova::scrivi(richiesta.linea, con(prova::linea_prova, "pendenza,  6000,   5",
                                            "pendenza,  6000,   cinque"));
       },
       1, 1},
      {"the train's file deleted", [&] { std::filesystem::remove(richiesta.treno); }, 1, 0},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    prova::scrivi(richiesta.linea, prova::linea_prova);
    prova::scrivi(richiesta.treno, prova::treno_prova);
    c.guasta();
    const stato_guarda s = leggi_stato(richiesta, buono);
    const json j = json::parse(s.json);
    long errori = 0, avvisi = 0;
    for (const json& p : j["problemi"]) {
      errori += p["gravita"] == "errore";
      avvisi += p["gravita"] == "avviso";
    }
    EXPECT_EQ(s.errori, c.errori) << s.json;
    EXPECT_EQ(s.avvisi, c.avvisi) << s.json;
    EXPECT_EQ(errori, s.errori);
    EXPECT_EQ(avvisi, s.avvisi);
    EXPECT_EQ(j["errori"], s.errori);
    const std::string p = pagina_guarda(s);
    EXPECT_NE(p.find(fmt::format("<span id=\"conteggio\">{} {}, {} {}</span>", c.errori,
                                 c.errori == 1 ? "errore" : "errori", c.avvisi,
                                 c.avvisi == 1 ? "avviso" : "avvisi")),
              std::string::npos);
    EXPECT_EQ(prova::conta_in_pagina(p, "<li "), j["problemi"].size());
  }
  // The file deleted: the one problem names it and says why.
  std::filesystem::remove(richiesta.treno);
  const stato_guarda s = leggi_stato(richiesta, buono);
  const json j = json::parse(s.json);
  ASSERT_EQ(j["problemi"].size(), 1u);
  const json& p = j["problemi"][0];
  EXPECT_EQ(p["file"], richiesta.treno);
  EXPECT_EQ(p["riga"], 0);
  EXPECT_EQ(p["metro"], nullptr);
  EXPECT_EQ(p["causa"], "il file non si legge: " + s.guasto);
  EXPECT_EQ(p["testo"], richiesta.treno + ": errore: il file non si legge: " + s.guasto);
  EXPECT_EQ(s.guasto.rfind("impossibile aprire \"" + richiesta.treno + "\": ", 0), 0u) << s.guasto;
  const std::string pagina = pagina_guarda(s);
  EXPECT_NE(pagina.find("<ol id=\"problemi\"><li class=\"errore\" title=\"" +
                        xml_testo(p["testo"].get<std::string>()) +
                        "\"><span class=\"dove\">treno.txt</span><span "
                        "class=\"gravita\">errore</span>" +
                        xml_testo(p["causa"].get<std::string>()) + "</li></ol>"),
            std::string::npos);
  // The last drawing stays, marked as such.
  EXPECT_NE(pagina.find("<body data-lettura=\"2\" data-disegno=\"1\" class=\"superato\">"),
            std::string::npos);
  EXPECT_NE(pagina.find("<div id=\"vecchio\">"), std::string::npos);
  EXPECT_NE(pagina.find("<div id=\"disegno\">" + buono.disegno_svg + "</div>"), std::string::npos);
  EXPECT_NE(pagina.find("<pre id=\"ferma\">" + xml_testo(s.guasto) + "</pre>"), std::string::npos);
}

// Before any drawing: the page says so where the drawing goes.
TEST_F(StatoGuarda, NoDrawingYetIsSaid) {
  prova::scrivi(richiesta.linea,
                con(prova::linea_prova, "pendenza,  6000,   5", "pendenza,  6000,   cinque"));
  const stato_guarda s = leggi_stato(richiesta, stato_guarda{});
  ASSERT_EQ(s.disegno, 0);
  const std::string p = pagina_guarda(s);
  EXPECT_NE(p.find("<body data-lettura=\"1\" data-disegno=\"0\">"), std::string::npos);
  EXPECT_NE(p.find("<div id=\"disegno\"><p id=\"nessun-disegno\">Ancora nessun disegno: le "
                   "descrizioni non si sono mai lette fino in fondo.</p></div>"),
            std::string::npos);
  EXPECT_NE(p.find("<script type=\"application/json\" id=\"dati-scenario\">{}</script>"),
            std::string::npos);
}

// Texts from the files, and the files' own names, reach the page only
// through JSON that holds no character that could end a script or open a
// comment, and read back as they were.
TEST_F(StatoGuarda, HostileTextsStayText) {
  for (const std::string& t : prova::testi_ostili()) {
    SCOPED_TRACE(t);
    richiesta.treno = cartella.file("\"'<!--<script>&\xE2\x80\xA8.txt");
    prova::scrivi(richiesta.treno, con(prova::treno_prova, "Nuro", t));
    const stato_guarda s = leggi_stato(richiesta, stato_guarda{});
    for (const std::string* testo : {&s.json, &s.disegno_json})
      for (const char* vietato : {"<", ">", "&", "\xE2\x80\xA8", "\xE2\x80\xA9"})
        EXPECT_EQ(testo->find(vietato), std::string::npos) << vietato << " in " << *testo;
    const json j = json::parse(s.json);
    EXPECT_EQ(j["file"][1], richiesta.treno);
    ASSERT_EQ(s.disegno, 1) << s.json;
    // The page served holds them only escaped, and no element of theirs.
    const std::string pagina = pagina_guarda(s);
    EXPECT_EQ(pagina.find(t), std::string::npos);
    EXPECT_EQ(prova::conta_in_pagina(pagina, "<script"), 2u);
    for (const char* estraneo : {"<!--", "<img", "<svg onload", "]]>"})
      EXPECT_EQ(prova::conta_in_pagina(pagina, estraneo), 0u) << estraneo;
    const json d = json::parse(s.disegno_json);
    // The file is read as Windows-1252.
    const std::string nome = da_1252_a_utf8(t);
    EXPECT_EQ(d["dati"]["stazioni"].back()[1], nome);
    EXPECT_NE(d["svg"].get<std::string>().find(">" + xml_testo(nome) + "<"), std::string::npos);
  }
}

TEST_F(StatoGuarda, OnlyItsOwnScriptRunsAndTheStreamComesBack) {
  const std::string p = pagina_guarda(leggi_stato(richiesta, stato_guarda{}));
  // One script of code (and one of data), the one the policy names.
  const std::size_t apre = p.rfind("<script>") + 8, chiude = p.rfind("</script>");
  ASSERT_LT(apre, chiude);
  EXPECT_EQ(p.find("<script>"), apre - 8);
  EXPECT_EQ(politica_guarda(), politica_pagina(p.substr(apre, chiude - apre), true));
  // Inline, only the styles.
  const std::string politica = politica_guarda();
  const std::size_t stili = politica.find("style-src 'unsafe-inline';");
  ASSERT_NE(stili, std::string::npos);
  EXPECT_EQ(politica.find("unsafe-inline"), stili + 11);
  EXPECT_EQ(politica.rfind("unsafe-inline"), stili + 11);
  // A stream refused or dropped is opened again, after a wait that grows
  // to 30 s, said on the page.
  for (const char* parte : {"fonte.close()", "Math.min(30, attesa * 2)", "attesa = 1;",
                            "\"collegamento perso: riprovo tra \" + resta + \" s", "collega();"})
    EXPECT_NE(p.find(parte), std::string::npos) << parte;
}

TEST_F(StatoGuarda, HoldsTheDrawingsScriptAndAsksForNothingElse) {
  const std::string p = pagina_guarda(leggi_stato(richiesta, stato_guarda{}));
  for (const char* parte :
       {"id=\"disegno\"", "id=\"problemi\"", "id=\"dati-scenario\"", "function avviaDisegno()",
        "new EventSource(\"/eventi\")", "fetch(\"/disegno\""})
    EXPECT_NE(p.find(parte), std::string::npos) << parte;
  // Nothing from the network: nothing loaded from an address.
  for (const char* fuori : {"src=", "href=\"http", "url(http", "import "})
    EXPECT_EQ(p.find(fuori), std::string::npos) << fuori;
}

// The built program, serving a folder's pair, with its output in a folder of
// its own.
class GuardaInCorso : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    // A request that the program refuses before reading it whole is closed
    // under the writer: the write fails, and the test goes on.
    ::signal(SIGPIPE, SIG_IGN);
    prova::scrivi(cartella.file("linea.txt"), prova::linea_prova);
    prova::scrivi(cartella.file("treno.txt"), prova::treno_prova);
  }
  void TearDown() override {
    if (pid_ > 0) {
      // The program first: `timeout` killed would leave it behind.
      if (const pid_t programma = servente(); programma != pid_) ::kill(programma, SIGKILL);
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Starts `scenario guarda linea.txt treno.txt` with `opzioni`; waits for
  // its address (unless not `attendi`). `ambiente` goes before it on the
  // shell's line ("PATH=...").
  void avvia(const std::vector<std::string>& opzioni = {}, const std::string& ambiente = "",
             bool attendi = true) {
    // Nothing of an earlier run is taken for this one's.
    std::filesystem::remove(catture.file("out"));
    std::filesystem::remove(catture.file("err"));
    std::vector<std::string> argomenti = {"guarda", "linea.txt", "treno.txt"};
    argomenti.insert(argomenti.end(), opzioni.begin(), opzioni.end());
    // Within a bound, so that it cannot outlive a test that fails on the
    // way (timeout hands it the interrupt, and gives back its status).
    const std::string comando = "cd " + prova::tra_apici(cartella.percorso()) + " && " + ambiente +
                                " exec timeout 120 " +
                                prova::riga_comando(SCEN_SCENARIO, argomenti) + " >" +
                                prova::tra_apici(catture.file("out")) + " 2>" +
                                prova::tra_apici(catture.file("err")) + " </dev/null";
    std::string sh = "/bin/sh", c = "-c";
    char* argv[] = {sh.data(), c.data(), const_cast<char*>(comando.c_str()), nullptr};
    ASSERT_EQ(::posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, argv, environ), 0);
    if (!attendi) return;
    ASSERT_TRUE(entro(10s, [&] { return uscita().find('\n') != std::string::npos; }))
        << "no address: " << prova::leggi(catture.file("err"));
    const std::string prima = uscita().substr(0, uscita().find('\n'));
    ASSERT_EQ(prima.rfind("http://127.0.0.1:", 0), 0u) << prima;
    porta_ = std::stoi(prima.substr(17));
    ASSERT_EQ(prima, "http://127.0.0.1:" + std::to_string(porta_) + "/");
  }

  std::string uscita() const { return prova::leggi(catture.file("out")); }

  // One request on a connection of its own: `altre` header lines after the
  // Host ("Nome: valore\r\n" each).
  std::optional<prova::risposta_http_letta> chiedi(const std::string& percorso,
                                                   const std::string& altre = "") const {
    return prova::chiedi_http(porta_, percorso, altre);
  }

  json stato() {
    auto r = chiedi("/stato");
    if (!r || r->codice != 200) return json();
    return json::parse(r->corpo);
  }

  // The process serving (the one that `timeout` started).
  pid_t servente() const {
    std::string figli = prova::leggi(fmt::format("/proc/{}/task/{}/children", pid_, pid_));
    return figli.empty() ? pid_ : static_cast<pid_t>(std::stol(figli));
  }
  // The most memory it has held, in KiB.
  long memoria_massima() const {
    const std::string stato = prova::leggi(fmt::format("/proc/{}/status", servente()));
    const auto dove = stato.find("VmHWM:");
    return dove == std::string::npos ? -1 : std::stol(stato.substr(dove + 6));
  }

  // Interrupts it as Ctrl-C does (or with `segnale`) and gives its exit status (-1 when it did
  // not end by itself within 5 s).
  int interrompi(int segnale = SIGINT) {
    ::kill(pid_, segnale);
    int stato = 0;
    const bool finito = entro(5s, [&] { return ::waitpid(pid_, &stato, WNOHANG) == pid_; });
    if (!finito) return -1;
    pid_ = -1;
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
  }

  CartellaTemporanea cartella;
  CartellaTemporanea catture;
  pid_t pid_ = -1;
  int porta_ = 0;
};

// A page that follows the state: the readings its events carried.
class pagina_aperta {
 public:
  explicit pagina_aperta(int porta)
      : filo_([this, porta] {
          prova::connessione_http c(porta);
          c.manda("GET /eventi HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(porta) + "\r\n\r\n");
          if (!c.attendi("\r\n\r\n", 5s)) return;
          std::size_t letto = c.ricevuto().find("\r\n\r\n") + 4;
          while (!chiusa_) {
            c.leggi_ancora(50ms);
            for (auto fine = c.ricevuto().find("\n\n", letto); fine != std::string::npos;
                 fine = c.ricevuto().find("\n\n", letto)) {
              const std::string evento = c.ricevuto().substr(letto, fine - letto);
              letto = fine + 2;
              const auto dati_da = evento.find("data: ");
              if (dati_da == std::string::npos) continue;
              std::lock_guard<std::mutex> l(m_);
              stati_.push_back(json::parse(evento.substr(dati_da + 6)));
            }
          }
        }) {}
  ~pagina_aperta() {
    chiusa_ = true;
    filo_.join();
  }
  // The last state it was sent.
  json ultimo() {
    std::lock_guard<std::mutex> l(m_);
    return stati_.empty() ? json() : stati_.back();
  }

 private:
  std::mutex m_;
  std::vector<json> stati_;
  std::atomic<bool> chiusa_{false};
  std::thread filo_;
};

TEST_F(GuardaInCorso, FollowsEverySaveOnEveryPageAndEndsOnInterrupt) {
  avvia();
  auto pagina = chiedi("/");
  ASSERT_TRUE(pagina);
  EXPECT_EQ(pagina->codice, 200);
  EXPECT_EQ(pagina->intestazione("content-type"), "text/html; charset=utf-8");
  for (const char* nome :
       {"cache-control", "x-content-type-options", "referrer-policy", "content-security-policy"})
    EXPECT_NE(pagina->intestazione(nome), "") << nome;
  EXPECT_EQ(pagina->intestazione("content-security-policy"), politica_guarda());
  EXPECT_EQ(pagina->intestazione("x-content-type-options"), "nosniff");
  EXPECT_EQ(pagina->intestazione("cache-control"), "no-store");
  EXPECT_NE(pagina->corpo.find("<title>scenario guarda</title>"), std::string::npos);
  EXPECT_EQ(stato()["lettura"], 1);

  pagina_aperta prima(porta_), seconda(porta_);
  ASSERT_TRUE(entro(
      2s, [&] { return prima.ultimo()["lettura"] == 1 && seconda.ultimo()["lettura"] == 1; }));

  // Each step: what is saved, what the state must then say, within a second.
  struct passo {
    const char* nome;
    std::string linea, treno;
    long errori;
    bool disegno_attuale;
    const char* nel_disegno;  // a text the drawing served must hold
  };
  const std::string linea_rotta =
      con(prova::linea_prova, "pendenza,  6000,   5", "pendenza,  6000,   cinque");
  const std::string treno_nuovo = con(prova::treno_prova, "Nuro", "Nuro Centrale");
  const passo passi[] = {
      {"a station renamed", prova::linea_prova, treno_nuovo, 0, true, "Nuro Centrale"},
      {"a record broken", linea_rotta, treno_nuovo, 1, false, "Nuro Centrale"},
      {"the record mended", prova::linea_prova, treno_nuovo, 0, true, "Nuro Centrale"},
      {"the station named back", prova::linea_prova, prova::treno_prova, 0, true, ">Nuro<"},
  };
  long lettura = 1;
  for (const passo& p : passi) {
    SCOPED_TRACE(p.nome);
    if (prova::leggi(cartella.file("linea.txt")) != p.linea)
      salva(cartella.file("linea.txt"), p.linea);
    if (prova::leggi(cartella.file("treno.txt")) != p.treno)
      salva(cartella.file("treno.txt"), p.treno);
    const auto salvato = std::chrono::steady_clock::now();
    json s;
    ASSERT_TRUE(entro(1s,
                      [&] {
                        s = stato();
                        return s.is_object() && s["lettura"].get<long>() > lettura &&
                               s["errori"].get<long>() == p.errori &&
                               s["disegno_attuale"] == p.disegno_attuale;
                      }))
        << "after "
        << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 salvato)
               .count()
        << " ms the state is " << s.dump();
    lettura = s["lettura"].get<long>();
    auto d = chiedi("/disegno");
    ASSERT_TRUE(d);
    EXPECT_NE(json::parse(d->corpo)["svg"].get<std::string>().find(p.nel_disegno),
              std::string::npos);
    EXPECT_EQ(json::parse(d->corpo)["disegno"], s["disegno"]);
    // Both pages are sent the same.
    EXPECT_TRUE(entro(1s, [&] {
      return prima.ultimo()["lettura"] == lettura && seconda.ultimo() == prima.ultimo();
    })) << prima.ultimo().dump();
  }

  EXPECT_EQ(interrompi(), 0);
  const std::string righe = uscita();
  EXPECT_EQ(righe.substr(righe.size() - 13), "guarda: fine\n") << righe;
  // One line per reading, after the address.
  EXPECT_EQ(std::count(righe.begin(), righe.end(), '\n'), 1 + lettura + 1) << righe;
  // Nothing written beside the descriptions, and no one serving the port.
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"linea.txt", "treno.txt"}));
  EXPECT_FALSE(chiedi("/stato"));
}

TEST_F(GuardaInCorso, RefusesWhatIsNotItsOwn) {
  avvia();
  const std::string porta = std::to_string(porta_);
  // A request as sent, whole: "HOST" stands for the program's own host.
  auto a_mano = [&](std::string byte) {
    for (auto dove = byte.find("HOST"); dove != std::string::npos; dove = byte.find("HOST"))
      byte.replace(dove, 4, "127.0.0.1:" + porta);
    prova::connessione_http c(porta_);
    c.manda(byte);
    return c.risposta();
  };
  struct caso {
    const char* nome;
    std::function<std::optional<prova::risposta_http_letta>()> chiedi;
    int codice;  // 0: refused by closing the connection
  };
  const std::string lungo(1u << 20, 'a');
  const caso casi[] = {
      {"a foreign host",
       [&] { return a_mano("GET /stato HTTP/1.1\r\nHost: esempio.it:" + porta + "\r\n\r\n"); },
       403},
      {"a foreign host for the events",
       [&] { return a_mano("GET /eventi HTTP/1.1\r\nHost: esempio.it\r\n\r\n"); }, 403},
      {"another port in the host",
       [&] {
         return a_mano("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(porta_ + 1) +
                       "\r\n\r\n");
       },
       403},
      {"no host", [&] { return a_mano("GET / HTTP/1.0\r\n\r\n"); }, 403},
      {"two hosts", [&] { return a_mano("GET / HTTP/1.1\r\nHost: HOST\r\nHost: HOST\r\n\r\n"); },
       400},
      {"a page of another origin",
       [&] { return chiedi("/stato", "Origin: http://esempio.it\r\n"); }, 403},
      {"a page of another origin, for the events",
       [&] { return chiedi("/eventi", "Origin: http://esempio.it\r\n"); }, 403},
      {"a page of another port of the machine",
       [&] {
         return chiedi("/eventi",
                       "Origin: http://127.0.0.1:" + std::to_string(porta_ + 1) + "\r\n");
       },
       403},
      {"a page with no origin of its own", [&] { return chiedi("/stato", "Origin: null\r\n"); },
       403},
      {"a request another site made",
       [&] { return chiedi("/eventi", "Sec-Fetch-Site: cross-site\r\n"); }, 403},
      {"a request another port of the machine made",
       [&] { return chiedi("/stato", "Sec-Fetch-Site: same-site\r\n"); }, 403},
      {"its own page's request",
       [&] {
         return chiedi("/stato",
                       "Origin: http://localhost:" + porta + "\r\nSec-Fetch-Site: same-origin\r\n");
       },
       200},
      {"a path of its own folder", [&] { return chiedi("/linea.txt"); }, 404},
      {"a path outside", [&] { return chiedi("/../../etc/passwd"); }, 404},
      {"a path of the page's script", [&] { return chiedi("/index.html"); }, 404},
      {"a request that writes",
       [&] { return a_mano("POST /stato HTTP/1.1\r\nHost: HOST\r\nContent-Length: 1\r\n\r\nx"); },
       405},
      {"megabytes of body",
       [&] {
         return a_mano("POST /stato HTTP/1.1\r\nHost: HOST\r\nContent-Length: 4194304\r\n\r\n" +
                       std::string(4u << 20, 'x'));
       },
       405},
      {"a body on a read",
       [&] {
         return a_mano("GET /stato HTTP/1.1\r\nHost: HOST\r\nContent-Length: 5\r\n\r\nxxxxx");
       },
       413},
      {"megabytes of address", [&] { return chiedi("/" + lungo); }, 414},
      {"megabytes of header", [&] { return chiedi("/", "X-Lungo: " + lungo + "\r\n"); }, 431},
      {"a line folded", [&] { return a_mano("GET / HTTP/1.1\r\nHost: HOST\r\n x\r\n\r\n"); }, 400},
      {"not HTTP", [&] { return a_mano("GET / SPDY/3\r\nHost: HOST\r\n\r\n"); }, 400},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    auto r = c.chiedi();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->codice, c.codice) << r->corpo;
    EXPECT_EQ(r->intestazione("cache-control"), "no-store");
    EXPECT_EQ(r->intestazione("x-content-type-options"), "nosniff");
    // The program still serves its own.
    EXPECT_EQ(stato()["lettura"], 1);
  }
  EXPECT_EQ(interrompi(), 0);
}

TEST_F(GuardaInCorso, SlowClientsHoldNoOneAndNotTheInterrupt) {
  avvia();
  // 30 clients that send a header line a second and never end their request.
  std::vector<std::unique_ptr<prova::connessione_http>> lenti;
  for (int i = 0; i < 30; ++i) {
    lenti.push_back(std::make_unique<prova::connessione_http>(porta_));
    ASSERT_TRUE(lenti.back()->manda("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(porta_) +
                                    "\r\n"));
  }
  std::atomic<bool> basta{false};
  std::thread goccia([&] {
    for (int riga = 0; !basta; ++riga) {
      for (auto& c : lenti) c->manda(fmt::format("X-Goccia-{}: 1\r\n", riga));
      for (int k = 0; k < 10 && !basta; ++k) std::this_thread::sleep_for(100ms);
    }
  });
  // Meanwhile another client is served, again and again.
  for (int i = 0; i < 5; ++i) {
    auto r = chiedi("/");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->codice, 200);
    std::this_thread::sleep_for(200ms);
  }
  // A request that does not come whole within its time is answered 408 and
  // its connection ends.
  for (auto& c : lenti) {
    EXPECT_TRUE(c->finisce(10s));
    EXPECT_EQ(c->ricevuto().rfind("HTTP/1.1 408 ", 0), 0u) << c->ricevuto();
  }
  basta = true;
  goccia.join();
  // Others begin a request; the interrupt ends the program all the same.
  for (auto& c : lenti) {
    c = std::make_unique<prova::connessione_http>(porta_);
    c->manda("GET / HTTP/1.1\r\n");
  }
  EXPECT_EQ(interrompi(), 0);
}

TEST_F(GuardaInCorso, AMillionShortHeaderLinesAreRefusedInBoundedMemory) {
  avvia();
  prova::connessione_http c(porta_);
  std::string testa = "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(porta_) + "\r\n";
  std::string righe;
  for (int i = 0; i < 1000000; ++i) righe += "a: b\r\n";
  // The sending fails once the program has refused the head and closed.
  std::thread manda([&] { c.manda(testa + righe); });
  EXPECT_TRUE(c.attendi("\r\n\r\n", 10s));
  EXPECT_EQ(c.ricevuto().rfind("HTTP/1.1 431 ", 0), 0u) << c.ricevuto();
  EXPECT_TRUE(c.finisce(10s));
  manda.join();
  EXPECT_EQ(stato()["lettura"], 1);
  EXPECT_LT(memoria_massima(), 64 * 1024) << "KiB";
  EXPECT_EQ(interrompi(), 0);
}

TEST_F(GuardaInCorso, AFifoInPlaceOfAFileIsNamedAndLaterSavesAreSeen) {
  avvia();
  const std::string tubo = cartella.file("tubo");
  ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
  std::filesystem::rename(tubo, cartella.file("treno.txt"));
  json s;
  ASSERT_TRUE(entro(5s, [&] {
    s = stato();
    return s.is_object() && s["lettura"] == 2;
  })) << s.dump();
  ASSERT_TRUE(s.contains("guasto")) << s.dump();
  EXPECT_NE(s["guasto"].get<std::string>().find("treno.txt\": è una pipe (FIFO), non un file"),
            std::string::npos)
      << s.dump();
  EXPECT_TRUE(entro(2s, [&] {
    return uscita().find("è una pipe (FIFO), non un file") != std::string::npos;
  })) << uscita();
  // A save afterwards is seen, as ever.
  salva(cartella.file("treno.txt"), con(prova::treno_prova, "Nuro", "Nuro Centrale"));
  EXPECT_TRUE(entro(5s, [&] {
    s = stato();
    return s.is_object() && s["lettura"] == 3 && !s.contains("guasto") && s["errori"] == 0;
  })) << s.dump();
  EXPECT_EQ(interrompi(), 0);
}

TEST_F(GuardaInCorso, AFifoOrAFolderAtTheStartIsSaid) {
  ASSERT_EQ(::mkfifo(cartella.file("tubo").c_str(), 0600), 0);
  std::filesystem::create_directory(cartella.file("cartella"));
  struct caso {
    const char* treno;
    const char* messaggio;
  };
  const caso casi[] = {{"tubo", "tubo\": è una pipe (FIFO), non un file"},
                       {"cartella", "cartella\": è una cartella, non un file"},
                       {"/dev/null", "null\": è un dispositivo, non un file"}};
  for (const caso& c : casi) {
    SCOPED_TRACE(c.treno);
    CartellaTemporanea uscite;
    const std::string comando =
        "cd " + prova::tra_apici(cartella.percorso()) + " && timeout 10 " +
        prova::riga_comando(SCEN_SCENARIO, {"guarda", "linea.txt", c.treno}) + " >" +
        prova::tra_apici(uscite.file("out")) + " 2>" + prova::tra_apici(uscite.file("err")) +
        " </dev/null";
    const int grezzo = std::system(comando.c_str());
    ASSERT_TRUE(WIFEXITED(grezzo));
    EXPECT_EQ(WEXITSTATUS(grezzo), 2);
    EXPECT_NE(prova::leggi(uscite.file("err")).find(c.messaggio), std::string::npos)
        << prova::leggi(uscite.file("err"));
  }
}

// Some sixty megabytes of a train file: records that the reading does not know.
std::string treno_grande() {
  std::string grande = prova::treno_prova;
  grande.reserve(62u << 20);
  while (grande.size() < (60u << 20)) grande += "ignoto, 1, 2, 3, 4, 5\n";
  return grande;
}

TEST_F(GuardaInCorso, ALongReadingHoldsNeitherThePageNorTheInterrupt) {
  const std::string grande = treno_grande();
  for (int segnale : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(segnale);
    prova::scrivi(cartella.file("treno.txt"), prova::treno_prova);
    avvia();
    salva(cartella.file("treno.txt"), grande);
    std::this_thread::sleep_for(500ms);
    // While it reads, the page and the state of the last reading are served.
    auto r = chiedi("/");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->codice, 200);
    EXPECT_EQ(stato()["lettura"], 1);
    EXPECT_EQ(interrompi(segnale), 0);
    EXPECT_EQ(uscita().substr(uscita().size() - 13), "guarda: fine\n");
  }
}

TEST_F(GuardaInCorso, ALongFirstReadingDoesNotHoldTheInterrupt) {
  prova::scrivi(cartella.file("treno.txt"), treno_grande());
  avvia({}, "", false);
  // The first reading begun, in a thread of its own.
  EXPECT_TRUE(entro(10s, [&] {
    const std::string stato = prova::leggi(fmt::format("/proc/{}/status", servente()));
    const auto dove = stato.find("Threads:");
    return dove != std::string::npos && std::stol(stato.substr(dove + 8)) >= 2;
  }));
  EXPECT_EQ(interrompi(), 0);
  EXPECT_EQ(uscita(), "guarda: fine\n");
}

TEST_F(GuardaInCorso, OpensItsAddressInTheBrowser) {
  // The system's opener, standing in for the browser: it notes what it is
  // given to open.
  CartellaTemporanea aprire;
  prova::scrivi(aprire.file("xdg-open"), "#!/bin/sh\nprintf '%s\\n' \"$*\" > " +
                                             prova::tra_apici(aprire.file("aperto")) + "\n");
  std::filesystem::permissions(aprire.file("xdg-open"), std::filesystem::perms::owner_all);
  avvia({"--apri"}, "PATH=" + prova::tra_apici(aprire.percorso()) + ":\"$PATH\"");
  EXPECT_TRUE(entro(5s, [&] {
    return prova::leggi(aprire.file("aperto")) ==
           "http://127.0.0.1:" + std::to_string(porta_) + "/\n";
  })) << prova::leggi(aprire.file("aperto"));
  EXPECT_EQ(interrompi(), 0);
}

TEST_F(GuardaInCorso, APortTakenOrAFileMissingIsSaidAtTheStart) {
  avvia();
  struct caso {
    std::vector<std::string> argomenti;
    const char* messaggio;
  };
  const caso casi[] = {
      {{"guarda", "linea.txt", "treno.txt", "--porta", std::to_string(porta_)}, "guarda: la porta"},
      {{"guarda", "linea.txt", "manca.txt"}, "manca.txt"},
      {{"guarda", "linea.txt", "treno.txt", "--porta", "70000"}, "guarda: la porta 70000"},
  };
  for (const caso& c : casi) {
    CartellaTemporanea uscite;
    // Bounded: a program that started serving instead would never end.
    const std::string comando = "cd " + prova::tra_apici(cartella.percorso()) + " && timeout 10 " +
                                prova::riga_comando(SCEN_SCENARIO, c.argomenti) + " >" +
                                prova::tra_apici(uscite.file("out")) + " 2>" +
                                prova::tra_apici(uscite.file("err")) + " </dev/null";
    const int grezzo = std::system(comando.c_str());
    ASSERT_TRUE(WIFEXITED(grezzo));
    EXPECT_EQ(WEXITSTATUS(grezzo), 2);
    EXPECT_EQ(prova::leggi(uscite.file("out")), "");
    EXPECT_NE(prova::leggi(uscite.file("err")).find(c.messaggio), std::string::npos)
        << prova::leggi(uscite.file("err"));
  }
  EXPECT_EQ(interrompi(), 0);
}

}  // namespace
}  // namespace scen
