// The kilometre count of an imported line from the milestones of its own
// railway: which milestones are the line's, and the kilometre progressives
// that follow them.
#pragma once

#include <string>
#include <vector>

#include "import/descrizione_importata.h"
#include "import/estratto_osm.h"
#include "import/linea_osm.h"

namespace scen {

// A milestone this far from the line is another line's (m).
inline constexpr double distanza_cippo = 50;
// A run of counts shorter than this (m, from its first milestone to its
// last) is no progressive of the line: a few posts of a junction, of a
// station's throat or of a line beside it.
inline constexpr double tratto_minimo_cippi = 2000;

// The milestones of the line `l`, in the extract's order: those within
// `distanza_cippo` of it that are nodes of its ways, or of a way with the
// same ref (the railway line's number, as each track of a line carries
// it), or that carry that ref themselves; and those beside the track, on
// no railway way, with no other running line nearer (sidings, yards and
// the like do not count as nearer). `refs` are the line's numbers: its
// ways' ref and its route relation's; where there are none, a milestone on
// another way within 6 m of the line (the line's other track) is the
// line's too. `altri` counts the milestones within reach that are another
// line's.
std::vector<const punto_osm*> cippi_della_linea(const estratto_osm& e, const linea_osm& l,
                                                const std::vector<std::string>& refs,
                                                std::size_t& altri);

// A milestone on the line: where it is (m) and the count it gives (m).
struct cippo_lungo {
  double posizione = 0;
  double conta = 0;
};

// Up to three kilometre progressives that give the counts of `cippi` (in
// order along a line of `lunghezza` m), with their jumps and direction;
// none where the count is the position itself. A run of counts that covers
// less than `tratto_minimo_cippi` gives none. The count is never negative
// from 0 to `lunghezza`: a growing count starts where it reaches 0, a
// falling one that reaches 0 before its stretch ends is followed by one
// growing from 0 there, and a run whose own milestones would read below 0
// is left out with a warning in `avvisi`. `scartati` counts the milestones
// the progressives do not follow.
std::vector<progressiva_importata> progressive_dai_cippi(const std::vector<cippo_lungo>& cippi,
                                                         double lunghezza, std::size_t& scartati,
                                                         std::vector<std::string>& avvisi);

}  // namespace scen
