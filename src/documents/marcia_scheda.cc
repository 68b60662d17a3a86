#include "documents/marcia_scheda.h"

namespace scen {

Stato aggiungi_marcia(descrizioni_documenti& d, const marcia_modello& m) {
  d.marcia = {};
  if (m.linea.stazioni.size() != d.stazioni.size())
    return Stato::errore("le stazioni della lettura non sono quelle della scheda");
  if (!m.riuscita()) return m.stato;
  for (const orario_stazione& s : m.orario.stazioni) {
    d.marcia.arrivo.push_back(s.arrivo);
    d.marcia.partenza.push_back(s.partenza);
    d.marcia.recupero.push_back(s.recupero);
  }
  d.marcia.da = m.c.da;
  d.marcia.campione = corsa::campione;
  d.marcia.velocita = m.c.velocita;
  d.marcia.presente = true;
  return Stato::ok();
}

}  // namespace scen
