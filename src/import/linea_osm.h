// The line through an extract's railway: the ways of a route relation
// joined end to end, or the shortest path between two stations, cut to run
// from the first station to the last and the track after it.
#pragma once

#include <string>
#include <vector>

#include "import/estratto_osm.h"
#include "platform/stato.h"

namespace scen {

// Distances within a line's reach: an equirectangular plane around one
// latitude, true to a part in a thousand over a few hundred kilometres,
// which is all that choosing ways and stations needs.
struct piano_rapido {
  double cos_lat = 1;
  explicit piano_rapido(double latitudine);
  double x(const luogo_osm& l) const;
  double y(const luogo_osm& l) const;
  double distanza(const luogo_osm& a, const luogo_osm& b) const;
  // The distance from p to the segment ab, and the fraction of ab where the
  // nearest point lies.
  double al_segmento(const luogo_osm& p, const luogo_osm& a, const luogo_osm& b,
                     double& frazione) const;
};

// The distance (m) from `p` to the polyline through `punti`; `dove`, when
// given, receives where its nearest point lies along it, by the lengths
// `lunghezze` of its points (m).
double distanza_dalla_spezzata(const piano_rapido& piano, const luogo_osm& p,
                               const std::vector<luogo_osm>& punti,
                               const std::vector<double>* lunghezze = nullptr,
                               double* dove = nullptr);

// The degrees a set of points spans, and a quick test of whether a point may
// be within reach of them (a hundredth of a degree, more than any reach the
// import asks for).
struct riquadro {
  double sud = 90, nord = -90, ovest = 180, est = -180;
  void aggiungi(const luogo_osm& p);
  bool a_portata(const luogo_osm& p) const;
};

// A point of the line: a node of a way (or a point between two, where the
// line is cut), and the way that runs from it to the next point.
struct vertice_linea {
  id_osm nodo = 0;  // 0 for a point between nodes
  luogo_osm luogo;
  std::size_t via = 0;  // index in estratto_osm::vie of the way to the next point
  bool avanti = true;   // that way's nodes run in the line's direction
};

// A station beside the line: its name, where its nearest point lies along
// the line's polyline (m), and how far from it.
struct stazione_vicina {
  std::string nome;
  double lungo = 0;
  double distanza = 0;  // from the line (m)
};

struct linea_osm {
  std::vector<vertice_linea> vertici;
  std::vector<id_osm> vie;                // the ways it runs along, in order, each once
  std::vector<stazione_vicina> stazioni;  // in order along it
  double seguito = 0;                     // track kept after the last station (m)
  std::vector<std::string> avvisi;        // one line each, without the file's name
};

// How far from the line a station is still on it, and how much track after
// the last station the line keeps (m).
inline constexpr double distanza_stazione = 200;
inline constexpr double seguito_massimo = 1500;

// The line of route relation `relazione`: its railway ways joined end to
// end whatever their order and direction (of two ways between the same two
// nodes, as a passing loop, the main one). Where the relation lists stops
// and platforms, their stations in that order are the line's, and the line
// runs from the first of them that the extract holds to the last, and the
// track after it; the members the extract does not hold are named in a
// warning. Else it runs from the end nearer its "from" station (else its
// first way) with the stations beside it. Fails naming the relation and the
// ways for a relation that does not exist, has no railway way, has a gap,
// forks or closes on itself, and naming the stop for one further than
// `distanza_stazione` from the line or out of the order of the others.
Stato linea_da_relazione(const estratto_osm& e, id_osm relazione, const std::string& file,
                         linea_osm& l);

// The shortest path along the railway from station `da` to station `a`
// (any name of its stops: a stop position on the track starts it, else the
// railway node nearest to its platform or node), preferring
// usage=main|branch and leaving out sidings, yards and spurs unless
// nothing else joins them, and the track that follows `a`, with the
// stations beside it. Fails naming the station that does not exist, that
// lies further than `distanza_stazione` from the line (and how far), or
// both when no path joins them.
Stato linea_tra_stazioni(const estratto_osm& e, const std::string& da, const std::string& a,
                         const std::string& file, linea_osm& l);

}  // namespace scen
