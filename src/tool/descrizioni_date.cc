#include "tool/descrizioni_date.h"

#include "read/memorizza_dati.h"
#include "text/da_utf8.h"

namespace scen {

Stato leggi_descrizioni_date(const std::array<std::string, 2>& nomi, bool utf8,
                             std::array<std::string, 2>& testi) {
  for (size_t i = 0; i < nomi.size(); ++i) {
    std::string byte;
    Stato stato = leggi_descrizione(nomi[i], byte);
    if (stato.riuscito() && !utf8) testi[i] = std::move(byte);
    if (stato.riuscito() && utf8) stato = descrizione_da_utf8(byte, nomi[i], testi[i]);
    if (!stato.riuscito()) return stato;
  }
  return Stato::ok();
}

}  // namespace scen
