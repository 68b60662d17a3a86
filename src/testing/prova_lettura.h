// For the readers' tests: description files written into a fresh folder and
// read into a model with the carried keys.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/dati_incorporati.h"
#include "model/modello.h"
#include "read/memorizza_dati.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"

namespace scen::prova {

// A 10,000 m line (341 cells, 0 to 340) with the given records after the
// general section.
inline std::string linea_con(const std::string& record = "") {
  return righe({"[generale]", "lunghezza percorso,    10000", "[pendenze]"}) + record +
         righe({"[fine]"});
}

// A train description with the given records.
inline std::string treno_con(const std::string& record = "") {
  return righe({"[generale]"}) + record + righe({"[fine]"});
}

// The carried description `nome` ("linea" or "treno") as the build run
// writes it (CR LF after every line), with line `riga` (from 1) replaced by
// `nuova` when one is given.
inline std::string portata(std::string_view nome, long riga = 0, std::string_view nuova = {}) {
  std::vector<std::string> righe_portate = righe_incorporate(nome);
  if (riga > 0) righe_portate.at(static_cast<size_t>(riga - 1)) = std::string(nuova);
  std::string testo;
  for (const std::string& r : righe_portate) testo += r + "\r\n";
  return testo;
}

struct Lettura {
  CartellaTemporanea cartella;
  modello m;
  file_descrizione file;
  diagnosi_lettura diagnosi;

  explicit Lettura(Long con_tracciato = 0) {
    m.chiave_percorso = "Vela_Nuro";
    m.chiave_treno = "IC 731";
    m.con_tracciato = con_tracciato;
    file = {cartella.file("Vela_Nuro_linea.txt"), cartella.file("Vela_Nuro_IC 731-.txt")};
  }

  // Writes the files that are given and reads them.
  const diagnosi_lettura& leggi(const std::optional<std::string>& linea,
                                const std::optional<std::string>& treno = treno_con()) {
    if (linea) scrivi(file.linea, *linea);
    if (treno) scrivi(file.treno, *treno);
    diagnosi = memorizza_dati(m, file);
    return diagnosi;
  }

  // The diagnosis as the user reads it, the two files named as given.
  std::vector<std::string> righe_mostrate(const std::string& linea = "linea.txt",
                                          const std::string& treno = "treno.txt") const {
    diagnosi_lettura d = diagnosi;
    rinomina_file(d, file.linea, linea);
    rinomina_file(d, file.treno, treno);
    return righe_diagnosi(d);
  }

  bool resta_linea() const { return esiste(file.linea); }
  bool resta_treno() const { return esiste(file.treno); }

 private:
  static bool esiste(const std::string& nome) { return std::filesystem::exists(nome); }
};

}  // namespace scen::prova
