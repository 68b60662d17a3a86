#include "tool/descrivi.h"

#include <fmt/format.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "content/chiavi_portate.h"
#include "describe/descrizioni.h"
#include "documents/documenti.h"
#include "model/nomi_file.h"
#include "platform/blocco_cartella.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "platform/windows1252.h"
#include "text/da_utf8.h"
#include "tool/cartella_uscita.h"

namespace scen {

namespace {

using scrittore = Stato (*)(const modello&, const std::string&, durata);

// A description file as the build run writes it, made in the private folder
// and written into `cartella` in UTF-8 with LF line ends under the same name.
Stato in_utf8(scrittore scrivi, const std::string& nome, const modello& m,
              const std::string& privata, const std::string& cartella) {
  Stato stato = scrivi(m, privata, durata::transitoria);
  std::string byte;
  if (stato.riuscito()) stato = leggi_file(percorso_in(privata, nome), byte);
  if (!stato.riuscito()) return stato;
  return sostituisci_file(percorso_in(cartella, nome), descrizione_in_utf8(byte));
}

}  // namespace

int descrivi(const richiesta_descrivi& richiesta, std::ostream& uscita, std::ostream& errori) {
  auto fallito = [&](const std::string& messaggio) {
    errori << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };
  blocco_cartella blocco;
  if (Stato stato = prendi_cartella_uscita(richiesta.cartella, blocco, errori); !stato.riuscito())
    return fallito(stato.messaggio());

  auto m = std::make_unique<modello>();
  m->chiave_percorso = chiave_percorso_portata;
  m->chiave_treno = chiave_treno_portata;

  cartella_privata privata;
  if (richiesta.utf8) {
    if (Stato stato = privata.crea(); !stato.riuscito()) return fallito(stato.messaggio());
    const std::pair<scrittore, std::string> descrizioni[] = {
        {dati_linea, nome_descrizione_linea(*m)}, {dati_treno, nome_descrizione_treno(*m)}};
    for (const auto& [scrivi, nome] : descrizioni) {
      Stato stato = in_utf8(scrivi, nome, *m, privata.percorso(), richiesta.cartella);
      if (!stato.riuscito()) return fallito(stato.messaggio());
    }
  } else {
    for (scrittore scrivi : {dati_linea, dati_treno}) {
      Stato stato = scrivi(*m, richiesta.cartella, durata::durevole);
      if (!stato.riuscito()) return fallito(stato.messaggio());
    }
  }
  for (auto scrivi : {dati_note, dati_rallentamenti, dati_scheda}) {
    Stato stato = scrivi(*m, richiesta.cartella);
    if (!stato.riuscito()) return fallito(stato.messaggio());
  }
  // Said once all are written: a failure leaves only its own line.
  const char* forma = richiesta.utf8 ? "UTF-8, LF" : "Windows-1252, CR LF";
  const std::pair<std::string, std::string> scritti[] = {
      {nome_descrizione_linea(*m), fmt::format("la descrizione della linea ({})", forma)},
      {nome_descrizione_treno(*m), fmt::format("la descrizione del treno ({})", forma)},
      {nome_documento(*m, "note.txt"), "le note"},
      {nome_documento(*m, "rallentamenti.txt"), "l'ordine dei rallentamenti"},
      {nome_documento(*m, "scheda_treno.txt"), "la scheda del treno"},
  };
  for (const auto& [nome, cosa] : scritti) uscita << da_1252_a_utf8(nome) << ": " << cosa << '\n';
  uscita << std::flush;
  return uscita_riuscita;
}

}  // namespace scen
