// For the import's tests: GPS tracks made from known lines. A line
// description is read with its trace, its plan redrawn with one-metre steps,
// turned and laid on the globe, sampled every so many metres with noise, and
// written as GPX or GeoJSON.
#pragma once

#include <fmt/format.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "import/proiezione.h"
#include "model/minimo.h"
#include "model/modello.h"
#include "testing/prova_lettura.h"

namespace scen::prova {

// A known line: its plan and heights metre by metre, its length and its
// cells' gradients.
struct linea_nota {
  std::vector<punto_piano> piano;
  std::vector<double> quote;
  Long lunghezza = 0;
  std::vector<int> pendenze;  // per mille, cells 0 to lunghezza / 50 - 1
};

// The plan of a model read with its trace, metres 0 to `ultimo`, redrawn
// with steps of one metre in the trace's directions.
inline std::vector<punto_piano> piano_letto(const modello& m, Long ultimo) {
  auto valore = valore_numerico;
  std::vector<punto_piano> piano(static_cast<size_t>(ultimo) + 1);
  for (size_t i = 1; i < piano.size(); ++i) {
    const double dx = valore(m.tracciato[0][i]) - valore(m.tracciato[0][i - 1]);
    const double dy = valore(m.tracciato[1][i]) - valore(m.tracciato[1][i - 1]);
    const double l = std::hypot(dx, dy);
    piano[i] = {piano[i - 1].x + dx / l, piano[i - 1].y + dy / l};
  }
  return piano;
}

// The known line of a model read with its trace.
inline linea_nota linea_letta(const modello& m) {
  linea_nota l;
  l.lunghezza = m.registri[indice_registro::generali_treno].fine;
  l.piano = piano_letto(m, l.lunghezza);
  for (Long c = 0; c < l.lunghezza / 50; ++c)
    l.pendenze.push_back(static_cast<int>(m.celle[static_cast<size_t>(c)].pendenza) - 100);
  l.quote.assign(l.piano.size(), 300.0);
  for (size_t i = 1; i < l.quote.size(); ++i) {
    const size_t c = std::min((i - 1) / 50, l.pendenze.size() - 1);
    l.quote[i] = l.quote[i - 1] + l.pendenze[c] / 1000.0;
  }
  return l;
}

// The known line of the line description `linea`, read with its trace;
// `esito_lettura` receives the reading's outcome.
inline linea_nota linea_descritta(const std::string& linea, esito& esito_lettura) {
  Lettura l(1);
  l.leggi(linea);
  esito_lettura = l.m.errore_codice;
  return linea_letta(l.m);
}

// A small, fixed generator of normal noise, the same on every host.
class rumore {
 public:
  explicit rumore(uint64_t seme) : s_(seme) {}
  double normale() {
    const double u1 = (static_cast<double>(prossimo() >> 11) + 1) / 9007199254740993.0;
    const double u2 = static_cast<double>(prossimo() >> 11) / 9007199254740992.0;
    return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
  }
  // Uniform in [0, 1).
  double uniforme() { return static_cast<double>(prossimo() >> 11) / 9007199254740992.0; }

