// `scenario guarda`: the state it gathers, and the built program as its
// users run it, asked over HTTP while its files change.
#include "tool/guarda.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "draw/politica_pagina.h"
#include "draw/testo_sicuro.h"
#include "platform/windows1252.h"
#include "read/memorizza_dati.h"
#include "testing/cartella_temporanea.h"
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
    const json d = json::parse(s.disegno_json);
    // The file is read as Windows-1252.
    const std::string nome = da_1252_a_utf8(t);
    EXPECT_EQ(d["dati"]["stazioni"].back()[1], nome);
    EXPECT_NE(d["svg"].get<std::string>().find(">" + xml_testo(nome) + "<"), std::string::npos);
  }
}

TEST(PaginaGuarda, OnlyItsOwnScriptRunsAndTheStreamComesBack) {
  const std::string p = pagina_guarda();
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

TEST(PaginaGuarda, HoldsTheDrawingsScriptAndAsksForNothingElse) {
  const std::string p = pagina_guarda();
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
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Starts `scenario guarda linea.txt treno.txt` with `opzioni`; waits for
  // its address. `ambiente` goes before it on the shell's line ("PATH=...").
  void avvia(const std::vector<std::string>& opzioni = {}, const std::string& ambiente = "") {
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
    ASSERT_TRUE(entro(10s, [&] { return uscita().find('\n') != std::string::npos; }))
        << "no address: " << prova::leggi(catture.file("err"));
    const std::string prima = uscita().substr(0, uscita().find('\n'));
    ASSERT_EQ(prima.rfind("http://127.0.0.1:", 0), 0u) << prima;
    porta_ = std::stoi(prima.substr(17));
    ASSERT_EQ(prima, "http://127.0.0.1:" + std::to_string(porta_) + "/");
  }

  std::string uscita() const { return prova::leggi(catture.file("out")); }

  httplib::Client cliente() const {
    httplib::Client c("127.0.0.1", porta_);
    c.set_connection_timeout(2);
    c.set_read_timeout(5);
    return c;
  }

  json stato() {
    auto r = cliente().Get("/stato");
    if (!r || r->status != 200) return json();
    return json::parse(r->body);
  }

  // Interrupts it as Ctrl-C does and gives its exit status (-1 when it did
  // not end by itself within 5 s).
  int interrompi() {
    ::kill(pid_, SIGINT);
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
          httplib::Client c("127.0.0.1", porta);
          c.set_read_timeout(30);
          std::string resto;
          c.Get("/eventi", [&](const char* dati, size_t n) {
            resto.append(dati, n);
            for (auto fine = resto.find("\n\n"); fine != std::string::npos;
                 fine = resto.find("\n\n")) {
              const std::string evento = resto.substr(0, fine);
              resto.erase(0, fine + 2);
              const auto dati_da = evento.find("data: ");
              if (dati_da == std::string::npos) continue;
              std::lock_guard<std::mutex> l(m_);
              stati_.push_back(json::parse(evento.substr(dati_da + 6)));
            }
            return !chiusa_;
          });
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
  auto pagina = cliente().Get("/");
  ASSERT_TRUE(pagina);
  EXPECT_EQ(pagina->status, 200);
  EXPECT_EQ(pagina->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(pagina->body.find("<title>scenario guarda</title>"), std::string::npos);
  EXPECT_EQ(pagina->get_header_value("Content-Security-Policy"), politica_guarda());
  EXPECT_EQ(pagina->get_header_value("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(pagina->get_header_value("Cache-Control"), "no-store");
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
    auto d = cliente().Get("/disegno");
    ASSERT_TRUE(d);
    EXPECT_NE(json::parse(d->body)["svg"].get<std::string>().find(p.nel_disegno),
              std::string::npos);
    EXPECT_EQ(json::parse(d->body)["disegno"], s["disegno"]);
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
  EXPECT_FALSE(cliente().Get("/stato"));
}

TEST_F(GuardaInCorso, RefusesWhatIsNotItsOwn) {
  avvia();
  struct caso {
    const char* nome;
    std::function<httplib::Result()> chiedi;
    int codice;  // 0: refused by closing the connection
  };
  const std::string lungo(1u << 20, 'a');
  const caso casi[] = {
      {"a foreign host",
       [&] {
         return cliente().Get("/stato", {{"Host", "esempio.it:" + std::to_string(porta_)}});
       },
       403},
      {"a foreign host for the events",
       [&] {
         return cliente().Get("/eventi", {{"Host", "esempio.it"}});
       },
       403},
      {"another port in the host",
       [&] {
         return cliente().Get("/", {{"Host", "127.0.0.1:" + std::to_string(porta_ + 1)}});
       },
       403},
      {"a path of its own folder", [&] { return cliente().Get("/linea.txt"); }, 404},
      {"a path outside", [&] { return cliente().Get("/../../etc/passwd"); }, 404},
      {"a path of the page's script", [&] { return cliente().Get("/index.html"); }, 404},
      {"a request that writes", [&] { return cliente().Post("/stato", "x", "text/plain"); }, 405},
      {"megabytes of body",
       [&] { return cliente().Post("/stato", std::string(4u << 20, 'x'), "text/plain"); }, 405},
      {"megabytes of address", [&] { return cliente().Get("/" + lungo); }, 414},
      {"megabytes of header",
       [&] {
         return cliente().Get("/", {{"X-Lungo", lungo}});
       },
       400},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const auto inizio = std::chrono::steady_clock::now();
    auto r = c.chiedi();
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 3s);
    if (r) {
      EXPECT_EQ(r->status, c.codice) << r->body;
    }
    // The program still serves its own.
    EXPECT_EQ(stato()["lettura"], 1);
  }
  EXPECT_EQ(interrompi(), 0);
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
