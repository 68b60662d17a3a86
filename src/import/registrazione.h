// A track as a vehicle recorded it, made into the path of a line: the points
// of a stop, where the receiver wanders about one place, folded into one;
// the track cut where the vehicle turns back along the way it came; the gaps
// between points bridged in a straight line up to `salto_massimo`.
#pragma once

#include <string>
#include <vector>

#include "import/proiezione.h"
#include "import/traccia.h"
#include "platform/stato.h"

namespace scen {

// The greatest distance between two consecutive points of a track, and the
// distance past which a gap is reported as bridged (m).
inline constexpr double salto_massimo = 2500;
inline constexpr double salto_segnalato = 1000;
// The least length a line keeps before the track turns back (m).
inline constexpr double minimo_prima_del_ritorno = 1000;

// Points of the track that become one point of the path: `da` to `a`
// (excluded), at `luogo`.
struct gruppo_punti {
  size_t da = 0, a = 0;
  punto_piano luogo;
};

struct percorso_registrato {
  std::vector<gruppo_punti> gruppi;  // in order, up to where the track turns back
  std::vector<std::string> avvisi;   // without the file's name
};

// The path of the track `t` from `piano`, its points on the plane (one for
// each point of `t`, all finite), read from the file `nome`. Stops are
// folded only when `t` is registrata. Fails on a gap of more than
// `salto_massimo`, or on a turn back that leaves less than
// `minimo_prima_del_ritorno` before it.
Stato percorso_della_traccia(const traccia& t, const std::vector<punto_piano>& piano,
                             const std::string& nome, percorso_registrato& p);

}  // namespace scen
