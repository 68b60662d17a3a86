#include "tool/documenti.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <memory>
#include <ostream>

#include "check/verifica_letture.h"
#include "check/verifica_testi.h"
#include "documents/dati_da_lettura.h"
#include "documents/marcia_scheda.h"
#include "documents/ordine_rallentamenti.h"
#include "documents/scheda_generata.h"
#include "marcia/marcia_modello.h"
#include "marcia/rotabile_scelto.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "platform/windows1252.h"
#include "read/costruttori_linea.h"
#include "read/memorizza_dati.h"
#include "text/da_utf8.h"
#include "text/scrittore_testo.h"
#include "tool/cartella_uscita.h"
#include "tool/descrizioni_date.h"
#include "tool/verifica.h"

namespace scen {

namespace {

// The boxes of the card's heading that the keys and the options give: the
// train key is the class, a blank and the number ("IC 731").
Stato intestazione_da(const richiesta_documenti& r, Long massa_frenata, intestazione_scheda& i) {
  const size_t blank = r.chiave_treno.rfind(' ');
  i.numero = blank == std::string::npos ? r.chiave_treno : r.chiave_treno.substr(blank + 1);
  i.classe = blank == std::string::npos ? std::string() : r.chiave_treno.substr(0, blank);
  std::optional<std::string> categoria = utf8_a_1252(r.categoria);
  if (!categoria)
    return Stato::errore(
        fmt::format("la categoria \"{}\" non si può scrivere in Windows-1252", r.categoria));
  i.categoria = std::move(*categoria);
  i.massa_frenata = fmt::format("{}%", massa_frenata);
  i.massa_bloccata = fmt::format("{}T", r.massa_bloccata);
  const struct {
    const std::string* testo;
    size_t larghezza;
    const char* cosa;
  } caselle[] = {
      {&i.numero, larghezza_numero,
       "il numero del treno (la chiave del treno dopo l'ultimo spazio)"},
      {&i.classe, larghezza_classe,
       "la classificazione (la chiave del treno fino all'ultimo spazio)"},
      {&i.categoria, larghezza_categoria, "la categoria"},
      {&i.massa_frenata, larghezza_categoria, "la percentuale di massa frenata"},
      {&i.massa_bloccata, larghezza_massa_bloccata, "la massa bloccata"},
  };
  for (const auto& c : caselle)
    if (c.testo->size() > c.larghezza)
      return Stato::errore(
          fmt::format("{} \"{}\" ha {} caratteri: la sua casella della scheda "
                      "treno ne tiene {}",
                      c.cosa, da_1252_a_utf8(*c.testo), c.testo->size(), c.larghezza));
  return Stato::ok();
}

// A document's lines (Windows-1252) as the text file writer takes them.
tabella_righe tabella_da_1252(const std::vector<std::string>& righe) {
  std::vector<std::string> utf8;
  for (const std::string& riga : righe) utf8.push_back(da_1252_a_utf8(riga));
  return chiudi_tabella(std::move(utf8));
}

// The notes file (UTF-8) as lines of Windows-1252.
Stato righe_note(const std::string& file, std::vector<std::string>& righe) {
  std::string byte;
  Stato stato = leggi_file(file, byte);
  std::string convertito;
  if (stato.riuscito()) stato = descrizione_da_utf8(byte, file, convertito);
  if (!stato.riuscito()) return stato;
  for (size_t da = 0; da < convertito.size();) {
    size_t fine = convertito.find("\r\n", da);
    if (fine == std::string::npos) fine = convertito.size();
    righe.push_back(convertito.substr(da, fine - da));
    da = fine + 2;
  }
  if (righe.size() > righe_massime)
    return Stato::errore(
        fmt::format("{}: le note hanno {} righe, ma un documento ne tiene al più {}", file,
                    righe.size(), righe_massime));
  return Stato::ok();
}

// The documents into the output folder, each named on `uscita` with what
// it holds: the notes (when given), the slowdown order and the train card.
Stato scrivi_documenti(const richiesta_documenti& richiesta, const std::vector<std::string>& note,
                       const std::vector<std::string>& ordine, size_t rallentamenti,
                       const std::vector<std::string>& scheda, size_t fogli, std::ostream& uscita) {
  modello chiavi;
  chiavi.chiave_percorso = richiesta.chiave_percorso;
  chiavi.chiave_treno = richiesta.chiave_treno;
  auto scrivi = [&](const char* proprio, tabella_righe tabella, const std::string& cosa) {
    const std::string nome = nome_documento(chiavi, proprio);
    Stato stato = scrivi_tabella(percorso_in(richiesta.cartella, nome), tabella);
    if (stato.riuscito()) uscita << visibile(da_1252_a_utf8(nome)) << ": " << cosa << '\n';
    return stato;
  };
  auto quanti = [](size_t n, const char* uno, const char* molti) {
    return fmt::format("{} {}", n, n == 1 ? uno : molti);
  };
  Stato stato;
  if (richiesta.note)
    stato = scrivi("note.txt", tabella_da_1252(note), quanti(note.size(), "riga", "righe"));
  if (stato.riuscito())
    stato = scrivi("rallentamenti.txt", tabella_da_1252(ordine),
                   quanti(rallentamenti, "rallentamento", "rallentamenti"));
  if (stato.riuscito())
    stato = scrivi("scheda_treno.txt", tabella_da_1252(scheda), quanti(fogli, "foglio", "fogli"));
  return stato;
}

}  // namespace

int documenti(const richiesta_documenti& richiesta, std::ostream& uscita, std::ostream& errori) {
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  auto fallito = [&](const std::string& messaggio) {
    errori << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };
  blocco_cartella blocco;
  if (Stato stato = prendi_cartella_uscita(richiesta.cartella, blocco, errori); !stato.riuscito())
    return fallito(stato.messaggio());
  std::array<std::string, 2> testi;
  if (Stato stato = leggi_descrizioni_date(nomi, richiesta.utf8, testi); !stato.riuscito())
    return fallito(stato.messaggio());
  rotabile_scelto scelto;
  if (!richiesta.senza_marcia)
    if (Stato stato = scegli_rotabile(richiesta.rotabile, richiesta.treno, scelto);
        !stato.riuscito())
      return fallito(stato.messaggio());
  std::vector<std::string> note;
  if (richiesta.note)
    if (Stato stato = righe_note(*richiesta.note, note); !stato.riuscito())
      return fallito(stato.messaggio());

  // Only descriptions that read without error make documents.
  elenco_problemi problemi;
  std::array<std::string, 2> copie = testi;
  lettura_verificata lettura =
      leggi_e_ripeti(copie[0], copie[1], nomi, errori_massimi_verifica, problemi);
  if (problemi.errori() > 0 || !lettura.letto) {
    for (const problema& p : problemi.ordinati())
      for (const std::string& riga : righe_problema(p, nomi)) errori << riga << '\n';
    if (!lettura.interruzione.empty()) errori << visibile(lettura.interruzione) << '\n';
    errori << "nessun documento scritto: le descrizioni non si leggono senza errori\n"
           << std::flush;
    return uscita_esito;
  }

  intestazione_scheda intestazione;
  const Long massa_frenata = lettura.letto->massa_frenata();
  if (Stato stato = intestazione_da(richiesta, massa_frenata, intestazione); !stato.riuscito())
    return fallito(stato.messaggio());

  const descrizione_vista linea = vedi_linea(testi[0]);
  const descrizione_vista treno = vedi_treno(testi[1]);
  descrizioni_documenti dati = dati_da(linea, treno, *lettura.letto);
  std::vector<diagnostica> trovati;
  if (!richiesta.senza_marcia && dati.stazioni.size() >= 2)
    if (Stato stato = aggiungi_marcia(
            dati, marcia_del_modello(*lettura.letto, &linea, scelto.se_dato(), margine_normale));
        !stato.riuscito())
      trovati.push_back(problema_di(
          true, 0, 0, false,
          fmt::format("la marcia non si calcola ({}): la scheda treno ha solo gli orari della "
                      "descrizione",
                      stato.messaggio())));
  const std::vector<std::string> ordine =
      ordine_rallentamenti(dati, richiesta.chiave_treno, trovati);
  size_t fogli = 0;
  const std::vector<std::string> scheda = scheda_generata(dati, intestazione, trovati, &fogli);
  for (diagnostica& p : trovati) problemi.aggiungi(std::move(p));
  for (const problema& p : problemi.ordinati())
    for (const std::string& riga : righe_problema(p, nomi)) errori << riga << '\n';
  if (problemi.errori() > 0) {
    errori << "nessun documento scritto\n" << std::flush;
    return uscita_esito;
  }
  errori.flush();
  if (const std::string detto = riga_rotabile_accanto(scelto); !detto.empty())
    uscita << detto << '\n';

  const Stato stato =
      scrivi_documenti(richiesta, note, ordine, dati.rallentamenti.size(), scheda, fogli, uscita);
  uscita.flush();
  if (!stato.riuscito()) return fallito(stato.messaggio());
  return uscita_riuscita;
}

}  // namespace scen
