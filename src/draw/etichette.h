// Placing labels so that they do not pile on each other: a greedy search in
// the plane, with a leader line back to the point a label names when it has
// to stand away from it, and a row of marks along one axis.
#pragma once

#include <utility>
#include <vector>

#include "draw/geometria.h"

namespace scen {

struct richiesta_etichetta {
  punto ancora;  // the point that the label names
  double larghezza = 0;
  double altezza = 0;
};

struct etichetta_posta {
  bool posta = false;  // false: no room was found, the label is left out
  riquadro dove;       // where its text goes
  bool guida = false;  // far from its point: a leader line joins them
};

// What labels must not cover: boxes (symbols, other texts) and segments
// (the line itself).
struct ostacoli {
  std::vector<riquadro> riquadri;
  std::vector<std::pair<punto, punto>> segmenti;
};

// Places the labels in the order given (the first has the first choice of
// room), each inside `area` and clear of the labels placed before it and of
// the boxes of `o`. Spots near the point come first, in rings farther and
// farther out; a spot that crosses a segment of `o` is taken only when no
// spot of any ring is free of them. The result has one entry per request.
std::vector<etichetta_posta> poni_etichette(const std::vector<richiesta_etichetta>& richieste,
                                            const ostacoli& o, const riquadro& area);

// Places marks of width `passo` along one axis, each wanted at `voluti[i]`
// (ascending), within [`minimo`, `massimo`]: they keep their order, no two
// overlap, and a run of marks too close together is spread evenly around the
// mean of its wishes. When they cannot all fit, they are spread over the
// whole span.
std::vector<double> poni_in_fila(const std::vector<double>& voluti, double passo, double minimo,
                                 double massimo);

}  // namespace scen
