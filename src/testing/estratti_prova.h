// For the import's tests: OpenStreetMap extracts and elevation tiles made
// from known lines. The line is laid on the globe as the GPS tracks are
// (tracce_prova.h), its nodes every 25 m with mapping noise, cut into ways at
// every change of the speed limit, at tunnels and bridges and at random, some
// ways reversed and all shuffled; the train's stations beside the track, its
// signals on it, milestones of the line's kilometre counts, and distractors
// that an import must leave out (sidings, a branch, another line, signals
// facing the other way). The tiles hold the rail's height with a hill over
// each tunnel, a valley under each bridge and a metre of noise, in whole
// metres. Where the line passes over or under an earlier part of itself, the
// later part is carried on a bridge or in a tunnel and the ground is the
// earlier part's. What was made comes back as the truth to measure an
// import against.
#pragma once

#include <fmt/format.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <numbers>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/reader.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/io/xml_input.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "draw/svg.h"
#include "import/proiezione.h"
#include "testing/tracce_prova.h"

namespace scen::prova {

// ---------------------------------------------------------------------------
// The facts of the descriptions that an import can find in OSM.

struct limite_noto {
  long posizione = 0;  // m
  int velocita = 0;    // km/h
};

struct stazione_nota {
  std::string nome;
  long posizione = 0;  // m
};

struct fatti_treno {
  std::vector<limite_noto> velocita;
  std::vector<stazione_nota> stazioni;
  std::vector<long> segnali;  // positions (m)
};

// A kilometre progressive: from `inizio` on, the marking is the position
// plus `scostamento`, or `scostamento` minus the position when decreasing.
struct progressiva_nota {
  long inizio = 0;
  long scostamento = 0;
  bool decrescente = false;
};

// The comma-separated fields of a description's record line, trimmed.
inline std::vector<std::string> campi_record(const std::string& riga) {
  std::vector<std::string> campi;
  size_t da = 0;
  for (;;) {
    const size_t virgola = riga.find(',', da);
    std::string campo = riga.substr(da, virgola == std::string::npos ? virgola : virgola - da);
    const size_t primo = campo.find_first_not_of(" \t\r");
    const size_t ultimo = campo.find_last_not_of(" \t\r");
    campi.push_back(primo == std::string::npos ? "" : campo.substr(primo, ultimo - primo + 1));
    if (virgola == std::string::npos) break;
    da = virgola + 1;
  }
  return campi;
}

inline std::vector<std::string> righe_testo(const std::string& testo) {
  std::vector<std::string> righe;
  size_t da = 0;
  while (da < testo.size()) {
    size_t fine = testo.find('\n', da);
    if (fine == std::string::npos) fine = testo.size();
    std::string riga = testo.substr(da, fine - da);
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    righe.push_back(riga);
    da = fine + 1;
  }
  return righe;
}

// The speed limits, stations and signals of a train description's text.
inline fatti_treno fatti_del_treno(const std::string& testo) {
  fatti_treno f;
  for (const std::string& riga : righe_testo(testo)) {
    const std::vector<std::string> c = campi_record(riga);
    if (c[0] == "velocita" && c.size() >= 3) {
      f.velocita.push_back({std::stol(c[1]), std::stoi(c[2])});
    } else if (c[0] == "stazione" && c.size() >= 18) {
      // The name is all that follows the seventeenth comma.
      size_t dove = 0;
      for (int k = 0; k < 17; ++k) dove = riga.find(',', dove) + 1;
      const std::string nome = riga.substr(dove);
      f.stazioni.push_back({nome.substr(nome.find_first_not_of(' ')), std::stol(c[1])});
    } else if (c[0] == "segnale" && c.size() >= 2) {
      f.segnali.push_back(std::stol(c[1]));
    }
  }
  return f;
}

// The three kilometre progressives of a line description's text.
inline std::vector<progressiva_nota> progressive_della_linea(const std::string& testo) {
  std::vector<progressiva_nota> p;
  for (const std::string& riga : righe_testo(testo)) {
    const std::vector<std::string> c = campi_record(riga);
    if (c[0].starts_with("progressiva chilometrica") && c.size() >= 4)
      p.push_back({std::stol(c[1]), std::stol(c[2]), c[3] == "1"});
  }
  std::stable_sort(p.begin(), p.end(), [](const progressiva_nota& a, const progressiva_nota& b) {
    return a.inizio < b.inizio;
  });
  return p;
}

// The marking (m) at `posizione`: the progressive with the latest start at or
// before it, and the position itself before the first start.
inline double marcatura(const std::vector<progressiva_nota>& p, double posizione) {
  const progressiva_nota* in_vigore = nullptr;
  for (const progressiva_nota& q : p)
    if (static_cast<double>(q.inizio) <= posizione) in_vigore = &q;
  if (in_vigore == nullptr) return posizione;
  const double s = static_cast<double>(in_vigore->scostamento);
  return in_vigore->decrescente ? s - posizione : posizione + s;
}

// The places, between 0 and `lunghezza` (both left out), where the marking is
// a whole kilometre: the milestones of the line.
struct cippo_noto {
  long posizione = 0;  // m
  long metri = 0;      // the marking, a multiple of 1000
};
inline std::vector<cippo_noto> cippi_di(const std::vector<progressiva_nota>& p, long lunghezza) {
  std::vector<long> inizi = {0};
  for (const progressiva_nota& q : p)
    if (q.inizio > 0 && q.inizio < lunghezza) inizi.push_back(q.inizio);
  std::sort(inizi.begin(), inizi.end());
  inizi.erase(std::unique(inizi.begin(), inizi.end()), inizi.end());
  inizi.push_back(lunghezza);
  std::vector<cippo_noto> cippi;
  for (size_t k = 0; k + 1 < inizi.size(); ++k) {
    const long a = inizi[k], b = inizi[k + 1];
    const double ma = marcatura(p, static_cast<double>(a));
    const double mb = marcatura(p, static_cast<double>(b) - 1e-6);
    const bool cala = mb < ma;
    const long primo = static_cast<long>(std::ceil(std::min(ma, mb) / 1000));
    const long ultimo = static_cast<long>(std::floor(std::max(ma, mb) / 1000));
    std::vector<cippo_noto> tratto;
    for (long km = primo; km <= ultimo; ++km) {
      const long dove =
          a + static_cast<long>(std::lround(cala ? ma - static_cast<double>(km * 1000)
                                                 : static_cast<double>(km * 1000) - ma));
      if (dove > 0 && dove < lunghezza && dove >= a && dove < b)
        tratto.push_back({dove, km * 1000});
    }
    if (cala) std::reverse(tratto.begin(), tratto.end());
    cippi.insert(cippi.end(), tratto.begin(), tratto.end());
  }
  return cippi;
}

// For each metre of plan `b`, the nearest metre of plan `a`: both start at
// the origin, and `b` is turned about it by the angle that lays it best on
// `a` (as confronta does). So a place along an imported line is found on
// the known one, whatever the two lengths.
inline std::vector<long> corrispondenza(const std::vector<punto_piano>& a,
                                        const std::vector<punto_piano>& b) {
  std::vector<long> vicino(b.size());
  for (size_t j = 0; j < b.size(); ++j) vicino[j] = static_cast<long>(std::min(j, a.size() - 1));
  std::vector<punto_piano> girato(b);
  auto d2 = [&](size_t i, size_t j) {
    const double x = girato[j].x - a[i].x, y = girato[j].y - a[i].y;
    return x * x + y * y;
  };
  for (int giro = 0; giro < 3; ++giro) {
    double sxx = 0, sxy = 0;
    for (size_t j = 0; j < b.size(); ++j) {
      const punto_piano q = a[static_cast<size_t>(vicino[j])];
      sxx += q.x * b[j].x + q.y * b[j].y;
      sxy += q.y * b[j].x - q.x * b[j].y;
    }
    const double t = std::atan2(sxy, sxx);
    for (size_t j = 0; j < b.size(); ++j)
      girato[j] = {b[j].x * std::cos(t) - b[j].y * std::sin(t),
                   b[j].x * std::sin(t) + b[j].y * std::cos(t)};
    size_t i = 0;
    for (size_t j = 0; j < b.size(); ++j) {
      while (i + 1 < a.size() && d2(i + 1, j) <= d2(i, j)) ++i;
      vicino[j] = static_cast<long>(i);
    }
  }
  return vicino;
}

// ---------------------------------------------------------------------------
// The line on the globe.

// The plan of a known line turned by `angolo` (degrees, clockwise) about the
// middle of its plan, which is laid at (lat, lon): as campiona lays it.
class posa_linea {
 public:
  posa_linea(const linea_nota& l, double angolo, double lat, double lon) : l_(l) {
    if (!p_.crea(lat, lon).riuscito()) throw std::runtime_error("proiezione non creata");
    a_ = angolo * std::numbers::pi / 180;
    for (const punto_piano& q : l.piano) {
      centro_.x += q.x / static_cast<double>(l.piano.size());
      centro_.y += q.y / static_cast<double>(l.piano.size());
    }
  }

