#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "import/adatta.h"
#include "read/accesso.h"

namespace scen {

namespace {

constexpr long pendenza_massima = 60;  // per mille, either way
constexpr long pendenze = 2 * pendenza_massima + 1;
// Heights are taken on a lattice of this step (m): a whole gradient in per
// mille over a cell of 50 m climbs a whole number of steps, as many as its
// value, so the heights at the cells' ends stay on the lattice exactly.
constexpr double passo_quota = 0.05;
constexpr double infinito = std::numeric_limits<double>::infinity();
// The price of a change of gradient, in cells' worth of the noise's squared
// height; the band around the smoothed heights that the profile keeps to, at
// least fascia_minima (m) and fascia_rumori times the noise, but no wider
// than fascia_massima (m), which bounds the work on the wildest heights.
constexpr double prezzo_cambio = 16.0;
constexpr double fascia_minima = 2.0;
constexpr double fascia_rumori = 4.0;
constexpr double fascia_massima = 25.0;
// The reach over which a gradient must show in the heights (m), and the
// window of the running median that smooths them for it, at least this long
// and twice the reach of the noise.
constexpr long base_pendenza = 500;
constexpr long finestra_minima = 200;
// Passes of reweighting, and the Huber threshold in spreads of the residuals.
constexpr int passate = 4;
constexpr double soglia_huber = 1.345;

double mediana(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto mezzo = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mezzo, v.end());
  return *mezzo;
}

// How far the heights stray from a straight line: from the second
// differences of heights `passo` metres apart, about every metre (so that
// the estimate is the same read either way), a median (robust against the
// few places where the gradient changes and against outliers), at that
// spacing and at twice and four times it, the largest of them, so that noise
// that keeps alike over longer than `passo` (a phone's heights wander) is
// not taken for little.
double rumore_stimato(const std::vector<double>& quote, size_t passo) {
  double rumore = 0;
  for (size_t p = passo; p <= 4 * passo; p *= 2) {
    std::vector<double> d;
    for (size_t m = p; m + p < quote.size(); ++m)
      d.push_back(std::abs(quote[m - p] - 2 * quote[m] + quote[m + p]));
    if (d.size() < 5 * p) break;
    // A median of |N(0, 6σ²)| is 0.6745·√6·σ.
    rumore = std::max(rumore, mediana(std::move(d)) / (0.6745 * std::sqrt(6.0)));
  }
  return rumore;
}

// The running median of the heights over `finestra` metres, narrower at the
// ends so that it stays centred: the same read either way.
std::vector<double> mediana_mobile(const std::vector<double>& quote, long finestra) {
  const long n = static_cast<long>(quote.size()), mezza = finestra / 2;
  std::vector<double> r(quote.size()), v;
  for (long m = 0; m < n; ++m) {
    const long h = std::min({mezza, m, n - 1 - m});
    v.assign(quote.begin() + (m - h), quote.begin() + (m + h + 1));
    r[static_cast<size_t>(m)] = mediana(std::move(v));
  }
  return r;
}

long finestra_mediana(double correlazione) {
  return std::max(finestra_minima, static_cast<long>(std::ceil(2 * correlazione)));
}

// The limits of pendenze_mostrate, from the heights smoothed by the running
// median over `finestra`.
std::vector<long> limiti_delle_liscie(const std::vector<double>& liscie, long finestra) {
  const long ultimo = static_cast<long>(liscie.size()) - 1;
  const long celle = ultimo / metri_cella;
  const long base = std::min(base_pendenza, ultimo);
  // The steepest chord of each window, by its start.
  std::vector<double> corde(static_cast<size_t>(ultimo - base + 1));
  for (long a = 0; a + base <= ultimo; ++a)
    corde[static_cast<size_t>(a)] =
        std::abs(liscie[static_cast<size_t>(a + base)] - liscie[static_cast<size_t>(a)]) /
        static_cast<double>(base) * 1000;
  // The windows around a cell: those that overlap it or come within the
  // median's half window of it, where the median rounds off a change of
  // gradient at the cell's end.
  const long margine = finestra / 2;
  std::vector<long> limiti(static_cast<size_t>(celle));
  for (long c = 0; c < celle; ++c) {
    const long da = std::max(0L, c * metri_cella - base - margine);
    const long a = std::min(ultimo - base, (c + 1) * metri_cella + margine);
    double ripida = 0;
    for (long k = da; k <= a; ++k) ripida = std::max(ripida, corde[static_cast<size_t>(k)]);
    limiti[static_cast<size_t>(c)] =
        std::min(pendenza_massima, static_cast<long>(std::llround(ripida)));
  }
  return limiti;
}

}  // namespace

