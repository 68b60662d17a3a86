#include "compile/memorizza_percorso.h"

#include <fmt/format.h>

#include "compile/codici_gara.h"
#include "compile/codifica.h"
#include "compile/file_compilati.h"
#include "compile/riduzione_codici.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "platform/insieme_file.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

// Why the model cannot be written, or empty when it can.
std::string motivo_non_scrivibile(const modello& m) {
  if (m.celle.size() <= cella_segnata)
    return "la linea non ha la cella 1 (lunghezza della linea non letta o troppo breve)";
  for (size_t i = 0; i < m.registri.size(); ++i)
    if (m.registri[i].nome.size() > lunghezza_testo_massima)
      return fmt::format("il testo del registro {} supera {} byte", i, lunghezza_testo_massima);
  return {};
}

}  // namespace

risultato_percorso memorizza_percorso(modello& m, Long j, const file_descrizione& descrizioni,
                                      const std::string& cartella_uscita) {
  m.con_tracciato = j;
  m.errore_codice = esito::nessuno;
  for (registro& r : m.registri) r = registro{};
  diagnosi_lettura diagnosi = memorizza_dati(m, descrizioni);
  risultato_percorso risultato = completa_e_scrivi(m, cartella_uscita);
  risultato.diagnosi = std::move(diagnosi);
  return risultato;
}

esito_percorso casella_riservata_presa(const modello& m) {
  const registro& generali = m.registri[registro_segnato];
  const cella& riservata = m.celle[cella_segnata];
  if (generali.*campo_segno_registri != 0 || riservata.*campo_segno_celle != 0)
    return esito_percorso::errore_1250;
  if (generali.orario != 0 || riservata.valore_2 != 0) return esito_percorso::errore_1251;
  return esito_percorso::scritti;
}

risultato_percorso completa_e_scrivi(modello& m, const std::string& cartella_uscita) {
  risultato_percorso risultato;
  riduzione_codici(m);

  risultato.messaggio = motivo_non_scrivibile(m);
  if (!risultato.messaggio.empty()) {
    risultato.esito = esito_percorso::non_scrivibile;
    return risultato;
  }

  risultato.esito = casella_riservata_presa(m);
  if (risultato.esito != esito_percorso::scritti) return risultato;
  registro& generali = m.registri[registro_segnato];
  cella& riservata = m.celle[cella_segnata];
  generali.*campo_segno_registri = segno_registri;
  riservata.*campo_segno_celle = segno_celle;
  generali.orario = codice_gara_st(m);
  riservata.valore_2 = codice_gara_og(m);

  // The files are replaced as one set (the line file first, when written):
  // the first that cannot be written ends the writing and is named, and the
  // older files stay.
  insieme_nuovo insieme(cartella_uscita);
  auto scrivi = [&](const std::string& nome, auto&& contenuto) {
    file_nuovo& file = insieme.aggiungi(da_1252_a_utf8(nome));
    Stato stato = file.apri();
    if (stato.riuscito()) {
      try {
        stato = contenuto(file);
      } catch (const codifica_traboccata& e) {
        stato = Stato::errore(e.what());
      }
    }
    // Closed at once: only one file is open at a time.
    if (stato.riuscito()) stato = file.chiudi();
    if (!stato.riuscito()) {
      risultato.esito = esito_percorso::guasto_file;
      risultato.messaggio = stato.messaggio();
    }
    return stato.riuscito();
  };
  if (m.con_tracciato != 0 &&
      !scrivi(nome_linea_compilata(m), [&](file_nuovo& f) { return scrivi_tracciato(m, f); }))
    return risultato;
  if (!scrivi(nome_treno_compilato(m),
              [&](file_nuovo& f) { return f.scrivi(codifica_registri(m)); }))
    return risultato;
  if (!scrivi(nome_celle_compilate(m), [&](file_nuovo& f) { return f.scrivi(codifica_celle(m)); }))
    return risultato;
  if (Stato stato = insieme.completa(); !stato.riuscito()) {
    risultato.esito = esito_percorso::guasto_file;
    risultato.messaggio = stato.messaggio();
  }
  return risultato;
}

}  // namespace scen
