#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "import/adatta.h"
#include "read/passo_tracciato.h"

namespace scen {

namespace {

// A way to run on: straight, or one class to one side. The trace turns its
// step by atan(k) each metre of a curve.
struct giro {
  int classe = 0;  // 0 straight
  bool sinistra = false;
  double c = 1, s = 0;  // cosine and sine of the turn per metre, positive to the right
};

std::array<giro, 13> giri() {
  std::array<giro, 13> g{};
  for (int classe = 1; classe <= 6; ++classe)
    for (int lato = 0; lato < 2; ++lato) {
      const double a = std::atan(*curvatura_classe(classe)) * (lato == 1 ? -1 : 1);
      g[static_cast<size_t>(2 * classe - 1 + lato)] = {classe, lato == 1, std::cos(a), std::sin(a)};
    }
  return g;
}

// The redrawn plan at one metre: where it is and its last one-metre step.
struct stato {
  double x = 0, y = 0, dx = 0, dy = 1;
  long m = 0;  // the plan's metre
  long j = 0;  // the track's nearest metre, within `deriva_massima` of m
};

// How far the track's metre nearest to the plan may run ahead of the plan's
// metre or fall behind it (m): the line's metres are the track's, and the
// plan keeps to them.
constexpr long deriva_massima = 25;

// Back from where a run fails, the metres tried as the next run's start.
constexpr long ritorno_massimo = 400;
constexpr long ritorno_passo = 5;

class adattamento {
 public:
  adattamento(const std::vector<punto_piano>& bersaglio, double tolleranza)
      : t_(bersaglio),
        tol_base2_(tolleranza * tolleranza),
        tol2_(tol_base2_),
        ultimo_(static_cast<long>(bersaglio.size()) - 1) {}

  std::vector<curva_importata> esegui(std::vector<long>& corrispondenze) {
    std::vector<curva_importata> curve;
    long inizio = 0;
    size_t g = 0;
    std::vector<stato> corsa{stato{}};
    long arrivo = avanti(corsa.front(), inizio, g, &corsa);
    while (corsa[static_cast<size_t>(arrivo - inizio)].j < ultimo_) {
      long x_migliore = -1, arrivo_migliore = -1;
      size_t g_migliore = 0;
      auto prova = [&](long x) {
        for (size_t h = 0; h < giri_.size(); ++h) {
          if (h == g) continue;
          const long a = avanti(corsa[static_cast<size_t>(x - inizio)], x, h, nullptr);
          if (a > arrivo_migliore) {
            arrivo_migliore = a;
            x_migliore = x;
            g_migliore = h;
          }
        }
      };
      // Back from where the run fails, then, if no start there gets on, as
      // far back as the run goes: a run that kept near the edge of the
      // tolerance leaves no room to turn away from it near its end.
      for (long ritorno : {ritorno_massimo, arrivo - inizio}) {
        const long primo = std::max(inizio + 1, arrivo - ritorno);
        for (long x = arrivo; x >= primo; x -= ritorno_passo) prova(x);
        // Then every metre around the best start found.
        const long attorno = x_migliore;
        for (long x = std::min(arrivo, attorno + ritorno_passo - 1);
             x >= std::max(primo, attorno - ritorno_passo + 1); --x)
          if (x != attorno) prova(x);
        if (arrivo_migliore > x_migliore) break;
      }
      if (arrivo_migliore <= x_migliore) {
        // Not even that: a wider tolerance for a while, so that the fit
        // comes back to the track.
        tol2_ *= 1.5625;
        corsa.resize(1);
        arrivo = avanti(corsa.front(), inizio, g, &corsa);
        continue;
      }
      if (giri_[g].classe != 0)
        curve.push_back({static_cast<Long>(inizio), static_cast<Long>(x_migliore - inizio),
                         giri_[g].classe, giri_[g].sinistra});
      const stato partenza = corsa[static_cast<size_t>(x_migliore - inizio)];
      corrispondenze_.resize(static_cast<size_t>(inizio));
      for (long m = inizio; m < x_migliore; ++m)
        corrispondenze_.push_back(corsa[static_cast<size_t>(m - inizio)].j);
      inizio = x_migliore;
      g = g_migliore;
      corsa.assign(1, partenza);
      arrivo = avanti(partenza, inizio, g, &corsa);
      tol2_ = std::max(tol_base2_, tol2_ / 1.5625);
      if (arrivo >= metri_massimi_) break;
    }
    if (giri_[g].classe != 0 && arrivo > inizio)
      curve.push_back({static_cast<Long>(inizio), static_cast<Long>(arrivo - inizio),
                       giri_[g].classe, giri_[g].sinistra});
    corrispondenze_.resize(static_cast<size_t>(inizio));
    for (const stato& st : corsa) corrispondenze_.push_back(st.j);
    corrispondenze = std::move(corrispondenze_);
    return curve;
  }

