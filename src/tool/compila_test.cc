// `scenario compila` under faults and concurrency: other runs in the same
// folder, planted links, a file-size limit, too little memory, signals and
// what killed runs left behind. The built program runs in a folder of its own.
#include "tool/compila.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/blocco_cartella.h"
#include "platform/memoria.h"
#include "testing/contenuto_cartella.h"
#include "testing/descrizioni_prova.h"
#include "testing/guasti_ospite.h"
#include "testing/memoria_limitata.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"

namespace scen {
namespace {

namespace fs = std::filesystem;
using prova::CartellaTemporanea;
using prova::leggi;
using prova::tra_apici;

using prova::contenuto;
using prova::contenuto_cartella;

// The test line, only longer: its compiled files differ from the test line's
// in every file.
std::string linea_piu_lunga() {
  std::string linea = prova::linea_prova;
  const std::string da = "lunghezza percorso,    10000";
  linea.replace(linea.find(da), da.size(), "lunghezza percorso,    12000");
  return linea;
}

// A working folder with the two descriptions as linea.txt and treno.txt, an
// empty output folder "uscita" and an empty folder for the private folders.
class CompilaFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    for (const char* nome : {"uscita", "tmp", "fuori"}) fs::create_directory(cartella.file(nome));
    prova::scrivi(cartella.file("linea.txt"), prova::linea_prova);
    prova::scrivi(cartella.file("treno.txt"), prova::treno_prova);
  }

  // `scenario compila LINEA treno.txt CARTELLA` as a shell command, after
  // `prima` (variables or a limit).
  std::string comando(const std::string& linea = "linea.txt",
                      const std::string& cartella_uscita = "uscita",
                      const std::string& prima = "") const {
    return prima + "TMPDIR=" + tra_apici(cartella.file("tmp")) + " " +
           prova::riga_comando(SCEN_SCENARIO, {"compila", linea, "treno.txt", cartella_uscita});
  }

  prova::Esito compila(const std::string& prima = "", const std::string& linea = "linea.txt") {
    return prova::esegui(comando(linea, "uscita", prima), cartella.percorso());
  }

  // The files one run alone writes from `linea` into an empty folder.
  contenuto_cartella da_sola(const std::string& linea) {
    const std::string nome = "sola_" + std::to_string(soli_++);
    fs::create_directory(cartella.file(nome));
    prova::Esito esito = prova::esegui(comando(linea, nome), cartella.percorso());
    EXPECT_EQ(esito.stato, 0) << esito.errori;
    return contenuto(cartella.file(nome));
  }

  bool nessuna_cartella_privata() const { return fs::is_empty(cartella.file("tmp")); }

  CartellaTemporanea cartella;
  int soli_ = 0;
};

TEST_F(CompilaFile, EsecuzioniInsiemeNellaStessaCartellaLascianoIFileInteriDiUnaSola) {
  prova::scrivi(cartella.file("lunga.txt"), linea_piu_lunga());
  const contenuto_cartella corta = da_sola("linea.txt");
  const contenuto_cartella lunga = da_sola("lunga.txt");
  ASSERT_EQ(corta.size(), 3u);
  ASSERT_NE(corta, lunga);

  for (int giro = 0; giro < 4; ++giro) {
    SCOPED_TRACE(giro);
    // Four runs started at once, two of each line, each with its status.
    std::string insieme;
    for (int i = 0; i < 4; ++i)
      insieme += "(" + comando(i % 2 == 0 ? "linea.txt" : "lunga.txt") + " >/dev/null; echo $? >" +
                 cartella.file("stato" + std::to_string(i)) + ") & ";
    prova::Esito esito = prova::esegui("{ " + insieme + "wait; }", cartella.percorso());
    EXPECT_EQ(esito.errori, "");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(leggi(cartella.file("stato" + std::to_string(i))), "0\n");
    const contenuto_cartella dopo = contenuto(cartella.file("uscita"));
    EXPECT_TRUE(dopo == corta || dopo == lunga) << "files of more than one run, or temporaries";
    EXPECT_TRUE(nessuna_cartella_privata());
  }
}

