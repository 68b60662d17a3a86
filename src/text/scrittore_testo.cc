#include "text/scrittore_testo.h"

#include <fmt/format.h>

#include "platform/file.h"
#include "platform/windows1252.h"

namespace scen {

tabella_righe chiudi_tabella(std::vector<std::string> righe) {
  righe.emplace_back(fine_del_file);
  return righe;
}

Stato componi_testo(const tabella_righe& tabella, std::string& byte) {
  std::string risultato;
  for (size_t i = 0; i < tabella.size(); ++i) {
    if (tabella[i] == fine_del_file) {
      byte = std::move(risultato);
      return Stato::ok();
    }
    if (i == righe_massime)
      return Stato::errore(fmt::format("tabella di oltre {} righe", righe_massime));
    size_t dove = 0;
    std::optional<std::string> riga = utf8_a_1252(tabella[i], &dove);
    if (!riga)
      return Stato::errore(fmt::format("riga {}, carattere {}: carattere senza codice Windows-1252",
                                       i + 1, dove + 1));
    risultato += *riga;
    risultato += "\r\n";
  }
  return Stato::errore("tabella senza il segno di fine");
}

Stato scrivi_tabella(const std::string& percorso, const tabella_righe& tabella, durata d) {
  std::string byte;
  Stato stato = componi_testo(tabella, byte);
  if (!stato.riuscito())
    return Stato::errore(fmt::format("\"{}\": {}", percorso, stato.messaggio()));
  return sostituisci_file(percorso, byte, d);
}

}  // namespace scen
