#include "import/quote_tessere.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <fmt/format.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <new>
#include <numbers>
#include <system_error>

#include "import/proiezione.h"

namespace scen {

namespace {

// Whether GDAL ran out of memory since this thread last cleared it: a
// failed read reports its own error last, not the allocation's.
thread_local bool memoria_finita = false;

// GDAL's messages are not shown: a failure is said in words of our own.
void CPL_STDCALL annota_errore(CPLErr, CPLErrorNum numero, const char*) {
  if (numero == CPLE_OutOfMemory) memoria_finita = true;
}

void prepara_gdal() {
  static std::once_flag fatto;
  std::call_once(fatto, [] {
    GDALAllRegister();
    CPLSetErrorHandler(annota_errore);
  });
}

std::string minuscolo(std::string n) {
  std::transform(n.begin(), n.end(), n.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return n;
}

bool finisce_con(const std::string& n, const std::string& fine) {
  return n.size() > fine.size() && n.compare(n.size() - fine.size(), fine.size(), fine) == 0;
}

// Whether the file's name (without .hgt or .hgt.zip) names an SRTM square,
// as N49E011 does: GDAL reads an .hgt's place from its name alone.
bool nome_di_quadrato(const std::string& base) {
  if (base.size() != 7) return false;
  const auto cifre = [&](size_t da, size_t n) {
    for (size_t k = da; k < da + n; ++k)
      if (!std::isdigit(static_cast<unsigned char>(base[k]))) return false;
    return true;
  };
  const char ns = static_cast<char>(std::toupper(static_cast<unsigned char>(base[0])));
  const char ew = static_cast<char>(std::toupper(static_cast<unsigned char>(base[3])));
  return (ns == 'N' || ns == 'S') && cifre(1, 2) && (ew == 'E' || ew == 'W') && cifre(4, 3);
}

// Why a file did not open as a tile, in words for the user.
std::string perche_non_si_apre(const std::string& nome) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(nome, ec)) return "non è un file";
  const std::string file = std::filesystem::path(nome).filename().string();
  const std::string n = minuscolo(file);
  for (const std::string fine : {".hgt", ".hgt.zip"})
    if (finisce_con(n, fine)) {
      const std::string base = file.substr(0, file.size() - fine.size());
      if (!nome_di_quadrato(base))
        return fmt::format(
            "un file {} dice dove sta sul globo soltanto col suo nome, che è quello del suo "
            "quadrato di un grado (l'angolo a sud-ovest), come N49E011{}: va rinominato così",
            fine, fine);
      return fmt::format("non si legge come tessera SRTM {} (file guasto o non SRTM)", fine);
    }
  return "non si legge come tessera di quote: non è in un formato di raster noto (GeoTIFF, "
         ".hgt, ...) o il file è guasto";
}

}  // namespace

namespace {

bool estensione_di_tessera(const std::filesystem::path& p) {
  const std::string n = minuscolo(p.filename().string());
  for (const std::string fine : {".hgt", ".hgt.zip", ".tif", ".tiff"})
    if (finisce_con(n, fine)) return true;
  return false;
}

}  // namespace

// One tile, open: the affine map of its pixels, and the way from WGS 84 to
// its datum when that differs. Its heights are read four at a time, through
// GDAL's cache of blocks, so that only the blocks along the line are read.
struct tessera_dati {
  std::string nome;
  GDALDatasetH dati = nullptr;
  GDALRasterBandH banda = nullptr;
  int larghezza = 0, altezza = 0;
  double gt[6] = {0, 1, 0, 0, 0, 1};
  double inversa[6] = {0, 1, 0, 0, 0, 1};
  std::optional<double> nessun_dato;
  OGRCoordinateTransformationH trasforma = nullptr;
};

struct tessere_quote::tessera : tessera_dati {
  ~tessera() {
    if (trasforma) OCTDestroyCoordinateTransformation(trasforma);
    if (dati) GDALClose(dati);
  }
};

