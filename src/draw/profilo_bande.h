// The bands of the profile, each a series of the line along the distance
// axis on a vertical scale of its own, and the pieces that they share with
// the rest of the profile: the axis, a band's scale, the grid lines and the
// groups that a page zooms.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "draw/scena.h"
#include "draw/svg.h"

namespace scen::bande_profilo {

// The distance axis: metre 0 at x0, the end of the line at x1.
struct asse {
  double x0, x1;
  long lunghezza;
  double x(long metro) const {
    return x0 + (x1 - x0) * static_cast<double>(metro) / static_cast<double>(lunghezza);
  }
};

// A band's vertical scale: values from `basso` to `alto` over its plot.
struct scala_y {
  double y0, y1;  // top and bottom of the plot
  double basso, alto;
  double y(double v) const { return y1 - (v - basso) / (alto - basso) * (y1 - y0); }
};

// Where the step `i` of a series ends: where the next begins, or the end of
// the line.
inline long fine_di(const serie& s, std::size_t i, long lunghezza) {
  return i + 1 < s.size() ? s[i + 1].da : lunghezza;
}

// A horizontal grid line with its value on the left.
void riga_griglia(scrittore_svg& w, const asse& a, double y, const std::string& testo,
                  bool forte = false);

// A group drawn along the distance axis: a page scales it in x to zoom, so
// it sits in a clipping group that stays put. chiudi_dati closes the two.
void apri_dati(scrittore_svg& w, const char* id, std::string_view riempimento = {});
void chiudi_dati(scrittore_svg& w);

// A metre as the value of the attribute "data-m".
std::string attr_metro(long m);

// The bands, each into its place `sy`, whose values it sets from the series.
using disegno_banda = void (*)(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);

// Height above the origin, from the gradients.
void banda_quota(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Gradient: climbs above the line, falls below it.
void banda_pendenza(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Curves: how sharply the line turns, to the right above the line and to the
// left below it, with the radius of the sharpest.
void banda_curve(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Speed limit, with the slowdowns' speeds dashed over it and the speed of
// the fastest run under it.
void banda_velocita(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// The timetable's path through the day: time downwards against distance,
// with the stations' scheduled times of the description as points on it.
void banda_orario(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Adhesion, its values written where they change.
void banda_aderenza(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Mountain zones: a block each, darker for a higher value.
void banda_montagna(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Signals: a tick each.
void banda_segnali(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);
// Signposts: a tick each, and its text beside it where the one before
// leaves room.
void banda_cartelli(scrittore_svg& w, const scena& s, const asse& a, scala_y sy);

// The stretch of the day that the timetable's band spans (seconds of the
// day): from the earliest to the latest of the run's path and of the
// scheduled times, at least a minute. Without a run, nothing.
struct ore_orario {
  double da = 0, a = 0;
};
std::optional<ore_orario> ore_della_banda(const scena& s);

// A scheduled time of the day, "13:04:30" (":00" seconds left out, "13:05").
std::string ora_del_giorno(long secondi, bool con_secondi);

// A signpost's text as a line: its parts "(  Cippo  )(Km 28+000)" written
// "Cippo · Km 28+000"; a text not in parts as it is.
std::string testo_cartello(const std::string& testo);

}  // namespace scen::bande_profilo
