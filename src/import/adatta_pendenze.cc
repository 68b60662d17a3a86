#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "import/adatta.h"

namespace scen {

namespace {

constexpr long passo_cella = 50;
constexpr long pendenza_massima = 60;  // per mille, either way
constexpr long pendenze = 2 * pendenza_massima + 1;
// Heights are taken on a lattice of this step (m): a whole gradient in per
// mille over a cell of 50 m climbs a whole number of steps, as many as its
// value, so the heights at the cells' ends stay on the lattice exactly.
constexpr double passo_quota = 0.05;
constexpr double infinito = std::numeric_limits<double>::infinity();
// The price of a change of gradient, in cells' worth of the noise's squared
// height; the band around the heights, at least fascia_minima (m) and
// fascia_rumori times the noise; and how far beyond the band the lattice
// reaches (m).
constexpr double prezzo_cambio = 16.0;
constexpr double fascia_minima = 1.0;
constexpr double fascia_rumori = 4.0;
constexpr double ampiezza_oltre_fascia = 1.0;

// The heights of one cell, summed as the cost of a straight piece needs
// them: with t the metre within the cell and q its height, the sums of 1,
// t, t², q, t·q and q².
struct somme_cella {
  double n = 0, t = 0, tt = 0, q = 0, tq = 0, qq = 0;

  // The sum of the squares of the distances between the heights and the
  // piece that starts at `quota` and climbs `pendenza` per mille.
  double scarto(double quota, long pendenza) const {
    const double a = static_cast<double>(pendenza) / 1000.0;
    return n * quota * quota + 2 * quota * a * t + a * a * tt - 2 * quota * q - 2 * a * tq + qq;
  }
};

// How far apart the heights stray from a straight line, from the second
// differences of heights `passo` metres apart (`nodi`): robust (a median)
// against the few places where the gradient changes. The heights must be
// far enough apart for their noise to be independent.
double rumore_stimato(const std::vector<double>& nodi) {
  std::vector<double> d;
  for (size_t k = 1; k + 1 < nodi.size(); ++k)
    d.push_back(std::abs(nodi[k - 1] - 2 * nodi[k] + nodi[k + 1]));
  if (d.empty()) return 0;
  const auto mezzo = d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2);
  std::nth_element(d.begin(), mezzo, d.end());
  // A median of |N(0, 6σ²)| is 0.6745·√6·σ.
  return *mezzo / (0.6745 * std::sqrt(6.0));
}

// The profile as a whole: heights at the cells' ends on the lattice, each
// cell a straight piece of a whole gradient, chosen to keep the sum of the
// squared distances to the heights least plus a price for every change of
// gradient, so that noise does not buy records. The heights at the cells'
// ends are kept within `fascia` of the heights given (a steep price beyond
// it), so that the profile does not drift. Solved exactly by dynamic
// programming over (height, gradient of the last cell) at each cell's end.
class adattamento_profilo {
 public:
  adattamento_profilo(const std::vector<double>& quote, double prezzo, double fascia)
      : prezzo_(prezzo), fascia_(fascia), ampiezza_(fascia + ampiezza_oltre_fascia) {
    const size_t celle = (quote.size() - 1) / passo_cella;
    somme_.resize(celle);
    nodi_.resize(celle + 1);
    for (size_t c = 0; c < celle; ++c) {
      somme_cella& s = somme_[c];
      for (long t = 0; t < passo_cella; ++t) {
        const double q = quote[c * passo_cella + static_cast<size_t>(t)];
        const double tt = static_cast<double>(t);
        s.n += 1;
        s.t += tt;
        s.tt += tt * tt;
        s.q += q;
        s.tq += tt * q;
        s.qq += q * q;
      }
    }
    for (size_t k = 0; k <= celle; ++k) nodi_[k] = quote[k * passo_cella];
  }