tessere_quote::tessere_quote() = default;
tessere_quote::~tessere_quote() = default;

std::size_t tessere_quote::tessere() const { return t_.size(); }

const std::string& tessere_quote::guasto() const { return guasto_; }

double tessere_quote::passo_metri(double latitudine) const {
  double passo = 0;
  for (const auto& t : t_) {
    const double px = std::hypot(t->gt[1], t->gt[4]), py = std::hypot(t->gt[2], t->gt[5]);
    if (t->trasforma)
      passo = std::max({passo, px, py});  // a projected tile: metres already, near enough
    else
      passo = std::max({passo, px * metri_grado * std::cos(latitudine * std::numbers::pi / 180),
                        py * metri_grado});
  }
  return passo;
}

namespace {

Stato apri_tessera(const std::string& nome, std::size_t blocco_massimo, tessera_dati& t) {
  CPLErrorReset();
  GDALDatasetH d = GDALOpen(nome.c_str(), GA_ReadOnly);
  if (!d) return Stato::errore(fmt::format("{}: {}", nome, perche_non_si_apre(nome)));
  t.dati = d;
  t.nome = nome;
  if (GDALGetRasterCount(d) < 1)
    return Stato::errore(fmt::format("{}: la tessera non ha valori di quota", nome));
  if (GDALGetGeoTransform(d, t.gt) != CE_None || !GDALInvGeoTransform(t.gt, t.inversa) ||
      !std::all_of(std::begin(t.gt), std::end(t.gt), [](double v) { return std::isfinite(v); }) ||
      !std::all_of(std::begin(t.inversa), std::end(t.inversa),
                   [](double v) { return std::isfinite(v); }))
    return Stato::errore(fmt::format("{}: la tessera non dice dove sta sul globo", nome));
  t.larghezza = GDALGetRasterXSize(d);
  t.altezza = GDALGetRasterYSize(d);
  if (t.larghezza < 2 || t.altezza < 2)
    return Stato::errore(fmt::format("{}: la tessera ha {} × {} punti: ne servono almeno 2 × 2",
                                     nome, t.larghezza, t.altezza));
  t.banda = GDALGetRasterBand(d, 1);
  // A point is read with its whole block: a block too large for memory is
  // refused before it is read.
  int bx = 0, by = 0;
  GDALGetBlockSize(t.banda, &bx, &by);
  const double blocco = static_cast<double>(bx) * static_cast<double>(by) *
                        GDALGetDataTypeSizeBytes(GDALGetRasterDataType(t.banda)) *
                        (GDALGetRasterCount(d) > 1 ? GDALGetRasterCount(d) : 1);
  if (blocco > static_cast<double>(blocco_massimo))
    return Stato::errore(fmt::format(
        "{}: la tessera è fatta di blocchi di {} × {} punti, {:.0f} MiB l'uno: se ne leggono di "
        "{:.0f} MiB al più; va scritta a blocchi più piccoli",
        nome, bx, by, blocco / (1 << 20), static_cast<double>(blocco_massimo) / (1 << 20)));
  int ha_nessun_dato = 0;
  const double nd = GDALGetRasterNoDataValue(t.banda, &ha_nessun_dato);
  if (ha_nessun_dato) t.nessun_dato = nd;

  // Its datum: WGS 84 in degrees needs nothing; any other, a transformation.
  const char* wkt = GDALGetProjectionRef(d);
  if (wkt && *wkt) {
    OGRSpatialReferenceH sua = OSRNewSpatialReference(wkt);
    OGRSpatialReferenceH wgs = OSRNewSpatialReference(nullptr);
    OSRSetWellKnownGeogCS(wgs, "WGS84");
    OSRSetAxisMappingStrategy(wgs, OAMS_TRADITIONAL_GIS_ORDER);
    if (sua) OSRSetAxisMappingStrategy(sua, OAMS_TRADITIONAL_GIS_ORDER);
    if (sua && !(OSRIsGeographic(sua) && OSRIsSameGeogCS(sua, wgs))) {
      t.trasforma = OCTNewCoordinateTransformation(wgs, sua);
      if (!t.trasforma) {
        OSRDestroySpatialReference(sua);
        OSRDestroySpatialReference(wgs);
        return Stato::errore(
            fmt::format("{}: il sistema di riferimento della tessera non si "
                        "raggiunge da WGS 84",
                        nome));
      }
    }
    if (sua) OSRDestroySpatialReference(sua);
    OSRDestroySpatialReference(wgs);
  }
  return Stato::ok();
}

}  // namespace

