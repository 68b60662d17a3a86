#include "import/segnali_osm.h"

#include <algorithm>

namespace scen {

namespace {

bool mostra(const punto_osm& segnale, const char* genere) {
  return std::find(segnale.generi.begin(), segnale.generi.end(), genere) != segnale.generi.end();
}

}  // namespace

bool segnale_principale(const punto_osm& segnale) {
  return mostra(segnale, "main") || mostra(segnale, "combined") || mostra(segnale, "main_repeated");
}

std::string genere_da_contare(const punto_osm& segnale) {
  for (const char* genere : {"distant", "speed_limit", "speed_limit_distant", "minor", "route",
                             "shunting", "stop", "train_protection", "electricity"})
    if (mostra(segnale, genere)) return genere;
  return segnale.generi.empty() ? "senza genere" : segnale.generi.front();
}

}  // namespace scen
