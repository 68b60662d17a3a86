// What `scenario importa` tells once the descriptions are written: its
// warnings, then the line's figures, as text or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "import/importa.h"
#include "import/importa_osm.h"

namespace scen {

// One import's outcome: the request, whether it read an extract, and what
// the import and the extract's reading found.
struct esito_importa {
  const richiesta_importa& richiesta;
  bool estratto = false;
  const importazione& i;
  const resoconto_osm& osm;
};

// The warnings, each a line with the track's file name.
std::vector<std::string> avvisi_importa(const esito_importa& e);

// The figures as one JSON object, the warnings among them.
void scrivi_resoconto_json(const esito_importa& e, const std::vector<std::string>& avvisi,
                           std::ostream& uscita);

// The warnings on `errori`, the figures as lines on `uscita`.
void scrivi_resoconto_testo(const esito_importa& e, const std::vector<std::string>& avvisi,
                            std::ostream& uscita, std::ostream& errori);

}  // namespace scen