  long ultimo() const { return static_cast<long>(l_.piano.size()) - 1; }

  // The point of the plan at metre `metro`, `di_lato` metres to its right,
  // in the line's own frame.
  punto_piano punto(double metro, double di_lato = 0) const {
    metro = std::clamp(metro, 0.0, static_cast<double>(ultimo()));
    const size_t m = static_cast<size_t>(metro);
    const size_t n = std::min(m + 1, l_.piano.size() - 1);
    const double t = metro - static_cast<double>(m);
    punto_piano q = {l_.piano[m].x + t * (l_.piano[n].x - l_.piano[m].x),
                     l_.piano[m].y + t * (l_.piano[n].y - l_.piano[m].y)};
    if (di_lato != 0) {
      const punto_piano d = direzione(metro);
      q.x += di_lato * d.y;
      q.y -= di_lato * d.x;
    }
    return q;
  }

  // The unit direction of the line at `metro`.
  punto_piano direzione(double metro) const {
    const long m = std::clamp(static_cast<long>(metro), 0L, ultimo());
    const size_t a = static_cast<size_t>(std::max(m - 2, 0L));
    const size_t b = static_cast<size_t>(std::min(m + 2, ultimo()));
    const double dx = l_.piano[b].x - l_.piano[a].x, dy = l_.piano[b].y - l_.piano[a].y;
    const double n = std::hypot(dx, dy);
    return {dx / n, dy / n};
  }

  // A point of the line's frame on the globe.
  void globo(punto_piano q, double& lat, double& lon) const {
    const double x = q.x - centro_.x, y = q.y - centro_.y;
    p_.indietro({x * std::cos(a_) + y * std::sin(a_), -x * std::sin(a_) + y * std::cos(a_)}, lat,
                lon);
  }

 private:
  const linea_nota& l_;
  proiezione_locale p_;
  double a_ = 0;
  punto_piano centro_;
};

// The nearest of many points, by a grid of square cells.
class griglia_vicini {
 public:
  explicit griglia_vicini(double lato) : lato_(lato) {}
  void aggiungi(double x, double y, long valore) {
    celle_[chiave(cella(x), cella(y))].push_back({x, y, valore});
  }
  // The nearest point within `raggio` whose value `ammesso` takes; false
  // when there is none.
  template <typename F>
  bool vicino(double x, double y, double raggio, long& valore, double& distanza, F ammesso) const {
    const long giri = static_cast<long>(std::ceil(raggio / lato_));
    const long cx = cella(x), cy = cella(y);
    distanza = std::numeric_limits<double>::infinity();
    for (long i = cx - giri; i <= cx + giri; ++i)
      for (long j = cy - giri; j <= cy + giri; ++j) {
        const auto c = celle_.find(chiave(i, j));
        if (c == celle_.end()) continue;
        for (const elemento& e : c->second) {
          const double d = std::hypot(e.x - x, e.y - y);
          if (d < distanza && ammesso(e.valore)) {
            distanza = d;
            valore = e.valore;
          }
        }
      }
    return distanza <= raggio;
  }
  bool vicino(double x, double y, double raggio, long& valore, double& distanza) const {
    return vicino(x, y, raggio, valore, distanza, [](long) { return true; });
  }

