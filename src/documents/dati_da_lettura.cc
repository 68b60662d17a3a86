#include "documents/dati_da_lettura.h"

#include <string>
#include <string_view>
#include <utility>

#include "read/campi.h"
#include "read/costruttori_linea.h"

namespace scen {

descrizioni_documenti dati_da(const descrizione_vista& linea, const descrizione_vista& treno,
                              const modello& letto) {
  descrizioni_documenti d;
  for (int r : {indice_registro::progressiva_uno, indice_registro::progressiva_due,
                indice_registro::progressiva_tre}) {
    const registro& p = letto.registri[static_cast<size_t>(r)];
    // The marks are those the line description writes.
    d.progressive.push_back({p.inizio, scostamento_scritto(p), p.progressiva == 1});
  }
  for (const record_visto& r : linea.record)
    if (r.tipo == specie::progressiva && d.riga_progressive == 0) {
      d.riga_progressive = r.chiave.riga;
      d.colonna_progressive = r.chiave.colonna;
    }

  // The stations as the reading stored them, each with the places of its
  // record.
  Long stazione = 1;
  for (const record_visto& r : treno.record) {
    if (!r.intero) continue;
    switch (r.tipo) {
      case specie::velocita:
        d.velocita.push_back({r.valore(1), r.valore(2), r.chiave.riga, r.campo(1).colonna});
        break;
      case specie::rallentamento:
        d.rallentamenti.push_back({r.valore(1), r.valore(2), r.valore(3), r.valore(4) == 1,
                                   r.chiave.riga, r.campo(1).colonna});
        break;
      case specie::stazione: {
        if (stazione >= indice_registro::primo_cartello) break;
        const registro& letta = letto.registri[static_cast<size_t>(stazione++)];
        stazione_descritta s;
        s.nome = std::string(senza_spazi_finali(letta.nome));
        s.posizione = letta.progressiva;
        s.inizio = letta.inizio;
        s.fine = letta.fine;
        s.orario = letta.orario;
        s.fermata = letta.fermata;
        s.riga = r.chiave.riga;
        s.colonna_nome = r.campo(17).colonna;
        s.colonna_orario = r.campo(14).colonna;
        d.stazioni.push_back(std::move(s));
        break;
      }
      default:
        break;
    }
  }
  return d;
}

}  // namespace scen