Stato tessere_quote::apri(const std::vector<std::string>& percorsi, std::size_t blocco_massimo) {
  prepara_gdal();
  for (const std::string& percorso : percorsi) {
    std::error_code ec;
    std::vector<std::string> file;
    if (std::filesystem::is_directory(percorso, ec)) {
      for (const auto& voce : std::filesystem::directory_iterator(percorso, ec))
        if (voce.is_regular_file(ec) && estensione_di_tessera(voce.path()))
          file.push_back(voce.path().string());
      if (ec)
        return Stato::errore(
            fmt::format("{}: la cartella non si legge: {}", percorso, ec.message()));
      if (file.empty())
        return Stato::errore(fmt::format(
            "{}: nella cartella non ci sono tessere (.hgt, .hgt.zip, .tif, .tiff)", percorso));
      std::sort(file.begin(), file.end());
    } else if (std::filesystem::exists(percorso, ec)) {
      file.push_back(percorso);
    } else {
      return Stato::errore(fmt::format("{}: non esiste", percorso));
    }
    for (const std::string& f : file) {
      auto t = std::make_unique<tessera>();
      if (Stato s = apri_tessera(f, blocco_massimo, *t); !s.riuscito()) return s;
      t_.push_back(std::move(t));
    }
  }
  return Stato::ok();
}

namespace {

// A height no ground has (deeper than the deepest dry land, higher than
// the highest peak) is no data, whatever the tile says.
bool valido(const tessera_dati& t, double valore) {
  return !(t.nessun_dato && valore == *t.nessun_dato) && quota_di_terreno(valore);
}

// The value of `t`'s pixel (i, j), when it has one. A pixel that cannot be
// read has none, and `guasto` (when still empty) says why; memory that runs
// out for its block throws std::bad_alloc.
std::optional<double> pixel(const tessera_dati& t, int i, int j, std::string& guasto) {
  if (i < 0 || j < 0 || i >= t.larghezza || j >= t.altezza) return std::nullopt;
  double v = 0;
  CPLErrorReset();
  memoria_finita = false;
  if (GDALRasterIO(t.banda, GF_Read, i, j, 1, 1, &v, 1, 1, GDT_Float64, 0, 0) != CE_None) {
    if (memoria_finita || CPLGetLastErrorNo() == CPLE_OutOfMemory) throw std::bad_alloc();
    if (guasto.empty())
      guasto = fmt::format("{}: la tessera non si legge al punto {}, {}: {}", t.nome, i, j,
                           CPLGetLastErrorMsg());
    return std::nullopt;
  }
  if (!valido(t, v)) return std::nullopt;
  return v;
}

}  // namespace

