// The fastest run of a train over a line: it starts at rest at the first
// station, accelerates with the effort left after its resistance, the
// gradient and the curves, keeps to the lowest limit in force (a limit that
// rises is taken only once the tail has passed; a slowdown through the whole
// train when its record says so; the train's top speed), brakes at its rate to
// be at each lower limit where it begins and at rest at each stop, waits
// there its dwell, and ends at rest at the last station.
//
// Its effort is at most what adhesion allows: the line's adhesion in force
// under the head (as a share of the dry-rail coefficient) times the weight on
// the driving axles. Braking is at the service rate less the gradient's share
// g i (a descent brakes longer, a climb shorter), the gradient averaged over
// the train as for the effort.
//
// The motion is integrated over steps of distance on which the forces are
// taken as constant: within a step the acceleration is constant, so the
// speed and the time over it are exact (v1^2 = v0^2 + 2 a ds, t = 2 ds /
// (v0 + v1)); the acceleration of a step is the mean of those at its two
// ends (the speed at its end first found with the one at its start).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "marcia/percorso.h"
#include "marcia/rotabile.h"
#include "platform/stato.h"

namespace scen {

struct tempi_stazione {
  double arrivo = 0;    // s from the departure at the first station
  double partenza = 0;  // the same as the arrival where the train passes
  double velocita = 0;  // km/h where the head passes it
  bool fermata = false;
};

// Where and why a train could not go on: the head's metre, the gradient
// averaged over the train there (per mille), and the force (kN) that it
// lacked at rest to overcome its resistance, the gradient and the curves.
struct fermo_corsa {
  long posizione = 0;
  double pendenza = 0;
  double forza_mancante_kN = 0;
};

struct corsa {
  long da = 0;  // the first station's position (m)
  long a = 0;   // the last station's position (m)
  // Every `campione` metres from `da`, and at `a`: the speed (km/h) and the
  // time from the departure (s; at a stop, the arrival) with the head there.
  static constexpr long campione = 10;
  std::vector<double> velocita;
  std::vector<double> tempo;
  std::vector<double> energia;  // the work at the wheel so far (kWh)
  // The lowest limit in force for the train (km/h) as steps: each from its
  // metre (counted from `da`) to the next.
  std::vector<std::pair<long, double>> limiti;
  std::vector<tempi_stazione> stazioni;  // as in the line's list
  double totale = 0;                     // s, from the departure to the arrival at the last station
  // The work of the effort at the wheel over the run (kWh), and what the
  // pantograph draws for it at `rendimento_trazione`.
  double energia_ruota_kWh = 0;
  double energia_pantografo_kWh = 0;
  // Set when the train stopped on the way; the samples then end there.
  std::optional<fermo_corsa> fermo;

  // The limit for the train over metre `j` (from `da`).
  double limite(long j) const;
  // The speed and the time with the head at metre `j` (from `da`), between
  // the samples on a straight line.
  double velocita_a(long j) const;
  double tempo_a(long j) const;
  double energia_a(long j) const;
  // The highest speed from metre `da_j` to metre `a_j`, by the samples
  // around them.
  double velocita_massima(long da_j, long a_j) const;
};

// The longest run that a timetable shows (s): a week. A train slower than
// that (a crawl that its effort barely keeps up) is an error, named with
// where it got to, and never a time beyond what the timetable can write.
inline constexpr double durata_massima_corsa_s = 7 * 24 * 3600;

// The efficiency from the pantograph to the wheel of an electric train
// (transformer, converters, motors and gears) in traction.
inline constexpr double rendimento_trazione = 0.85;

// The braking rate at the lowest: on a descent steeper than the service
// rate over g the train would not stop at all; it is taken as braking at
// this rate there, and `verifica` warns of such a gradient.
inline constexpr double frenatura_minima_pendenza_ms2 = 0.05;

// Steps per metre: 1 unless a test asks for finer ones. When the train
// stops on the way, the run up to there stays in `c`, with `c.fermo`.
Stato calcola_corsa(const percorso_marcia& linea, const rotabile& treno, corsa& c,
                    int passi_per_metro = 1);

}  // namespace scen
