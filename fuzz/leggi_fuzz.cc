// Fuzz target: arbitrary bytes as one of the two description files, the other
// a small valid one; both are read into a model and the code-reduction pass
// completes it. The same bytes are also read only to look, as the checker
// does: what that tells must be what the reading told, field for field, up
// to where reading stopped. Every run must end in a defined outcome, with no sanitizer
// report, and a diagnosis whose lines a terminal shows as they are: UTF-8,
// no control byte, and the file's text in them kept short.
//
// The first byte chooses: bit 0 clear, the bytes that follow are the line
// description; set, the train description. Bit 1 set reads without the trace
// (j = 0).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "compile/file_compilati.h"
#include "compile/riduzione_codici.h"
#include "model/esiti.h"
#include "model/nomi_file.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/windows1252.h"
#include "read/memorizza_dati.h"
#include "testing/descrizioni_prova.h"
#include "testing/lettura_e_vista.h"

namespace {

using namespace scen;

const std::string& cartella() {
  static cartella_privata privata;
  static const bool creata = [] {
    Stato stato = privata.crea();
    if (!stato.riuscito()) {
      std::fprintf(stderr, "%s\n", stato.messaggio().c_str());
      std::abort();
    }
    return true;
  }();
  (void)creata;
  return privata.percorso();
}

void scrivi(const std::string& percorso, std::string_view byte) {
  std::ofstream file(percorso, std::ios::binary | std::ios::trunc);
  file.write(byte.data(), static_cast<std::streamsize>(byte.size()));
  if (!file) {
    std::fprintf(stderr, "impossibile scrivere \"%s\"\n", percorso.c_str());
    std::abort();
  }
}

void esito_definito(const modello& m, const char* dove) {
  if (m.errore_codice == esito::nessuno || !descrizione_esito(m.errore_codice).empty()) return;
  std::fprintf(stderr, "esito non definito %d %s\n", static_cast<int>(m.errore_codice), dove);
  std::abort();
}

// Each line of the diagnosis: UTF-8 that Windows-1252 can hold (as every
// message and every quoted text is), no control byte, and short: quoted text
// is cut, so no line grows with the file.
void righe_mostrabili(const diagnosi_lettura& d) {
  constexpr size_t lunghezza_massima_riga = 2000;
  for (const std::string& riga : righe_diagnosi(d)) {
    bool controlli = false;
    for (char c : riga) controlli = controlli || static_cast<unsigned char>(c) < 0x20;
    if (controlli || !utf8_a_1252(riga) || riga.size() > lunghezza_massima_riga) {
      std::fprintf(stderr, "riga di diagnosi non mostrabile: %s\n", riga.c_str());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, size_t n) {
  if (n == 0) return 0;
  const std::uint8_t scelta = dati[0];
  const std::string_view resto(reinterpret_cast<const char*>(dati + 1), n - 1);

  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  const file_descrizione file{percorso_in(cartella(), nome_descrizione_linea(*m)),
                              percorso_in(cartella(), nome_descrizione_treno(*m))};
  const bool come_treno = (scelta & 1) != 0;
  scrivi(file.linea, come_treno ? std::string_view(prova::linea_prova) : resto);
  scrivi(file.treno, come_treno ? resto : std::string_view(prova::treno_prova));

  // As the compile step prepares the model.
  m->con_tracciato = (scelta & 2) != 0 ? 0 : 1;
  m->errore_codice = esito::nessuno;

  const diagnosi_lettura diagnosi = memorizza_dati(*m, file);
  esito_definito(*m, "dopo la lettura");
  righe_mostrabili(diagnosi);
  riduzione_codici(*m);
  esito_definito(*m, "dopo il passaggio");

  // The tables that a writable model puts into the compiled files.
  if (m->celle.size() >= 2) {
    bool testi_corti = true;
    for (const registro& r : m->registri)
      testi_corti = testi_corti && r.nome.size() <= lunghezza_testo_massima;
    if (testi_corti) {
      if (codifica_celle(*m).size() != byte_per_cella * m->celle.size()) {
        std::fprintf(stderr, "celle codificate della lunghezza sbagliata\n");
        std::abort();
      }
      (void)codifica_registri(*m);
    }
  }

  if (const std::string divergenza = prova::divergenza_lettura_vista(resto, !come_treno);
      !divergenza.empty()) {
    std::fprintf(stderr, "lettura e vista non concordano: %s\n", divergenza.c_str());
    std::abort();
  }

  // A reader that stopped early leaves the train description behind.
  for (const std::string& nome : {file.linea, file.treno}) {
    Stato stato = elimina_file(nome);
    if (!stato.riuscito()) {
      std::fprintf(stderr, "%s\n", stato.messaggio().c_str());
      std::abort();
    }
  }
  return 0;
}