 private:
  struct elemento {
    double x, y;
    long valore;
  };
  long cella(double v) const { return static_cast<long>(std::floor(v / lato_)); }
  static int64_t chiave(long i, long j) {
    return (static_cast<int64_t>(i) << 32) ^ (j & 0xffffffffL);
  }
  double lato_;
  std::unordered_map<int64_t, std::vector<elemento>> celle_;
};

// ---------------------------------------------------------------------------
// Elevation tiles.

// A tunnel or a bridge along the line, metres `inizio` to `fine`: the ground
// rises over a tunnel by up to `altezza` mid-way and falls under a bridge by
// as much, smoothly to nothing at its ends.
struct tratto_noto {
  long inizio = 0, fine = 0;
  double altezza = 0;
  std::string nome;       // empty for none
  bool incrocio = false;  // where the line passes over or under itself
};

// The ground's height over metre `m` of the line: the rail's, with the hills
// and valleys.
inline double quota_terreno(const linea_nota& l, const std::vector<tratto_noto>& gallerie,
                            const std::vector<tratto_noto>& ponti, long m) {
  double q = l.quote[static_cast<size_t>(std::clamp(m, 0L, static_cast<long>(l.quote.size()) - 1))];
  auto forma = [&](const tratto_noto& t) {
    if (m <= t.inizio || m >= t.fine) return 0.0;
    const double s = std::sin(std::numbers::pi * static_cast<double>(m - t.inizio) /
                              static_cast<double>(t.fine - t.inizio));
    return t.altezza * s * s;
  };
  for (const tratto_noto& g : gallerie) q += forma(g);
  for (const tratto_noto& p : ponti) q -= forma(p);
  return q;
}

// A raster of whole metres on a grid of latitude and longitude: the centre of
// pixel (riga, colonna) at (lat_primo - riga * passo, lon_primo + colonna * passo).
struct raster_quote {
  double lat_primo = 0, lon_primo = 0, passo = 0;  // degrees
  long larghezza = 0, altezza = 0;
  std::vector<int16_t> valori;  // row by row from the north
};

inline constexpr int16_t senza_quota = -32768;

// The line's points on the globe, to find the nearest metre of a pixel.
struct punti_globo {
  std::vector<double> lat, lon;
  std::vector<long> metro;
};

// Fills a raster: each pixel within about 1.2 km of the line takes the
// ground's height at its nearest metre of the line, with normal noise of
// `sigma`, rounded; the others stay without a height. The nearest metre is
// found by spreading each line point over the pixels about it: fine points
// near the line, coarse ones farther.
inline void riempi_raster(raster_quote& r, const punti_globo& fini, const punti_globo& radi,
                          const linea_nota& l, const std::vector<tratto_noto>& gallerie,
                          const std::vector<tratto_noto>& ponti, double sigma, uint64_t seme) {
  const size_t n = static_cast<size_t>(r.larghezza * r.altezza);
  const double lat_medio = r.lat_primo - r.passo * static_cast<double>(r.altezza) / 2;
  const double m_lat = 111132.0, m_lon = 111320.0 * std::cos(lat_medio * std::numbers::pi / 180);
  // Each point's distance to the pixels about it, the nearest kept; pixels
  // already taken (`presi`) are passed over.
  auto sparge = [&](const punti_globo& p, double raggio, const std::vector<long>& presi) {
    std::vector<float> meglio(n, std::numeric_limits<float>::infinity());
    std::vector<long> metro(n, -1);
    const long dr = static_cast<long>(std::ceil(raggio / (m_lat * r.passo)));
    const long dc = static_cast<long>(std::ceil(raggio / (m_lon * r.passo)));
    for (size_t k = 0; k < p.lat.size(); ++k) {
      const long riga = std::lround((r.lat_primo - p.lat[k]) / r.passo);
      const long colonna = std::lround((p.lon[k] - r.lon_primo) / r.passo);
      if (riga + dr < 0 || riga - dr >= r.altezza || colonna + dc < 0 ||
          colonna - dc >= r.larghezza)
        continue;
      for (long i = std::max(riga - dr, 0L); i <= std::min(riga + dr, r.altezza - 1); ++i) {
        const double dy = (r.lat_primo - static_cast<double>(i) * r.passo - p.lat[k]) * m_lat;
        for (long j = std::max(colonna - dc, 0L); j <= std::min(colonna + dc, r.larghezza - 1);
             ++j) {
          const size_t q = static_cast<size_t>(i * r.larghezza + j);
          if (!presi.empty() && presi[q] >= 0) continue;
          const double dx = (r.lon_primo + static_cast<double>(j) * r.passo - p.lon[k]) * m_lon;
          const float d = static_cast<float>(std::hypot(dx, dy));
          if (d <= raggio && d < meglio[q]) {
            meglio[q] = d;
            metro[q] = p.metro[k];
          }
        }
      }
    }
    return metro;
  };
  const std::vector<long> vicini = sparge(fini, 160, {});
  const std::vector<long> metro = sparge(radi, 1200, vicini);
  // The noise of a pixel is its place's own: a pixel that two tiles share
  // has one value.
  r.valori.assign(n, senza_quota);
  for (size_t q = 0; q < n; ++q) {
    const long m = vicini[q] >= 0 ? vicini[q] : metro[q];
    if (m < 0) continue;
    const long i = static_cast<long>(q) / r.larghezza, j = static_cast<long>(q) % r.larghezza;
    const uint64_t x = static_cast<uint64_t>(
        std::llround((r.lon_primo + static_cast<double>(j) * r.passo) * 14400));
    const uint64_t y = static_cast<uint64_t>(
        std::llround((r.lat_primo - static_cast<double>(i) * r.passo) * 14400));
    rumore z(seme ^ (x * 0x9E3779B97F4A7C15ULL) ^ (y * 0xC2B2AE3D27D4EB4FULL));
    r.valori[q] = static_cast<int16_t>(
        std::lround(quota_terreno(l, gallerie, ponti, m) + sigma * z.normale()));
  }
}

// Writes a raster as a GeoTIFF (Int16, WGS 84 latitude and longitude, north
// up) through GDAL. False when GDAL cannot.
inline bool scrivi_geotiff(const raster_quote& r, const std::string& percorso) {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName("GTiff");
  if (driver == nullptr) return false;
  GDALDatasetH d = GDALCreate(driver, percorso.c_str(), static_cast<int>(r.larghezza),
                              static_cast<int>(r.altezza), 1, GDT_Int16, nullptr);
  if (d == nullptr) return false;
  double trasformazione[6] = {r.lon_primo - r.passo / 2, r.passo, 0,
                              r.lat_primo + r.passo / 2, 0,       -r.passo};
  bool fatto = GDALSetGeoTransform(d, trasformazione) == CE_None &&
               GDALSetProjection(d, SRS_WKT_WGS84_LAT_LONG) == CE_None;
  GDALRasterBandH banda = GDALGetRasterBand(d, 1);
  fatto = fatto && GDALSetRasterNoDataValue(banda, senza_quota) == CE_None;
  fatto = fatto && GDALRasterIO(banda, GF_Write, 0, 0, static_cast<int>(r.larghezza),
                                static_cast<int>(r.altezza), const_cast<int16_t*>(r.valori.data()),
                                static_cast<int>(r.larghezza), static_cast<int>(r.altezza),
                                GDT_Int16, 0, 0) == CE_None;
  GDALClose(d);
  return fatto;
}

// Writes a raster of 1201 x 1201 pixels as an SRTM tile: big-endian 16-bit
// whole numbers, row by row from the north.
inline void scrivi_hgt(const raster_quote& r, const std::string& percorso) {
  std::string byte(r.valori.size() * 2, '\0');
  for (size_t q = 0; q < r.valori.size(); ++q) {
    const uint16_t v = static_cast<uint16_t>(r.valori[q]);
    byte[2 * q] = static_cast<char>(v >> 8);
    byte[2 * q + 1] = static_cast<char>(v & 0xff);
  }
  std::ofstream(percorso, std::ios::binary) << byte;
}

// Heights sampled back from tiles read through GDAL, bilinear between the
// pixels' centres, across the tiles' edges: the tiles share one grid of
// pixels of one size, edge to edge or sharing their edges' pixels.
class quote_lette {
 public:
  explicit quote_lette(const std::vector<std::string>& file) {
    GDALAllRegister();
    for (const std::string& f : file) {
      GDALDatasetH d = GDALOpen(f.c_str(), GA_ReadOnly);
      if (d == nullptr) continue;
      double g[6];
      GDALGetGeoTransform(d, g);
      tessera t;
      t.larghezza = GDALGetRasterXSize(d);
      t.altezza = GDALGetRasterYSize(d);
      passo_ = g[1];
      // The centre of the first pixel, in pixels from (0, 0).
      t.x0 = g[0] / g[1] + 0.5;
      t.y0 = g[3] / g[1] - 0.5;
      fase_ = t.x0 - std::floor(t.x0);
      t.valori.resize(static_cast<size_t>(t.larghezza) * static_cast<size_t>(t.altezza));
      const CPLErr e = GDALRasterIO(GDALGetRasterBand(d, 1), GF_Read, 0, 0, t.larghezza, t.altezza,
                                    t.valori.data(), t.larghezza, t.altezza, GDT_Int16, 0, 0);
      GDALClose(d);
      if (e == CE_None) tessere_.push_back(std::move(t));
    }
  }

