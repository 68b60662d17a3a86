// The records an extract gives the train and the line once the track is
// fitted: the speed limits of its ways, its main signals, its kilometre
// count and its signposts, each on a cell of its own.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "import/cippi_osm.h"
#include "import/descrizione_importata.h"
#include "import/estratto_osm.h"
#include "import/importa_osm.h"
#include "import/linea_osm.h"
#include "platform/stato.h"
#include "read/accesso.h"

namespace scen {

// The cells taken by the stations' stop marks.
std::set<largo> celle_delle_stazioni(const linea_importata& l);

// Speed limits: each way's, in the line's direction; a way without one
// keeps the one before it. `metri_vertici` holds each vertex's place along
// the fitted line (m). A way's limit beyond the highest a description holds
// is capped, and warned of once.
void limiti_della_linea(const estratto_osm& e, const linea_osm& l,
                        const std::vector<double>& metri_vertici, bool con_treno,
                        linea_importata& li, resoconto_osm& resoconto);

// The main signals that face the line's direction, each on the free cell
// nearest its place (`prese` the cells taken, which it takes). Fails, naming
// the file `nome`, when the line has more than its cells hold.
Stato segnali_della_linea(const estratto_osm& e, const linea_osm& l,
                          const std::vector<double>& metri_vertici, const std::string& nome,
                          std::set<largo>& prese, linea_importata& li, resoconto_osm& resoconto);

// The kilometre counts of the milestones placed along the line (the
// milestones that follow none are counted as left out).
void progressive_della_linea(std::vector<cippo_lungo> cippi, double ultimo, linea_importata& li,
                             resoconto_osm& resoconto);

// The signposts within the records the stations leave: named bridges first,
// then kilometres at the closest step whose signposts all fit.
void cartelli_della_linea(const estratto_osm& e, const std::vector<struttura_osm>& strutture,
                          std::set<largo>& prese, linea_importata& li);

}  // namespace scen
