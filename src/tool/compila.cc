#include "tool/compila.h"

#include <fmt/format.h>

#include <array>
#include <memory>
#include <optional>
#include <ostream>

#include "check/controlli_avvisi.h"
#include "check/verifica_letture.h"
#include "check/verifica_problemi.h"
#include "compile/memorizza_percorso.h"
#include "model/nomi_file.h"
#include "platform/blocco_cartella.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "platform/windows1252.h"
#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "tool/cartella_uscita.h"
#include "tool/descrizioni_date.h"

namespace scen {

namespace {

void scrivi_esito(std::ostream& uscita, const modello& m) {
  uscita << fmt::format("esito errore_codice={} errore_posizione={}\n",
                        numero_esito(m.errore_codice), m.errore_posizione)
         << std::flush;
}

}  // namespace

Stato chiave_1252(std::string_view utf8, std::string_view quale, std::string& chiave) {
  if (utf8.empty()) return Stato::errore(fmt::format("la chiave {} non può essere vuota", quale));
  std::optional<std::string> convertita = utf8_a_1252(utf8);
  if (!convertita)
    return Stato::errore(
        fmt::format("la chiave {} \"{}\" non si può scrivere in Windows-1252", quale, utf8));
  if (convertita->find_first_of("/\\") != std::string::npos)
    return Stato::errore(
        fmt::format("la chiave {} \"{}\" non può contenere \"/\" né \"\\\"", quale, utf8));
  chiave = std::move(*convertita);
  return Stato::ok();
}

int compila(const richiesta_compila& richiesta, std::ostream& uscita, std::ostream& errori) {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = richiesta.chiave_percorso;
  m->chiave_treno = richiesta.chiave_treno;
  // Nothing read: there is no outcome to give, so no outcome line comes.
  auto non_compilato = [&](const std::string& messaggio) {
    errori << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };

  blocco_cartella blocco;
  if (Stato stato = prendi_cartella_uscita(richiesta.cartella, blocco, errori); !stato.riuscito())
    return non_compilato(stato.messaggio());
  cartella_privata privata;
  if (Stato stato = privata.crea(); !stato.riuscito()) return non_compilato(stato.messaggio());

  // The readers delete what they read: they get copies in the private
  // folder, in their Windows-1252 with CR LF when the files are in UTF-8.
  file_descrizione copie;
  copie.linea = percorso_in(privata.percorso(), nome_descrizione_linea(*m));
  copie.treno = percorso_in(privata.percorso(), nome_descrizione_treno(*m));
  std::array<std::string, 2> testi;
  {
    Stato stato = leggi_descrizioni_date({richiesta.linea, richiesta.treno}, richiesta.utf8, testi);
    if (stato.riuscito()) stato = sostituisci_file(copie.linea, testi[0], durata::transitoria);
    if (stato.riuscito()) stato = sostituisci_file(copie.treno, testi[1], durata::transitoria);
    if (!stato.riuscito()) return non_compilato(stato.messaggio());
  }

  const Long j = richiesta.senza_linea ? 0 : 1;
  risultato_percorso risultato = memorizza_percorso(*m, j, copie, richiesta.cartella);

  // The two files as the readers saw them, for what is said around the
  // outcome.
  const descrizione_vista linea = vedi_linea(testi[0]);
  const descrizione_vista treno = vedi_treno(testi[1]);
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};

  switch (risultato.esito) {
    case esito_percorso::errore_1250:
    case esito_percorso::errore_1251:
      errori << (risultato.esito == esito_percorso::errore_1250 ? " Errore n. 1250\n"
                                                                : " Errore n. 1251\n");
      if (std::optional<problema> e = errore_casella_riservata(*m, linea, treno))
        for (const std::string& riga : righe_problema(*e, nomi)) errori << riga << '\n';
      errori << "nessun file compilato scritto: quelli già nella cartella, se ci sono, sono di "
                "una compilazione precedente\n"
             << std::flush;
      return uscita_fallita;
    default:
      break;
  }

  if (m->errore_codice != esito::nessuno)
    errori << " Errore n. " << testo_esito(m->errore_codice, m->errore_posizione) << '\n';
  diagnosi_lettura& diagnosi = risultato.diagnosi;
  // What the reading does not say: a line length that the records find too
  // short, a train read empty with its "[generale]".
  if (m->errore_codice == esito::fuori_dalle_celle)
    if (std::optional<problema> n = nota_lunghezza(linea, treno))
      aggiungi_nota(diagnosi, gravita::nota, copie.linea, {n->riga, n->colonna}, n->causa);
  if (treno.con_generale)
    if (std::optional<problema> v = treno_vuoto(&linea, treno, gravita::avviso))
      aggiungi_nota(diagnosi, gravita::avviso, copie.treno, {v->riga, v->colonna}, v->causa);
  // Name the files the author gave, not their private copies.
  rinomina_file(diagnosi, copie.linea, richiesta.linea);
  rinomina_file(diagnosi, copie.treno, richiesta.treno);
  for (const std::string& riga : righe_diagnosi(diagnosi)) errori << riga << '\n';

  int uscita_stato = m->errore_codice != esito::nessuno ? uscita_esito : uscita_riuscita;
  switch (risultato.esito) {
    case esito_percorso::non_scrivibile:
      errori << "nessun file compilato scritto: " << visibile(risultato.messaggio) << '\n';
      uscita_stato = uscita_fallita;
      break;
    case esito_percorso::guasto_file:
      errori << visibile(risultato.messaggio) << '\n';
      uscita_stato = uscita_fallita;
      break;
    default:
      break;
  }
  errori.flush();
  scrivi_esito(uscita, *m);
  return uscita_stato;
}

}  // namespace scen