  size_t tessere() const { return tessere_.size(); }

  // The height at (lat, lon); NaN where a pixel is missing.
  double quota(double lat, double lon) const {
    const double x = lon / passo_ - fase_, y = lat / passo_ - fase_;
    const double x0 = std::floor(x), y0 = std::floor(y);
    const double tx = x - x0, ty = y - y0;
    const double a = pixel(x0 + fase_, y0 + fase_), b = pixel(x0 + 1 + fase_, y0 + fase_),
                 c = pixel(x0 + fase_, y0 + 1 + fase_), d = pixel(x0 + 1 + fase_, y0 + 1 + fase_);
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
  }

 private:
  struct tessera {
    double x0 = 0, y0 = 0;
    int larghezza = 0, altezza = 0;
    std::vector<int16_t> valori;
  };
  // The pixel whose centre is at (x, y) pixels from (0, 0).
  double pixel(double x, double y) const {
    for (const tessera& t : tessere_) {
      const long colonna = std::lround(x - t.x0), riga = std::lround(t.y0 - y);
      if (colonna < 0 || colonna >= t.larghezza || riga < 0 || riga >= t.altezza) continue;
      const int16_t v = t.valori[static_cast<size_t>(riga * t.larghezza + colonna)];
      if (v != senza_quota) return v;
    }
    return std::numeric_limits<double>::quiet_NaN();
  }
  double passo_ = 1, fase_ = 0;
  std::vector<tessera> tessere_;
};

// ---------------------------------------------------------------------------
// The extract.

struct opzioni_estratto {
  std::string nome = "linea";  // the files: NOME.osm, NOME.osm.pbf
  uint64_t seme = 19;          // the nodes' noise, the tunnels and bridges, the tiles' noise
  uint64_t seme_vie = 23;      // the cuts, the ways reversed, the order
  double angolo = 35, lat = 44.2, lon = 10.9;
  double passo = 25;            // between nodes (m)
  double sigma = 1;             // mapping noise (m)
  double invertite = 0.3;       // the share of ways reversed
  int gallerie = 4, ponti = 3;  // chosen when none are given
  std::vector<tratto_noto> gallerie_date, ponti_date;
  bool distrattori = true;  // sidings, a branch, another line, signals facing away
  int binari_ogni = 5;      // a siding by every so many stations
  long bivio = -1;          // the branch's junction (m); -1 by a "Bivio" station
  long togli_via = -1;      // the way of the relation holding this metre is left out
  // Elevation tiles: GeoTIFF of `lato_tessera` (arc-seconds) with pixels of
  // one arc-second in the folder "quote", where the line passes within about
  // 1 km, up to metre `quote_fino_a` (-1: all); or SRTM .hgt tiles.
  bool geotiff = true, hgt = false;
  long lato_tessera = 360;
  // GeoTIFF tiles share their edges' rows and columns of pixels, as SRTM
  // tiles do (361 x 361 pixels for 0.1 degrees); else they are laid edge to
  // edge (360 x 360), and a point within half a pixel of an edge takes
  // pixels of two tiles.
  bool bordi_comuni = true;
  long quote_fino_a = -1;
  double sigma_quota = 1;
};

struct estratto_noto {
  linea_nota linea;
  long lunghezza = 0;
  std::vector<tratto_noto> gallerie, ponti;
  std::vector<stazione_nota> stazioni;
  std::vector<limite_noto> velocita;
  std::vector<long> segnali;
  std::vector<progressiva_nota> progressive;
  std::vector<cippo_noto> cippi;
  long relazione = 0;
  std::vector<long long> vie;  // the line's ways in order along it
  std::string osm, pbf;        // the extract's files
  std::string cartella_quote;  // the tiles' folder
  std::vector<std::string> tessere;
  std::string stazione_ramo, stazione_altra;  // the distractors' stations
  std::vector<long long> vie_distrattori;     // the sidings', the branch's, the other line's
  long metro_bivio = -1;
};

namespace dettaglio {

using etichette = std::vector<std::pair<std::string, std::string>>;

struct nodo {
  double lat = 0, lon = 0;
  etichette tag;
};

struct via {
  long long id = 0;
  std::vector<long long> nodi;
  etichette tag;
};

class generatore {
 public:
  explicit generatore(uint64_t seme) : r_(seme * 31 + 5), s_(seme) {}
  double uniforme() { return s_.uniforme(); }  // in [0, 1)
  long tra(long a, long b) {                   // whole, a to b
    return a + static_cast<long>(uniforme() * static_cast<double>(b - a + 1));
  }
  double normale() { return r_.normale(); }

