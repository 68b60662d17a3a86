#include "import/importa_osm.h"

#include <fmt/format.h>
#include <gdal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "import/linea_osm.h"
#include "import/nomi_1252.h"
#include "import/quote_tessere.h"
#include "testing/cartella_temporanea.h"
#include "testing/dati_reali.h"
#include "testing/segni_importati.h"

namespace scen {
namespace {

TEST(ImportaEstratto, MaxspeedValuesGiveKilometresPerHourRoundedDownToFive) {
  const struct {
    const char* valore;
    long velocita;
  } casi[] = {
      {"120", 120},     {"102", 100},   {"80 km/h", 80}, {"60 mph", 95}, {"50mph", 80},
      {"none", 0},      {"signals", 0}, {"RU:urban", 0}, {"", 0},        {"-40", 0},
      {"100 knots", 0}, {"160.9", 160}, {"nan", 0},      {"inf", 0},
  };
  for (const auto& c : casi) EXPECT_EQ(velocita_di_maxspeed(c.valore), c.velocita) << c.valore;
}

// A speed beyond the highest a description holds is that highest, and says
// so, however large: no number too large for a whole number is made one.
TEST(ImportaEstratto, MaxspeedBeyondTheHighestLimitIsCappedAndSaysSo) {
  const struct {
    const char* valore;
    long velocita;
    bool oltre;
  } casi[] = {
      {"1275", 1275, false},   {"1279", 1275, false},    {"1280", 1275, true},
      {"1e19", 1275, true},    {"1e300", 1275, true},    {"1.7e308", 1275, true},
      {"800 mph", 1275, true}, {"790 mph", 1270, false},
  };
  for (const auto& c : casi) {
    bool oltre = !c.oltre;
    EXPECT_EQ(velocita_di_maxspeed(c.valore, &oltre), c.velocita) << c.valore;
    EXPECT_EQ(oltre, c.oltre) << c.valore;
  }
}

TEST(ImportaEstratto, NamesWithoutAWindows1252FormBecomePlainLetters) {
  const struct {
    const char* nome;
    const char* scritto;
  } casi[] = {
      {"Köln Hbf", "Köln Hbf"},
      {"Łódź Fabryczna", "Lódz Fabryczna"},
      {"Șimleu Silvaniei", "Simleu Silvaniei"},
      {"Œuvre – Žilina", "Œuvre – Žilina"},
      {"Αθήνα", "?????"},
      {"a\xFF"
       "b",
       "a?b"},
  };
  for (const auto& c : casi) EXPECT_EQ(nome_per_1252(c.nome), c.scritto) << c.nome;
}

TEST(ImportaEstratto, MilestonePositionsReadEitherDecimalMark) {
  double m = 0;
  ASSERT_TRUE(metri_di_posizione("12.3", m));
  EXPECT_DOUBLE_EQ(m, 12300);
  ASSERT_TRUE(metri_di_posizione("12,3", m));
  EXPECT_DOUBLE_EQ(m, 12300);
  ASSERT_TRUE(metri_di_posizione("-0,4", m));
  EXPECT_DOUBLE_EQ(m, -400);
  ASSERT_TRUE(metri_di_posizione("99999,9", m));
  for (const char* cattivo :
       {"", "km 12", "12.3 km", "12;3", "dodici", "100000.1", "-1e300", "1e308", "nan", "inf"})
    EXPECT_FALSE(metri_di_posizione(cattivo, m)) << cattivo;
}

// A tile of heights on a plane, h = 100 + 2·(lon − 10.5)·1000 + 3·(lat − 44.5)·1000,
// written as GeoTIFF in WGS 84, 0.001° a pixel, pixel centres from (44.4, 10.4).
void scrivi_tessera(const std::string& nome, int lato, bool con_buco) {
  GDALAllRegister();
  GDALDriverH gtiff = GDALGetDriverByName("GTiff");
  ASSERT_NE(gtiff, nullptr);
  GDALDatasetH d = GDALCreate(gtiff, nome.c_str(), lato, lato, 1, GDT_Float32, nullptr);
  ASSERT_NE(d, nullptr);
  const double passo = 0.001;
  double gt[6] = {10.4 - passo / 2, passo, 0, 44.4 + (lato - 1) * passo + passo / 2, 0, -passo};
  GDALSetGeoTransform(d, gt);
  GDALSetProjection(
      d,
      "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
      "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]");
  GDALRasterBandH b = GDALGetRasterBand(d, 1);
  GDALSetRasterNoDataValue(b, -9999);
  std::vector<float> v(static_cast<size_t>(lato) * static_cast<size_t>(lato));
  for (int r = 0; r < lato; ++r)
    for (int c = 0; c < lato; ++c) {
      const double lat = 44.4 + (lato - 1 - r) * passo, lon = 10.4 + c * passo;
      v[static_cast<size_t>(r * lato + c)] =
          static_cast<float>(100 + 2 * (lon - 10.5) * 1000 + 3 * (lat - 44.5) * 1000);
    }
  if (con_buco) v[static_cast<size_t>(lato / 2 * lato + lato / 2)] = -9999;
  ASSERT_EQ(GDALRasterIO(b, GF_Write, 0, 0, lato, lato, v.data(), lato, lato, GDT_Float32, 0, 0),
            CE_None);
  GDALClose(d);
}

TEST(ImportaEstratto, TilesGiveBilinearHeightsAndNothingBeyondThemOrAtAHole) {
  prova::CartellaTemporanea c;
  scrivi_tessera(c.file("piano.tif"), 201, true);
  tessere_quote t;
  ASSERT_TRUE(t.apri({c.percorso()}).riuscito());
  EXPECT_EQ(t.tessere(), 1u);
  // A plane comes back exactly between the points.
  for (const auto& [lat, lon] : {std::pair{44.45123, 10.43789}, {44.59, 10.41}, {44.4, 10.4}}) {
    const auto q = t.quota(lat, lon);
    ASSERT_TRUE(q.has_value()) << lat << " " << lon;
    EXPECT_NEAR(*q, 100 + 2 * (lon - 10.5) * 1000 + 3 * (lat - 44.5) * 1000, 1e-3);
  }
  EXPECT_FALSE(t.quota(44.3, 10.45).has_value());    // south of it
  EXPECT_FALSE(t.quota(44.5003, 10.5).has_value());  // beside the point without data
  EXPECT_GT(t.passo_metri(44.5), 100);
  EXPECT_LT(t.passo_metri(44.5), 115);
}

TEST(ImportaEstratto, TilesThatCannotBeReadAreNamed) {
  prova::CartellaTemporanea c;
  std::ofstream(c.file("rotta.tif")) << "non una tessera";
  const struct {
    std::string percorso;
    const char* atteso;
  } casi[] = {
      {c.file("rotta.tif"), "rotta.tif: non si legge come tessera di quote"},
      {c.file("manca.hgt"), "manca.hgt: non esiste"},
      {c.percorso() + "/vuota", "vuota: nella cartella non ci sono tessere"},
  };
  std::filesystem::create_directory(c.percorso() + "/vuota");
  for (const auto& caso : casi) {
    tessere_quote t;
    const Stato s = t.apri({caso.percorso});
    ASSERT_FALSE(s.riuscito()) << caso.percorso;
    EXPECT_NE(s.messaggio().find(caso.atteso), std::string::npos) << s.messaggio();
  }
}

// A straight line of 3 km due north, nodes every 100 m with their ele
// climbing 10 per mille from the second kilometre, two stations at its ends.
std::string estratto_con_ele(bool ogni_nodo) {
  std::string x = "<?xml version=\"1.0\"?>\n<osm version=\"0.6\">\n";
  const double metri_grado = 6371008.8 * 3.14159265358979323846 / 180;
  for (int i = 0; i <= 30; ++i) {
    const double quota = 200 + (i > 10 ? (i - 10) * 100 * 0.010 : 0);
    x += fmt::format("<node id=\"{}\" lat=\"{:.7f}\" lon=\"10.5\">", i + 1,
                     44.5 + i * 100 / metri_grado);
    if (ogni_nodo || i != 17) x += fmt::format("<tag k=\"ele\" v=\"{:.1f}\"/>", quota);
    x += "</node>\n";
  }
  x += "<node id=\"100\" lat=\"44.5\" lon=\"10.5003\"><tag k=\"railway\" v=\"station\"/>"
       "<tag k=\"name\" v=\"Sud\"/></node>\n";
  x += fmt::format(
      "<node id=\"101\" lat=\"{:.7f}\" lon=\"10.5003\"><tag k=\"railway\" v=\"station\"/>"
      "<tag k=\"name\" v=\"Nord\"/></node>\n",
      44.5 + 3000 / metri_grado);
  x += "<way id=\"9\">";
  for (int i = 1; i <= 31; ++i) x += fmt::format("<nd ref=\"{}\"/>", i);
  x += "<tag k=\"railway\" v=\"rail\"/><tag k=\"maxspeed\" v=\"90\"/></way>\n</osm>\n";
  return x;
}

TEST(ImportaEstratto, WithoutTilesTheNodesElevationsGiveTheHeights) {
  prova::CartellaTemporanea c;
  for (bool ogni_nodo : {true, false}) {
    std::ofstream(c.file("e.osm")) << estratto_con_ele(ogni_nodo);
    richiesta_importa r;
    r.traccia = c.file("e.osm");
    r.uscita = c.file("l.txt");
    r.da = "Sud";
    r.a = "Nord";
    std::ostringstream uscita, errori;
    ASSERT_EQ(importa(r, uscita, errori), 0) << errori.str();
    std::ifstream f(r.uscita, std::ios::binary);
    const std::string linea((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (ogni_nodo) {
      EXPECT_NE(linea.find("pendenza,  0,   0\r\npendenza,  1000,   10\r\n"), std::string::npos)
          << linea;
      EXPECT_EQ(errori.str(), "");
    } else {
      EXPECT_NE(linea.find("pendenza,  0,   0\r\n[montagne]"), std::string::npos) << linea;
      EXPECT_EQ(errori.str(),
                r.traccia +
                    ": avviso: senza --quote, e senza ele su ogni nodo della linea, la linea non "
                    "ha quote: le pendenze sono tutte 0\n");
    }
  }
}

// The extract's way with maxspeed "1e19" or "1e300" gives the train the
// highest limit a description holds, with a warning naming the way; the
// description reads back.
TEST(ImportaEstratto, AnEnormousMaxspeedGivesTheHighestLimitNamingTheWay) {
  prova::CartellaTemporanea c;
  for (const std::string valore : {"1e19", "1e300"}) {
    std::string x = estratto_con_ele(true);
    x.replace(x.find("v=\"90\""), 6, "v=\"" + valore + "\"");
    std::ofstream(c.file("e.osm")) << x;
    richiesta_importa r;
    r.traccia = c.file("e.osm");
    r.uscita = c.file("l.txt");
    r.treno = c.file("t.txt");
    r.da = "Sud";
    r.a = "Nord";
    std::ostringstream uscita, errori;
    ASSERT_EQ(importa(r, uscita, errori), 0) << errori.str();
    const std::string treno = prova::leggi(r.treno);
    EXPECT_NE(treno.find("velocita,       0,    1275\r\n"), std::string::npos) << treno;
    EXPECT_EQ(treno.find("velocita,       0,    -"), std::string::npos) << treno;
    EXPECT_NE(errori.str().find(r.traccia + ": avviso: via 9: maxspeed \"" + valore +
                                "\" oltre 1275 km/h, il limite più alto di una descrizione: vale "
                                "1275\n"),
              std::string::npos)
        << errori.str();
  }
}

// An ele that no ground has (3e38, 1e300, -1e5, nan) is none: the line has
// no heights from its nodes, as where a node has no ele.
TEST(ImportaEstratto, AnEleNoGroundHasIsNone) {
  prova::CartellaTemporanea c;
  for (const std::string ele : {"3e38", "1e300", "-100000", "nan", "9000.5"}) {
    std::string x = estratto_con_ele(true);
    const std::string tag = "<tag k=\"ele\" v=\"";
    const size_t dove = x.find(tag, x.find("id=\"18\"")) + tag.size();
    x.replace(dove, x.find('"', dove) - dove, ele);
    std::ofstream(c.file("e.osm")) << x;
    richiesta_importa r;
    r.traccia = c.file("e.osm");
    r.uscita = c.file("l.txt");
    r.da = "Sud";
    r.a = "Nord";
    std::ostringstream uscita, errori;
    ASSERT_EQ(importa(r, uscita, errori), 0) << errori.str();
    const std::string linea = prova::leggi(r.uscita);
    EXPECT_NE(linea.find("pendenza,  0,   0\r\n[montagne]"), std::string::npos) << ele << linea;
    EXPECT_NE(errori.str().find("senza ele su ogni nodo della linea"), std::string::npos) << ele;
  }
}

// Without a "from", a relation runs from the end nearer its first stop.
TEST(ImportaEstratto, ARelationWithoutFromRunsFromItsFirstStop) {
  prova::CartellaTemporanea c;
  for (const auto& [fermata, prima] : {std::pair{"101", "-10"}, {"100", "0"}}) {
    std::string x = estratto_con_ele(true);
    x.insert(x.rfind("</osm>"), std::string("<relation id=\"5\"><member type=\"node\" ref=\"") +
                                    fermata +
                                    "\" role=\"stop\"/><member type=\"way\" ref=\"9\" "
                                    "role=\"\"/><tag k=\"type\" v=\"route\"/></relation>\n");
    std::ofstream(c.file("e.osm")) << x;
    richiesta_importa r;
    r.traccia = c.file("e.osm");
    r.uscita = c.file("l.txt");
    r.relazione = 5;
    std::ostringstream uscita, errori;
    ASSERT_EQ(importa(r, uscita, errori), 0) << errori.str();
    std::ifstream f(r.uscita, std::ios::binary);
    const std::string linea((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_NE(linea.find(std::string("pendenza,  0,   ") + prima + "\r\n"), std::string::npos)
        << fermata << "\n"
        << linea;
  }
}

TEST(ImportaEstratto, OptionsOfAnExtractAreRefusedWhereTheyDoNotFit) {
  prova::CartellaTemporanea c;
  std::ofstream(c.file("t.gpx")) << "<gpx/>";
  std::ofstream(c.file("e.osm")) << "<osm version=\"0.6\"/>";
  const std::string gpx = c.file("t.gpx"), osm = c.file("e.osm");
  const struct {
    richiesta_importa r;
    std::string errore;
  } casi[] = {
      // A name that does not tell is read as XML, when the options say it
      // is an extract.
      {{gpx, c.file("l.txt"), "", false, 7, "", "", {}},
       "scenario importa: " + gpx +
           ": non si legge come estratto OpenStreetMap: Unknown top-level element: gpx\n"},
      {{osm, c.file("l.txt"), "", false, 0, "", "", {}},
       "scenario importa: " + osm +
           ": di un estratto OpenStreetMap serve la linea: --relazione ID, o --da STAZIONE --a "
           "STAZIONE\n"},
      {{osm, c.file("l.txt"), "", false, 7, "A", "B", {}},
       "scenario importa: --relazione e --da/--a sono due modi di dare la linea: se ne usa uno "
       "solo\n"},
      {{osm, c.file("l.txt"), "", false, 0, "A", "", {}},
       "scenario importa: --da e --a vanno date insieme\n"},
      {{osm, c.file("l.txt"), "", false, 7, "", "", {}},
       "scenario importa: " + osm + ": nessuna relazione 7 di tipo route nell'estratto\n"},
  };
  for (const auto& caso : casi) {
    std::ostringstream uscita, errori;
    EXPECT_EQ(importa(caso.r, uscita, errori), 2);
    EXPECT_EQ(errori.str(), caso.errore);
    EXPECT_EQ(uscita.str(), "");
  }
  EXPECT_FALSE(std::filesystem::exists(c.file("l.txt")));
}

// A straight line of 6 km northward over the tile's plane, its ways all
// named after the line: a bridge with a name of its own, and one with only
// the line's name.
TEST(ImportaEstratto, ABridgeSignpostTakesTheBridgesOwnNameOnly) {
  prova::CartellaTemporanea c;
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\">\n";
  const double grado = 111195;
  for (int k = 1; k <= 61; ++k)
    x += fmt::format("<node id=\"{}\" version=\"1\" lat=\"{:.7f}\" lon=\"10.45\"/>\n", k,
                     44.45 + (k - 1) * 100 / grado);
  x += fmt::format(
      "<node id=\"200\" version=\"1\" lat=\"44.45\" lon=\"10.4503\"><tag k=\"railway\" "
      "v=\"station\"/><tag k=\"name\" v=\"Alfa\"/></node>\n"
      "<node id=\"201\" version=\"1\" lat=\"{:.7f}\" lon=\"10.4503\"><tag k=\"railway\" "
      "v=\"station\"/><tag k=\"name\" v=\"Omega\"/></node>\n",
      44.45 + 5900 / grado);
  const struct {
    int id, da, a;
    const char* altro;
  } vie[] = {
      {100, 1, 20, ""},
      {101, 20, 23, "<tag k=\"bridge\" v=\"yes\"/><tag k=\"bridge:name\" v=\"Ponte Alto\"/>"},
      {102, 23, 40, ""},
      {103, 40, 43, "<tag k=\"bridge\" v=\"yes\"/>"},
      {104, 43, 61, ""}};
  for (const auto& v : vie) {
    x += fmt::format("<way id=\"{}\" version=\"1\">", v.id);
    for (int n = v.da; n <= v.a; ++n) x += fmt::format("<nd ref=\"{}\"/>", n);
    x += fmt::format(
        "<tag k=\"railway\" v=\"rail\"/><tag k=\"usage\" v=\"main\"/><tag k=\"maxspeed\" "
        "v=\"100\"/><tag k=\"name\" v=\"Linea di Prova\"/>{}</way>\n",
        v.altro);
  }
  x += "</osm>\n";
  std::ofstream(c.file("ponti.osm")) << x;
  scrivi_tessera(c.file("piano.tif"), 201, false);

  richiesta_importa r;
  r.traccia = c.file("ponti.osm");
  r.da = "Alfa";
  r.a = "Omega";
  r.quote = {c.file("piano.tif")};
  r.uscita = c.file("linea.txt");
  r.treno = c.file("treno.txt");
  importazione i;
  resoconto_osm resoconto;
  const Stato s = importa_estratto(r, i, resoconto);
  ASSERT_TRUE(s.riuscito()) << s.messaggio();
  size_t ponti = 0;
  for (const struttura_osm& t : resoconto.strutture) ponti += t.genere == "ponte";
  EXPECT_EQ(ponti, 2u);
  ASSERT_TRUE(i.linea.cartelli.has_value());
  std::vector<std::string> cartelli_ponti;
  for (const cartello_importato& k : *i.linea.cartelli)
    if (k.testo.starts_with("(Ponte)")) cartelli_ponti.push_back(k.testo);
  EXPECT_EQ(cartelli_ponti, std::vector<std::string>{"(Ponte)(Ponte Alto)"});
}

// From Cologne to Bonn on a railway-only extract of the Cologne area, where
// neighbouring lines have milestones of their own beside the line's and
// every signal post is mapped with all it shows.
TEST(ImportaEstratto, FromCologneToBonnTheCountIsTheLinesOwnAndOnlyMainSignalsAreWritten) {
  SCEN_DATO_REALE(file, "orr-cologne-railway.osm.pbf");
  richiesta_importa r;
  r.traccia = file;
  r.da = "Köln Hauptbahnhof";
  r.a = "Bonn Hauptbahnhof";
  r.uscita = "linea.txt";  // not written
  r.treno = "treno.txt";
  importazione i;
  resoconto_osm resoconto;
  const Stato s = importa_estratto(r, i, resoconto);
  ASSERT_TRUE(s.riuscito()) << s.messaggio();
  const linea_importata& li = i.linea;

  // The line as the import runs it, and the extract's milestones on its
  // own ways, where they lie along it.
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(file, e).riuscito());
  linea_osm l;
  ASSERT_TRUE(linea_tra_stazioni(e, r.da, r.a, file, l).riuscito());
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  std::vector<luogo_osm> punti;
  std::vector<double> lunghezze;
  for (const vertice_linea& v : l.vertici) {
    lunghezze.push_back(punti.empty() ? 0
                                      : lunghezze.back() + piano.distanza(punti.back(), v.luogo));
    punti.push_back(v.luogo);
  }
  const double scala = static_cast<double>(li.lunghezza) / lunghezze.back();
  std::set<id_osm> nodi_propri;
  for (id_osm v : resoconto.vie)
    for (id_osm n : e.vie[e.indice_vie.at(v)].nodi) nodi_propri.insert(n);

  const segni_chilometrici segni = prova::segni_della_linea(li);
  size_t propri = 0, entro_200 = 0;
  for (const punto_osm& q : e.punti) {
    if (q.genere != genere_punto::cippo || !nodi_propri.count(q.id)) continue;
    double dove = 0, metri = 0;
    if (distanza_dalla_spezzata(piano, q.luogo, punti, &lunghezze, &dove) > 50) continue;
    if (!metri_di_posizione(q.posizione, metri)) continue;
    ++propri;
    const double x = std::clamp(dove * scala, 0.0, static_cast<double>(li.lunghezza));
    if (std::abs(static_cast<double>(segni.segno(std::llround(x))) - metri) <= 200) ++entro_200;
  }
  for (Long x = 0; x <= li.lunghezza; x += 50) ASSERT_GE(segni.segno(x), 0) << "a " << x << " m";

  // The signals that show whether a train may pass, in both directions.
  std::set<id_osm> nodi_linea;
  for (const vertice_linea& v : l.vertici) nodi_linea.insert(v.nodo);
  size_t principali = 0;
  for (const punto_osm& q : e.punti) {
    if (q.genere != genere_punto::segnale || !nodi_linea.count(q.id)) continue;
    for (const char* g : {"main", "combined", "main_repeated"})
      if (std::find(q.generi.begin(), q.generi.end(), g) != q.generi.end()) {
        ++principali;
        break;
      }
  }
  size_t lasciati = 0;
  for (const auto& [genere, quanti] : resoconto.segnali_lasciati) lasciati += quanti;
  fmt::print(
      "Colonia - Bonn: {} m, {} cippi della linea, {} entro 200 m dalla conta; progressive {}; "
      "{} segnali scritti, {} principali sul binario, {} altri lasciati, {} cippi di altre linee\n",
      li.lunghezza, propri, entro_200, li.progressive.size(), li.segnali.size(), principali,
      lasciati, resoconto.cippi_altre_linee);
  ASSERT_GT(propri, 100u);
  EXPECT_GE(static_cast<double>(entro_200), 0.9 * static_cast<double>(propri));
  EXPECT_GT(li.segnali.size(), 0u);
  EXPECT_LE(li.segnali.size(), principali);
  EXPECT_GT(lasciati, 0u);
}

}  // namespace
}  // namespace scen
