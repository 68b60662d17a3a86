#include "tool/cartella_uscita.h"

#include <fmt/format.h>

#include "platform/file.h"
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
  if (stato.riuscito()) static_cast<void>(rimuovi_temporanei_abbandonati(cartella));
  return stato;
}

}  // namespace scen
