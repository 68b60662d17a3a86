#include "marcia/corsa.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <deque>

namespace scen {

namespace {

// Metres of the line before the first station that the train's length
// reaches, and the line's values there.
struct profilo_metri {
  long inizio = 0;                 // the first metre held
  std::vector<double> limite;      // km/h, for the train as a whole
  std::vector<double> resistenza;  // N/kN of gradient and curves, over the train
};

// The value of a 50 m step series at metre `x` (the first value before the
// line, the last after it).
int a_metro(const std::vector<int>& serie, long x) {
  if (serie.empty()) return 0;
  const long i = std::clamp<long>(x / 50, 0, static_cast<long>(serie.size()) - 1);
  return serie[static_cast<size_t>(i)];
}

profilo_metri profilo(const percorso_marcia& linea, const rotabile& treno, long da, long a) {
  const long lunghezza = static_cast<long>(std::ceil(treno.lunghezza_m));
  profilo_metri p;
  p.inizio = std::max(0L, da - lunghezza);
  const size_t n = static_cast<size_t>(a - p.inizio + 1);

  // The line's own limits, with the slowdowns that hold through the whole
  // train, at each metre.
  std::vector<double> base(n), testa(n, treno.velocita_massima_kmh);
  std::vector<double> pendenza(n), curva(n, 0);
  for (size_t k = 0; k < n; ++k) {
    const long x = p.inizio + static_cast<long>(k);
    const int lim = a_metro(linea.limite, x);
    base[k] =
        lim > 0 ? std::min<double>(lim, treno.velocita_massima_kmh) : treno.velocita_massima_kmh;
    pendenza[k] = a_metro(linea.pendenza, x);
  }
  auto su = [&](long da_m, long a_m, auto fai) {
    for (long x = std::max(da_m, p.inizio); x < a_m && x <= a; ++x)
      fai(static_cast<size_t>(x - p.inizio));
  };
  for (const rallentamento_marcia& r : linea.rallentamenti) {
    if (r.kmh <= 0) continue;  // no speed to keep: nothing to hold the train to
    const double v = r.kmh;
    su(r.inizio, r.fine, [&](size_t k) {
      double& dove = r.tutto_il_treno ? base[k] : testa[k];
      dove = std::min(dove, v);
    });
  }
  for (const curva_marcia& c : linea.curve) {
    const double w = resistenza_curva(c.raggio);
    su(c.inizio, c.inizio + c.lunghezza, [&](size_t k) { curva[k] = std::max(curva[k], w); });
  }

  // Over the train: the lowest limit and the mean resistance of the metres
  // from its tail to its head.
  p.limite.resize(n);
  p.resistenza.resize(n);
  std::deque<size_t> minimi;
  std::vector<double> somma(n + 1, 0);
  for (size_t k = 0; k < n; ++k) somma[k + 1] = somma[k] + pendenza[k] + curva[k];
  for (size_t k = 0; k < n; ++k) {
    while (!minimi.empty() && base[minimi.back()] >= base[k]) minimi.pop_back();
    minimi.push_back(k);
    const size_t coda =
        k >= static_cast<size_t>(lunghezza) ? k - static_cast<size_t>(lunghezza) : 0;
    while (minimi.front() < coda) minimi.pop_front();
    p.limite[k] = std::min(base[minimi.front()], testa[k]);
    p.resistenza[k] = (somma[k + 1] - somma[coda]) / static_cast<double>(k + 1 - coda);
  }
  return p;
}

}  // namespace

Stato calcola_corsa(const percorso_marcia& linea, const rotabile& treno, corsa& c,
                    int passi_per_metro) {
  c = {};
  if (Stato s = rotabile_valido(treno); !s.riuscito()) return s;
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

  const profilo_metri p = profilo(linea, treno, c.da, c.a);
  const size_t metri = static_cast<size_t>(c.a - c.da);
  const size_t n = static_cast<size_t>(std::max(passi_per_metro, 1));
  const double ds = 1.0 / static_cast<double>(n);
  const size_t passi = metri * n;
  const size_t base = static_cast<size_t>(c.da - p.inizio);  // metre da in p
  auto limite_ms = [&](size_t metro) { return p.limite[base + metro] / 3.6; };

  // The stops within the run: at rest there.
  std::vector<char> ferma(metri + 1, 0);
  std::vector<long> sosta(metri + 1, 0);
  for (size_t i = 1; i + 1 < linea.stazioni.size(); ++i)
    if (linea.stazioni[i].sosta != 0) {
      const size_t j = static_cast<size_t>(linea.stazioni[i].posizione - c.da);
      ferma[j] = 1;
      sosta[j] = std::max(sosta[j], linea.stazioni[i].sosta);
    }
  ferma[metri] = 1;

  // Backwards: the highest speed (squared) from which the train can still
  // brake to every lower limit and stop ahead.
  const double b = treno.decelerazione_frenatura_ms2;
  std::vector<double> frena(passi + 1);
  frena[passi] = 0;
  for (size_t q = passi; q-- > 0;) {
    const size_t metro = q / n;
    double lim = limite_ms(metro);
    if (q % n == 0) {
      if (metro > 0) lim = std::min(lim, limite_ms(metro - 1));
      if (ferma[metro]) lim = 0;
    }
    frena[q] = std::min(lim * lim, frena[q + 1] + 2 * b * ds);
  }

  // Forwards: accelerating with what the effort leaves, never above that.
  const double peso_kN = treno.massa_t * gravita_ms2;
  const double massa_efficace = treno.massa_t * treno.coefficiente_masse_rotanti;  // t
  auto accelerazione = [&](double v, size_t metro) {
    const double kmh = v * 3.6;
    const double forza = sforzo_a(treno, kmh) - resistenza_a(treno, kmh) -
                         peso_kN * p.resistenza[base + metro] / 1000;
    return forza / massa_efficace;  // kN / t = m/s^2
  };
  c.velocita.assign(metri + 1, 0);
  c.tempo.assign(metri + 1, 0);
  c.limite.resize(metri + 1);
  for (size_t j = 0; j <= metri; ++j) c.limite[j] = p.limite[base + std::min(j, metri - 1)];
  double v = 0, t = 0;
  for (size_t q = 0; q < passi; ++q) {
    const size_t metro = q / n;
    const double a0 = accelerazione(v, metro);
    const double v1_stimata = std::sqrt(std::max(0.0, v * v + 2 * a0 * ds));
    const double a1 = accelerazione(v1_stimata, metro);
    double v1q = v * v + (a0 + a1) * ds;
    v1q = std::min(v1q, frena[q + 1]);
    const double v1 = std::sqrt(std::max(0.0, v1q));
    if (v + v1 <= 0 || (v1 <= 0 && frena[q + 1] > 0)) {
      const long dove = c.da + static_cast<long>(metro);
      return Stato::errore(fmt::format(
          "il treno «{}» non ce la fa: a {} m si ferma, lo sforzo non vince la resistenza, la "
          "pendenza e le curve",
          treno.nome, dove));
    }
    t += 2 * ds / (v + v1);
    v = v1;
    if ((q + 1) % n == 0) {
      const size_t j = (q + 1) / n;
      c.velocita[j] = v * 3.6;
      c.tempo[j] = t;
      if (ferma[j] && j < metri) t += static_cast<double>(sosta[j]);
    }
  }
  c.totale = c.tempo[metri];

  for (size_t i = 0; i < linea.stazioni.size(); ++i) {
    const stazione_marcia& s = linea.stazioni[i];
    const size_t j = static_cast<size_t>(s.posizione - c.da);
    tempi_stazione ts;
    ts.arrivo = c.tempo[j];
    ts.velocita = c.velocita[j];
    ts.fermata = i > 0 && i + 1 < linea.stazioni.size() && s.sosta != 0;
    ts.partenza = ts.arrivo + (ts.fermata ? static_cast<double>(s.sosta) : 0);
    c.stazioni.push_back(ts);
  }
  return Stato::ok();
}

}  // namespace scen
