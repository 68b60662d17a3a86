// A local metric projection centred on a track: azimuthal equidistant on the
// WGS 84 ellipsoid, x east and y north in metres. Distances from the centre
// are true, and within a few hundred kilometres of it any distance is true
// to about one part in ten thousand.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "platform/stato.h"

namespace scen {

// The metres of one degree of latitude on the mean sphere (radius
// 6,371,008.8 m); of longitude, the same times the latitude's cosine. Near
// enough for measuring steps and short distances, not for placing points.
inline constexpr double metri_grado = 6371008.8 * std::numbers::pi / 180;

struct punto_piano {
  double x = 0;  // east (m)
  double y = 0;  // north (m)
};

inline double distanza(punto_piano a, punto_piano b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The distance from `p` to the segment ab; `frazione`, when given, receives
// the fraction of ab where its nearest point lies.
inline double distanza_dal_segmento(punto_piano p, punto_piano a, punto_piano b,
                                    double* frazione = nullptr) {
  const double bx = b.x - a.x, by = b.y - a.y;
  const double ll = bx * bx + by * by;
  const double f = ll > 0 ? std::clamp(((p.x - a.x) * bx + (p.y - a.y) * by) / ll, 0.0, 1.0) : 0;
  if (frazione) *frazione = f;
  return std::hypot(p.x - (a.x + f * bx), p.y - (a.y + f * by));
}

class proiezione_locale {
 public:
  proiezione_locale();
  ~proiezione_locale();
  proiezione_locale(const proiezione_locale&) = delete;
  proiezione_locale& operator=(const proiezione_locale&) = delete;

  // Centres the projection on (latitudine, longitudine), in degrees.
  Stato crea(double latitudine, double longitudine);

  punto_piano avanti(double latitudine, double longitudine) const;
  void indietro(punto_piano p, double& latitudine, double& longitudine) const;

 private:
  struct stato_proj;
  std::unique_ptr<stato_proj> s_;
};

}  // namespace scen
