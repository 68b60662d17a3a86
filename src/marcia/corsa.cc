#include "marcia/corsa.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <set>

#include "read/accesso.h"

namespace scen {

namespace {

// A value that holds in steps: each from its position to the next.
using gradini = std::vector<std::pair<long, double>>;

// The value of a 50 m step series at metre `x` (the first value before the
// line, the last after it).
int a_metro(const std::vector<int>& serie, long x) {
  if (serie.empty()) return 0;
  const long i = std::clamp<long>(x / metri_cella, 0, static_cast<long>(serie.size()) - 1);
  return serie[static_cast<size_t>(i)];
}

// Reads steps at positions that never go back.
class cursore {
 public:
  cursore(const gradini& g, double prima) : g_(g), prima_(prima) {}
  double a(long x) {
    while (i_ < g_.size() && g_[i_].first <= x) ++i_;
    return i_ == 0 ? prima_ : g_[i_ - 1].second;
  }

 private:
  const gradini& g_;
  double prima_;
  size_t i_ = 0;
};

// Intervals [da, a) with a value each, as steps from `inizio` on: over each
// stretch the lowest (`minimo`) or the highest of the intervals that cover
// it, `fuori` where none does.
struct intervallo {
  long da, a;
  double valore;
};
gradini a_gradini(const std::vector<intervallo>& v, long inizio, double fuori, bool minimo) {
  std::vector<std::pair<long, size_t>> eventi;  // (position, interval), the ends with the high bit
  const size_t fine = size_t{1} << (std::numeric_limits<size_t>::digits - 1);
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i].a <= v[i].da || v[i].a <= inizio) continue;
    eventi.emplace_back(std::max(v[i].da, inizio), i);
    eventi.emplace_back(v[i].a, i | fine);
  }
  std::sort(eventi.begin(), eventi.end());
  std::multiset<double> attivi;
  gradini g = {{inizio, fuori}};
  for (size_t k = 0; k < eventi.size();) {
    const long x = eventi[k].first;
    for (; k < eventi.size() && eventi[k].first == x; ++k) {
      const size_t i = eventi[k].second & ~fine;
      if (eventi[k].second & fine)
        attivi.erase(attivi.find(v[i].valore));
      else
        attivi.insert(v[i].valore);
    }
    const double valore = attivi.empty() ? fuori : (minimo ? *attivi.begin() : *attivi.rbegin());
    if (g.back().first == x)
      g.back().second = valore;
    else if (g.back().second != valore)
      g.emplace_back(x, valore);
    if (g.size() >= 2 && g[g.size() - 2].second == g.back().second) g.pop_back();
  }
  return g;
}

}  // namespace

namespace {

// Sample `i` and the share of the way to the next where metre `j` lies.
std::pair<size_t, double> dove(const std::vector<double>& campioni, long j) {
  if (campioni.size() < 2 || j <= 0) return {0, 0};
  const size_t i = static_cast<size_t>(j / corsa::campione);
  if (i + 1 >= campioni.size()) return {campioni.size() - 1, 0};
  return {i, static_cast<double>(j % corsa::campione) / corsa::campione};
}

double tra(const std::vector<double>& campioni, long j) {
  const auto [i, f] = dove(campioni, j);
  if (f == 0) return campioni[i];
  return campioni[i] + f * (campioni[i + 1] - campioni[i]);
}

}  // namespace

double corsa::velocita_a(long j) const { return tra(velocita, j); }
double corsa::tempo_a(long j) const { return tra(tempo, j); }

double corsa::velocita_massima(long da_j, long a_j) const {
  if (velocita.empty()) return 0;
  const long ultimo = static_cast<long>(velocita.size()) - 1;
  const long i0 = std::clamp<long>(da_j / campione, 0, ultimo);
  const long i1 = std::clamp<long>((a_j + campione - 1) / campione, i0, ultimo);
  double m = 0;
  for (long i = i0; i <= i1; ++i) m = std::max(m, velocita[static_cast<size_t>(i)]);
  return m;
}

double corsa::limite(long j) const {
  auto dopo =
      std::upper_bound(limiti.begin(), limiti.end(), j,
                       [](long x, const std::pair<long, double>& g) { return x < g.first; });
  return dopo == limiti.begin() ? 0 : (dopo - 1)->second;
}