std::vector<long> pendenze_mostrate(const std::vector<double>& quote, double correlazione) {
  if (quote.size() <= static_cast<size_t>(metri_cella)) return {};
  const long finestra = finestra_mediana(correlazione);
  return limiti_delle_liscie(mediana_mobile(quote, finestra), finestra);
}

namespace {

// The heights of one cell, weighted, summed as the cost of a straight piece
// needs them: with t the metre within the cell, q its height and w its
// weight, the sums of w, w·t, w·t², w·q, w·t·q and w·q².
struct somme_cella {
  double n = 0, t = 0, tt = 0, q = 0, tq = 0, qq = 0;

  // The weighted sum of the squares of the distances between the heights
  // and the piece that starts at `quota` and climbs `pendenza` per mille.
  double scarto(double quota, long pendenza) const {
    const double a = static_cast<double>(pendenza) / 1000.0;
    return n * quota * quota + 2 * quota * a * t + a * a * tt - 2 * quota * q - 2 * a * tq + qq;
  }
};

struct profilo_adattato {
  std::vector<long> pendenze;  // per cell
  double partenza = 0;         // the height at metre 0 (m)
  double costo = 0;
};

// The profile as a whole: heights at the cells' ends on the lattice, each
// cell a straight piece of a whole gradient within its limit, chosen to keep
// the weighted sum of the squared distances to the heights least plus a
// price for every change of gradient, so that noise does not buy records.
// The heights at the cells' ends are kept within a band of the smoothed
// heights, so that the profile does not drift. Solved exactly by dynamic
// programming over (height, gradient of the last cell) at each cell's end.
class adattamento_profilo {
 public:
  adattamento_profilo(const std::vector<double>& quote, const std::vector<double>& pesi,
                      const std::vector<double>& centri, const std::vector<long>& limiti,
                      double prezzo, const std::vector<double>& fasce)
      : prezzo_(prezzo), limiti_(limiti) {
    const size_t celle = limiti.size();
    somme_.resize(celle);
    for (size_t c = 0; c < celle; ++c) {
      somme_cella& s = somme_[c];
      for (long t = 0; t < metri_cella; ++t) {
        const size_t m = c * metri_cella + static_cast<size_t>(t);
        const double q = quote[m], w = pesi[m];
        const double tt = static_cast<double>(t);
        s.n += w;
        s.t += w * tt;
        s.tt += w * tt * tt;
        s.q += w * q;
        s.tq += w * tt * q;
        s.qq += w * q * q;
      }
    }
    basso_.resize(celle + 1);
    alto_.resize(celle + 1);
    for (size_t k = 0; k <= celle; ++k) {
      const double centro = centri[k * metri_cella];
      basso_[k] = static_cast<long>(std::floor((centro - fasce[k]) / passo_quota));
      alto_[k] = static_cast<long>(std::ceil((centro + fasce[k]) / passo_quota));
      if (k == 0) continue;
      // Within reach of the heights before: where the band lies further
      // than the cell can climb, the nearest heights that can be reached.
      const long lim = limiti_[k - 1];
      const long giu = basso_[k - 1] - lim, su = alto_[k - 1] + lim;
      const long larghezza = alto_[k] - basso_[k];
      if (basso_[k] > su) {
        basso_[k] = std::max(giu, su - larghezza);
        alto_[k] = su;
      } else if (alto_[k] < giu) {
        basso_[k] = giu;
        alto_[k] = std::min(su, giu + larghezza);
      } else {
        basso_[k] = std::max(basso_[k], giu);
        alto_[k] = std::min(alto_[k], su);
      }
    }
  }

