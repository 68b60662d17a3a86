// A local metric projection centred on a track: azimuthal equidistant on the
// WGS 84 ellipsoid, x east and y north in metres. Distances from the centre
// are true, and within a few hundred kilometres of it any distance is true
// to about one part in ten thousand.
#pragma once

#include <memory>

#include "platform/stato.h"

namespace scen {

struct punto_piano {
  double x = 0;  // east (m)
  double y = 0;  // north (m)
};

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