Stato calcola_corsa(const percorso_marcia& linea, const rotabile& treno, corsa& c,
                    int passi_per_metro) {
  c = {};
  if (Stato s = rotabile_valido(treno); !s.riuscito())
    return Stato::errore(
        fmt::format("il treno «{}» non può correre: {}", treno.nome, s.messaggio()));
  if (linea.stazioni.size() < 2)
    return Stato::errore(
        "servono almeno due stazioni: la prima, da cui il treno parte, e "
        "l'ultima, dove arriva");
  c.da = linea.stazioni.front().posizione;
  c.a = linea.stazioni.back().posizione;
  if (c.a <= c.da)
    return Stato::errore(fmt::format(
        "l'ultima stazione ({} m) non sta oltre la prima ({} m): non c'è strada da fare", c.a,
        c.da));
  for (size_t i = 1; i < linea.stazioni.size(); ++i)
    if (linea.stazioni[i].posizione < linea.stazioni[i - 1].posizione)
      return Stato::errore(
          fmt::format("le stazioni non sono in ordine di posizione: «{}» a {} m "
                      "viene dopo «{}» a {} m",
                      linea.stazioni[i].nome, linea.stazioni[i].posizione,
                      linea.stazioni[i - 1].nome, linea.stazioni[i - 1].posizione));
  const long lunghezza = static_cast<long>(std::ceil(treno.lunghezza_m));
  const long inizio = std::max(0L, c.da - lunghezza);  // where the tail stands at the start
  const double massima = treno.velocita_massima_kmh;

  // The line's limits, within the train's top speed, with the slowdowns that
  // hold through the whole train: as steps, the cells of one limit taken
  // together.
  std::vector<intervallo> sotto, testa;
  for (size_t i = 0; i < linea.limite.size();) {
    size_t j = i + 1;
    while (j < linea.limite.size() && linea.limite[j] == linea.limite[i]) ++j;
    if (linea.limite[i] > 0)
      sotto.push_back({metri_cella * static_cast<long>(i), metri_cella * static_cast<long>(j),
                       std::min<double>(linea.limite[i], massima)});
    i = j;
  }
  for (const rallentamento_marcia& r : linea.rallentamenti) {
    if (r.kmh <= 0) continue;  // no speed to keep: nothing to hold the train to
    (r.tutto_il_treno ? sotto : testa).push_back({r.inizio, r.fine, static_cast<double>(r.kmh)});
  }
  const gradini base = a_gradini(sotto, inizio, massima, true);
  const gradini sulla_testa = a_gradini(testa, c.da, massima, true);

  // For the train: the lowest of the steps under it, from its tail to its
  // head, and the slowdowns for the head alone. A step [s, e) holds for the
  // head from s until the tail passes e, at e + length; the steps under the
  // train are always a run of them, whose lowest a queue keeps.
  std::vector<long> eventi = {c.da};
  for (size_t i = 0; i < base.size(); ++i) {
    eventi.push_back(base[i].first);
    if (i + 1 < base.size()) eventi.push_back(base[i + 1].first + lunghezza);
  }
  for (const auto& [x, valore] : sulla_testa) eventi.push_back(x);
  std::sort(eventi.begin(), eventi.end());
  eventi.erase(std::unique(eventi.begin(), eventi.end()), eventi.end());
  gradini limiti;
  std::deque<size_t> coda_minimi;
  size_t entrati = 0, usciti = 0;
  cursore testa_a(sulla_testa, massima);
  for (long x : eventi) {
    if (x < c.da) continue;
    if (x > c.a) break;
    for (; entrati < base.size() && base[entrati].first <= x; ++entrati) {
      while (!coda_minimi.empty() && base[coda_minimi.back()].second >= base[entrati].second)
        coda_minimi.pop_back();
      coda_minimi.push_back(entrati);
    }
    for (; usciti + 1 < entrati && base[usciti + 1].first + lunghezza <= x; ++usciti)
      if (!coda_minimi.empty() && coda_minimi.front() == usciti) coda_minimi.pop_front();
    const double sotto_treno = coda_minimi.empty() ? massima : base[coda_minimi.front()].second;
    const double valore = std::min(sotto_treno, testa_a.a(x));
    if (limiti.empty() || limiti.back().second != valore) limiti.emplace_back(x, valore);
  }
  for (const auto& [x, valore] : limiti) c.limiti.emplace_back(x - c.da, valore);

  // The curves' resistance (N/kN) as steps: the sharpest where two meet.
  std::vector<intervallo> archi;
  for (const curva_marcia& k : linea.curve)
    archi.push_back({k.inizio, k.inizio + k.lunghezza, resistenza_curva(k.raggio)});
  gradini curve = a_gradini(archi, 0, 0, false);
  // In millionths of N/kN, so that the sums over the train are exact and a
  // train over the same stretches has the same resistance.
  for (auto& [x, w] : curve) w = std::round(w * 1e6);

  // Where the train must be slower ahead: at each fall of its limit, at each
  // stop and at the end, the square of the speed there (m/s). Seen from `s`
  // before it, a point y allows v^2 = cap + 2 b (y - s): the lowest over the
  // points ahead is the lowest of cap + 2 b y, less 2 b s.
  const double b = treno.decelerazione_frenatura_ms2;
  struct vincolo {
    double y, chiave;
    long sosta;  // a stop's dwell (s); -1 for a limit
  };
  std::vector<vincolo> vincoli;
  for (size_t i = 1; i < limiti.size(); ++i)
    if (limiti[i].second < limiti[i - 1].second) {
      const double v = limiti[i].second / 3.6;
      const double y = static_cast<double>(limiti[i].first);
      vincoli.push_back({y, v * v + 2 * b * y, -1});
    }
  for (size_t i = 1; i + 1 < linea.stazioni.size(); ++i)
    if (linea.stazioni[i].sosta != 0) {
      const double y = static_cast<double>(linea.stazioni[i].posizione);
      vincoli.push_back({y, 2 * b * y, linea.stazioni[i].sosta});
    }
  vincoli.push_back({static_cast<double>(c.a), 2 * b * static_cast<double>(c.a), 0});
  std::stable_sort(vincoli.begin(), vincoli.end(),
                   [](const vincolo& p, const vincolo& q) { return p.y < q.y; });
  std::vector<double> minimo_da(vincoli.size() + 1, std::numeric_limits<double>::infinity());
  for (size_t i = vincoli.size(); i-- > 0;)
    minimo_da[i] = std::min(minimo_da[i + 1], vincoli[i].chiave);

  const size_t metri = static_cast<size_t>(c.a - c.da);
  const long n = std::max(passi_per_metro, 1);
  const double ds = 1.0 / static_cast<double>(n);
  const double peso_kN = treno.massa_t * gravita_ms2;
  const double massa_efficace = treno.massa_t * treno.coefficiente_masse_rotanti;  // t
  // The effort less the running resistance at a speed (kN), for the last two
  // speeds asked: at a steady speed the same ones come back step after step.
  struct netto {
    double v = -1, forza = 0;
  };
  netto ricordati[2];
  size_t prossimo = 0;
  auto forza_a = [&](double v) {
    for (const netto& r : ricordati)
      if (r.v == v) return r.forza;
    const double kmh = v * 3.6;
    ricordati[prossimo] = {v, sforzo_a(treno, kmh) - resistenza_a(treno, kmh)};
    prossimo ^= 1;
    return ricordati[prossimo ^ 1].forza;
  };
  auto accelerazione = [&](double v, double resistenza_linea) {
    const double forza = forza_a(v) - peso_kN * resistenza_linea / 1000;
    return forza / massa_efficace;  // kN / t = m/s^2
  };

  // The mean of gradient and curves over the train, kept as the sums of the
  // metres from its tail to its head: the gradients whole, the curves apart.
  long somma_pendenze = 0;
  long long somma_curve = 0;  // millionths of N/kN
  cursore curva_testa(curve, 0), curva_coda(curve, 0), limite_metro(limiti, massima);
  for (long y = inizio; y < c.da; ++y) {
    somma_pendenze += a_metro(linea.pendenza, y);
    somma_curve += static_cast<long long>(curva_testa.a(y));
  }

  c.velocita.reserve(metri / corsa::campione + 2);
  c.tempo.reserve(metri / corsa::campione + 2);
  c.velocita.push_back(0);
  c.tempo.push_back(0);
  // The stations as the head reaches them, the first at rest at the start.
  c.stazioni.assign(linea.stazioni.size(), {});
  size_t prossima = 0;
  for (; prossima < linea.stazioni.size() && linea.stazioni[prossima].posizione == c.da;
       ++prossima) {
  }
  struct passo {
    double v = -1, tetto = -1, resistenza = 0;  // from
    double v1 = 0, durata = 0;                  // to
  } passo_prima;
  size_t avanti = 0;  // the first point ahead that is not behind the head
  double v = 0, t = 0;
  for (long x = c.da; x < c.a; ++x) {
    somma_pendenze += a_metro(linea.pendenza, x);
    somma_curve += static_cast<long long>(curva_testa.a(x));
    const long coda = x - lunghezza - 1;  // the metre that the tail has just left
    if (coda >= inizio) {
      somma_pendenze -= a_metro(linea.pendenza, coda);
      somma_curve -= static_cast<long long>(curva_coda.a(coda));
    }
    const long sotto_il_treno = x - std::max(inizio, x - lunghezza) + 1;
    const double resistenza_linea =
        (static_cast<double>(somma_pendenze) + static_cast<double>(somma_curve) / 1e6) /
        static_cast<double>(sotto_il_treno);
    const double lim = limite_metro.a(x) / 3.6;

    for (long q = 0; q < n; ++q) {
      // The highest speed at the end of the step: the limit of the metre
      // (at a whole metre, also of the metre before), and what braking for
      // the points ahead allows.
      const double s = static_cast<double>(x) + static_cast<double>(q + 1) * ds;
      const bool intero = q + 1 == n;
      double tetto = lim * lim;
      if (intero && x + 1 < c.a) {
        const double dopo = limite_metro.a(x + 1) / 3.6;
        tetto = std::min(tetto, dopo * dopo);
      }
      while (avanti < vincoli.size() && vincoli[avanti].y < s) ++avanti;
      tetto = std::min(tetto, minimo_da[avanti] - 2 * b * s);
      tetto = std::max(tetto, 0.0);

      // A step from the same speed, under the same ceiling and resistance,
      // as the one before (at a steady speed) ends the same way.
      if (v != passo_prima.v || tetto != passo_prima.tetto ||
          resistenza_linea != passo_prima.resistenza) {
        const double a0 = accelerazione(v, resistenza_linea);
        const double v1_stimata = std::sqrt(std::max(0.0, v * v + 2 * a0 * ds));
        const double a1 = accelerazione(v1_stimata, resistenza_linea);
        const double v1q = std::min(v * v + (a0 + a1) * ds, tetto);
        const double v1 = std::sqrt(std::max(0.0, v1q));
        if (v + v1 <= 0 || (v1 <= 0 && tetto > 0))
          return Stato::errore(fmt::format(
              "il treno «{}» non ce la fa: a {} m si ferma, lo sforzo non vince la resistenza, "
              "la pendenza e le curve",
              treno.nome, x));
        passo_prima = {v, tetto, resistenza_linea, v1, 2 * ds / (v + v1)};
      }
      t += passo_prima.durata;
      v = passo_prima.v1;
    }
    const long fatti = x + 1 - c.da;
    if (fatti % corsa::campione == 0 || x + 1 == c.a) {
      c.velocita.push_back(v * 3.6);
      c.tempo.push_back(t);
    }
    for (; prossima < linea.stazioni.size() && linea.stazioni[prossima].posizione == x + 1;
         ++prossima) {
      c.stazioni[prossima].arrivo = t;
      c.stazioni[prossima].velocita = v * 3.6;
    }
    // The dwell of a stop here.
    const double qui = static_cast<double>(x + 1);
    long sosta = 0;
    for (size_t k = avanti; k < vincoli.size() && vincoli[k].y == qui; ++k)
      sosta = std::max(sosta, vincoli[k].sosta);
    if (x + 1 < c.a) t += static_cast<double>(sosta);
    if (!(t <= durata_massima_corsa_s))
      return Stato::errore(fmt::format(
          "il treno «{}» non arriva in {} giorni: a {} m ha già impiegato più di tanto, e un "
          "orario così non si scrive",
          treno.nome, durata_massima_corsa_s / 86400, x + 1));
  }
  c.totale = c.tempo.back();

  for (size_t i = 0; i < linea.stazioni.size(); ++i) {
    tempi_stazione& ts = c.stazioni[i];
    ts.fermata = i > 0 && i + 1 < linea.stazioni.size() && linea.stazioni[i].sosta != 0;
    ts.partenza = ts.arrivo + (ts.fermata ? static_cast<double>(linea.stazioni[i].sosta) : 0);
  }
  return Stato::ok();
}

}  // namespace scen
