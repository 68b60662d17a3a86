// The stations of an extract as railways map them: station and halt
// nodes, stop positions on the track and platforms, grouped by their stop
// areas and names; and where a line passes them.
#pragma once

#include <string>
#include <vector>

#include "import/estratto_osm.h"
#include "import/linea_osm.h"
#include "platform/stato.h"

namespace scen {

// One station: the stops and platforms that make it.
struct stazione_osm {
  std::string nome;
  bool leggera = false;  // of light rail, trams, subways or road vehicles, not of a railway
  std::vector<const fermata_osm*> fermate;
};

// The stations of `e`: stops of one stop area, or of one name within a
// kilometre, are one station; a platform or an unnamed stop joins the
// nearest named one within 300 m. Stops whose tags give them to light rail,
// trams or road vehicles make stations of their own, marked so.
std::vector<stazione_osm> stazioni_dell_estratto(const estratto_osm& e);

// The station `nome` names (its own name, a stop's or its stop area's):
// exactly, else whatever the letters' case; railway stations only, none
// for an empty name.
std::vector<const stazione_osm*> stazioni_di_nome(const std::vector<stazione_osm>& stazioni,
                                                  const std::string& nome);

// The stop and platform members of a relation that the extract does not
// hold (platforms mapped as areas among them).
struct membri_fuori {
  std::vector<id_osm> nodi, vie, relazioni;
  bool vuoto() const { return nodi.empty() && vie.empty() && relazioni.empty(); }
};

// The stations of relation `r`'s stop and platform members, in their order,
// a stop and its platform one station; `fuori` receives the members the
// extract does not hold.
std::vector<const stazione_osm*> stazioni_della_relazione(const estratto_osm& e,
                                                          const std::vector<stazione_osm>& stazioni,
                                                          const relazione_osm& r,
                                                          membri_fuori& fuori);

// A pass of the line by a station: where along the line (m) and how far.
struct passaggio {
  double lungo = 0;
  double distanza = 0;
};

// A polyline and the lengths along it of its points (m).
struct spezzata {
  std::vector<luogo_osm> punti;
  std::vector<double> lungo;
};

// The passes of `l` by station `s`: one for each stretch of the line within
// `distanza_stazione` of it, at its nearest point; from its stop positions,
// else its platforms, else its station nodes (the first of these that the
// line passes within reach). With no pass, one at the nearest point of all.
std::vector<passaggio> passaggi(const piano_rapido& piano, const stazione_osm& s,
                                const spezzata& l);

// One pass for each station of `stazioni` (the same order), their `lungo`
// growing, the sum of their distances least; empty when no choice keeps
// the order.
std::vector<passaggio> passaggi_in_ordine(const std::vector<std::vector<passaggio>>& stazioni);

// The representative place of a station: its first stop position, else
// platform, else node.
luogo_osm luogo_di(const stazione_osm& s);

}  // namespace scen
