// For tests: the kilometre marks that the train card shows along an
// imported line, from its progressives.
#pragma once

#include <vector>

#include "documents/segni_chilometrici.h"
#include "import/descrizione_importata.h"

namespace scen::prova {

inline segni_chilometrici segni_della_linea(const linea_importata& l) {
  std::vector<progressiva_km> progressive;
  for (const progressiva_importata& p : l.progressive)
    progressive.push_back({p.inizio, p.scostamento, p.decrescente});
  return segni_chilometrici(progressive);
}

}  // namespace scen::prova
