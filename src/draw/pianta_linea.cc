#include "draw/pianta_linea.h"

#include <algorithm>
#include <cmath>

#include "draw/stile.h"
#include "draw/svg.h"

namespace scen::parti_pianta {

namespace {

std::vector<punto> linea_di(const scena& s) {
  const std::size_t n = std::min(s.tracciato.size(), static_cast<std::size_t>(s.lunghezza) + 1);
  return {s.tracciato.begin(), s.tracciato.begin() + static_cast<long>(n)};
}

proiezione proietta(const std::vector<punto>& linea, const riquadro& area) {
  proiezione p;
  p.mondo = riquadro_di(linea);
  const double w = std::max(p.mondo.larghezza(), 1.0), h = std::max(p.mondo.altezza(), 1.0);
  p.scala =
      std::min((area.larghezza() - 2 * bordo) / w, (stile::altezza_pianta_massima - 2 * bordo) / h);
  // Centred across the panel.
  p.ox = area.x0 + (area.larghezza() - w * p.scala) / 2;
  p.oy = area.y0 + bordo;
  return p;
}

}  // namespace

linea_in_pianta::linea_in_pianta(const scena& s, const riquadro& area)
    : linea(linea_di(s)), pr(proietta(linea, area)) {}

punto linea_in_pianta::in_pianta(long m) const {
  const long ultimo = static_cast<long>(linea.size()) - 1;
  return pr(linea[static_cast<std::size_t>(std::clamp(m, 0L, ultimo))]);
}

punto linea_in_pianta::direzione(long m) const {
  const punto a = in_pianta(m - 30);
  const punto b = in_pianta(m + 30);
  const double l = std::hypot(b.x - a.x, b.y - a.y);
  if (l == 0) return {0, -1};
  return {(b.x - a.x) / l, (b.y - a.y) / l};
}

std::string linea_in_pianta::tratto(long da, long a) const {
  const long ultimo = static_cast<long>(linea.size()) - 1;
  da = std::clamp(da, 0L, ultimo);
  a = std::clamp(a, da, ultimo);
  std::vector<punto> pezzo;
  for (long m = da; m <= a; ++m) pezzo.push_back(pr(linea[static_cast<std::size_t>(m)]));
  tracciato_svg d;
  bool primo = true;
  for (std::size_t i : sfoltisci(pezzo, 0.3)) {
    if (primo)
      d.muovi(pezzo[i].x, pezzo[i].y);
    else
      d.linea(pezzo[i].x, pezzo[i].y);
    primo = false;
  }
  return d.d();
}

}  // namespace scen::parti_pianta