 private:
  uint64_t prossimo() {
    s_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = s_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint64_t s_;
};

struct punto_gps {
  double lat = 0, lon = 0, quota = 0;
};

// The line laid on the globe: turned by `angolo` (degrees, clockwise),
// the middle of its plan at (lat, lon), sampled every `passo` metres along it and at its
// end, with normal noise of `sigma` across and along and `sigma_quota` in
// height.
inline std::vector<punto_gps> campiona(const linea_nota& l, double passo, double sigma,
                                       double sigma_quota, uint64_t seme, double angolo = 35,
                                       double lat = 44.2, double lon = 10.9) {
  proiezione_locale p;
  if (!p.crea(lat, lon).riuscito()) return {};
  const double a = angolo * std::numbers::pi / 180;
  rumore r(seme);
  std::vector<punto_gps> punti;
  const double ultimo = static_cast<double>(l.piano.size() - 1);
  punto_piano centro;
  for (const punto_piano& q : l.piano) {
    centro.x += q.x / static_cast<double>(l.piano.size());
    centro.y += q.y / static_cast<double>(l.piano.size());
  }
  for (double s = 0;; s += passo) {
    if (s > ultimo) s = ultimo;
    const size_t m = static_cast<size_t>(s);
    const punto_piano q = {l.piano[m].x - centro.x, l.piano[m].y - centro.y};
    const double x = q.x + sigma * r.normale(), y = q.y + sigma * r.normale();
    punto_gps g;
    p.indietro({x * std::cos(a) + y * std::sin(a), -x * std::sin(a) + y * std::cos(a)}, g.lat,
               g.lon);
    g.quota = l.quote[m] + sigma_quota * r.normale();
    punti.push_back(g);
    if (s >= ultimo) break;
  }
  return punti;
}

// A named point beside metre `metro` of the sampled line.
struct nome_prova {
  std::string nome;
  punto_gps dove;
};

inline std::string gpx(const std::vector<punto_gps>& punti,
                       const std::vector<nome_prova>& nomi = {}, bool con_quote = true) {
  std::string testo =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"prova\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  for (const nome_prova& n : nomi)
    testo += fmt::format("  <wpt lat=\"{:.7f}\" lon=\"{:.7f}\"><name>{}</name></wpt>\n", n.dove.lat,
                         n.dove.lon, n.nome);
  testo += "  <trk><name>prova</name><trkseg>\n";
  for (const punto_gps& g : punti)
    testo += con_quote ? fmt::format(
                             "    <trkpt lat=\"{:.7f}\" lon=\"{:.7f}\"><ele>{:.2f}</ele></trkpt>\n",
                             g.lat, g.lon, g.quota)
                       : fmt::format("    <trkpt lat=\"{:.7f}\" lon=\"{:.7f}\"/>\n", g.lat, g.lon);
  testo += "  </trkseg></trk>\n</gpx>\n";
  return testo;
}

inline std::string geojson(const std::vector<punto_gps>& punti,
                           const std::vector<nome_prova>& nomi = {}) {
  std::string testo = "{\"type\": \"FeatureCollection\", \"features\": [\n";
  for (const nome_prova& n : nomi)
    testo += fmt::format(
        "{{\"type\": \"Feature\", \"properties\": {{\"name\": \"{}\"}}, \"geometry\": "
        "{{\"type\": \"Point\", \"coordinates\": [{:.7f}, {:.7f}]}}}},\n",
        n.nome, n.dove.lon, n.dove.lat);
  testo +=
      "{\"type\": \"Feature\", \"properties\": {}, \"geometry\": {\"type\": \"LineString\", "
      "\"coordinates\": [\n";
  for (size_t i = 0; i < punti.size(); ++i)
    testo += fmt::format("[{:.7f}, {:.7f}, {:.2f}]{}\n", punti[i].lon, punti[i].lat, punti[i].quota,
                         i + 1 < punti.size() ? "," : "");
  testo += "]}}\n]}\n";
  return testo;
}

// The largest and mean distance from each point of plan `a` to the nearest
// point of plan `b`, both starting at the origin, `b` turned about it by the
// angle that lays it best on `a`. Points of `a` past the end of `b` (whose
// nearest point is the last of `b`) are left out: the two lengths are
// compared on their own.
struct scarto_piani {
  double massimo = 0, medio = 0;
  size_t dove = 0;  // the metre of `a` where the distance is largest
};
inline scarto_piani confronta(const std::vector<punto_piano>& a,
                              const std::vector<punto_piano>& b) {
  std::vector<size_t> vicino(a.size());
  for (size_t i = 0; i < a.size(); ++i) vicino[i] = std::min(i, b.size() - 1);
  std::vector<punto_piano> girato(b);
  auto d2 = [&](size_t i, size_t j) {
    const double x = girato[j].x - a[i].x, y = girato[j].y - a[i].y;
    return x * x + y * y;
  };
  scarto_piani s;
  // The angle from the pairs, then the pairs from the nearest points, and
  // again: the two plans need not have quite the same length.
  for (int giro = 0; giro < 3; ++giro) {
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      const punto_piano q = b[vicino[i]];
      sxx += a[i].x * q.x + a[i].y * q.y;
      sxy += a[i].y * q.x - a[i].x * q.y;
    }
    const double t = std::atan2(sxy, sxx);
    for (size_t j = 0; j < b.size(); ++j)
      girato[j] = {b[j].x * std::cos(t) - b[j].y * std::sin(t),
                   b[j].x * std::sin(t) + b[j].y * std::cos(t)};
    s = {};
    size_t j = 0, contati = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      while (j + 1 < girato.size() && d2(i, j + 1) <= d2(i, j)) ++j;
      vicino[i] = j;
      if (j + 1 == girato.size()) break;
      ++contati;
      const double d = std::sqrt(d2(i, j));
      if (d > s.massimo) {
        s.massimo = d;
        s.dove = i;
      }
      s.medio += d;
    }
    s.medio /= static_cast<double>(std::max<size_t>(contati, 1));
  }
  return s;
}

}  // namespace scen::prova