 private:
  void passo(stato& s, size_t g) const {
    const giro& r = giri_[g];
    const double dx = s.dx * r.c + s.dy * r.s;
    const double dy = s.dy * r.c - s.dx * r.s;
    s.dx = dx;
    s.dy = dy;
    s.x += dx;
    s.y += dy;
    // The nearest metre of the track moves on with the plan, kept within
    // the drift allowed. A walk that would go on past that bound ends there:
    // it would only be drawn back to it, and a plan far from the track would
    // walk much of the track's length at every metre.
    ++s.m;
    const long fino = std::min(ultimo_, s.m + deriva_massima);
    long j = std::min(s.j + 1, ultimo_);
    double d = distanza2(s, j);
    while (j < fino && distanza2(s, j + 1) <= d) d = distanza2(s, ++j);
    const bool oltre = j == fino && j < ultimo_ && distanza2(s, j + 1) <= d;
    if (!oltre)
      while (j > s.j && distanza2(s, j - 1) < d) d = distanza2(s, --j);
    s.j = std::clamp(j, std::min(std::max(0L, s.m - deriva_massima), fino), fino);
  }
  double distanza2(const stato& s, long j) const {
    const punto_piano& p = t_[static_cast<size_t>(j)];
    const double ex = s.x - p.x, ey = s.y - p.y;
    return ex * ex + ey * ey;
  }
  bool dentro(const stato& s) const { return distanza2(s, s.j) <= tol2_; }
  // From `s` at metre `m`, running on with `g`: the last metre within the
  // tolerance. `corsa` (when given) receives the state at every metre after m.
  long avanti(stato s, long m, size_t g, std::vector<stato>* corsa) const {
    while (s.j < ultimo_ && m < metri_massimi_) {
      passo(s, g);
      if (!dentro(s)) return m;
      ++m;
      if (corsa != nullptr) corsa->push_back(s);
    }
    return m;
  }
  const std::vector<punto_piano>& t_;
  double tol_base2_;
  double tol2_;
  long ultimo_;
  long metri_massimi_ = ultimo_ * 2 + 1000;  // the plan never runs on for ever
  std::vector<long> corrispondenze_;
  std::array<giro, 13> giri_ = giri();
};

}  // namespace

std::vector<curva_importata> adatta_curve(const std::vector<punto_piano>& bersaglio,
                                          std::vector<long>& corrispondenze, double tolleranza) {
  corrispondenze.assign(1, 0);
  if (bersaglio.size() < 2) return {};
  return adattamento(bersaglio, tolleranza).esegui(corrispondenze);
}

std::vector<punto_piano> ridisegna(const std::vector<curva_importata>& curve, Long ultimo) {
  // The trace as the reader draws it.
  std::vector<punto_piano> traccia(static_cast<size_t>(ultimo) + 1);
  traccia[0] = {0, 0};
  if (ultimo >= 1) traccia[1] = {0, 1};
  passo_tracciato punta;
  long cursore = 2;
  auto segna = [&](double x, double y) {
    traccia[static_cast<size_t>(cursore)] = {x, y};
    punta.avanza(x, y);
    ++cursore;
  };
  auto dritto_fino = [&](long fine) {
    while (cursore <= fine && cursore <= ultimo) {
      double x = 0, y = 0;
      punta.metro_dritto(x, y);
      segna(x, y);
    }
  };
  for (const curva_importata& c : curve) {
    dritto_fino(c.inizio);
    const double k = *curvatura_classe(c.classe) * (c.sinistra ? -1 : 1);
    while (cursore <= c.inizio + c.lunghezza && cursore <= ultimo) {
      double x = 0, y = 0;
      punta.metro(k, x, y);
      segna(x, y);
    }
  }
  dritto_fino(ultimo);
  // Steps of one metre in the trace's directions.
  std::vector<punto_piano> piano(traccia.size());
  for (size_t m = 1; m < traccia.size(); ++m) {
    const double dx = traccia[m].x - traccia[m - 1].x, dy = traccia[m].y - traccia[m - 1].y;
    const double l = std::hypot(dx, dy);
    piano[m] = {piano[m - 1].x + dx / l, piano[m - 1].y + dy / l};
  }
  return piano;
}

}  // namespace scen