TEST_F(CompilaFile, UnaSecondaEsecuzioneAspettaLaPrimaEDiceCheAspetta) {
  const contenuto_cartella attesi = da_sola("linea.txt");
  auto bloccata = std::make_unique<blocco_cartella>();
  ASSERT_TRUE(bloccata->prendi(cartella.file("uscita"), {}).riuscito());

  prova::Esito esito;
  std::thread seconda([&] { esito = compila(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(attesa_prima_di_avvisare_ms + 1000));
  EXPECT_TRUE(fs::is_empty(cartella.file("uscita"))) << "the second run did not wait";
  bloccata.reset();
  seconda.join();

  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.errori, avviso_attesa("uscita") + "\n");
  EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
  EXPECT_EQ(contenuto(cartella.file("uscita")), attesi);
}

TEST_F(CompilaFile, UnLegameAlNomeTemporaneoNonPortaLaScritturaFuoriDallaCartella) {
  const contenuto_cartella attesi = da_sola("linea.txt");
  // The run's process id and random bytes are fixed, so that a link waits at
  // the very name each temporary file first gets; the names older versions
  // used get one too.
  const std::string fisso = "SCEN_PROVA_PROCESSO=4242 SCEN_PROVA_CASUALE=";
  contenuto_cartella legami;
  for (const auto& [nome, byte] : attesi) {
    const std::string bersaglio = cartella.file("fuori/" + nome);
    prova::scrivi(bersaglio, "fuori dalla cartella");
    for (const std::string& temporaneo : {nome + ".~parziale.4242.00000000", nome + ".~parziale"}) {
      fs::create_symlink(bersaglio, cartella.file("uscita/" + temporaneo));
      legami[temporaneo] = "-> " + bersaglio;
    }
  }
  const contenuto_cartella fuori = contenuto(cartella.file("fuori"));

  // Every name a run tries is taken: it gives up on the first file, which it
  // names, and follows none of the links.
  prova::Esito sempre = compila(prova::con_guasti(fisso + "zero"));
  EXPECT_EQ(sempre.stato, 2);
  EXPECT_EQ(sempre.errori, "impossibile creare \"uscita/Vela_Nuro_linea.dat\": File exists\n");
  EXPECT_EQ(contenuto(cartella.file("uscita")), legami);

  // The first name of each temporary file is taken, the next is free: the
  // run writes what it writes alone. (The two copies in the private folder
  // take one name each, so the first try of every file in the folder comes
  // on a request answered with zero bytes.)
  prova::Esito una_volta = compila(prova::con_guasti(fisso + "alterni"));
  EXPECT_EQ(una_volta.stato, 0) << una_volta.errori;
  contenuto_cartella scritti = legami;
  scritti.insert(attesi.begin(), attesi.end());
  EXPECT_EQ(contenuto(cartella.file("uscita")), scritti);

  EXPECT_EQ(contenuto(cartella.file("fuori")), fuori);
  EXPECT_TRUE(nessuna_cartella_privata());
}

TEST_F(CompilaFile, UnLimiteAllaGrandezzaDeiFileEUnGuastoDiScritturaComeGliAltri) {
  prova::scrivi(cartella.file("uscita/Vela_Nuro_linea.dat"), "vecchio");
  ASSERT_GT(prova::byte_linea_compilata, 100000u);
  prova::Esito esito = compila("prlimit --fsize=100000 env ");
  EXPECT_EQ(esito.stato, 2);
  EXPECT_EQ(esito.errori,
            "impossibile scrivere \"uscita/Vela_Nuro_linea.dat\": file troppo grande (File too "
            "large)\n");
  EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
  EXPECT_EQ(contenuto(cartella.file("uscita")),
            (contenuto_cartella{{"Vela_Nuro_linea.dat", prova::impronta("vecchio")}}));
  EXPECT_TRUE(nessuna_cartella_privata());
}

TEST_F(CompilaFile, LaMemoriaEsauritaEUnGuastoCheSiDice) {
  if (prova::con_sanitizzatore) GTEST_SKIP() << "the sanitizer cannot run with limited memory";
  // The longest line has a trace of tens of megabytes; the test line needs
  // far less, and compiles under the same limit.
  prova::scrivi(cartella.file("lunghissima.txt"), prova::linea_lunghissima(prova::linea_prova));
  const std::string limite = prova::limite_memoria(SCEN_SCENARIO, cartella.percorso());

  prova::Esito esito = compila(limite, "lunghissima.txt");
  EXPECT_EQ(esito.stato, 2);
  EXPECT_EQ(esito.errori, std::string(memoria_esaurita) + "\n");
  EXPECT_EQ(esito.uscita, "");
  EXPECT_TRUE(fs::is_empty(cartella.file("uscita")));
  EXPECT_TRUE(nessuna_cartella_privata());

  EXPECT_EQ(compila(limite).stato, 0);
}

TEST_F(CompilaFile, UnSegnaleDInterruzioneOTerminazioneTogliELaCartellaPrivata) {
  // The line is a pipe that nobody writes: the run waits in it, with its
  // private folder made.
  const std::string tubo = cartella.file("tubo");
  ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
  for (int segnale : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(segnale);
    fs::remove(cartella.file("pid"));
    for (const fs::directory_entry& voce : fs::directory_iterator(cartella.file("tmp")))
      fs::remove_all(voce.path());
    prova::Esito esito;
    std::atomic<bool> finita{false};
    std::thread run([&] {
      esito = prova::esegui("echo $$ >pid && exec env " + comando("tubo"), cartella.percorso());
      finita = true;
    });
    // The run's own private folder, "scenario-<pid>-XXXXXX".
    auto privata_fatta = [&] {
      const std::string pid = leggi(cartella.file("pid"));
      if (pid.empty() || pid.back() != '\n') return false;
      const std::string inizio = "scenario-" + pid.substr(0, pid.size() - 1) + "-";
      for (const fs::directory_entry& voce : fs::directory_iterator(cartella.file("tmp")))
        if (voce.path().filename().string().rfind(inizio, 0) == 0) return true;
      return false;
    };
    auto attendi = [](const std::function<bool()>& fatto) {
      const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!fatto() && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return fatto();
    };
    if (attendi(privata_fatta))
      ::kill(static_cast<pid_t>(std::stol(leggi(cartella.file("pid")))), segnale);
    else
      ADD_FAILURE() << "no private folder";
    if (!attendi([&] { return finita.load(); })) {
      ADD_FAILURE() << "the run goes on";
      // Let the run read an empty line and end.
      const int fd = ::open(tubo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    }
    run.join();

    EXPECT_EQ(esito.stato, -1) << "ended by the signal";
    EXPECT_TRUE(nessuna_cartella_privata());
    EXPECT_TRUE(fs::is_empty(cartella.file("uscita")));
  }
}

TEST_F(CompilaFile, LeRimanenzeDiEsecuzioniUcciseVannoViaEIlRestoResta) {
  const contenuto_cartella attesi = da_sola("linea.txt");
  prova::scrivi(cartella.file("fuori/bersaglio"), "fuori");
  // Left by killed runs: go.
  for (const char* nome : {"Vela_Nuro_linea.dat.~parziale.999999999.0badcafe", "a.dat.~parziale"})
    prova::scrivi(cartella.file("uscita/") + nome, "a metà");
  const std::string dell_autore = prova::impronta("dell'autore");
  // Not temporaries of these programs, or not files, or of a process that
  // runs: stay.
  contenuto_cartella restano;
  const std::string di_un_vivo =
      "Vela_Nuro_IC 731.sim.~parziale." + std::to_string(::getpid()) + ".0badcafe";
  prova::scrivi(cartella.file("uscita/" + di_un_vivo), "dell'autore");
  restano[di_un_vivo] = dell_autore;
  for (const char* nome : {"note.~parziale.txt", "a.~parziale.1.0badcaf", "a.~parziale.x.0badcafe",
                           ".~parziale", "a.~parziale.1.0BADCAFE"}) {
    prova::scrivi(cartella.file("uscita/") + nome, "dell'autore");
    restano[nome] = dell_autore;
  }
  fs::create_symlink(cartella.file("fuori/bersaglio"),
                     cartella.file("uscita/b.~parziale.1.00000000"));
  restano["b.~parziale.1.00000000"] = "-> " + cartella.file("fuori/bersaglio");
  fs::create_directory(cartella.file("uscita/c.~parziale.1.00000000"));
  restano["c.~parziale.1.00000000"] = "(cartella)";

  // Private folders of processes that are gone go; the others stay.
  const std::string morto = "scenario-999999999-abcdef";
  const std::string vivo = "scenario-" + std::to_string(::getpid()) + "-abcdef";
  for (const std::string& nome :
       {morto, vivo, std::string("scenario-999999999-abc"), std::string("scenario-abcdef")}) {
    fs::create_directory(cartella.file("tmp/" + nome));
    prova::scrivi(cartella.file("tmp/" + nome + "/Vela_Nuro_linea.txt"), "copia");
  }

  prova::Esito esito = compila();
  EXPECT_EQ(esito.stato, 0) << esito.errori;
  contenuto_cartella dopo = restano;
  dopo.insert(attesi.begin(), attesi.end());
  EXPECT_EQ(contenuto(cartella.file("uscita")), dopo);
  EXPECT_EQ(contenuto(cartella.file("tmp")),
            (contenuto_cartella{{vivo, "(cartella)"},
                                {"scenario-999999999-abc", "(cartella)"},
                                {"scenario-abcdef", "(cartella)"}}));
  EXPECT_EQ(leggi(cartella.file("fuori/bersaglio")), "fuori");
}

TEST_F(CompilaFile, UnaCancellazioneCheFallisceNellaLetturaENominaFileEMotivo) {
  prova::Esito esito = compila(prova::con_guasti("SCEN_PROVA_NON_ELIMINARE=Vela_Nuro_linea.txt"));
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "esito errore_codice=25 errore_posizione=0\n");
  // The file that could not be deleted is the private copy of linea.txt.
  const std::string inizio =
      " Errore n. 25\nlinea.txt: errore: impossibile eliminare \"" + cartella.file("tmp/scenario-");
  const std::string fine = "/Vela_Nuro_linea.txt\": permesso negato (Permission denied)\n";
  EXPECT_EQ(esito.errori.substr(0, inizio.size()), inizio) << esito.errori;
  ASSERT_GE(esito.errori.size(), fine.size());
  EXPECT_EQ(esito.errori.substr(esito.errori.size() - fine.size()), fine) << esito.errori;
}

}  // namespace
}  // namespace scen
