#include "import/quote_tessere.h"

#include <fmt/format.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "import/adatta.h"
#include "import/importa.h"
#include "import/linea_osm.h"
#include "platform/memoria.h"
#include "testing/cartella_temporanea.h"
#include "testing/dati_reali.h"
#include "testing/guasti_ospite.h"
#include "testing/memoria_limitata.h"
#include "testing/processo.h"

namespace scen {
namespace {

using records = std::vector<std::pair<Long, Long>>;

records coppie(const std::vector<pendenza_importata>& p) {
  records c;
  for (const pendenza_importata& x : p) c.emplace_back(x.posizione, x.valore);
  return c;
}

// The gradient records of a line description, and its length.
records pendenze_scritte(const std::string& percorso, Long& lunghezza) {
  std::ifstream f(percorso, std::ios::binary);
  const std::string testo((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  records r;
  const std::regex riga(R"(pendenza,\s*(\d+),\s*(-?\d+))");
  for (auto i = std::sregex_iterator(testo.begin(), testo.end(), riga); i != std::sregex_iterator();
       ++i)
    r.emplace_back(std::stoi((*i)[1]), std::stoi((*i)[2]));
  std::smatch m;
  lunghezza = 0;
  if (std::regex_search(testo, m, std::regex(R"(lunghezza percorso,\s*(\d+))")))
    lunghezza = std::stoi(m[1]);
  return r;
}

// The records read the other way along a line of `lunghezza`.
records specchiate(const records& p, Long lunghezza) {
  records r;
  for (size_t i = p.size(); i-- > 0;)
    r.emplace_back(i + 1 == p.size() ? 0 : lunghezza - p[i + 1].first, -p[i].second);
  return r;
}

// The gradient in force at each metre of a line of `lunghezza`.
std::vector<Long> per_metro(const records& p, Long lunghezza) {
  std::vector<Long> g(static_cast<size_t>(lunghezza));
  for (size_t i = 0; i < p.size(); ++i) {
    const Long fine = i + 1 < p.size() ? p[i + 1].first : lunghezza;
    for (Long m = p[i].first; m < std::min(fine, lunghezza); ++m)
      g[static_cast<size_t>(m)] = p[i].second;
  }
  return g;
}

Long ripida(const records& p) {
  Long r = 0;
  for (const auto& [dove, valore] : p) r = std::max(r, std::abs(valore));
  return r;
}

// The Bayreuth lines that import by their route relation, with the two SRTM
// tiles that cover them: the main line there is near level (the tiles vary
// by a few metres over it, through cuttings, embankments and woods).
const long relazioni_bayreuth[] = {416384, 2069610, 2207876};

// The tiles' heights along each line, metre by metre, fitted both ways: the
// records stay within 15 per mille, and read the other way they are the
// same, mirrored.
TEST(PendenzeReali, BayreuthProfilesFromTheTilesGiveGentleGradientsMirroredBothWays) {
  SCEN_DATO_REALE(osm, "gh-north-bayreuth.osm.gz");
  SCEN_DATO_REALE(sud, "N49E011.hgt.zip");
  SCEN_DATO_REALE(nord, "N50E011.hgt.zip");
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(osm, e).riuscito());
  tessere_quote tessere;
  ASSERT_TRUE(tessere.apri({sud, nord}).riuscito());
  for (const long relazione : relazioni_bayreuth) {
    linea_osm l;
    ASSERT_TRUE(linea_da_relazione(e, relazione, osm, l).riuscito()) << relazione;
    const piano_rapido piano(l.vertici.front().luogo.latitudine);
    std::vector<double> quote;
    for (size_t k = 0; k + 1 < l.vertici.size(); ++k) {
      const luogo_osm &a = l.vertici[k].luogo, &b = l.vertici[k + 1].luogo;
      const double d = piano.distanza(a, b);
      const double inizio = static_cast<double>(quote.size());
      // Every metre of the polyline that falls on this segment.
      for (double m = inizio; m < inizio + d; m += 1) {
        const double f = (m - inizio) / d;
        const auto q = tessere.quota(a.latitudine + f * (b.latitudine - a.latitudine),
                                     a.longitudine + f * (b.longitudine - a.longitudine));
        ASSERT_TRUE(q) << relazione;
        quote.push_back(*q);
      }
    }
    const double passo = tessere.passo_metri(l.vertici.front().luogo.latitudine);
    const records avanti = coppie(adatta_pendenze(quote, passo));
    const std::vector<double> rovescio(quote.rbegin(), quote.rend());
    const records indietro = coppie(adatta_pendenze(rovescio, passo));
    const Long lunghezza =
        static_cast<Long>(std::llround(static_cast<double>(quote.size() - 1) / 50) * 50);
    EXPECT_EQ(indietro, specchiate(avanti, lunghezza)) << relazione;
    EXPECT_LE(ripida(avanti), 15) << relazione << " " << ::testing::PrintToString(avanti);
    std::cout << fmt::format("relazione {}: {} m, {} pendenze, al più {} per mille\n", relazione,
                             lunghezza, avanti.size(), ripida(avanti));
  }
}

// End to end: each line imported by its relation with the tiles has its
// gradients within 15 per mille; and the line's own points written as a GPS
// track without heights, one way and the other, imported with the tiles,
// give the same gradients read the other way, metre for metre but near the
// changes (within two cells of one).
TEST(PendenzeReali, BayreuthLinesImportedEitherWayGiveGentleMirroredGradients) {
  SCEN_DATO_REALE(osm, "gh-north-bayreuth.osm.gz");
  SCEN_DATO_REALE(sud, "N49E011.hgt.zip");
  SCEN_DATO_REALE(nord, "N50E011.hgt.zip");
  prova::CartellaTemporanea c;
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(osm, e).riuscito());
  for (const long relazione : relazioni_bayreuth) {
    richiesta_importa r;
    r.traccia = osm;
    r.relazione = relazione;
    r.quote = {sud, nord};
    r.uscita = c.file("linea.txt");
    std::ostringstream uscita, errori;
    ASSERT_EQ(importa(r, uscita, errori), 0) << errori.str();
    Long lunghezza = 0;
    const records dall_estratto = pendenze_scritte(r.uscita, lunghezza);
    EXPECT_LE(ripida(dall_estratto), 15)
        << relazione << " " << ::testing::PrintToString(dall_estratto);
    std::cout << fmt::format("relazione {} dall'estratto: {} m, {} pendenze, al più {} per mille\n",
                             relazione, lunghezza, dall_estratto.size(), ripida(dall_estratto));

    linea_osm l;
    ASSERT_TRUE(linea_da_relazione(e, relazione, osm, l).riuscito()) << relazione;
    records versi[2];
    Long lunghezze[2] = {0, 0};
    for (int verso = 0; verso < 2; ++verso) {
      std::string gpx = "<gpx version=\"1.1\"><trk><trkseg>\n";
      for (size_t k = 0; k < l.vertici.size(); ++k) {
        const luogo_osm& v = l.vertici[verso == 0 ? k : l.vertici.size() - 1 - k].luogo;
        gpx += fmt::format("<trkpt lat=\"{:.7f}\" lon=\"{:.7f}\"/>\n", v.latitudine, v.longitudine);
      }
      gpx += "</trkseg></trk></gpx>\n";
      richiesta_importa t;
      t.traccia = c.file(fmt::format("traccia{}.gpx", verso));
      std::ofstream(t.traccia, std::ios::binary) << gpx;
      t.quote = {sud, nord};
      t.uscita = c.file(fmt::format("traccia{}.txt", verso));
      std::ostringstream u, err;
      ASSERT_EQ(importa(t, u, err), 0) << err.str();
      EXPECT_EQ(err.str(), "") << relazione;  // no warning of points without heights
      versi[verso] = pendenze_scritte(t.uscita, lunghezze[verso]);
      EXPECT_LE(ripida(versi[verso]), 15) << relazione << " " << verso;
    }
    ASSERT_EQ(lunghezze[0], lunghezze[1]) << relazione;
    ASSERT_GT(lunghezze[0], 0) << relazione;
    const std::vector<Long> a = per_metro(versi[0], lunghezze[0]);
    const std::vector<Long> b = per_metro(specchiate(versi[1], lunghezze[1]), lunghezze[0]);
    std::vector<Long> cambi;
    for (const auto& [dove, valore] : versi[0]) cambi.push_back(dove);
    for (const auto& [dove, valore] : specchiate(versi[1], lunghezze[1])) cambi.push_back(dove);
    long diversi = 0;
    for (size_t m = 0; m < a.size(); ++m) {
      if (a[m] == b[m]) continue;
      const bool vicino = std::any_of(cambi.begin(), cambi.end(), [&](Long x) {
        return std::abs(x - static_cast<Long>(m)) <= 100;
      });
      if (!vicino) ++diversi;
    }
    EXPECT_EQ(diversi, 0) << relazione << " " << ::testing::PrintToString(versi[0]) << " "
                          << ::testing::PrintToString(versi[1]);
    std::cout << fmt::format("relazione {} come traccia: {} e {} pendenze\n", relazione,
                             versi[0].size(), versi[1].size());
  }
}

// Tiles are read by their georeference whatever their name, and those that
// cannot be read are named with a reason in words: an .hgt, placed only by
// its name, is told how to be named.
TEST(QuoteTessere, TilesThatCannotBeReadAreNamedWithTheReasonInWords) {
  SCEN_DATO_REALE(sud, "N49E011.hgt.zip");
  prova::CartellaTemporanea c;
  // The same tile copied under a name that is no square's.
  const std::string strano = c.file("bayreuth.hgt.zip");
  std::filesystem::copy_file(sud, strano);
  std::ofstream(c.file("vuota.tif"), std::ios::binary) << "non una tessera";
  std::ofstream(c.file("N49E011.hgt"), std::ios::binary) << "corta";
  const struct {
    std::string file;
    std::string atteso;
  } casi[] = {
      {strano, strano + ": un file .hgt.zip dice dove sta sul globo soltanto col suo nome, che è "
                        "quello del suo quadrato di un grado (l'angolo a sud-ovest), come "
                        "N49E011.hgt.zip: va rinominato così"},
      {c.file("vuota.tif"), c.file("vuota.tif") +
                                ": non si legge come tessera di quote: non è in un formato di "
                                "raster noto (GeoTIFF, .hgt, ...) o il file è guasto"},
      {c.file("N49E011.hgt"),
       c.file("N49E011.hgt") + ": non si legge come tessera SRTM .hgt (file guasto o non SRTM)"},
  };
  for (const auto& caso : casi) {
    tessere_quote t;
    const Stato s = t.apri({caso.file});
    ASSERT_FALSE(s.riuscito()) << caso.file;
    EXPECT_EQ(s.messaggio(), caso.atteso);
  }
}

// A GeoTIFF of 11 x 11 Float32 pixels of 0.01 degrees from (44, 10), each
// `valore`, with no value for no data: a tile no grid square names.
void scrivi_tessera_piatta(const std::string& percorso, float valore) {
  GDALAllRegister();
  GDALDatasetH d =
      GDALCreate(GDALGetDriverByName("GTiff"), percorso.c_str(), 11, 11, 1, GDT_Float32, nullptr);
  ASSERT_NE(d, nullptr);
  double gt[6] = {10 - 0.005, 0.01, 0, 44.1 + 0.005, 0, -0.01};
  GDALSetGeoTransform(d, gt);
  GDALSetProjection(d, SRS_WKT_WGS84_LAT_LONG);
  std::vector<float> v(121, valore);
  ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(d, 1), GF_Write, 0, 0, 11, 11, v.data(), 11, 11,
                         GDT_Float32, 0, 0),
            CE_None);
  GDALClose(d);
}

