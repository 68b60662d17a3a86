#include "tool/cartella_uscita.h"

#include <fmt/format.h>

#include "platform/file.h"
#include "platform/insieme_file.h"
#include "platform/visibile.h"

namespace scen {

Stato prendi_cartella_uscita(const std::string& cartella, blocco_cartella& blocco,
                             std::ostream& errori) {
  if (!e_cartella(cartella))
    return Stato::errore(
        fmt::format("la cartella di uscita \"{}\" non esiste o non è una cartella", cartella));
  // One run at a time in a folder; what runs killed earlier left half
  // written goes.
  Stato stato = blocco.prendi(cartella, [&] {
    errori << visibile(avviso_attesa(cartella)) << '\n' << std::flush;
  });
  if (!stato.riuscito()) return stato;
  // A set of compiled files that a killed run left half replaced is
  // finished or undone first: its temporaries are not abandoned. One that
  // cannot be finished is said, and this run's own set replaces it.
  std::string detto;
  if (Stato ripresa = riprendi_insieme(cartella, detto); !ripresa.riuscito())
    detto = ripresa.messaggio();
  if (!detto.empty()) errori << visibile(detto) << '\n' << std::flush;
  static_cast<void>(rimuovi_temporanei_abbandonati(cartella));
  return stato;
}

Stato riprendi_cartella_letta(const std::string& cartella, std::ostream& errori) {
  if (!esiste(percorso_diario(cartella))) return Stato::ok();
  blocco_cartella blocco;
  Stato stato = blocco.prendi(cartella, [&] {
    errori << visibile(avviso_attesa(cartella)) << '\n' << std::flush;
  });
  if (!stato.riuscito()) return stato;
  std::string detto;
  stato = riprendi_insieme(cartella, detto);
  if (!detto.empty()) errori << visibile(detto) << '\n' << std::flush;
  return stato;
}

}  // namespace scen
