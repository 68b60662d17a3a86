#include "documents/marcia_scheda.h"

#include "marcia/corsa.h"
#include "marcia/orario.h"
#include "marcia/percorso.h"
#include "marcia/rotabile.h"

namespace scen {

Stato aggiungi_marcia(descrizioni_documenti& d, const modello& letto,
                      const descrizione_vista& linea) {
  d.marcia = {};
  const percorso_marcia percorso = percorso_da_modello(letto, &linea);
  if (percorso.stazioni.size() != d.stazioni.size())
    return Stato::errore("le stazioni della lettura non sono quelle della scheda");
  const registro& generali = letto.registri[indice_registro::generali_treno];
  corsa c;
  if (Stato s =
          calcola_corsa(percorso, rotabile_incorporato(generali.progressiva, generali.inizio), c);
      !s.riuscito())
    return s;
  const orario_marcia o = orario_da_corsa(percorso, c, margine_normale);
  for (const orario_stazione& s : o.stazioni) {
    d.marcia.arrivo.push_back(s.arrivo);
    d.marcia.partenza.push_back(s.partenza);
    d.marcia.recupero.push_back(s.recupero);
  }
  d.marcia.da = c.da;
  d.marcia.campione = corsa::campione;
  d.marcia.velocita = std::move(c.velocita);
  d.marcia.presente = true;
  return Stato::ok();
}

}  // namespace scen