  // The gradient of each cell.
  std::vector<long> esegui() {
    const size_t celle = somme_.size();
    std::vector<long> basso(celle + 1), alto(celle + 1);
    for (size_t k = 0; k <= celle; ++k) {
      basso[k] = static_cast<long>(std::floor((nodi_[k] - ampiezza_) / passo_quota));
      alto[k] = static_cast<long>(std::ceil((nodi_[k] + ampiezza_) / passo_quota));
      if (k == 0) continue;
      // Within reach of the heights before: where the heights jump further
      // than a cell can climb, the nearest that can be reached.
      const long giu = basso[k - 1] - pendenza_massima, su = alto[k - 1] + pendenza_massima;
      const long larghezza = alto[k] - basso[k];
      if (basso[k] > su) {
        basso[k] = std::max(giu, su - larghezza);
        alto[k] = su;
      } else if (alto[k] < giu) {
        basso[k] = giu;
        alto[k] = std::min(su, giu + larghezza);
      } else {
        basso[k] = std::max(basso[k], giu);
        alto[k] = std::min(alto[k], su);
      }
    }
    // costo[(j - basso) * pendenze + g + massima]: the least cost of a
    // profile that reaches the end of the cell at height j with gradient g.
    std::vector<double> costo(static_cast<size_t>(alto[0] - basso[0] + 1) * pendenze);
    for (long j = basso[0]; j <= alto[0]; ++j)
      std::fill_n(costo.begin() + (j - basso[0]) * pendenze, pendenze, fuori_fascia(0, j));
    // For each cell, whether each state kept the gradient of the cell before
    // it, and for each height the best gradient to change from.
    segue_.assign(celle, {});
    da_dove_.assign(celle, {});
    std::vector<double> dopo;
    for (size_t c = 0; c < celle; ++c) {
      const long b0 = basso[c], a0 = alto[c], b1 = basso[c + 1], a1 = alto[c + 1];
      const size_t stati = static_cast<size_t>(a1 - b1 + 1) * pendenze;
      dopo.assign(stati, infinito);
      segue_[c].assign(stati, false);
      da_dove_[c].assign(static_cast<size_t>(a0 - b0 + 1), 0);
      const double prezzo = c == 0 ? 0.0 : prezzo_;
      for (long j = b0; j <= a0; ++j) {
        const double* riga = &costo[static_cast<size_t>(j - b0) * pendenze];
        const auto migliore = std::min_element(riga, riga + pendenze) - riga;
        da_dove_[c][static_cast<size_t>(j - b0)] = static_cast<std::int8_t>(migliore);
        const double cambiando = riga[migliore] + prezzo;
        if (cambiando == infinito) continue;
        const double quota = static_cast<double>(j) * passo_quota;
        for (long g = -pendenza_massima; g <= pendenza_massima; ++g) {
          const long arrivo = j + g;
          if (arrivo < b1 || arrivo > a1) continue;
          const double seguendo = riga[g + pendenza_massima];
          const bool segue = seguendo <= cambiando;
          const double totale = (segue ? seguendo : cambiando) + somme_[c].scarto(quota, g) +
                                fuori_fascia(c + 1, arrivo);
          const size_t i = static_cast<size_t>(arrivo - b1) * pendenze +
                           static_cast<size_t>(g + pendenza_massima);
          dopo[i] = totale;
          segue_[c][i] = segue;
        }
      }
      costo.swap(dopo);
    }
    // Back from the best end.
    std::vector<long> risultato(celle);
    size_t i = static_cast<size_t>(std::min_element(costo.begin(), costo.end()) - costo.begin());
    long j = basso[celle] + static_cast<long>(i / pendenze);
    long g = static_cast<long>(i % pendenze) - pendenza_massima;
    for (size_t c = celle; c-- > 0;) {
      risultato[c] = g;
      const bool segue = segue_[c][static_cast<size_t>(j - basso[c + 1]) * pendenze +
                                   static_cast<size_t>(g + pendenza_massima)];
      j -= g;
      if (!segue) g = da_dove_[c][static_cast<size_t>(j - basso[c])] - pendenza_massima;
    }
    return risultato;
  }

 private:
  // The price of height j (on the lattice) at the end of cell k beyond the
  // band: steep enough that only heights that cannot follow pay it.
  double fuori_fascia(size_t k, long j) const {
    const double oltre = std::abs(static_cast<double>(j) * passo_quota - nodi_[k]) - fascia_;
    return oltre > 0 ? 1e6 * oltre * oltre : 0.0;
  }

  double prezzo_, fascia_, ampiezza_;
  std::vector<somme_cella> somme_;
  std::vector<double> nodi_;  // the heights at the cells' ends
  std::vector<std::vector<bool>> segue_;
  std::vector<std::vector<std::int8_t>> da_dove_;
};

}  // namespace

std::vector<pendenza_importata> adatta_pendenze(const std::vector<double>& quote,
                                                double correlazione) {
  if (quote.size() <= static_cast<size_t>(passo_cella)) return {{0, 0}};
  // Heights at least twice their noise's reach apart, on the cells' ends.
  const size_t passo =
      static_cast<size_t>(passo_cella) *
      static_cast<size_t>(std::max(1.0, std::ceil(2 * correlazione / passo_cella)));
  std::vector<double> nodi;
  for (size_t m = 0; m < quote.size(); m += passo) nodi.push_back(quote[m]);
  const double rumore = std::max(rumore_stimato(nodi), 0.05);
  const double prezzo = prezzo_cambio * static_cast<double>(passo_cella) * rumore * rumore;
  const double fascia = std::max(fascia_minima, fascia_rumori * rumore);
  const std::vector<long> celle = adattamento_profilo(quote, prezzo, fascia).esegui();
  std::vector<pendenza_importata> risultato;
  for (size_t c = 0; c < celle.size(); ++c)
    if (c == 0 || celle[c] != celle[c - 1])
      risultato.push_back(
          {static_cast<Long>(static_cast<long>(c) * passo_cella), static_cast<Long>(celle[c])});
  return risultato;
}

}  // namespace scen
