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
double corsa::energia_a(long j) const { return tra(energia, j); }

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

namespace {

// Whether the line and the train make a run at all; sets `c.da` and `c.a`.
Stato controlla_ingressi(const percorso_marcia& linea, const rotabile& treno, corsa& c) {
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
  return Stato::ok();
}

// What the whole run shares: the line, the train and where it stands.
struct ambito {
  const percorso_marcia& linea;
  const rotabile& treno;
  long da, a;
  long lunghezza;  // the train's, whole metres
  long inizio;     // where the tail stands at the start
  double massima;  // the train's top speed (km/h)
};

// The lowest limit in force for the train from metre `da` to `a`, as steps
// at absolute positions: the line's limits within the train's top speed,
// the slowdowns, each held until the tail has passed it when it holds for
// the whole train.
gradini limiti_del_treno(const ambito& q) {
  std::vector<intervallo> sotto, testa;
  const auto& lim = q.linea.limite;
  for (size_t i = 0; i < lim.size();) {
    size_t j = i + 1;
    while (j < lim.size() && lim[j] == lim[i]) ++j;
    if (lim[i] > 0)
      sotto.push_back({metri_cella * static_cast<long>(i), metri_cella * static_cast<long>(j),
                       std::min<double>(lim[i], q.massima)});
    i = j;
  }
  for (const rallentamento_marcia& r : q.linea.rallentamenti) {
    if (r.kmh <= 0) continue;  // no speed to keep: nothing to hold the train to
    (r.tutto_il_treno ? sotto : testa).push_back({r.inizio, r.fine, static_cast<double>(r.kmh)});
  }
  const gradini base = a_gradini(sotto, q.inizio, q.massima, true);
  const gradini sulla_testa = a_gradini(testa, q.da, q.massima, true);

  // A step [s, e) holds for the head from s until the tail passes e, at e +
  // length; the steps under the train are always a run of them, whose lowest
  // a queue keeps.
  std::vector<long> eventi = {q.da};
  for (size_t i = 0; i < base.size(); ++i) {
    eventi.push_back(base[i].first);
    if (i + 1 < base.size()) eventi.push_back(base[i + 1].first + q.lunghezza);
  }
  for (const auto& [x, valore] : sulla_testa) eventi.push_back(x);
  std::sort(eventi.begin(), eventi.end());
  eventi.erase(std::unique(eventi.begin(), eventi.end()), eventi.end());
  gradini limiti;
  std::deque<size_t> coda_minimi;
  size_t entrati = 0, usciti = 0;
  cursore testa_a(sulla_testa, q.massima);
  for (long x : eventi) {
    if (x < q.da) continue;
    if (x > q.a) break;
    for (; entrati < base.size() && base[entrati].first <= x; ++entrati) {
      while (!coda_minimi.empty() && base[coda_minimi.back()].second >= base[entrati].second)
        coda_minimi.pop_back();
      coda_minimi.push_back(entrati);
    }
    for (; usciti + 1 < entrati && base[usciti + 1].first + q.lunghezza <= x; ++usciti)
      if (!coda_minimi.empty() && coda_minimi.front() == usciti) coda_minimi.pop_front();
    const double sotto_treno = coda_minimi.empty() ? q.massima : base[coda_minimi.front()].second;
    const double valore = std::min(sotto_treno, testa_a.a(x));
    if (limiti.empty() || limiti.back().second != valore) limiti.emplace_back(x, valore);
  }
  return limiti;
}

// Over each metre the head runs (from `da`): the gradient averaged over the
// train (per mille) and the whole resistance of the line, gradient and
// curves, averaged the same way (N/kN).
struct sotto_il_treno {
  std::vector<double> pendenza;
  std::vector<double> resistenza;
};

sotto_il_treno medie_sotto_il_treno(const ambito& q) {
  // The curves' resistance as steps, the sharpest where two meet, in
  // millionths of N/kN, so that the sums over the train are exact and a
  // train over the same stretches has the same resistance.
  std::vector<intervallo> archi;
  for (const curva_marcia& k : q.linea.curve)
    archi.push_back({k.inizio, k.inizio + k.lunghezza, resistenza_curva(k.raggio)});
  gradini curve = a_gradini(archi, 0, 0, false);
  for (auto& [x, w] : curve) w = std::round(w * 1e6);

  // The sums of the metres from the tail to the head: the gradients whole,
  // the curves apart.
  long somma_pendenze = 0;
  long long somma_curve = 0;
  cursore curva_testa(curve, 0), curva_coda(curve, 0);
  for (long y = q.inizio; y < q.da; ++y) {
    somma_pendenze += a_metro(q.linea.pendenza, y);
    somma_curve += static_cast<long long>(curva_testa.a(y));
  }
  sotto_il_treno m;
  const size_t metri = static_cast<size_t>(q.a - q.da);
  m.pendenza.reserve(metri);
  m.resistenza.reserve(metri);
  for (long x = q.da; x < q.a; ++x) {
    somma_pendenze += a_metro(q.linea.pendenza, x);
    somma_curve += static_cast<long long>(curva_testa.a(x));
    const long coda = x - q.lunghezza - 1;  // the metre that the tail has just left
    if (coda >= q.inizio) {
      somma_pendenze -= a_metro(q.linea.pendenza, coda);
      somma_curve -= static_cast<long long>(curva_coda.a(coda));
    }
    const double sotto = static_cast<double>(x - std::max(q.inizio, x - q.lunghezza) + 1);
    m.pendenza.push_back(static_cast<double>(somma_pendenze) / sotto);
    m.resistenza.push_back(
        (static_cast<double>(somma_pendenze) + static_cast<double>(somma_curve) / 1e6) / sotto);
  }
  return m;
}

// The braking rate over each metre: the service rate less the gradient's
// share g i (more on a climb, less on a descent), never below the floor.
double frenatura_su(double b, double pendenza) {
  return std::max(b + gravita_ms2 * pendenza / 1000, frenatura_minima_pendenza_ms2);
}

// Where the train must be slower ahead: at each fall of its limit, at each
// stop and at the end. With F(s) the sum of the braking rates from `da` to
// s, a point y where the square of the speed may be cap allows at s before
// it v^2 = cap + 2 (F(y) - F(s)): the lowest over the points ahead is the
// lowest of cap + 2 F(y), less 2 F(s).
struct vincolo {
  double y, chiave;
  long sosta;  // a stop's dwell (s); -1 for a limit
};

struct frenate {
  double b = 0;  // the service rate
  std::vector<vincolo> vincoli;
  std::vector<double> minimo_da;  // the lowest key from each point on

