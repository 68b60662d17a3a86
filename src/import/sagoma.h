// A track made ready for the fit: projected on a local plane, checked,
// smoothed against GPS noise and resampled metre by metre along its own
// length, in the plan's frame (start at the origin, first direction along Y,
// X to its right).
#pragma once

#include <string>
#include <vector>

#include "import/proiezione.h"
#include "import/registrazione.h"
#include "import/traccia.h"
#include "platform/stato.h"

namespace scen {

// A named point and where it falls along the line (m, not rounded).
struct punto_lungo_linea {
  std::string nome;
  double posizione = 0;
};

struct sagoma_traccia {
  double lunghezza = 0;                     // along the smoothed track (m)
  double lunghezza_punti = 0;               // along the path through its points (m)
  std::vector<punto_piano> punti_percorso;  // the path's points, in the plan's frame
  std::vector<double> lungo_percorso;       // where each of them lies along the smoothed track
  std::vector<punto_piano> punti;           // metres 0 to lunghezza, in the plan's frame
  std::vector<double> quote;                // the same metres' heights, not smoothed; empty without
  // The same metres' share of seen heights (1, or 0 where they are drawn
  // across a structure); empty when all are seen.
  std::vector<double> quote_viste;
  long senza_quota = 0;                     // points that have no height
  std::vector<punto_lungo_linea> nominati;  // in order along the line
  std::vector<double> lungo_punti;          // where each point of the track lies along it (m)
  std::vector<double> lungo_riferiti;       // where each of the track's riferiti lies (m)
  std::vector<std::string> avvisi;          // without the file's name
};

// The greatest length a line can have (m).
inline constexpr double lunghezza_massima_linea = 1000000;

// Makes `s` from `t`, read from the file `nome`. Fails with "FILE: reason"
// or "FILE:LINE: reason" for a track that has no points, fewer than two, a
// gap or a turn back that its path cannot take (see percorso_della_traccia),
// or a length that a line cannot have.
Stato prepara_sagoma(const traccia& t, const std::string& nome, sagoma_traccia& s);

}  // namespace scen