// A GeoTIFF is placed by its georeference whatever its name; one whose
// values no ground has (3e38, as a tile with no data but no no-data value
// holds) gives no height, and the track it should give heights to is
// refused naming the tile and the point.
TEST(QuoteTessere, TilesOfAnyNameAndHeightsNoGroundHas) {
  prova::CartellaTemporanea c;
  scrivi_tessera_piatta(c.file("colle.tif"), 312.5f);
  scrivi_tessera_piatta(c.file("vuota.tif"), 3e38f);
  {
    tessere_quote t;
    ASSERT_TRUE(t.apri({c.file("colle.tif")}).riuscito());
    const auto q = t.quota(44.05, 10.05);
    ASSERT_TRUE(q.has_value());
    EXPECT_DOUBLE_EQ(*q, 312.5);
  }
  tessere_quote t;
  ASSERT_TRUE(t.apri({c.file("vuota.tif")}).riuscito());
  std::string senza_dati;
  EXPECT_FALSE(t.quota(44.05, 10.05, &senza_dati).has_value());
  EXPECT_EQ(senza_dati, c.file("vuota.tif"));
  senza_dati.clear();
  EXPECT_FALSE(t.quota(45.05, 10.05, &senza_dati).has_value());  // beyond it
  EXPECT_EQ(senza_dati, "");

  // A track of 2 km due north over each tile.
  std::string gpx = "<gpx version=\"1.1\"><trk><trkseg>\n";
  for (int k = 0; k <= 20; ++k)
    gpx += fmt::format("<trkpt lat=\"{:.6f}\" lon=\"10.05\"><ele>0</ele></trkpt>\n",
                       44.01 + k * 0.0009);
  gpx += "</trkseg></trk></gpx>\n";
  richiesta_importa r;
  r.traccia = c.file("t.gpx");
  std::ofstream(r.traccia, std::ios::binary) << gpx;
  r.uscita = c.file("l.txt");
  r.quote = {c.file("colle.tif")};
  std::ostringstream uscita, errori;
  EXPECT_EQ(importa(r, uscita, errori), 0) << errori.str();
  Long lunghezza = 0;
  EXPECT_EQ(pendenze_scritte(r.uscita, lunghezza), (records{{0, 0}}));
  r.quote = {c.file("vuota.tif")};
  std::ostringstream u2, e2;
  EXPECT_EQ(importa(r, u2, e2), 2);
  EXPECT_EQ(e2.str(), fmt::format("scenario importa: {}:2: nessuna quota per il punto a 44.010000, "
                                  "10.050000: la tessera {} non vi ha dati, o ne ha fuori da "
                                  "-500…9000 m\n",
                                  r.traccia, c.file("vuota.tif")));
}

