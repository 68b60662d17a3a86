#include <algorithm>
#include <cmath>
#include <utility>

#include "import/adatta.h"

namespace scen {

namespace {

constexpr long passo_cella = 50;
constexpr long pendenza_massima = 60;  // per mille, either way
constexpr long ritorno_massimo = 30;   // cells back from where a gradient fails

class adattamento_pendenze {
 public:
  adattamento_pendenze(const std::vector<double>& quote, double tolleranza) : tol_(tolleranza) {
    for (size_t m = 0; m < quote.size(); m += passo_cella) h_.push_back(quote[m]);
    ultimo_ = static_cast<long>(h_.size()) - 1;
  }

  std::vector<pendenza_importata> esegui() {
    std::vector<pendenza_importata> pendenze;
    long inizio = 0;
    long g = migliore_da(h_[0], 0, pendenza_massima + 1).second;
    std::vector<double> corsa{h_[0]};
    long arrivo = avanti(h_[0], 0, g, &corsa);
    pendenze.push_back({0, static_cast<Long>(g)});
    while (arrivo < ultimo_) {
      long x_migliore = -1, arrivo_migliore = -1, g_migliore = g;
      for (long x = arrivo; x >= std::max(inizio + 1, arrivo - ritorno_massimo); --x) {
        auto [a, h] = migliore_da(corsa[static_cast<size_t>(x - inizio)], x, g);
        if (a > arrivo_migliore) {
          arrivo_migliore = a;
          x_migliore = x;
          g_migliore = h;
        }
      }
      const double partenza = corsa[static_cast<size_t>(x_migliore - inizio)];
      inizio = x_migliore;
      g = g_migliore;
      pendenze.push_back({static_cast<Long>(inizio * passo_cella), static_cast<Long>(g)});
      corsa.assign(1, partenza);
      arrivo = avanti(partenza, inizio, g, &corsa);
      if (arrivo == inizio) {
        corsa.push_back(partenza + static_cast<double>(g) * passo_cella / 1000.0);
        arrivo = avanti(corsa.back(), inizio + 1, g, &corsa);
      }
    }
    return pendenze;
  }

 private:
  // The height after one cell at gradient g.
  static double sale(double quota, long g) {
    return quota + static_cast<double>(g) * passo_cella / 1000.0;
  }
  long avanti(double quota, long n, long g, std::vector<double>* corsa) const {
    while (n < ultimo_) {
      quota = sale(quota, g);
      if (std::abs(quota - h_[static_cast<size_t>(n + 1)]) > tol_) return n;
      ++n;
      if (corsa != nullptr) corsa->push_back(quota);
    }
    return n;
  }
  // From `quota` at node n, the gradient other than `escluso` that reaches
  // furthest, and how far. Among equals, the one closest to the slope of the
  // heights just ahead.
  std::pair<long, long> migliore_da(double quota, long n, long escluso) const {
    const long avanti_di = std::min<long>(10, ultimo_ - n);
    const double pendio = avanti_di > 0 ? (h_[static_cast<size_t>(n + avanti_di)] - quota) *
                                              1000.0 / static_cast<double>(avanti_di * passo_cella)
                                        : 0.0;
    long arrivo = -1, scelta = 0;
    double scarto = INFINITY;
    for (long g = -pendenza_massima; g <= pendenza_massima; ++g) {
      if (g == escluso) continue;
      const long a = avanti(quota, n, g, nullptr);
      const double d = std::abs(static_cast<double>(g) - pendio);
      if (a > arrivo || (a == arrivo && d < scarto)) {
        arrivo = a;
        scelta = g;
        scarto = d;
      }
    }
    return {arrivo, scelta};
  }

  double tol_;
  std::vector<double> h_;  // heights every 50 m
  long ultimo_ = 0;
};

}  // namespace

std::vector<pendenza_importata> adatta_pendenze(const std::vector<double>& quote,
                                                double tolleranza) {
  if (quote.size() <= static_cast<size_t>(passo_cella)) return {{0, 0}};
  return adattamento_pendenze(quote, tolleranza).esegui();
}

}  // namespace scen