  // The rate over metre j from `da`.
  double rate(const sotto_il_treno& sotto, size_t j) const {
    return frenatura_su(b, sotto.pendenza[j]);
  }
};

frenate vincoli_di_frenata(const ambito& q, const gradini& limiti, const sotto_il_treno& sotto) {
  frenate fr;
  fr.b = q.treno.decelerazione_frenatura_ms2;
  // The points with the square of their speed, then F added as the metres
  // are walked once in their order (F at a whole metre, the rate constant
  // within one).
  auto punto = [&](double y, double cap, long sosta) { fr.vincoli.push_back({y, cap, sosta}); };
  for (size_t i = 1; i < limiti.size(); ++i)
    if (limiti[i].second < limiti[i - 1].second) {
      const double v = limiti[i].second / 3.6;
      punto(static_cast<double>(limiti[i].first), v * v, -1);
    }
  const auto& st = q.linea.stazioni;
  for (size_t i = 1; i + 1 < st.size(); ++i)
    if (st[i].sosta != 0) punto(static_cast<double>(st[i].posizione), 0, st[i].sosta);
  punto(static_cast<double>(q.a), 0, 0);
  std::stable_sort(fr.vincoli.begin(), fr.vincoli.end(),
                   [](const vincolo& p, const vincolo& r) { return p.y < r.y; });
  const size_t metri = sotto.pendenza.size();
  double f = 0;  // F at metre j
  size_t j = 0;
  for (vincolo& v : fr.vincoli) {
    const double jy = std::max(v.y - static_cast<double>(q.da), 0.0);
    for (; j + 1 < metri && static_cast<double>(j + 1) <= jy; ++j) f += fr.rate(sotto, j);
    v.chiave += 2 * (f + (jy - static_cast<double>(j)) * fr.rate(sotto, j));
  }
  fr.minimo_da.assign(fr.vincoli.size() + 1, std::numeric_limits<double>::infinity());
  for (size_t i = fr.vincoli.size(); i-- > 0;)
    fr.minimo_da[i] = std::min(fr.minimo_da[i + 1], fr.vincoli[i].chiave);
  return fr;
}

// The effort, the adhesion and the running resistance at a speed, for the
// last two speeds asked: at a steady speed the same ones come back step
// after step.
class forze {
 public:
  explicit forze(const rotabile& t) : t_(t) {}
  // Effort (kN) at v (m/s), within `limite` (adhesion), less the running
  // resistance.
  double netta(double v, double limite) {
    const valori& f = a(v);
    return std::min(f.sforzo, limite) - f.resistenza;
  }
  double resistenza(double v) { return a(v).resistenza; }