  profilo_adattato esegui() {
    const size_t celle = somme_.size();
    const std::vector<long>& basso = basso_;
    const std::vector<long>& alto = alto_;
    // costo[(j - basso) * pendenze + g + massima]: the least cost of a
    // profile that reaches the end of the cell at height j with gradient g.
    std::vector<double> costo(static_cast<size_t>(alto[0] - basso[0] + 1) * pendenze, 0.0);
    segue_.assign(celle, {});
    da_dove_.assign(celle, {});
    std::vector<double> dopo;
    for (size_t c = 0; c < celle; ++c) {
      const long b0 = basso[c], a0 = alto[c], b1 = basso[c + 1], a1 = alto[c + 1];
      const long lim = limiti_[c];
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
        for (long g = -lim; g <= lim; ++g) {
          const long arrivo = j + g;
          if (arrivo < b1 || arrivo > a1) continue;
          const double seguendo = riga[g + pendenza_massima];
          const bool segue = seguendo <= cambiando;
          const double totale = (segue ? seguendo : cambiando) + somme_[c].scarto(quota, g);
          const size_t i = static_cast<size_t>(arrivo - b1) * pendenze +
                           static_cast<size_t>(g + pendenza_massima);
          dopo[i] = totale;
          segue_[c][i] = segue;
        }
      }
      costo.swap(dopo);
    }
    // Back from the best end.
    profilo_adattato risultato;
    risultato.pendenze.resize(celle);
    size_t i = static_cast<size_t>(std::min_element(costo.begin(), costo.end()) - costo.begin());
    long j = basso[celle] + static_cast<long>(i / pendenze);
    long g = static_cast<long>(i % pendenze) - pendenza_massima;
    for (size_t c = celle; c-- > 0;) {
      risultato.pendenze[c] = g;
      const bool segue = segue_[c][static_cast<size_t>(j - basso[c + 1]) * pendenze +
                                   static_cast<size_t>(g + pendenza_massima)];
      j -= g;
      if (!segue) g = da_dove_[c][static_cast<size_t>(j - basso[c])] - pendenza_massima;
    }
    risultato.partenza = static_cast<double>(j) * passo_quota;
    return risultato;
  }

 private:
  double prezzo_;
  const std::vector<long>& limiti_;
  std::vector<somme_cella> somme_;
  std::vector<long> basso_, alto_;  // the lattice's reach at each cell's end
  std::vector<std::vector<bool>> segue_;
  std::vector<std::vector<std::int8_t>> da_dove_;
};

// The height of the profile at each metre it covers.
std::vector<double> quote_del_profilo(const profilo_adattato& p) {
  std::vector<double> q;
  q.reserve(p.pendenze.size() * metri_cella + 1);
  double quota = p.partenza;
  for (long g : p.pendenze)
    for (long t = 0; t < metri_cella; ++t) {
      q.push_back(quota + static_cast<double>(g * t) / 1000.0);
      if (t + 1 == metri_cella) quota += static_cast<double>(g * metri_cella) / 1000.0;
    }
  return q;
}

// Where the heights are not seen (drawn straight across a structure), a
// cell is allowed the steepest gradient of the cells just outside the
// stretch, when that is steeper than its own limit: the straight line
// drawn across shows the structure's mean gradient, not its steepest. And
// the band about the smoothed heights (`fasce`, its half width at each
// cell's end) widens within the stretch as far as those gradients can take
// the profile from the straight line between its seen ends, up to
// fascia_massima.
void dove_non_viste(const std::vector<double>& viste, std::vector<long>& limiti,
                    std::vector<double>& fasce) {
  if (viste.empty()) return;
  const size_t celle = limiti.size();
  std::vector<bool> vista(celle);
  for (size_t c = 0; c < celle; ++c) {
    double somma = 0;
    for (size_t t = 0; t < static_cast<size_t>(metri_cella); ++t)
      somma += viste[c * metri_cella + t];
    vista[c] = somma >= 0.5 * metri_cella;
  }
  for (size_t c = 0; c < celle;) {
    if (vista[c]) {
      ++c;
      continue;
    }
    size_t fine = c;
    while (fine < celle && !vista[fine]) ++fine;
    long fuori = 0;
    if (c > 0) fuori = limiti[c - 1];
    if (fine < celle) fuori = std::max(fuori, limiti[fine]);
    long ripida = 0;
    for (size_t k = c; k < fine; ++k) {
      limiti[k] = std::max(limiti[k], fuori);
      ripida = std::max(ripida, limiti[k]);
    }
    for (size_t k = c + 1; k < fine; ++k) {
      const double dentro = static_cast<double>(std::min(k - c, fine - k) * metri_cella);
      const double scosta = 2 * static_cast<double>(ripida) / 1000.0 * dentro;
      fasce[k] = std::max(fasce[k], std::min(scosta, fascia_massima));
    }
    c = fine;
  }
}

double huber(double r, double soglia) {
  const double a = std::abs(r);
  return a <= soglia ? a * a : soglia * (2 * a - soglia);
}