// A GeoTIFF of `lato_x` x `lato_y` Float64 pixels of 0.0001 degrees from
// (44, 10), all in one block, which is never written: the file is small
// whatever the block, but a point of it is read with the block whole.
void scrivi_tessera_a_un_blocco(const std::string& percorso, int lato_x, int lato_y) {
  GDALAllRegister();
  const std::string bx = fmt::format("BLOCKXSIZE={}", lato_x);
  const std::string by = fmt::format("BLOCKYSIZE={}", lato_y);
  const char* opzioni[] = {"TILED=YES",      bx.c_str(),         by.c_str(),
                           "SPARSE_OK=TRUE", "COMPRESS=DEFLATE", nullptr};
  GDALDatasetH d = GDALCreate(GDALGetDriverByName("GTiff"), percorso.c_str(), lato_x, lato_y, 1,
                              GDT_Float64, const_cast<char**>(opzioni));
  ASSERT_NE(d, nullptr);
  double gt[6] = {10, 0.0001, 0, 44 + lato_y * 0.0001, 0, -0.0001};
  GDALSetGeoTransform(d, gt);
  GDALSetProjection(d, SRS_WKT_WGS84_LAT_LONG);
  GDALClose(d);
}

// A track of 1 km due north from (44.01, 10.01).
std::string traccia_di_un_chilometro() {
  std::string gpx = "<gpx version=\"1.1\"><trk><trkseg>\n";
  for (int k = 0; k <= 10; ++k)
    gpx += fmt::format("<trkpt lat=\"{:.6f}\" lon=\"10.01\"><ele>0</ele></trkpt>\n",
                       44.01 + k * 0.0009);
  return gpx + "</trkseg></trk></gpx>\n";
}

