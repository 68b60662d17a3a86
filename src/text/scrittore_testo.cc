#include "text/scrittore_testo.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/windows1252.h"

namespace scen {

tabella_righe chiudi_tabella(std::vector<std::string> righe) {
  righe.emplace_back(fine_del_file);
  return righe;
}

bool aggiungi_righe_1252(std::span<const std::string> righe, std::string& byte, size_t& riga,
                         size_t& carattere) {
  for (riga = 0; riga < righe.size(); ++riga) {
    std::optional<std::string> in_1252 = utf8_a_1252(righe[riga], &carattere);
    if (!in_1252) return false;
    byte += *in_1252;
    byte += "\r\n";
  }
  return true;
}

Stato componi_testo(const tabella_righe& tabella, std::string& byte) {
  // The lines before the marker, or before the first line past the limit.
  const size_t fine = static_cast<size_t>(std::find(tabella.begin(), tabella.end(), fine_del_file) -
                                          tabella.begin());
  std::string risultato;
  size_t riga = 0, dove = 0;
  if (!aggiungi_righe_1252(std::span(tabella).first(std::min(fine, righe_massime)), risultato, riga,
                           dove))
    return Stato::errore(fmt::format("riga {}, carattere {}: carattere senza codice Windows-1252",
                                     riga + 1, dove + 1));
  if (fine < tabella.size() && fine <= righe_massime) {
    byte = std::move(risultato);
    return Stato::ok();
  }
  if (tabella.size() > righe_massime)
    return Stato::errore(fmt::format("tabella di oltre {} righe", righe_massime));
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
