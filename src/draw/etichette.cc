#include "draw/etichette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scen {

namespace {

// The rings of spots around a point, in pixels: the first touches it, the
// others need a leader line.
constexpr std::array<double, 7> anelli = {4, 14, 26, 40, 58, 80, 110};

// Directions, best first: beside the point, then above and below it.
constexpr std::array<std::pair<int, int>, 8> direzioni = {
    {{1, 0}, {-1, 0}, {1, -1}, {-1, -1}, {1, 1}, {-1, 1}, {0, -1}, {0, 1}}};

riquadro posto(punto a, double w, double h, double d, std::pair<int, int> dir) {
  const auto [ux, uy] = dir;
  const double dd = (ux != 0 && uy != 0) ? d * 0.75 : d;
  double x0 = ux > 0 ? a.x + dd : ux < 0 ? a.x - dd - w : a.x - w / 2;
  double y0 = uy > 0 ? a.y + dd : uy < 0 ? a.y - dd - h : a.y - h / 2;
  return {x0, y0, x0 + w, y0 + h};
}

bool dentro(const riquadro& r, const riquadro& area) {
  return r.x0 >= area.x0 && r.y0 >= area.y0 && r.x1 <= area.x1 && r.y1 <= area.y1;
}

bool taglia_segmenti(const riquadro& r, const ostacoli& o) {
  for (const auto& [a, b] : o.segmenti) {
    if (std::max(a.x, b.x) < r.x0 || std::min(a.x, b.x) > r.x1 || std::max(a.y, b.y) < r.y0 ||
        std::min(a.y, b.y) > r.y1)
      continue;
    if (segmento_nel_riquadro(a, b, r)) return true;
  }
  return false;
}

}  // namespace

std::vector<etichetta_posta> poni_etichette(const std::vector<richiesta_etichetta>& richieste,
                                            const ostacoli& o, const riquadro& area) {
  std::vector<etichetta_posta> poste(richieste.size());
  std::vector<riquadro> occupati = o.riquadri;
  for (std::size_t i = 0; i < richieste.size(); ++i) {
    const richiesta_etichetta& r = richieste[i];
    auto libero = [&](const riquadro& dove) {
      if (!dentro(dove, area)) return false;
      for (const riquadro& altro : occupati)
        if (dove.sovrapposto(altro)) return false;
      return true;
    };
    // First a spot clear of the line too; failing that, any free spot.
    for (int giro = 0; giro < 2 && !poste[i].posta; ++giro) {
      for (std::size_t k = 0; k < anelli.size() && !poste[i].posta; ++k) {
        for (auto dir : direzioni) {
          const riquadro dove = posto(r.ancora, r.larghezza, r.altezza, anelli[k], dir);
          if (!libero(dove) || (giro == 0 && taglia_segmenti(dove, o))) continue;
          poste[i] = {true, dove, k > 0};
          occupati.push_back(dove);
          break;
        }
      }
    }
  }
  return poste;
}

std::vector<double> poni_in_fila(const std::vector<double>& voluti, double passo, double minimo,
                                 double massimo) {
  const std::size_t n = voluti.size();
  std::vector<double> posti(n);
  if (n == 0) return posti;
  if (passo * static_cast<double>(n - 1) > massimo - minimo) {
    const double p = n > 1 ? (massimo - minimo) / static_cast<double>(n - 1) : 0;
    for (std::size_t i = 0; i < n; ++i) posti[i] = minimo + p * static_cast<double>(i);
    return posti;
  }
  // Runs of marks that touch, each centred on the mean of its wishes and
  // merged with the run before it while the two overlap.
  struct gruppo {
    std::size_t primo, numero;
    double somma;
    double inizio(double p, double lo, double hi) const {
      const double estensione = p * static_cast<double>(numero - 1);
      const double centro = somma / static_cast<double>(numero);
      return std::clamp(centro - estensione / 2, lo, hi - estensione);
    }
  };
  std::vector<gruppo> gruppi;
  for (std::size_t i = 0; i < n; ++i) {
    gruppi.push_back({i, 1, voluti[i]});
    while (gruppi.size() > 1) {
      gruppo& ultimo = gruppi.back();
      gruppo& prima = gruppi[gruppi.size() - 2];
      const double fine_prima =
          prima.inizio(passo, minimo, massimo) + passo * static_cast<double>(prima.numero - 1);
      if (ultimo.inizio(passo, minimo, massimo) >= fine_prima + passo) break;
      prima.numero += ultimo.numero;
      prima.somma += ultimo.somma;
      gruppi.pop_back();
    }
  }
  for (const gruppo& g : gruppi) {
    const double inizio = g.inizio(passo, minimo, massimo);
    for (std::size_t k = 0; k < g.numero; ++k)
      posti[g.primo + k] = inizio + passo * static_cast<double>(k);
  }
  return posti;
}

}  // namespace scen