// A tile is read a block at a time: a block larger than the bound is refused
// when the tile opens, naming the tile and the block's size, before any of
// it is read; under it the tile gives its heights.
TEST(QuoteTessere, ATileOfBlocksLargerThanTheBoundIsRefusedNamingItsBlocks) {
  prova::CartellaTemporanea c;
  scrivi_tessera_a_un_blocco(c.file("blocco.tif"), 512, 512);  // 2 MiB
  {
    tessere_quote t;
    const Stato s = t.apri({c.file("blocco.tif")}, std::size_t{1} << 20);
    ASSERT_FALSE(s.riuscito());
    EXPECT_EQ(s.messaggio(),
              c.file("blocco.tif") +
                  ": la tessera è fatta di blocchi di 512 × 512 punti, 2 MiB l'uno: se ne leggono "
                  "di 1 MiB al più; va scritta a blocchi più piccoli");
  }
  tessere_quote t;
  ASSERT_TRUE(t.apri({c.file("blocco.tif")}).riuscito());
  const auto q = t.quota(44.01, 10.01);
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(*q, 0);
}

// A tile of 12.8 MB may hold one block of 16384 x 16384 heights of 8 bytes,
// 2 GiB to read for any point of it: refused by its size, named, and never
// read. A block within the bound that memory cannot hold is out of memory,
// said as such, not a place the tiles do not cover.
TEST(QuoteTessere, AHugeBlockIsRefusedAndMemoryRunningOutIsSaidAsSuch) {
  prova::CartellaTemporanea c;
  scrivi_tessera_a_un_blocco(c.file("enorme.tif"), 16384, 16384);
  scrivi_tessera_a_un_blocco(c.file("grande.tif"), 4096, 1536);  // 48 MiB
  prova::scrivi(c.file("t.gpx"), traccia_di_un_chilometro());
  const std::string programma =
      (std::filesystem::path(SCEN_SCENARIO).parent_path() / "scenario-importa").string();
  // The sanitizers cannot run with limited memory: there the huge block,
  // refused before any of it is read, goes without the limit, and the
  // block that memory cannot hold is left to the other builds.
  const std::string limite =
      prova::con_sanitizzatore ? std::string() : prova::limite_memoria(programma, c.percorso());
  const prova::Esito enorme = prova::esegui(
      limite + programma + " importa t.gpx --uscita l.txt --quote enorme.tif", c.percorso());
  EXPECT_EQ(enorme.stato, 2);
  EXPECT_EQ(enorme.errori,
            "scenario importa: enorme.tif: la tessera è fatta di blocchi di 16384 × 16384 punti, "
            "2048 MiB l'uno: se ne leggono di 64 MiB al più; va scritta a blocchi più piccoli\n");
  if (!prova::con_sanitizzatore) {
    const prova::Esito grande = prova::esegui(
        limite + programma + " importa t.gpx --uscita l.txt --quote grande.tif", c.percorso());
    EXPECT_EQ(grande.stato, 2);
    EXPECT_EQ(grande.errori, std::string(memoria_esaurita) + "\n");
    EXPECT_FALSE(std::filesystem::exists(c.file("l.txt")));
  }
  // With memory enough, the same tile gives its heights.
  const prova::Esito libero =
      prova::esegui(programma + " importa t.gpx --uscita l.txt --quote grande.tif", c.percorso());
  EXPECT_EQ(libero.stato, 0) << libero.errori;
}

}  // namespace
}  // namespace scen