 private:
  struct valori {
    double v = -1, sforzo = 0, resistenza = 0;
  };
  const valori& a(double v) {
    for (const valori& r : ricordati_)
      if (r.v == v) return r;
    const double kmh = v * 3.6;
    valori& r = ricordati_[prossimo_];
    prossimo_ ^= 1;
    r = {v, sforzo_a(t_, kmh), resistenza_a(t_, kmh)};
    return r;
  }
  const rotabile& t_;
  valori ricordati_[2];
  size_t prossimo_ = 0;
};

// The effort that adhesion allows under the head at metre x.
double aderenza_a(const ambito& q, long x) {
  if (q.linea.aderenza.empty()) return sforzo_aderenza(q.treno, 0);
  return sforzo_aderenza(q.treno, a_metro(q.linea.aderenza, x));
}

// "52", "84,2": one decimal at most, with a decimal comma.
std::string un_decimale(double x) {
  std::string s = fmt::format("{:.1f}", x);
  if (s.ends_with(".0")) s.resize(s.size() - 2);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

// The train stopped at metre x: why, in the words of the messages.
Stato fermato(const ambito& q, corsa& c, long x, double pendenza, double mancante) {
  c.fermo = fermo_corsa{x, pendenza, mancante};
  return Stato::errore(fmt::format(
      "il treno «{}» non ce la fa: a {} m si ferma, lo sforzo non vince la resistenza, la "
      "pendenza e le curve (pendenza media sotto il treno {} per mille, mancano {} kN)",
      q.treno.nome, x, un_decimale(std::round(pendenza * 10) / 10),
      un_decimale(std::ceil(mancante * 10) / 10)));
}

// A step of the motion: from a speed, under a ceiling (the square of the
// highest speed at its end), a resistance of the line and an adhesion
// limit, to the speed at its end, with its duration and the work at the
// wheel (kJ). A step from the same speed under the same ceiling, resistance
// and adhesion as the one before (at a steady speed) ends the same way.
struct passo {
  double v = -1, tetto = -1, resistenza = 0, aderenza = -1;  // from
  double v1 = 0, durata = 0, lavoro = 0;                     // to
  bool stesso(double u, double t, double r, double a) const {
    return u == v && t == tetto && r == resistenza && a == aderenza;
  }
};

// The train's figures that the steps use.
struct dinamica {
  forze f;
  double peso_kN, massa_efficace;  // kN, t
  explicit dinamica(const rotabile& t)
      : f(t),
        peso_kN(t.massa_t * gravita_ms2),
        massa_efficace(t.massa_t * t.coefficiente_masse_rotanti) {}
  // The acceleration at speed u (m/s^2): kN over t.
  double accelerazione(double u, double resistenza_linea, double aderenza) {
    return (f.netta(u, aderenza) - peso_kN * resistenza_linea / 1000) / massa_efficace;
  }
  // What the train lacks at rest to go on (kN).
  double mancante(double resistenza_linea, double aderenza) {
    return std::max(-(f.netta(0, aderenza) - peso_kN * resistenza_linea / 1000), 0.0);
  }
};

// The step of `ds` from v; false when the train stops on it. The
// acceleration of the step is the mean of those at its two ends (the speed
// at its end first found with the one at its start).
bool fai_passo(dinamica& d, double v, double tetto, double resistenza_linea, double aderenza,
               double ds, passo& p) {
  const double a0 = d.accelerazione(v, resistenza_linea, aderenza);
  const double v1_stimata = std::sqrt(std::max(0.0, v * v + 2 * a0 * ds));
  const double a1 = d.accelerazione(v1_stimata, resistenza_linea, aderenza);
  const double v1 = std::sqrt(std::max(0.0, std::min(v * v + (a0 + a1) * ds, tetto)));
  if (v + v1 <= 0 || (v1 <= 0 && tetto > 0)) return false;
  // The effort that the step took at the wheel: the mass times its
  // acceleration plus every resistance, when that is a pull.
  const double tiro = d.massa_efficace * (v1 * v1 - v * v) / (2 * ds) +
                      d.f.resistenza((v + v1) / 2) + d.peso_kN * resistenza_linea / 1000;
  p = {v, tetto, resistenza_linea, aderenza, v1, 2 * ds / (v + v1), std::max(tiro, 0.0) * ds};
  return true;
}

// The stations' departures and stops, and the totals, once the run is done.
void chiudi_corsa(const ambito& q, double lavoro, corsa& c) {
  const auto& st = q.linea.stazioni;
  c.totale = c.tempo.back();
  c.energia_ruota_kWh = lavoro / 3600;
  c.energia_pantografo_kWh = c.energia_ruota_kWh / rendimento_trazione;
  for (size_t i = 0; i < st.size(); ++i) {
    tempi_stazione& ts = c.stazioni[i];
    ts.fermata = i > 0 && i + 1 < st.size() && st[i].sosta != 0;
    ts.partenza = ts.arrivo + (ts.fermata ? static_cast<double>(st[i].sosta) : 0);
  }
}

// The motion, metre by metre from `da` to `a`, each metre in `n` steps.
Stato integra(const ambito& q, const gradini& limiti, const sotto_il_treno& sotto,
              const frenate& fr, int passi_per_metro, corsa& c) {
  const long n = std::max(passi_per_metro, 1);
  const double ds = 1.0 / static_cast<double>(n);
  dinamica d(q.treno);
  cursore limite_metro(limiti, q.massima);
  const auto& st = q.linea.stazioni;
  for (auto* serie : {&c.velocita, &c.tempo, &c.energia}) {
    serie->reserve(static_cast<size_t>(q.a - q.da) / corsa::campione + 2);
    serie->push_back(0);
  }
  // The stations as the head reaches them, the first at rest at the start.
  c.stazioni.assign(st.size(), {});
  size_t prossima = 0;
  while (prossima < st.size() && st[prossima].posizione == q.da) ++prossima;
  passo prima;
  size_t avanti = 0;  // the first point ahead that is not behind the head
  double v = 0, t = 0, lavoro = 0;
  double f_x = 0;  // the sum of the braking rates from `da` to the head
  for (long x = q.da; x < q.a; ++x) {
    const size_t j = static_cast<size_t>(x - q.da);
    const double resistenza_linea = sotto.resistenza[j];
    const double aderenza = aderenza_a(q, x);
    const double lim = limite_metro.a(x) / 3.6;
    const double rata = fr.rate(sotto, j);
    for (long k = 0; k < n; ++k) {
      // The highest speed at the end of the step: the limit of the metre
      // (at a whole metre, also of the metre after), and what braking for
      // the points ahead allows.
      const double s = static_cast<double>(x) + static_cast<double>(k + 1) * ds;
      double tetto = lim * lim;
      if (k + 1 == n && x + 1 < q.a) {
        const double dopo = limite_metro.a(x + 1) / 3.6;
        tetto = std::min(tetto, dopo * dopo);
      }
      while (avanti < fr.vincoli.size() && fr.vincoli[avanti].y < s) ++avanti;
      const double f_s = f_x + (s - static_cast<double>(x)) * rata;
      tetto = std::max(std::min(tetto, fr.minimo_da[avanti] - 2 * f_s), 0.0);
      if (!prima.stesso(v, tetto, resistenza_linea, aderenza) &&
          !fai_passo(d, v, tetto, resistenza_linea, aderenza, ds, prima))
        return fermato(q, c, x, sotto.pendenza[j], d.mancante(resistenza_linea, aderenza));
      t += prima.durata;
      lavoro += prima.lavoro;
      v = prima.v1;
    }
    f_x += rata;
    if ((j + 1) % corsa::campione == 0 || x + 1 == q.a) {
      c.velocita.push_back(v * 3.6);
      c.tempo.push_back(t);
      c.energia.push_back(lavoro / 3600);
    }
    for (; prossima < st.size() && st[prossima].posizione == x + 1; ++prossima) {
      c.stazioni[prossima].arrivo = t;
      c.stazioni[prossima].velocita = v * 3.6;
    }
    // The dwell of a stop here.
    long sosta = 0;
    for (size_t k = avanti; k < fr.vincoli.size() && fr.vincoli[k].y == static_cast<double>(x + 1);
         ++k)
      sosta = std::max(sosta, fr.vincoli[k].sosta);
    if (x + 1 < q.a) t += static_cast<double>(sosta);
    if (!(t <= durata_massima_corsa_s))
      return Stato::errore(fmt::format(
          "il treno «{}» non arriva in {} giorni: a {} m ha già impiegato più di tanto, e un "
          "orario così non si scrive",
          q.treno.nome, durata_massima_corsa_s / 86400, x + 1));
  }
  chiudi_corsa(q, lavoro, c);
  return Stato::ok();
}

}  // namespace

Stato calcola_corsa(const percorso_marcia& linea, const rotabile& treno, corsa& c,
                    int passi_per_metro) {
  c = {};
  if (Stato s = controlla_ingressi(linea, treno, c); !s.riuscito()) return s;
  const long lunghezza = static_cast<long>(std::ceil(treno.lunghezza_m));
  const ambito q{linea,
                 treno,
                 c.da,
                 c.a,
                 lunghezza,
                 std::max(0L, c.da - lunghezza),
                 treno.velocita_massima_kmh};
  const gradini limiti = limiti_del_treno(q);
  for (const auto& [x, valore] : limiti) c.limiti.emplace_back(x - c.da, valore);
  const sotto_il_treno sotto = medie_sotto_il_treno(q);
  const frenate fr = vincoli_di_frenata(q, limiti, sotto);
  return integra(q, limiti, sotto, fr, passi_per_metro, c);
}

}  // namespace scen