 private:
  rumore r_;  // normal numbers
  rumore s_;  // uniform numbers
};

template <typename T>
void mescola(std::vector<T>& v, generatore& g) {
  for (size_t i = v.size(); i > 1; --i)
    std::swap(v[i - 1], v[static_cast<size_t>(g.tra(0, static_cast<long>(i) - 1))]);
}

}  // namespace dettaglio

// The speed limit in force at `posizione`.
inline int limite_a(const std::vector<limite_noto>& v, double posizione) {
  int limite = v.empty() ? 0 : v.front().velocita;
  for (const limite_noto& l : v)
    if (static_cast<double>(l.posizione) <= posizione) limite = l.velocita;
  return limite;
}

// Makes the extract of line `l` with the train's facts `f` and the line's
// progressives `p` in folder `cartella`, and its elevation tiles.
inline estratto_noto crea_estratto(const linea_nota& l, const fatti_treno& f,
                                   const std::vector<progressiva_nota>& p,
                                   const opzioni_estratto& o, const std::string& cartella) {
  using namespace dettaglio;
  estratto_noto e;
  e.linea = l;
  e.lunghezza = static_cast<long>(l.lunghezza);
  e.velocita = f.velocita;
  e.progressive = p;
  e.relazione = 7310;
  const long L = e.lunghezza;
  for (const stazione_nota& s : f.stazioni)
    if (s.posizione >= 0 && s.posizione <= L) e.stazioni.push_back(s);
  for (long s : f.segnali)
    if (s > 0 && s < L) e.segnali.push_back(s / 25 * 25);
  e.cippi = cippi_di(p, L);

  const posa_linea posa(l, o.angolo, o.lat, o.lon);
  generatore scelte(o.seme + 1), vie_g(o.seme_vie);
  rumore rumore_nodi(o.seme);

  // Tunnels and bridges: away from the stations, the ends and each other,
  // where the rail's height keeps within 2 m of the chord between their ends
  // (the import bridges them from their ends). Their ends at odd multiples
  // of 25 m, where no signal stands.
  auto libero = [&](long a, long b, long margine) {
    if (a < 1000 || b > L - 1000) return false;
    for (const stazione_nota& s : e.stazioni)
      if (s.posizione > a - 800 && s.posizione < b + 800) return false;
    for (const auto* elenco : {&e.gallerie, &e.ponti})
      for (const tratto_noto& t : *elenco)
        if (t.fine + margine > a && t.inizio - margine < b) return false;
    const double qa = l.quote[static_cast<size_t>(a)], qb = l.quote[static_cast<size_t>(b)];
    for (long m = a; m <= b; m += 10) {
      const double corda = qa + (qb - qa) * static_cast<double>(m - a) / static_cast<double>(b - a);
      if (std::abs(l.quote[static_cast<size_t>(m)] - corda) > 2) return false;
    }
    return true;
  };
  auto scegli = [&](std::vector<tratto_noto>& dove, int quanti, long corto, long lungo,
                    double basso, double alto) {
    for (int prova = 0; prova < 5000 && static_cast<int>(dove.size()) < quanti; ++prova) {
      const long lunghezza = scelte.tra(corto / 50, lungo / 50) * 50;
      const long a = scelte.tra(0, (L - lunghezza) / 50) * 50 + 25;
      if (!libero(a, a + lunghezza, 2000)) continue;
      dove.push_back({a, a + lunghezza, basso + (alto - basso) * scelte.uniforme(), ""});
    }
    std::sort(dove.begin(), dove.end(),
              [](const tratto_noto& x, const tratto_noto& y) { return x.inizio < y.inizio; });
  };
  // Where the line comes within 100 m of an earlier part of itself, more
  // than 1.5 km before, the later part passes over it on a bridge or under
  // it in a tunnel, from 100 m before it comes near to 100 m after it
  // leaves; the ground there is the earlier part's. Not where their heights
  // agree. Farther apart, each keeps its own ground.
  {
    griglia_vicini g(150);
    for (long m = 0; m <= L; m += 10) {
      const punto_piano q = posa.punto(static_cast<double>(m));
      g.aggiungi(q.x, q.y, m);
    }
    long inizio = -1, fine = -1;
    double sopra = 0, sotto = 0, piu_vicino = 1e9;
    bool piu_alto = false;
    for (long m = 0; m <= L + 20; m += 10) {
      long w = 0;
      double d = 0;
      const punto_piano q = posa.punto(static_cast<double>(std::min(m, L)));
      const bool vicino =
          m <= L && g.vicino(q.x, q.y, 100, w, d, [m](long v) { return v < m - 1500; });
      if (vicino) {
        if (inizio < 0) {
          inizio = m;
          sopra = sotto = 0;
          piu_vicino = 1e9;
        }
        fine = m;
        const double dh = l.quote[static_cast<size_t>(m)] - l.quote[static_cast<size_t>(w)];
        sopra = std::max(sopra, dh);
        sotto = std::min(sotto, dh);
        if (d < piu_vicino) {
          piu_vicino = d;
          piu_alto = dh > 0;
        }
        continue;
      }
      if (inizio < 0 || m - fine <= 10) continue;
      const long a = std::max((inizio - 100) / 50 * 50 - 25, 25L);
      const long b = std::min((fine + 100) / 50 * 50 + 75, L - 25);
      if (sopra - sotto >= 3 || std::max(sopra, -sotto) >= 3)
        (piu_alto ? e.ponti : e.gallerie).push_back({a, b, 0, "", true});
      inizio = -1;
    }
  }
  if (!o.gallerie_date.empty() || !o.ponti_date.empty()) {
    e.gallerie.insert(e.gallerie.end(), o.gallerie_date.begin(), o.gallerie_date.end());
    e.ponti.insert(e.ponti.end(), o.ponti_date.begin(), o.ponti_date.end());
  } else {
    scegli(e.gallerie, o.gallerie + static_cast<int>(e.gallerie.size()), 300, 2000, 30, 80);
    scegli(e.ponti, o.ponti + static_cast<int>(e.ponti.size()), 150, 600, 20, 40);
  }
  const char* nomi_ponti[] = {"Ponte sul Lissa", "Viadotto Rio Secco", "Ponte della Crosa"};
  size_t nominati = 0;
  for (tratto_noto& t : e.ponti)
    if (t.nome.empty() && !t.incrocio && nominati < 2) t.nome = nomi_ponti[nominati++];
  auto dentro = [](const std::vector<tratto_noto>& v, double m) -> const tratto_noto* {
    for (const tratto_noto& t : v)
      if (m > static_cast<double>(t.inizio) && m < static_cast<double>(t.fine)) return &t;
    return nullptr;
  };

  std::map<long long, nodo> nodi;
  auto a_globo = [&](punto_piano q) {
    nodo n;
    posa.globo(q, n.lat, n.lon);
    return n;
  };
  // The line's nodes, one every `passo` metres: node k at metre 25 k.
  const long passo = static_cast<long>(o.passo);
  const long ultimo_nodo = L / passo;
  auto id_linea = [](long k) { return 1000000LL + k; };
  for (long k = 0; k <= ultimo_nodo; ++k) {
    punto_piano q = posa.punto(static_cast<double>(k * passo));
    q.x += o.sigma * rumore_nodi.normale();
    q.y += o.sigma * rumore_nodi.normale();
    nodi[id_linea(k)] = a_globo(q);
  }

  // The cuts: every change of the limit and every end of a tunnel or a
  // bridge, then at random so that no way passes 3 km; never at a signal,
  // whose direction is its way's.
  std::set<long> segnali(e.segnali.begin(), e.segnali.end());
  std::set<long> tagli = {0, L};
  auto taglia = [&](long m) {
    m = m / passo * passo;
    while (segnali.count(m)) m += passo;
    if (m > 0 && m < L) tagli.insert(m);
  };
  for (const limite_noto& v : e.velocita) taglia(v.posizione);
  for (const auto* elenco : {&e.gallerie, &e.ponti})
    for (const tratto_noto& t : *elenco) {
      taglia(t.inizio);
      taglia(t.fine);
    }
  {
    std::vector<long> obbligati(tagli.begin(), tagli.end());
    for (size_t k = 0; k + 1 < obbligati.size(); ++k) {
      long c = obbligati[k];
      while (obbligati[k + 1] - c > 3000) {
        const long resto = obbligati[k + 1] - c;
        long passo_via = vie_g.tra(300, std::min(3000L, resto - 300));
        long m = (c + passo_via) / passo * passo;
        while (segnali.count(m)) m += passo;
        tagli.insert(m);
        c = m;
      }
    }
  }
  // Distractor signals: on the line, facing away from its direction.
  std::set<long> distratti;
  if (o.distrattori)
    for (int k = 0; k < 6; ++k) {
      const long m = vie_g.tra(1, ultimo_nodo - 1) * passo;
      if (!segnali.count(m) && !tagli.count(m)) distratti.insert(m);
    }

  // The ways along the line.
  std::vector<long> cuts(tagli.begin(), tagli.end());
  std::vector<via> linea_vie;
  std::vector<long long> id_vie;
  for (size_t k = 0; k + 1 < cuts.size(); ++k) id_vie.push_back(20000 + static_cast<long long>(k));
  mescola(id_vie, vie_g);
  std::vector<bool> invertita(cuts.size() - 1);
  size_t con_mph = static_cast<size_t>(vie_g.tra(0, static_cast<long>(cuts.size()) - 2));
  for (size_t k = 0; k + 1 < cuts.size(); ++k) {
    via v;
    v.id = id_vie[k];
    for (long m = cuts[k]; m <= cuts[k + 1]; m += passo) v.nodi.push_back(id_linea(m / passo));
    invertita[k] = vie_g.uniforme() < o.invertite;
    if (invertita[k]) std::reverse(v.nodi.begin(), v.nodi.end());
    const double mezzo = static_cast<double>(cuts[k] + cuts[k + 1]) / 2;
    const int limite = limite_a(e.velocita, mezzo);
    v.tag = {{"railway", "rail"}, {"usage", "main"}, {"gauge", "1435"}};
    const double caso = vie_g.uniforme();
    if (k == con_mph) {
      // The fewest miles an hour that round down to the limit.
      long mph = static_cast<long>(std::ceil(limite / 1.609344));
      while (std::floor(static_cast<double>(mph) * 1.609344 / 5) * 5 < limite) ++mph;
      v.tag.push_back({"maxspeed", fmt::format("{} mph", mph)});
    } else if (caso < 0.1) {
      const std::string altro = std::to_string(std::max(limite - 20, 30));
      v.tag.push_back(
          {invertita[k] ? "maxspeed:backward" : "maxspeed:forward", std::to_string(limite)});
      v.tag.push_back({invertita[k] ? "maxspeed:forward" : "maxspeed:backward", altro});
    } else {
      v.tag.push_back({"maxspeed", std::to_string(limite)});
    }
    if (dentro(e.gallerie, mezzo) != nullptr) {
      v.tag.push_back({"tunnel", "yes"});
      v.tag.push_back({"layer", "-1"});
    }
    if (const tratto_noto* t = dentro(e.ponti, mezzo)) {
      v.tag.push_back({"bridge", "yes"});
      v.tag.push_back({"layer", "1"});
      if (!t->nome.empty()) {
        v.tag.push_back({"bridge:name", t->nome});
        v.tag.push_back({"name", t->nome});
      }
    }
    e.vie.push_back(v.id);
    linea_vie.push_back(std::move(v));
  }
  // Which way holds metre m strictly inside.
  auto via_di = [&](long m) {
    return static_cast<size_t>(std::upper_bound(cuts.begin(), cuts.end(), m) - cuts.begin()) - 1;
  };
  for (long s : e.segnali)
    nodi[id_linea(s / passo)].tag = {
        {"railway", "signal"},
        {"railway:signal:direction", invertita[via_di(s)] ? "backward" : "forward"},
        {"railway:signal:main", "IT-FS:1a"}};
  for (long s : distratti)
    nodi[id_linea(s / passo)].tag = {
        {"railway", "signal"},
        {"railway:signal:direction", invertita[via_di(s)] ? "forward" : "backward"},
        {"railway:signal:main", "IT-FS:1a"}};

  long long prossimo_id = 3000000;
  // Milestones: every other one on the track where its node is free, the
  // rest beside it, 2 to 10 m off; some with a decimal comma.
  for (size_t k = 0; k < e.cippi.size(); ++k) {
    const cippo_noto& c = e.cippi[k];
    std::string testo = fmt::format("{:.1f}", static_cast<double>(c.metri) / 1000);
    if (k % 3 == 1) std::replace(testo.begin(), testo.end(), '.', ',');
    const etichette tag = {{"railway", "milestone"}, {"railway:position", testo}};
    const long m = c.posizione / passo * passo;
    if (k % 2 == 0 && m == c.posizione && !segnali.count(m) && !distratti.count(m) &&
        !tagli.count(m)) {
      nodi[id_linea(m / passo)].tag = tag;
    } else {
      const double lato = (scelte.uniforme() < 0.5 ? -1 : 1) * (2 + 8 * scelte.uniforme());
      nodo n = a_globo(posa.punto(static_cast<double>(c.posizione), lato));
      n.tag = tag;
      nodi[prossimo_id++] = n;
    }
  }

  // The stations, 20 to 80 m beside the track; where another part of the
  // line passes near, on the side and at the distance that keep the
  // station nearer its own track by 100 m at least.
  griglia_vicini lontani(150);
  for (long m = 0; m <= L; m += 10) {
    const punto_piano q = posa.punto(static_cast<double>(m));
    lontani.aggiungi(q.x, q.y, m);
  }
  std::vector<long long> id_stazioni;
  for (size_t k = 0; k < e.stazioni.size(); ++k) {
    const stazione_nota& s = e.stazioni[k];
    const double metro = static_cast<double>(s.posizione);
    double lato = (scelte.uniforme() < 0.5 ? -1 : 1) * (20 + 60 * scelte.uniforme());
    auto altra_parte = [&](double di_lato) {
      const punto_piano q = posa.punto(metro, di_lato);
      long w = 0;
      double d = 0;
      lontani.vicino(q.x, q.y, 600, w, d,
                     [&](long v) { return std::abs(static_cast<double>(v) - metro) > 1000; });
      return d;
    };
    if (altra_parte(lato) < std::abs(lato) + 100)
      for (double prova : {-20.0, 20.0, -40.0, 40.0, -60.0, 60.0, -80.0, 80.0})
        if (altra_parte(prova) - std::abs(prova) > altra_parte(lato) - std::abs(lato)) lato = prova;
    nodo n = a_globo(posa.punto(metro, lato));
    n.tag = {{"railway", k % 4 == 3 ? "halt" : "station"}, {"name", s.nome}};
    if (k % 3 == 0) n.tag.push_back({"public_transport", "station"});
    id_stazioni.push_back(prossimo_id);
    nodi[prossimo_id++] = n;
  }

  std::vector<via> altre_vie;
  long long prossima_via = 30000;
  griglia_vicini vicini(200);
  for (long m = 0; m <= L; m += 50) {
    const punto_piano q = posa.punto(static_cast<double>(m));
    vicini.aggiungi(q.x, q.y, m);
  }
  auto distanza_linea = [&](punto_piano q) {
    long m = 0;
    double d = 0;
    vicini.vicino(q.x, q.y, 3000, m, d);
    return d;
  };
  auto nodi_di = [&](const std::vector<punto_piano>& punti) {
    std::vector<long long> id;
    for (const punto_piano& q : punti) {
      punto_piano r = q;
      r.x += o.sigma * scelte.normale();
      r.y += o.sigma * scelte.normale();
      id.push_back(prossimo_id);
      nodi[prossimo_id++] = a_globo(r);
    }
    return id;
  };
  if (o.distrattori) {
    // Sidings beside some stations, 5 m off, joined to the line at both ends.
    for (size_t k = 1; k + 1 < e.stazioni.size(); ++k) {
      const long s = e.stazioni[k].posizione / passo * passo;
      if (k % static_cast<size_t>(o.binari_ogni) != static_cast<size_t>(o.binari_ogni / 2) &&
          o.binari_ogni > 1)
        continue;
      if (s < 600 || s > L - 600) continue;
      std::vector<punto_piano> punti;
      for (long m = s - 275; m <= s + 275; m += passo)
        punti.push_back(posa.punto(static_cast<double>(m), std::abs(m - s) > 250 ? -2.5 : -5));
      via v;
      v.id = prossima_via++;
      v.nodi.push_back(id_linea((s - 300) / passo));
      for (long long id : nodi_di(punti)) v.nodi.push_back(id);
      v.nodi.push_back(id_linea((s + 300) / passo));
      v.tag = {{"railway", "rail"}, {"service", "siding"}};
      e.vie_distrattori.push_back(v.id);
      altre_vie.push_back(std::move(v));
    }
    // A branch leaving the line at a junction, 5 km away from it, with a
    // station more than 500 m from the line.
    std::vector<long> bivi;
    if (o.bivio >= 0) bivi.push_back(o.bivio);
    for (const stazione_nota& s : e.stazioni)
      if (s.nome.starts_with("Bivio")) bivi.push_back(s.posizione + 100);
    for (long k = 2; k <= 8; ++k) bivi.push_back(L * k / 10);
    for (long bivio : bivi) {
      bivio = bivio / passo * passo;
      for (int lato : {1, -1}) {
        std::vector<punto_piano> punti;
        punto_piano q = posa.punto(static_cast<double>(bivio));
        const punto_piano d = posa.direzione(static_cast<double>(bivio));
        const double angolo = std::atan2(d.y, d.x);
        bool lontano = true;
        for (long m = passo; m <= 5000; m += passo) {
          // Turning away from the line's direction, 30 to 70 degrees.
          const double via_dal_bivio =
              (30 + 40 * std::min(static_cast<double>(m) / 1000, 1.0)) * std::numbers::pi / 180;
          const double a = angolo - lato * via_dal_bivio;
          q = {q.x + static_cast<double>(passo) * std::cos(a),
               q.y + static_cast<double>(passo) * std::sin(a)};
          punti.push_back(q);
          if (m >= 1500 && distanza_linea(q) < 600) lontano = false;
        }
        if (!lontano) continue;
        via v;
        v.id = prossima_via++;
        v.nodi.push_back(id_linea(bivio / passo));
        for (long long id : nodi_di(punti)) v.nodi.push_back(id);
        v.tag = {{"railway", "rail"}, {"usage", "branch"}, {"name", "Diramazione per Tavorna"}};
        const punto_piano dove = punti[3000 / static_cast<size_t>(passo)];
        nodo st = a_globo({dove.x + 30, dove.y});
        e.stazione_ramo = "Tavorna Alta";
        st.tag = {{"railway", "station"}, {"name", e.stazione_ramo}};
        nodi[prossimo_id++] = st;
        // A signal on the branch, facing the junction.
        nodi[v.nodi[8]].tag = {{"railway", "signal"}, {"railway:signal:direction", "backward"}};
        e.vie_distrattori.push_back(v.id);
        altre_vie.push_back(std::move(v));
        e.metro_bivio = bivio;
        break;
      }
      if (e.metro_bivio >= 0) break;
    }
    // Another line 1 to 3 km off, straight for 4 km, not joined, with its
    // own station.
    for (long inizio : {L * 3 / 5, L / 5, L * 4 / 5, L / 2}) {
      const long fine = std::min(inizio + 4000, L);
      const punto_piano a = posa.punto(static_cast<double>(inizio));
      const punto_piano b = posa.punto(static_cast<double>(fine));
      const double lunga = std::hypot(b.x - a.x, b.y - a.y);
      bool fatta = false;
      for (int lato : {1, -1}) {
        const punto_piano n = {lato * (b.y - a.y) / lunga, -lato * (b.x - a.x) / lunga};
        std::vector<punto_piano> punti;
        bool buona = true;
        for (double t = 0; t <= lunga; t += static_cast<double>(passo)) {
          const punto_piano q = {a.x + (b.x - a.x) * t / lunga + 2000 * n.x,
                                 a.y + (b.y - a.y) * t / lunga + 2000 * n.y};
          const double d = distanza_linea(q);
          if (d < 1000 || d > 3000) buona = false;
          punti.push_back(q);
        }
        if (!buona || punti.size() < 40) continue;
        via v;
        v.id = prossima_via++;
        v.nodi = nodi_di(punti);
        v.tag = {{"railway", "rail"},
                 {"usage", "main"},
                 {"maxspeed", "140"},
                 {"name", "Ferrovia di Monteverde"}};
        const punto_piano dove = punti[punti.size() / 2];
        nodo st = a_globo({dove.x + 40 * n.x, dove.y + 40 * n.y});
        e.stazione_altra = "Monteverde";
        st.tag = {{"railway", "station"}, {"name", e.stazione_altra}};
        nodi[prossimo_id++] = st;
        e.vie_distrattori.push_back(v.id);
        altre_vie.push_back(std::move(v));
        fatta = true;
        break;
      }
      if (fatta) break;
    }
  }

  // The text: nodes by id, the ways shuffled, the relation.
  std::vector<const via*> tutte;
  for (const via& v : linea_vie) tutte.push_back(&v);
  for (const via& v : altre_vie) tutte.push_back(&v);
  mescola(tutte, vie_g);
  std::string t =
      "<?xml version='1.0' encoding='UTF-8'?>\n<osm version=\"0.6\" generator=\"prova\">\n";
  auto scrivi_tag = [&](const etichette& tag) {
    for (const auto& [k, v] : tag)
      t += fmt::format("    <tag k=\"{}\" v=\"{}\"/>\n", xml_testo(k), xml_testo(v));
  };
  for (const auto& [id, n] : nodi) {
    t += fmt::format("  <node id=\"{}\" version=\"1\" lat=\"{:.7f}\" lon=\"{:.7f}\"", id, n.lat,
                     n.lon);
    if (n.tag.empty()) {
      t += "/>\n";
      continue;
    }
    t += ">\n";
    scrivi_tag(n.tag);
    t += "  </node>\n";
  }
  for (const via* v : tutte) {
    t += fmt::format("  <way id=\"{}\" version=\"1\">\n", v->id);
    for (long long n : v->nodi) t += fmt::format("    <nd ref=\"{}\"/>\n", n);
    scrivi_tag(v->tag);
    t += "  </way>\n";
  }
  t += fmt::format("  <relation id=\"{}\" version=\"1\">\n", e.relazione);
  std::vector<long long> membri;
  for (size_t k = 0; k < linea_vie.size(); ++k)
    if (o.togli_via < 0 || via_di(o.togli_via) != k) membri.push_back(linea_vie[k].id);
  mescola(membri, vie_g);
  for (long long id : membri)
    t += fmt::format("    <member type=\"way\" ref=\"{}\" role=\"\"/>\n", id);
  for (long long id : id_stazioni)
    t += fmt::format("    <member type=\"node\" ref=\"{}\" role=\"stop\"/>\n", id);
  scrivi_tag({{"type", "route"},
              {"route", "train"},
              {"name", "Vela - Nuro"},
              {"from", e.stazioni.empty() ? "" : e.stazioni.front().nome},
              {"to", e.stazioni.empty() ? "" : e.stazioni.back().nome}});
  t += "  </relation>\n</osm>\n";
  e.osm = cartella + "/" + o.nome + ".osm";
  e.pbf = cartella + "/" + o.nome + ".osm.pbf";
  std::ofstream(e.osm, std::ios::binary) << t;
  {
    osmium::io::Reader lettore(osmium::io::File(e.osm, "osm"));
    osmium::io::Writer scrittore(osmium::io::File(e.pbf, "pbf"), lettore.header(),
                                 osmium::io::overwrite::allow);
    while (osmium::memory::Buffer b = lettore.read()) scrittore(std::move(b));
    scrittore.close();
    lettore.close();
  }

  // The tiles.
  if (!o.geotiff && !o.hgt) return e;
  e.cartella_quote = cartella + "/quote";
  std::filesystem::create_directories(e.cartella_quote);
  const long fino_a = o.quote_fino_a < 0 ? L : std::min(o.quote_fino_a, L);
  punti_globo fini, radi;
  auto sopra_o_sotto = [&](long m) {
    for (const auto* elenco : {&e.gallerie, &e.ponti})
      for (const tratto_noto& s : *elenco)
        if (s.incrocio && m > s.inizio && m < s.fine) return true;
    return false;
  };
  for (long m = 0; m <= L; m += 5) {
    double lat = 0, lon = 0;
    posa.globo(posa.punto(static_cast<double>(m)), lat, lon);
    if (m <= fino_a && !sopra_o_sotto(m)) {
      fini.lat.push_back(lat);
      fini.lon.push_back(lon);
      fini.metro.push_back(m);
      if (m % 100 == 0) {
        radi.lat.push_back(lat);
        radi.lon.push_back(lon);
        radi.metro.push_back(m);
      }
    }
  }
  if (o.geotiff) {
    // The tiles within about 1 km of the line (none past `fino_a`).
    const double lato = static_cast<double>(o.lato_tessera) / 3600;
    const double margine = o.quote_fino_a < 0 ? 1 : 0;
    std::set<std::pair<long, long>> tessere;
    for (size_t k = 0; k < radi.lat.size(); ++k)
      for (double dl : {-0.009 * margine, 0.0, 0.009 * margine})
        for (double dg : {-0.0125 * margine, 0.0, 0.0125 * margine})
          tessere.insert({static_cast<long>(std::floor((radi.lat[k] + dl) / lato)),
                          static_cast<long>(std::floor((radi.lon[k] + dg) / lato))});
    for (const auto& [i, j] : tessere) {
      raster_quote r;
      r.passo = 1.0 / 3600;
      // Sharing their edges' pixels, centred on whole arc-seconds; or edge
      // to edge, each pixel's edges on whole arc-seconds.
      const double mezzo = o.bordi_comuni ? 0 : r.passo / 2;
      r.larghezza = r.altezza = o.lato_tessera + (o.bordi_comuni ? 1 : 0);
      r.lat_primo = static_cast<double>((i + 1) * o.lato_tessera) / 3600 - mezzo;
      r.lon_primo = static_cast<double>(j * o.lato_tessera) / 3600 + mezzo;
      riempi_raster(r, fini, radi, l, e.gallerie, e.ponti, o.sigma_quota, o.seme * 1000003);
      const std::string nome = fmt::format("{}/N{:07.3f}_E{:07.3f}.tif", e.cartella_quote,
                                           static_cast<double>(i * o.lato_tessera) / 3600,
                                           static_cast<double>(j * o.lato_tessera) / 3600);
      if (scrivi_geotiff(r, nome)) e.tessere.push_back(nome);
    }
  }
  if (o.hgt) {
    std::set<std::pair<long, long>> gradi;
    for (size_t k = 0; k < radi.lat.size(); ++k)
      gradi.insert(
          {static_cast<long>(std::floor(radi.lat[k])), static_cast<long>(std::floor(radi.lon[k]))});
    for (const auto& [i, j] : gradi) {
      raster_quote r;
      r.passo = 1.0 / 1200;
      r.larghezza = r.altezza = 1201;
      r.lat_primo = static_cast<double>(i + 1);
      r.lon_primo = static_cast<double>(j);
      riempi_raster(r, fini, radi, l, e.gallerie, e.ponti, o.sigma_quota, o.seme * 1000033);
      const std::string nome =
          fmt::format("{}/{}{:02}{}{:03}.hgt", e.cartella_quote, i >= 0 ? 'N' : 'S', std::abs(i),
                      j >= 0 ? 'E' : 'W', std::abs(j));
      scrivi_hgt(r, nome);
      e.tessere.push_back(nome);
    }
  }
  return e;
}

}  // namespace scen::prova
