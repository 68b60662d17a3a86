// The fit of a line description to a smoothed track: curves by side and
// class that redraw its plan, and gradients in whole per mille that follow
// its heights.
#pragma once

#include <vector>

#include "import/proiezione.h"
#include "model/tipi.h"

namespace scen {

struct curva_importata {
  Long inizio = 0;  // the curve turns metres inizio + 1 to inizio + lunghezza
  Long lunghezza = 0;
  int classe = 1;  // 1 to 6
  bool sinistra = false;
};

struct pendenza_importata {
  Long posizione = 0;  // a multiple of 50
  Long valore = 0;     // per mille
};

// How far the redrawn plan may stray from the smoothed track (m).
inline constexpr double tolleranza_piano = 5.0;

// Curves whose plan, redrawn with one-metre steps from the origin along Y,
// stays within `tolleranza` of `bersaglio` (one point a metre, in the
// plan's frame) wherever it can. Each run of one class is made to reach as
// far as it can, and where it can go no further the next class and the
// metre where it takes over are the pair that reaches furthest: so the
// errors never pile up and the runs stay few.
//
// The plan is measured against the nearest point of the track among those
// within 25 m of the same distance from the start: GPS noise left after
// smoothing makes the track's own length wander a little from the plan's,
// but the line's metres are the track's, and where the track curves tighter
// than the tightest class the plan may not run wide and lose them: there it
// cuts inside the curve to keep level with the track. `corrispondenze`
// receives, for each metre of the plan up to where it reaches the track's
// end, the track's nearest metre.
std::vector<curva_importata> adatta_curve(const std::vector<punto_piano>& bersaglio,
                                          std::vector<long>& corrispondenze,
                                          double tolleranza = tolleranza_piano);

// For each cell of 50 m along `quote` (one height a metre), the steepest
// gradient the heights show there, in whole per mille: the steepest chord
// over 500 m (the whole profile, when shorter) of any window that overlaps
// the cell or comes within the median's half window of it (100 m, or the
// noise's reach), on the heights smoothed by a running median (200 m, or
// twice the noise's reach) that outliers do not move. No gradient fitted to
// the heights is steeper.
std::vector<long> pendenze_mostrate(const std::vector<double>& quote, double correlazione = 0);

// Gradients at multiples of 50 that follow `quote` (one a metre) as a whole:
// a profile of straight pieces of whole per mille, breaking only at the
// cells' ends, that keeps close to the heights while every change of
// gradient has a price in proportion to the noise the heights carry, so that
// the noise does not buy records; heights far from the profile weigh less
// (a robust loss), so that outliers and the hills above cuttings do not buy
// them either; its heights stay within a band of the smoothed heights, so
// that they do not drift; and no cell is steeper than pendenze_mostrate
// allows. The profile read the other way gives the same records mirrored
// (their places rounded to the cells of the line's length, the profile's
// rounded to 50 m). One record where the gradient changes, the first at 0.
// With no heights, one record of 0.
// `correlazione` is how far (m) the heights' noise keeps alike: 0 for the
// points of a GPS track, the pixels' size for heights drawn from a grid.
// `viste`, when given, says for each metre how much its height is seen (1)
// or only drawn across a structure from its ends (0): the drawn heights do
// not weigh in the fit, so the gradients on either side run on into the
// structure and meet where the heights at its ends ask, and no cell of it
// is held flatter than its neighbours outside allow.
std::vector<pendenza_importata> adatta_pendenze(const std::vector<double>& quote,
                                                double correlazione = 0,
                                                const std::vector<double>& viste = {});

// The plan of `curve`, metres 0 to `ultimo`: the trace as the line reader
// draws it, redrawn with steps of one metre in its own directions.
std::vector<punto_piano> ridisegna(const std::vector<curva_importata>& curve, Long ultimo);

}  // namespace scen