std::optional<double> tessere_quote::quota(double latitudine, double longitudine,
                                           std::string* senza_dati) const {
  // The value at the centre of a pixel that lies at (x, y) in WGS 84
  // degrees, from whichever tile in that datum has a pixel there: tiles laid
  // edge to edge share the points around their edges this way.
  auto al_centro = [&](double x, double y) -> std::optional<double> {
    for (const auto& u : t_) {
      if (u->trasforma) continue;
      const double px = u->inversa[0] + x * u->inversa[1] + y * u->inversa[2] - 0.5;
      const double py = u->inversa[3] + x * u->inversa[4] + y * u->inversa[5] - 0.5;
      const double i = std::round(px), j = std::round(py);
      if (std::abs(px - i) > 0.01 || std::abs(py - j) > 0.01) continue;
      if (!(i >= 0 && j >= 0 && i < u->larghezza && j < u->altezza)) continue;
      if (auto v = pixel(*u, static_cast<int>(i), static_cast<int>(j), guasto_)) return v;
    }
    return std::nullopt;
  };
  for (const auto& t : t_) {
    double x = longitudine, y = latitudine;
    if (t->trasforma && !OCTTransform(t->trasforma, 1, &x, &y, nullptr)) continue;
    // Pixel coordinates, with the pixels' centres on whole numbers; the tile
    // covers half a pixel beyond its outer centres.
    const double px = t->inversa[0] + x * t->inversa[1] + y * t->inversa[2] - 0.5;
    const double py = t->inversa[3] + x * t->inversa[4] + y * t->inversa[5] - 0.5;
    if (!(px >= -0.5 && py >= -0.5 && px <= t->larghezza - 0.5 && py <= t->altezza - 0.5)) continue;
    // Within the outer centres the four are this tile's own.
    int i = static_cast<int>(std::floor(px)), j = static_cast<int>(std::floor(py));
    if (px >= 0 && px <= t->larghezza - 1) i = std::min(i, t->larghezza - 2);
    if (py >= 0 && py <= t->altezza - 1) j = std::min(j, t->altezza - 2);
    const double fx = px - i, fy = py - j;
    double v[4];
    bool mancante = false;
    for (int k = 0; k < 4 && !mancante; ++k) {
      const int pi = i + k % 2, pj = j + k / 2;
      std::optional<double> q = pixel(*t, pi, pj, guasto_);
      if (!q && !t->trasforma) {
        // Beyond this tile's edge: the pixel of the tile beside it.
        const double cx = t->gt[0] + (pi + 0.5) * t->gt[1] + (pj + 0.5) * t->gt[2];
        const double cy = t->gt[3] + (pi + 0.5) * t->gt[4] + (pj + 0.5) * t->gt[5];
        q = al_centro(cx, cy);
      }
      if (q)
        v[k] = *q;
      else
        mancante = true;
    }
    if (mancante) {
      if (senza_dati && senza_dati->empty()) *senza_dati = t->nome;
      continue;
    }
    return (v[0] * (1 - fx) + v[1] * fx) * (1 - fy) + (v[2] * (1 - fx) + v[3] * fx) * fy;
  }
  return std::nullopt;
}

Stato quote_della_traccia(const std::vector<std::string>& percorsi, const std::string& nome,
                          traccia& t) {
  tessere_quote tessere;
  if (Stato s = tessere.apri(percorsi); !s.riuscito()) return s;
  for (punto_traccia& p : t.punti) {
    std::string senza_dati;
    p.quota = tessere.quota(p.latitudine, p.longitudine, &senza_dati);
    if (p.quota) continue;
    if (!tessere.guasto().empty()) return Stato::errore(tessere.guasto());
    if (!senza_dati.empty())
      return Stato::errore(messaggio_punto(
          nome, p.riga,
          fmt::format("nessuna quota per il punto a {:.6f}, {:.6f}: la tessera {} non vi ha "
                      "dati, o ne ha fuori da {:.0f}…{:.0f} m",
                      p.latitudine, p.longitudine, senza_dati, quota_minima_tessere,
                      quota_massima_tessere)));
    return Stato::errore(messaggio_punto(
        nome, p.riga,
        fmt::format("nessuna quota per il punto a {:.6f}, {:.6f}: le tessere non lo coprono",
                    p.latitudine, p.longitudine)));
  }
  if (!t.punti.empty()) t.correlazione_quote = tessere.passo_metri(t.punti.front().latitudine);
  return Stato::ok();
}

}  // namespace scen
