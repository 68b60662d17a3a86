// The timetable from the fastest run: a regularity supplement of a share of
// the running time, lumped as recovery time at the stops and at the last
// station (the recovery of each stretch, from the stop before, rounded to
// the half minute), and the times rounded to the half minute as the train
// card writes them. The run leaves the first station at its scheduled time
// (at the clock's where it has none).
#pragma once

#include <vector>

#include "marcia/corsa.h"
#include "marcia/percorso.h"

namespace scen {

// The supplement that the timetable adds when none is asked for (%).
inline constexpr double margine_normale = 5;

struct orario_stazione {
  // Seconds of the day, rounded to the half minute; a time past midnight
  // runs on past 86400.
  long arrivo = 0;
  long partenza = 0;  // the same as the arrival where the train passes
  long recupero = 0;  // the recovery time lumped here (s), a multiple of 30
  // The times before rounding.
  double arrivo_esatto = 0;
  double partenza_esatta = 0;
};

struct orario_marcia {
  double margine = margine_normale;       // %
  long partenza = 0;                      // from the first station, seconds of the day
  std::vector<orario_stazione> stazioni;  // as in the line's list
};

// The time rounded to the nearest half minute (halves up).
long mezzo_minuto(double secondi);

orario_marcia orario_da_corsa(const percorso_marcia& linea, const corsa& c, double margine);

// Seconds of the day as "13:04:30" (the day wrapped).
std::string ora_testo(long secondi);

}  // namespace scen
