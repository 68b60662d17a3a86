#include "tool/verifica.h"

#include <fmt/format.h>

#include <optional>
#include <ostream>

#include "check/avvisi_marcia.h"
#include "check/avvisi_orari.h"
#include "check/causa_unica.h"
#include "check/controlli_avvisi.h"
#include "check/verifica_letture.h"
#include "check/verifica_problemi.h"
#include "content/chiavi_portate.h"
#include "documents/dati_da_lettura.h"
#include "documents/ordine_rallentamenti.h"
#include "documents/scheda_generata.h"
#include "marcia/marcia_modello.h"
#include "marcia/rotabile_scelto.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "text/da_utf8.h"
#include "tool/descrizioni_date.h"

namespace scen {

namespace {

constexpr std::string_view segno_ordine = "\xef\xbb\xbf";

// What the crew documents cannot show (a name wider than its cell, a time
// that is no time of day, a slowdown before the first kilometre post), found
// by the documents themselves and told as warnings: the pair compiles, but
// `scenario documenti` writes no documents. What the documents only leave
// blank is the checker's to tell (a stop without a time).
void quel_che_i_documenti_non_mostrano(const descrizione_vista& linea,
                                       const descrizione_vista& treno, const modello& letto,
                                       elenco_problemi& problemi) {
  if (treno_vuoto(&linea, treno, gravita::avviso)) return;
  const descrizioni_documenti dati = dati_da(linea, treno, letto);
  std::vector<diagnostica> trovati;
  ordine_rallentamenti(dati, chiave_treno_portata, trovati);
  scheda_generata(dati, intestazione_scheda{}, trovati);
  for (diagnostica& p : trovati) {
    if (p.livello != gravita::errore) continue;
    p.livello = gravita::avviso;
    p.causa += "; scenario documenti non scrive i documenti";
    problemi.aggiungi(std::move(p));
  }
}

}  // namespace

problemi_trovati trova_problemi(std::array<std::string, 2> byte, const nomi_verificati& nomi,
                                bool utf8, const rotabile* treno_corsa) {
  elenco_problemi problemi;
  // The two texts as the readers take them; none for a file that could not
  // be converted.
  std::array<std::optional<std::string>, 2> testi;
  bool convertiti = true;
  for (size_t i = 0; i < 2; ++i) {
    const auto f = static_cast<file_verificato>(i);
    if (!utf8) {
      if (std::string_view(byte[i]).starts_with(segno_ordine))
        problemi.avviso(f, 1, 1,
                        "il file comincia con il segno di ordine dei byte di UTF-8: le "
                        "descrizioni si scrivono in Windows-1252, oppure si leggono con --utf8");
      testi[i] = std::move(byte[i]);
      continue;
    }
    std::string convertito;
    guasto_utf8 guasto;
    Stato stato = descrizione_da_utf8(byte[i], nomi[i], convertito, &guasto);
    if (stato.riuscito()) {
      testi[i] = std::move(convertito);
    } else {
      problemi.errore(f, guasto.riga, guasto.colonna, std::move(guasto.causa));
      convertiti = false;
    }
  }

  lettura_verificata lettura;
  if (convertiti)
    lettura = leggi_e_ripeti(*testi[0], *testi[1], nomi, errori_massimi_verifica, problemi);

  // Our own pass, on the records as the last reading saw them: those that
  // stopped it are set aside already.
  std::optional<descrizione_vista> linea, treno;
  if (testi[0]) {
    linea = vedi_linea(*testi[0]);
    linea->messe_da_parte = std::move(lettura.messe_da_parte[0]);
  }
  if (testi[1]) {
    treno = vedi_treno(*testi[1]);
    treno->messe_da_parte = std::move(lettura.messe_da_parte[1]);
  }
  controlla_avvisi(linea ? &*linea : nullptr, treno ? &*treno : nullptr, utf8, problemi);
  for (problema& a : lettura.avvisi_lettore)
    if (!problemi.problema_in(parte_di(a.file), a.riga, a.colonna)) problemi.aggiungi(std::move(a));
  if (lettura.letto) {
    errori_dopo_lettura(*lettura.letto, *linea, *treno, problemi);
    quel_che_i_documenti_non_mostrano(*linea, *treno, *lettura.letto, problemi);
    const marcia_modello corsa_fatta = marcia_del_modello(*lettura.letto, &*linea, treno_corsa);
    controlla_marcia(corsa_fatta, *linea, *treno, problemi);
    controlla_orari(corsa_fatta, *lettura.letto, *treno, problemi);
  }

  problemi_trovati trovati;
  trovati.ordinati = problemi.ordinati();
  trovati.errori = problemi.errori();
  trovati.avvisi = problemi.avvisi();
  trovati.interruzione = std::move(lettura.interruzione);
  trovati.convertiti = convertiti;
  return trovati;
}

int verifica(const richiesta_verifica& richiesta, std::ostream& uscita, std::ostream& errori) {
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  // Both files as they are: each conversion from UTF-8 is checked there,
  // where a failure is a problem of its file like any other.
  std::array<std::string, 2> byte;
  if (Stato stato = leggi_descrizioni_date(nomi, false, byte); !stato.riuscito()) {
    // With --json the standard output is a document whatever happens: one
    // with no problems, stopped for the file that could not be read.
    if (richiesta.json) uscita << json_problemi({}, nomi, 0, 0, stato.messaggio()) << std::flush;
    errori << visibile(stato.messaggio()) << '\n' << std::flush;
    return uscita_fallita;
  }
  rotabile_scelto scelto;
  if (Stato stato = scegli_rotabile(richiesta.rotabile, richiesta.treno, scelto);
      !stato.riuscito()) {
    if (richiesta.json) uscita << json_problemi({}, nomi, 0, 0, stato.messaggio()) << std::flush;
    errori << visibile(stato.messaggio()) << '\n' << std::flush;
    return uscita_fallita;
  }
  // Which file was taken from beside the description, where it does not
  // spoil the JSON document.
  if (const std::string detto = riga_rotabile_accanto(scelto); !detto.empty())
    (richiesta.json ? errori : uscita) << detto << '\n';
  problemi_trovati trovati = trova_problemi(byte, nomi, richiesta.utf8, scelto.se_dato());
  riduci_alla_causa(trovati, byte, nomi, richiesta.utf8, scelto.se_dato());

  if (richiesta.json) {
    uscita << json_problemi(trovati.ordinati, nomi, trovati.errori, trovati.avvisi,
                            trovati.interruzione, trovati.seguono);
  } else {
    for (const problema& p : trovati.ordinati)
      for (const std::string& riga : righe_problema(p, nomi)) uscita << riga << '\n';
    if (trovati.seguono > 0)
      uscita << problemi_che_seguono(trovati.seguono)
             << ": corretto il primo, la verifica va ripetuta\n";
    if (!trovati.interruzione.empty()) uscita << visibile(trovati.interruzione) << '\n';
    uscita << riepilogo(trovati.errori, trovati.avvisi) << '\n';
  }
  uscita.flush();

  if (!trovati.convertiti) return uscita_fallita;
  if (trovati.errori > 0 || (richiesta.rigoroso && trovati.avvisi > 0)) return uscita_esito;
  return uscita_riuscita;
}

}  // namespace scen
