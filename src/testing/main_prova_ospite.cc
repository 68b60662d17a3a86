// prova_ospite: drives the host layer on its own, for the tests of a host.
//
//   prova_ospite errore A      the error report with A; a file "dopo_errore"
//                              in the working folder would tell that the
//                              program went on after it
//   prova_ospite attesa MS     the waiting sign, kept for MS milliseconds
//   prova_ospite tabelle FILE  writes into FILE how this host converts
//                              Windows-1252 and UTF-8 and lowers case, for
//                              comparison with another host
//   prova_ospite file          checks the file layer; prints what differs
//   prova_ospite processo FILE MS
//                              writes this process's id into FILE, then
//                              lives until FILE is gone or MS milliseconds
//                              have passed
//   prova_ospite abbandonati VIVO FINITO
//                              checks that the temporary files and private
//                              folders named for VIVO (a running process)
//                              and for this one stay, and those named for
//                              FINITO (an ended one) go; prints what differs
#include <fmt/format.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/blocco_cartella.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/insieme_file.h"
#include "platform/ospite.h"
#include "platform/processo.h"
#include "platform/windows1252.h"

namespace {

using namespace scen;

std::string esadecimale(std::string_view byte) {
  std::string out;
  for (char c : byte) out += fmt::format("{:02X}", static_cast<unsigned char>(c));
  return out;
}

std::string in_utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string verso_1252(std::string_view utf8) {
  size_t dove = 0;
  std::optional<std::string> byte = utf8_a_1252(utf8, &dove);
  return byte ? esadecimale(*byte) : fmt::format("- a {}", dove);
}

int tabelle(const std::string& file) {
  std::string out;
  std::string tutti;
  for (int b = 0; b < 256; ++b) tutti += static_cast<char>(b);
  for (int b = 0; b < 256; ++b) {
    const std::string uno(1, static_cast<char>(b));
    out += fmt::format("1252 {:02X} utf8 {} minuscola {}\n", b, esadecimale(da_1252_a_utf8(uno)),
                       esadecimale(minuscole_1252(uno)));
  }
  out += fmt::format("tutti utf8 {}\n", esadecimale(da_1252_a_utf8(tutti)));
  out += fmt::format("tutti minuscole {}\n", esadecimale(minuscole_1252(tutti)));
  out += fmt::format("tutti andata e ritorno {}\n", verso_1252(da_1252_a_utf8(tutti)));
  int rifiutati = 0;
  auto carattere = [&](char32_t c) {
    const std::string risultato = verso_1252("ab" + in_utf8(c));
    if (risultato == "- a 2")
      ++rifiutati;
    else
      out += fmt::format("U+{:04X} {}\n", static_cast<unsigned>(c), risultato);
  };
  for (char32_t c = 0; c < 0x10000; ++c) carattere(c);
  for (char32_t c : {0x10000, 0x1F600, 0x10FFFF}) carattere(c);
  out += fmt::format("rifiutati {}\n", rifiutati);
  for (std::string_view guasto : {"a\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
                                  "\xf4\x90\x80\x80", "\xff", "x\x80y", "citt\xc3\xa0\xe2\x86\x92"})
    out += fmt::format("{} {}\n", esadecimale(guasto), verso_1252(guasto));
  Stato stato = sostituisci_file(file, out);
  if (!stato.riuscito()) {
    mostra_guasto(stato.messaggio());
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}

int file() {
  int differenze = 0;
  auto atteso = [&](bool vero, std::string_view cosa) {
    if (!vero) {
      std::printf("differisce: %.*s\n", static_cast<int>(cosa.size()), cosa.data());
      ++differenze;
    }
  };
  cartella_privata privata;
  Stato stato = privata.crea();
  atteso(stato.riuscito(), "cartella privata: " + stato.messaggio());
  if (!stato.riuscito()) return EXIT_FAILURE;
  atteso(e_cartella(privata.percorso()), "la cartella privata e' una cartella");

  // "Vela_Nuro_IC 731_note.txt" with an accented letter, as Windows-1252.
  const std::string nome = percorso_in(privata.percorso(), "Vela_Nuro_IC 731_citt\xe0.txt");
  atteso(nome == privata.percorso() + "\\Vela_Nuro_IC 731_citt\xc3\xa0.txt" ||
             nome == privata.percorso() + "/Vela_Nuro_IC 731_citt\xc3\xa0.txt",
         "un nome nella cartella: " + nome);
  atteso(sostituisci_file(nome, "contenuto lungo").riuscito(), "prima scrittura");
  atteso(sostituisci_file(nome, "corto").riuscito(), "seconda scrittura");
  std::string letto;
  atteso(leggi_file(nome, letto).riuscito() && letto == "corto", "rilettura: " + letto);
  atteso(esiste(nome) && !e_cartella(nome), "il file esiste");
  atteso(leggi_file_regolare(nome, letto).riuscito() && letto == "corto",
         "lettura di un file regolare: " + letto);
  // Only regular files: a folder and a device are named, never read.
  stato = leggi_file_regolare(privata.percorso(), letto);
  atteso(stato.messaggio().find("\": \xc3\xa8 una cartella, non un file") != std::string::npos,
         "lettura di una cartella: " + stato.messaggio());
  stato = leggi_file_regolare(separatore_cartella == '\\' ? "NUL" : "/dev/null", letto);
  atteso(stato.messaggio().find("\": \xc3\xa8 un dispositivo, non un file") != std::string::npos,
         "lettura di un dispositivo: " + stato.messaggio());
  {
    file_nuovo nuovo(nome);
    atteso(nuovo.apri().riuscito() && nuovo.scrivi("lasciato").riuscito(), "file lasciato");
  }
  atteso(leggi_file(nome, letto).riuscito() && letto == "corto", "il file lasciato non conta");
  atteso(elimina_file(nome).riuscito() && !esiste(nome), "eliminazione");
  atteso(elimina_file(nome).riuscito(), "eliminazione di un file che non c'e'");
  stato = leggi_file(nome, letto);
  atteso(stato.messaggio().rfind(
             "impossibile aprire \"" + nome + "\": file o cartella inesistente (", 0) == 0,
         "lettura di un file che non c'e': " + stato.messaggio());
  stato = sostituisci_file(privata.percorso() + "/manca/x.txt", "x");
  atteso(!stato.riuscito(), "scrittura in una cartella che non c'e'");
  // Leftovers of a killed run: its temporary files go, other files stay.
  const std::string lasciato = percorso_in(privata.percorso(), "a.dat.~parziale.123.0123abcd");
  atteso(sostituisci_file(lasciato, "x").riuscito(), "file lasciato da un'altra esecuzione");
  atteso(sostituisci_file(percorso_in(privata.percorso(), "a.dat"), "a").riuscito(), "a.dat");
  atteso(rimuovi_temporanei_abbandonati(privata.percorso()).riuscito() && !esiste(lasciato) &&
             esiste(percorso_in(privata.percorso(), "a.dat")),
         "i temporanei abbandonati vanno, gli altri file restano");

  // A set replaced together over older files, then one left half replaced
  // (its journal and one temporary) and finished by the next taker.
  {
    const std::string a = percorso_in(privata.percorso(), "a.dat");
    const std::string accentato = "citt\xc3\xa0 1.sim";
    insieme_nuovo insieme(privata.percorso());
    for (const std::string& n : {std::string("a.dat"), accentato}) {
      file_nuovo& f = insieme.aggiungi(n);
      atteso(f.apri().riuscito() && f.scrivi("nuovo " + n).riuscito(), "un file dell'insieme");
    }
    stato = insieme.completa();
    atteso(stato.riuscito(), "insieme sostituito: " + stato.messaggio());
    atteso(leggi_file(a, letto).riuscito() && letto == "nuovo a.dat", "a.dat dell'insieme");
    atteso(!esiste(percorso_diario(privata.percorso())), "nessun diario dopo l'insieme");

    const std::string temporaneo = "a.dat.~parziale.123.0123abcd";
    atteso(sostituisci_file(percorso_in(privata.percorso(), temporaneo), "ripreso").riuscito(),
           "temporaneo lasciato");
    const voce_diario voce{"a.dat", temporaneo, 7, aggiorna_impronta(impronta_iniziale, "ripreso")};
    atteso(sostituisci_file(percorso_diario(privata.percorso()), testo_diario({voce})).riuscito(),
           "diario lasciato");
    std::string detto;
    stato = riprendi_insieme(privata.percorso(), detto);
    atteso(stato.riuscito() && leggi_file(a, letto).riuscito() && letto == "ripreso" &&
               !esiste(percorso_diario(privata.percorso())),
           "insieme ripreso: " + stato.messaggio() + detto);
  }

  // The folder's lock: a second taker waits, is told so, and gets it once the
  // first lets go.
  {
    auto primo = std::make_unique<blocco_cartella>();
    atteso(primo->prendi(privata.percorso(), {}).riuscito(), "primo blocco");
    std::atomic<bool> avvisato{false};
    std::atomic<bool> preso{false};
    std::thread secondo([&] {
      blocco_cartella blocco;
      preso = blocco.prendi(privata.percorso(), [&] { avvisato = true; }).riuscito();
    });
    for (int i = 0; i < 500 && !avvisato; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    atteso(avvisato && !preso, "il secondo aspetta e lo dice");
    primo.reset();
    secondo.join();
    atteso(preso, "il secondo prende il blocco lasciato");
  }

  std::string programma;
  atteso(cartella_programma(programma).riuscito() && e_cartella(programma),
         "cartella del programma: " + programma);
  std::printf("%s\n", differenze == 0 ? "file: tutto come atteso" : "file: differenze");
  return differenze == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Prints `cosa` when `vero` does not hold; counts the differences.
class confronto {
 public:
  void atteso(bool vero, std::string_view cosa) {
    if (vero) return;
    std::printf("differisce: %.*s\n", static_cast<int>(cosa.size()), cosa.data());
    ++differenze_;
  }
  int esito(std::string_view prova) const {
    std::printf("%.*s: %s\n", static_cast<int>(prova.size()), prova.data(),
                differenze_ == 0 ? "tutto come atteso" : "differenze");
    return differenze_ == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
  }

 private:
  int differenze_ = 0;
};

int processo(const std::string& file, int millisecondi) {
  Stato stato = sostituisci_file(file, fmt::format("{}\n", numero_processo()));
  if (!stato.riuscito()) {
    std::fprintf(stderr, "%s\n", stato.messaggio().c_str());
    return EXIT_FAILURE;
  }
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(millisecondi);
  while (esiste(file) && std::chrono::steady_clock::now() < fine)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return EXIT_SUCCESS;
}

std::optional<std::uint32_t> numero(std::string_view testo) {
  std::uint32_t n = 0;
  const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), n);
  if (errore != std::errc() || fine != testo.data() + testo.size()) return std::nullopt;
  return n;
}

std::filesystem::path percorso_largo(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

int abbandonati(std::uint32_t vivo, std::uint32_t finito) {
  confronto c;
  const std::uint32_t questo = numero_processo();
  c.atteso(processo_vivo(vivo), fmt::format("il processo {} e' in vita", vivo));
  c.atteso(!processo_vivo(finito), fmt::format("il processo {} e' finito", finito));
  c.atteso(processo_vivo(questo), "questo processo e' in vita");
  c.atteso(finito != questo && finito != vivo, "tre processi diversi");

  cartella_privata privata;
  Stato stato = privata.crea();
  c.atteso(stato.riuscito(), "cartella privata: " + stato.messaggio());
  if (!stato.riuscito()) return c.esito("abbandonati");

  // Temporary files: those of running processes stay, the others go.
  struct caso {
    std::string nome;
    bool resta;
  };
  auto temporaneo = [](std::uint32_t pid) {
    return fmt::format("a.dat.~parziale.{}.0123abcd", pid);
  };
  const caso casi[] = {
      {temporaneo(vivo), true},
      {temporaneo(questo), true},
      {temporaneo(finito), false},
      {"b.dat.~parziale", false},  // older names carry no process
      {"a.dat", true},
  };
  for (const caso& voce : casi)
    c.atteso(sostituisci_file(percorso_in(privata.percorso(), voce.nome), "x").riuscito(),
             "scrittura di " + voce.nome);
  // A folder of such a name is no temporary file, whatever process it names.
  const std::string cartella_finito =
      percorso_in(privata.percorso(), "c.dat.~parziale." + std::to_string(finito) + ".0123abcd");
  std::error_code errore;
  std::filesystem::create_directory(percorso_largo(cartella_finito), errore);
  c.atteso(!errore, "cartella " + cartella_finito);
  c.atteso(rimuovi_temporanei_abbandonati(privata.percorso()).riuscito(),
           "rimozione dei temporanei abbandonati");
  for (const caso& voce : casi)
    c.atteso(esiste(percorso_in(privata.percorso(), voce.nome)) == voce.resta,
             voce.nome + (voce.resta ? " resta" : " va"));
  c.atteso(e_cartella(cartella_finito), "la cartella con il nome di un temporaneo resta");

  // Private folders beside this one: those of running processes stay, the
  // others go when a private folder is made.
  const std::string& mia = privata.percorso();
  const std::string base = mia.substr(0, mia.rfind(separatore_cartella) + 1);
  const std::string di_vivo = fmt::format("{}scenario-{}-prova0", base, vivo);
  const std::string di_finito = fmt::format("{}scenario-{}-prova0", base, finito);
  for (const std::string& cartella : {di_vivo, di_finito}) {
    std::filesystem::create_directory(percorso_largo(cartella), errore);
    c.atteso(!errore, "cartella " + cartella);
    c.atteso(sostituisci_file(cartella + separatore_cartella + "dentro.txt", "x").riuscito(),
             "un file in " + cartella);
  }
  {
    cartella_privata altra;
    c.atteso(altra.crea().riuscito(), "un'altra cartella privata");
  }
  c.atteso(e_cartella(di_vivo), "la cartella privata di un processo in vita resta");
  c.atteso(!esiste(di_finito), "la cartella privata di un processo finito va");
  c.atteso(e_cartella(mia), "la cartella privata di questo processo resta");
  std::filesystem::remove_all(percorso_largo(di_vivo), errore);
  std::filesystem::remove_all(percorso_largo(di_finito), errore);
  return c.esito("abbandonati");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string comando = argc > 1 ? argv[1] : "";
  if (comando == "errore" && argc == 3) {
    scen::errore(argv[2]);
    // Never reached: the error report ends the program.
    (void)scen::sostituisci_file("dopo_errore", "il programma e' andato avanti\n");
    return EXIT_SUCCESS;
  }
  if (comando == "attesa" && argc == 3) {
    scen::mostra_attesa();
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return EXIT_SUCCESS;
  }
  if (comando == "tabelle" && argc == 3) return tabelle(argv[2]);
  if (comando == "file" && argc == 2) return file();
  if (comando == "processo" && argc == 4) return processo(argv[2], std::atoi(argv[3]));
  if (comando == "abbandonati" && argc == 4) {
    const std::optional<std::uint32_t> vivo = numero(argv[2]);
    const std::optional<std::uint32_t> finito = numero(argv[3]);
    if (vivo && finito) return abbandonati(*vivo, *finito);
  }
  std::fputs(
      "uso: prova_ospite errore A | attesa MS | tabelle FILE | file | processo FILE MS"
      " | abbandonati VIVO FINITO\n",
      stderr);
  return 2;
}