// The fit read from metre 0: reweighted passes of the least squares, each
// weighing down the heights far from the profile before (Huber's weights),
// so that outliers and the hills that a tile sees above a cutting pull the
// profile little. Its cost is Huber's loss of the last profile plus the
// price of its changes.
profilo_adattato adatta_in_un_verso(const std::vector<double>& quote,
                                    const std::vector<double>& centri, double correlazione,
                                    const std::vector<double>& viste) {
  const size_t passo =
      static_cast<size_t>(metri_cella) *
      static_cast<size_t>(std::max(1.0, std::ceil(2 * correlazione / metri_cella)));
  const double rumore = std::max(rumore_stimato(quote, passo), 0.05);
  const double prezzo = prezzo_cambio * static_cast<double>(metri_cella) * rumore * rumore;
  const double fascia = std::clamp(fascia_rumori * rumore, fascia_minima, fascia_massima);
  std::vector<long> limiti = limiti_delle_liscie(centri, finestra_mediana(correlazione));
  std::vector<double> fasce(limiti.size() + 1, fascia);
  dove_non_viste(viste, limiti, fasce);
  const std::vector<double> base = viste.empty() ? std::vector<double>(quote.size(), 1.0) : viste;
  std::vector<double> pesi = base;
  profilo_adattato p;
  double soglia = 0;
  for (int passata = 0; passata < passate; ++passata) {
    profilo_adattato nuovo =
        adattamento_profilo(quote, pesi, centri, limiti, prezzo, fasce).esegui();
    // The same profile again: the weights would stay as they are.
    if (passata > 0 && nuovo.pendenze == p.pendenze && nuovo.partenza == p.partenza) break;
    p = std::move(nuovo);
    const std::vector<double> profilo = quote_del_profilo(p);
    std::vector<double> scarti(profilo.size()), visti;
    for (size_t m = 0; m < profilo.size(); ++m) {
      scarti[m] = std::abs(quote[m] - profilo[m]);
      if (base[m] > 0) visti.push_back(scarti[m]);
    }
    soglia = std::max(soglia_huber * 1.4826 * mediana(std::move(visti)), 0.05);
    for (size_t m = 0; m < profilo.size(); ++m)
      pesi[m] = base[m] * (scarti[m] <= soglia ? 1.0 : soglia / scarti[m]);
    p.costo = 0;
    for (size_t m = 0; m < profilo.size(); ++m) p.costo += base[m] * huber(scarti[m], soglia);
    for (size_t c = 1; c < p.pendenze.size(); ++c)
      if (p.pendenze[c] != p.pendenze[c - 1]) p.costo += prezzo;
  }
  return p;
}

}  // namespace

std::vector<pendenza_importata> adatta_pendenze(const std::vector<double>& quote,
                                                double correlazione,
                                                const std::vector<double>& viste) {
  if (quote.size() <= static_cast<size_t>(metri_cella)) return {{0, 0}};
  if (!viste.empty() && viste.size() != quote.size()) return adatta_pendenze(quote, correlazione);
  // Read both ways, and the cheaper kept: so the profile read the other way
  // gives the same records, mirrored.
  // The running median is the same read either way: its windows are centred.
  const std::vector<double> liscie = mediana_mobile(quote, finestra_mediana(correlazione));
  const profilo_adattato avanti = adatta_in_un_verso(quote, liscie, correlazione, viste);
  const std::vector<double> rovescio(quote.rbegin(), quote.rend());
  const profilo_adattato indietro = adatta_in_un_verso(
      rovescio, {liscie.rbegin(), liscie.rend()}, correlazione, {viste.rbegin(), viste.rend()});
  const double scala = std::max({std::abs(avanti.costo), std::abs(indietro.costo), 1e-9});
  const bool da_indietro = (indietro.costo - avanti.costo) / scala < -1e-9;
  std::vector<pendenza_importata> risultato;
  if (!da_indietro) {
    const std::vector<long>& celle = avanti.pendenze;
    for (size_t c = 0; c < celle.size(); ++c)
      if (c == 0 || celle[c] != celle[c - 1])
        risultato.push_back(
            {static_cast<Long>(static_cast<long>(c) * metri_cella), static_cast<Long>(celle[c])});
    return risultato;
  }
  // The cells read backwards start at the last metre: their ends, seen
  // from metre 0, rounded to the line's cells.
  const long ultimo = static_cast<long>(quote.size()) - 1;
  const std::vector<long>& celle = indietro.pendenze;
  for (size_t c = celle.size(); c-- > 0;)
    if (c + 1 == celle.size() || celle[c] != celle[c + 1]) {
      const long fine = static_cast<long>(c + 1) * metri_cella;  // from the last metre
      const Long dove =
          c + 1 == celle.size()
              ? 0
              : static_cast<Long>(std::llround(static_cast<double>(ultimo - fine) / metri_cella) *
                                  metri_cella);
      risultato.push_back({dove, static_cast<Long>(-celle[c])});
    }
  return risultato;
}

}  // namespace scen
