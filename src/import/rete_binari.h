// The railway as a network of nodes joined by the segments of its ways:
// the cheapest path between stations, and the track that goes on after a
// line's end.
#pragma once

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "import/estratto_osm.h"
#include "import/linea_osm.h"

namespace scen {

// A siding, yard or spur.
bool di_servizio(const via_osm& v);
// A main or branch line (usage=main|branch).
bool principale(const via_osm& v);

// A segment of a way, from the node it leaves: to node `a`, along way `via`
// (index in estratto_osm::vie), in the way's direction or against it.
struct arco {
  id_osm a = 0;
  size_t via = 0;
  bool avanti = true;
  double lunghezza = 0;  // m
};

using rete = std::unordered_map<id_osm, std::vector<arco>>;

// The railway's network: all its ways, or those of `solo`.
rete rete_dei_binari(const estratto_osm& e, const piano_rapido& piano,
                     const std::unordered_set<size_t>* solo = nullptr);

// The railway node nearest to `p`, on a main way where there is one (not a
// siding, not light rail); `distanza` receives how far (m).
id_osm nodo_vicino(const estratto_osm& e, const piano_rapido& piano, const luogo_osm& p,
                   double& distanza);

// The cheapest path from any of `da` to any of `a`, as the nodes it leaves
// and the segments it takes: each metre of a main or branch line costs 1,
// of another line 1.5, of a siding, yard or spur 5 where
// `anche_servizio` allows them at all. Empty where none joins them.
std::vector<std::pair<id_osm, const arco*>> cammino(const estratto_osm& e, const rete& r,
                                                    const std::vector<id_osm>& da,
                                                    const std::unordered_set<id_osm>& a,
                                                    bool anche_servizio);

// The track after `l`'s last point, up to `seguito_massimo` and a little
// more: at each node the way that goes on straightest, main lines first.
void prosegui(const estratto_osm& e, const rete& r, const piano_rapido& piano, linea_osm& l);

}  // namespace scen
