#include "tool/compila.h"

#include <fmt/format.h>

#include <array>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "check/causa_unica.h"
#include "check/celle_occupate.h"
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

constexpr std::string_view nessun_file_scritto =
    "nessun file compilato scritto: quelli già nella cartella, se ci sono, sono di una "
    "compilazione precedente";

bool esito_del_passaggio(esito e) {
  return e == esito::riduzione_prima_di_segnale || e == esito::riduzione_prima_di_inizio ||
         e == esito::riduzione_nel_rallentamento;
}

// The outcomes of the code-reduction pass at their records, as `scenario
// verifica` gives them: the pass comes after reading, and the reading that
// compiled does not keep the cells as they were before it, so the two
// descriptions are read again.
std::vector<std::string> righe_del_passaggio(std::array<std::string, 2> testi,
                                             const nomi_verificati& nomi) {
  elenco_problemi letti;
  lettura_verificata lettura = leggi_e_ripeti(testi[0], testi[1], nomi, 1, letti);
  if (!lettura.letto) return {};
  elenco_problemi passaggio;
  errori_del_passaggio(*lettura.letto, vedi_linea(testi[0]), vedi_treno(testi[1]), passaggio);
  std::vector<std::string> righe;
  for (const problema& p : passaggio.ordinati())
    for (std::string& riga : righe_problema(p, nomi)) righe.push_back(std::move(riga));
  return righe;
}

void scrivi_esito(std::ostream& uscita, const modello& m) {
  uscita << fmt::format("esito errore_codice={} errore_posizione={}\n",
                        numero_esito(m.errore_codice), m.errore_posizione)
         << std::flush;
}

// The two files given in each other's place, or a train that reads empty
// (it would compile into a train with no station and no limit): that, and
// nothing that follows from it, nothing written. False when neither.
bool rifiutata(const descrizione_vista& linea, const descrizione_vista& treno,
               const nomi_verificati& nomi, std::ostream& errori) {
  std::optional<problema> e = file_scambiati(linea, treno);
  if (!e) e = treno_vuoto(&linea, treno, gravita::errore);
  if (!e) return false;
  for (const std::string& riga : righe_problema(*e, nomi)) errori << riga << '\n';
  errori << nessun_file_scritto << '\n' << std::flush;
  return true;
}

// What is said around an outcome: the outcome, the records of the
// code-reduction pass, the cause that explains it (a length in kilometres)
// or a note on a short length, who holds a taken cell and where the record
// could go, then where reading stopped, with the files the author gave.
void spiega_esito(const modello& m, const std::array<std::string, 2>& testi,
                  const file_descrizione& copie, const nomi_verificati& nomi,
                  diagnosi_lettura& diagnosi, std::ostream& errori) {
  const descrizione_vista linea = vedi_linea(testi[0]);
  const descrizione_vista treno = vedi_treno(testi[1]);
  if (m.errore_codice != esito::nessuno)
    errori << " Errore n. " << testo_esito(m.errore_codice, m.errore_posizione) << '\n';
  if (esito_del_passaggio(m.errore_codice))
    for (const std::string& riga : righe_del_passaggio(testi, nomi)) errori << riga << '\n';
  // The line's length in kilometres explains the outcome: that first, and
  // the outcome's own error, which follows from it, only counted.
  std::optional<lunghezza_in_km> km;
  if (m.errore_codice != esito::nessuno) km = lunghezza_in_chilometri(linea, treno);
  if (km) {
    for (const std::string& riga : righe_problema(km->errore, nomi)) errori << riga << '\n';
    if (!diagnosi.file.empty()) {
      diagnosi.file.clear();
      std::erase_if(diagnosi.note, [](const diagnostica& n) { return n.livello == gravita::nota; });
      errori << problemi_che_seguono(1) << '\n';
    }
  } else if (m.errore_codice == esito::fuori_dalle_celle) {
    // What the reading does not say: a line length that the records find
    // too short.
    if (std::optional<problema> n = nota_lunghezza(linea, treno))
      aggiungi_nota(diagnosi, gravita::nota, copie.linea, {n->riga, n->colonna}, n->causa);
  }
  // A taken cell: who holds it, and where the record could go instead.
  if (esito_di_cella_occupata(m.errore_codice) && !diagnosi.file.empty()) {
    const file_verificato f =
        diagnosi.file == copie.linea ? file_verificato::linea : file_verificato::treno;
    for (const problema& n : note_cella_occupata(m, linea, treno, f, diagnosi.riga))
      aggiungi_nota(diagnosi, gravita::nota,
                    parte_di(n.file) == file_verificato::linea ? copie.linea : copie.treno,
                    {n.riga, n.colonna}, n.causa);
  }
  // Name the files the author gave, not their private copies.
  rinomina_file(diagnosi, copie.linea, nomi[0]);
  rinomina_file(diagnosi, copie.treno, nomi[1]);
  for (const std::string& riga : righe_diagnosi(diagnosi)) errori << riga << '\n';
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

  // The two files as the readers see them, for what is said around the
  // outcome.
  const descrizione_vista linea = vedi_linea(testi[0]);
  const descrizione_vista treno = vedi_treno(testi[1]);
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  if (rifiutata(linea, treno, nomi, errori)) return uscita_esito;

  const Long j = richiesta.senza_linea ? 0 : 1;
  risultato_percorso risultato = memorizza_percorso(*m, j, copie, richiesta.cartella);

  switch (risultato.esito) {
    case esito_percorso::errore_1250:
    case esito_percorso::errore_1251:
      errori << (risultato.esito == esito_percorso::errore_1250 ? " Errore n. 1250\n"
                                                                : " Errore n. 1251\n");
      if (std::optional<problema> e = errore_casella_riservata(*m, linea, treno))
        for (const std::string& riga : righe_problema(*e, nomi)) errori << riga << '\n';
      errori << nessun_file_scritto << '\n' << std::flush;
      return uscita_fallita;
    default:
      break;
  }

  spiega_esito(*m, testi, copie, nomi, risultato.diagnosi, errori);

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
