#include "import/importa.h"

#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "import/importa_osm.h"
#include "platform/file.h"
#include "testing/dati_reali.h"
#include "testing/processo.h"
#include "testing/prova_lettura.h"
#include "testing/tracce_prova.h"

namespace scen {
namespace {

// The known line of a line description, read with its trace.
prova::linea_nota nota(const std::string& linea) {
  esito e = esito::nessuno;
  prova::linea_nota l = prova::linea_descritta(linea, e);
  EXPECT_EQ(e, esito::nessuno);
  return l;
}

std::string testo_di(const std::vector<std::string>& righe) {
  std::string t;
  EXPECT_TRUE(testo_descrizione(righe, t).riuscito());
  return t;
}

// A short winding line: 12 km of curves of every class, both ways, some
// running into each other, and gradients up and down.
const std::string linea_tortuosa = prova::righe({
    "[generale]",
    "lunghezza percorso,    12000",
    "[curve]",
    "curvad6,  400,  300",
    "curvas5,  900,  450",
    "curvad4,  1350,  600",
    "curvas6,  2300,  250",
    "curvad3,  2700,  900",
    "curvas2,  3900,  1200",
    "curvad5,  5300,  350",
    "curvas4,  5650,  700",
    "curvad6,  6700,  200",
    "curvas1,  7200,  1500",
    "curvad4,  9000,  500",
    "curvas5,  9800,  600",
    "curvad6,  10700,  300",
    "[pendenze]",
    "pendenza,  0,   5",
    "pendenza,  1500,   12",
    "pendenza,  3000,   -7",
    "pendenza,  5200,   0",
    "pendenza,  6100,   18",
    "pendenza,  8000,   -3",
    "pendenza,  10050,   9",
    "[fine]",
});

struct prova_adattamento {
  double lunghezza = 0;
  prova::scarto_piani piano;
  double pendenze_entro_1 = 0;  // the share of cells
  double scarto_quota = 0;      // the largest, from the same first height (m)
  importazione i;
};

// Samples the line every 20 m with noise of 3 m across and `sigma_quota` in
// height, imports it, reads the result back and compares it with the line.
prova_adattamento adatta(const std::string& linea, uint64_t seme, double sigma_quota = 0.5,
                         double angolo = 35) {
  const prova::linea_nota originale = nota(linea);
  prova_adattamento p;
  const Stato s = importa_traccia(
      prova::gpx(prova::campiona(originale, 20, 3, sigma_quota, seme, angolo)), "prova.gpx", p.i);
  EXPECT_TRUE(s.riuscito()) << s.messaggio();
  const prova::linea_nota importata = nota(testo_di(righe_linea(p.i.linea)));
  p.lunghezza = static_cast<double>(importata.lunghezza);
  p.piano = prova::confronta(originale.piano, importata.piano);
  const size_t celle = std::min(originale.pendenze.size(), importata.pendenze.size());
  size_t buone = 0;
  for (size_t c = 0; c < celle; ++c)
    if (std::abs(originale.pendenze[c] - importata.pendenze[c]) <= 1) ++buone;
  p.pendenze_entro_1 = static_cast<double>(buone) / static_cast<double>(celle);
  const size_t metri = std::min(originale.quote.size(), importata.quote.size());
  for (size_t m = 0; m < metri; ++m)
    p.scarto_quota = std::max(p.scarto_quota, std::abs((importata.quote[m] - importata.quote[0]) -
                                                       (originale.quote[m] - originale.quote[0])));
  return p;
}

TEST(ImportaTraccia, TheCarriedRouteComesBackWithinTheGoal) {
  const prova_adattamento p = adatta(prova::portata("linea"), 7);
  EXPECT_NEAR(p.lunghezza, 334000, 50);
  EXPECT_LE(p.piano.massimo, 25);
  EXPECT_LE(p.piano.medio, 5);
  EXPECT_GE(p.pendenze_entro_1, 0.95);
  EXPECT_LE(p.i.linea.curve.size(), 500u);
  EXPECT_LE(p.i.linea.pendenze.size(), 500u);
  // The figures it reports are of the same fit.
  EXPECT_LE(p.i.figure.distanza_massima, 25);
  EXPECT_LE(p.i.figure.distanza_media, 5);
  EXPECT_NEAR(p.i.figure.lunghezza_traccia, 334000, 1000);
}

// The same goals over other noises and orientations: the fit must not hold
// for one track only.
TEST(ImportaTraccia, TheCarriedRouteComesBackWithinTheGoalWhateverTheNoiseAndAngle) {
  struct caso {
    uint64_t seme;
    double angolo;
  };
  for (const caso& c :
       {caso{1, 0}, caso{2, 90}, caso{3, 200}, caso{11, 35}, caso{23, 310}, caso{42, 145}}) {
    const prova_adattamento p = adatta(prova::portata("linea"), c.seme, 0.5, c.angolo);
    const std::string dove = fmt::format("seme {}, angolo {}", c.seme, c.angolo);
    EXPECT_NEAR(p.lunghezza, 334000, 50) << dove;
    EXPECT_LE(p.piano.massimo, 25) << dove;
    EXPECT_LE(p.piano.medio, 5) << dove;
    EXPECT_GE(p.pendenze_entro_1, 0.95) << dove;
    EXPECT_TRUE(p.i.avvisi.empty()) << dove << ": " << (p.i.avvisi.empty() ? "" : p.i.avvisi[0]);
    fmt::print("{}: {} m, piano al più {:.1f} m, in media {:.2f} m, {:.1f}% pendenze entro 1\n",
               dove, p.lunghezza, p.piano.massimo, p.piano.medio, 100 * p.pendenze_entro_1);
  }
}

// The gradients through height noise, on the carried route (251 gradient
// records): the share of cells within 1 per mille, the records, and the
// heights redrawn from the gradients against the route's.
TEST(ImportaTraccia, TheCarriedRoutesGradientsSurviveHeightNoise) {
  struct caso {
    double sigma_quota;
    double entro_1;
  };
  for (const caso& c : {caso{0.5, 0.95}, caso{1.0, 0.88}}) {
    const prova_adattamento p = adatta(prova::portata("linea"), 7, c.sigma_quota);
    EXPECT_GE(p.pendenze_entro_1, c.entro_1) << c.sigma_quota;
    EXPECT_LE(p.i.linea.pendenze.size(), 300u) << c.sigma_quota;
    EXPECT_LE(p.scarto_quota, 5.0) << c.sigma_quota;
    fmt::print(
        "rumore {} m: {:.1f}% delle celle entro 1 per mille, {} pendenze, quote entro "
        "{:.2f} m\n",
        c.sigma_quota, 100 * p.pendenze_entro_1, p.i.linea.pendenze.size(), p.scarto_quota);
  }
}

TEST(ImportaTraccia, AShortWindingLineComesBackWithinTheGoal) {
  for (uint64_t seme : {1, 2}) {
    const prova_adattamento p = adatta(linea_tortuosa, seme);
    EXPECT_NEAR(p.lunghezza, 12000, 50) << seme;
    EXPECT_LE(p.piano.massimo, 25) << seme;
    EXPECT_LE(p.piano.medio, 5) << seme;
    EXPECT_GE(p.pendenze_entro_1, 0.90) << seme;
    EXPECT_LE(p.i.linea.curve.size(), 60u) << seme;
  }
}

TEST(ImportaTraccia, GpxAndGeojsonOfOneTrackGiveOneDescription) {
  const auto punti = prova::campiona(nota(linea_tortuosa), 20, 3, 0.5, 3);
  importazione gpx, geojson;
  ASSERT_TRUE(importa_traccia(prova::gpx(punti), "t.gpx", gpx).riuscito());
  ASSERT_TRUE(importa_traccia(prova::geojson(punti), "t.geojson", geojson).riuscito());
  EXPECT_EQ(righe_linea(gpx.linea), righe_linea(geojson.linea));
}

TEST(ImportaTraccia, PointsWithoutHeightsGiveLevelGradientsAndOneWarning) {
  prova::CartellaTemporanea cartella;
  const auto punti = prova::campiona(nota(linea_tortuosa), 20, 3, 0.5, 4);
  prova::scrivi(cartella.file("t.gpx"), prova::gpx(punti, {}, false));
  const prova::Esito e = prova::esegui(std::string(SCEN_SCENARIO) + " importa t.gpx --uscita l.txt",
                                       cartella.percorso());
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.errori, fmt::format("t.gpx: avviso: {} punti su {} senza quota: le pendenze sono "
                                  "tutte 0\n",
                                  punti.size(), punti.size()));
  const std::string linea = prova::leggi(cartella.file("l.txt"));
  EXPECT_NE(linea.find("[pendenze]\r\npendenza,  0,   0\r\n[montagne]\r\n"), std::string::npos);
}

// A height no ground has (3e38, 1e300, nan, deeper than -500 m) is no
// height: the points that have one give no gradients, as points without
// one, and the warning counts them; no gradient of -60 comes of them.
TEST(ImportaTraccia, HeightsNoGroundHasAreNone) {
  const auto punti = prova::campiona(nota(linea_tortuosa), 20, 3, 0.5, 4);
  for (const std::string quota : {"3e38", "1e300", "nan", "-501", "9001"}) {
    std::string gpx = prova::gpx(punti);
    for (size_t da = 0; (da = gpx.find("<ele>", da)) != std::string::npos;) {
      da += 5;
      gpx.replace(da, gpx.find('<', da) - da, quota);
    }
    importazione i;
    const Stato s = importa_traccia(gpx, "t.gpx", i);
    ASSERT_TRUE(s.riuscito()) << quota << ": " << s.messaggio();
    EXPECT_EQ(i.senza_quota, i.punti) << quota;
    ASSERT_EQ(i.linea.pendenze.size(), 1u) << quota;
    EXPECT_EQ(i.linea.pendenze[0].valore, 0) << quota;
  }
}

// Control characters in the names of a file (escapes that would recolour or
// clear the terminal, line breaks, C1 controls, line separators) reach the
// terminal written out, each message on its one line, and the descriptions
// as blanks.
TEST(ImportaTraccia, ControlCharactersInNamesNeverReachTheTerminalOrTheDescriptions) {
  prova::CartellaTemporanea cartella;
  const auto punti = prova::campiona(nota(linea_tortuosa), 20, 3, 0.5, 5);
  const std::vector<prova::nome_prova> nomi = {
      {"Borgo\\u001b[2J\\nAlto", punti[150]},
      {"Piana\\u009b31m\\u2028Bassa\\r\\u0007", punti[475]}};
  prova::scrivi(cartella.file("t.geojson"), prova::geojson(punti, nomi));
  const prova::Esito e =
      prova::esegui(std::string(SCEN_SCENARIO) + " importa t.geojson --uscita l.txt --treno t.txt",
                    cartella.percorso());
  ASSERT_EQ(e.stato, 0) << e.errori;
  for (const std::string& testo : {e.uscita, e.errori})
    for (size_t k = 0; k < testo.size(); ++k) {
      const auto c = static_cast<unsigned char>(testo[k]);
      EXPECT_TRUE(c >= 0x20 || c == '\n') << k << ": " << testo;
      EXPECT_FALSE(c == 0xc2 && k + 1 < testo.size() &&
                   static_cast<unsigned char>(testo[k + 1]) < 0xa0)
          << testo;
      EXPECT_FALSE(c == 0xe2 && testo.compare(k, 3, "\u2028") == 0) << testo;
    }
  EXPECT_NE(e.uscita.find(" m  Borgo\\x1b[2J\\nAlto\n"), std::string::npos) << e.uscita;
  EXPECT_NE(e.uscita.find(" m  Piana\\u009b31m\\u2028Bassa\\r\\x07\n"), std::string::npos)
      << e.uscita;
  const std::string treno = prova::leggi(cartella.file("t.txt"));
  EXPECT_NE(treno.find(", Borgo [2J Alto\r\n"), std::string::npos) << treno;
  EXPECT_NE(treno.find(", Piana 31m Bassa\r\n"), std::string::npos) << treno;
  const prova::Esito v =
      prova::esegui(std::string(SCEN_SCENARIO) + " verifica l.txt t.txt", cartella.percorso());
  EXPECT_EQ(v.uscita, "0 errori, 0 avvisi\n");
}

// Named points become the train's stations, at their places along the line
// in order; both descriptions read with no error.
TEST(ImportaTraccia, NamedPointsBecomeStations) {
  prova::CartellaTemporanea cartella;
  const prova::linea_nota l = nota(linea_tortuosa);
  const auto punti = prova::campiona(l, 20, 3, 0.5, 5);
  // Beside the points at 3,000 m, 9,500 m and 500 m, given out of order.
  const std::vector<prova::nome_prova> nomi = {
      {"Borgo Alto", punti[150]}, {"Piana", punti[475]}, {"Capo Linea", punti[25]}};
  prova::scrivi(cartella.file("t.gpx"), prova::gpx(punti, nomi));
  const prova::Esito e = prova::esegui(
      std::string(SCEN_SCENARIO) + " importa t.gpx --uscita l.txt --treno t.txt --json",
      cartella.percorso());
  ASSERT_EQ(e.stato, 0) << e.errori;
  const nlohmann::json d = nlohmann::json::parse(e.uscita);
  ASSERT_EQ(d["punti_con_nome"].size(), 3u);
  const std::vector<std::pair<std::string, double>> attesi = {
      {"Capo Linea", 500}, {"Borgo Alto", 3000}, {"Piana", 9500}};
  for (size_t k = 0; k < attesi.size(); ++k) {
    EXPECT_EQ(d["punti_con_nome"][k]["nome"], attesi[k].first);
    EXPECT_NEAR(d["punti_con_nome"][k]["posizione"].get<double>(), attesi[k].second, 50);
  }
  const std::string treno = prova::leggi(cartella.file("t.txt"));
  for (size_t k = 0; k < attesi.size(); ++k)
    EXPECT_NE(treno.find(fmt::format("{}\r\n", attesi[k].first)), std::string::npos);
  EXPECT_LT(treno.find("Capo Linea"), treno.find("Borgo Alto"));
  EXPECT_LT(treno.find("Borgo Alto"), treno.find("Piana"));

  const prova::Esito v =
      prova::esegui(std::string(SCEN_SCENARIO) + " verifica l.txt t.txt", cartella.percorso());
  EXPECT_EQ(v.stato, 0) << v.uscita;
  EXPECT_EQ(v.uscita, "0 errori, 0 avvisi\n");
}

// A track made of these points, in GPX.
std::string gpx_di(const std::vector<std::string>& punti) {
  std::string t = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">\n<trk><trkseg>\n";
  for (const std::string& p : punti) t += p + "\n";
  return t + "</trkseg></trk>\n</gpx>\n";
}

TEST(ImportaTraccia, BadTracksAreRefusedNamingTheFileAndThePoint) {
  const std::string a = "<trkpt lat=\"44.0\" lon=\"10.0\"><ele>1</ele></trkpt>";
  const std::string b = "<trkpt lat=\"44.001\" lon=\"10.0\"><ele>1</ele></trkpt>";
  const struct {
    std::string testo;
    std::string messaggio;
  } casi[] = {
      {"lat,lon\n44,10\n",
       "t: non è una traccia GPX (che comincia con \"<\") né GeoJSON (che comincia con \"{\")"},
      {"<gpx><trk>",
       "t:1: non è una traccia GPX: XML non valido (Premature end of data in tag trk line 1)"},
      {"<kml></kml>", "t:1: non è una traccia GPX: l'elemento principale non è <gpx>"},
      {"{\"type\": ", "t: non è una traccia GeoJSON: JSON non valido al byte 10"},
      {"{\"type\": \"LineString\", \"coordinates\": [[10, 44], [1e500, 44]]}",
       "t: non è una traccia GeoJSON: un numero troppo grande per leggerlo"},
      {"{\"type\": \"FeatureCollection\", \"features\": [{\"type\": 5}, {\"type\": null}]}",
       "t: nessuna traccia: né punti trk/trkseg/trkpt (GPX) né una LineString o MultiLineString "
       "(GeoJSON)"},
      {"[1, 2]",
       "t: non è una traccia GPX (che comincia con \"<\") né GeoJSON (che comincia con \"{\")"},
      {gpx_di({}),
       "t: nessuna traccia: né punti trk/trkseg/trkpt (GPX) né una LineString o MultiLineString "
       "(GeoJSON)"},
      {"{\"type\": \"FeatureCollection\", \"features\": []}",
       "t: nessuna traccia: né punti trk/trkseg/trkpt (GPX) né una LineString o MultiLineString "
       "(GeoJSON)"},
      {gpx_di({a}), "t:4: la traccia ha un solo punto: ne servono almeno due"},
      {gpx_di({a, b, "<trkpt lat=\"44.03\" lon=\"10.0\"/>"}),
       "t:6: punto 3: a 3222 m dal punto prima; tra due punti di fila ci sono al più 2500 m"},
      {gpx_di({a, "<trkpt lat=\"94.0\" lon=\"10.0\"/>"}),
       "t:5: punto 2: latitudine 94 fuori campo: va da -90 a 90 gradi"},
      {gpx_di({a, "<trkpt lat=\"44.0\" lon=\"-181\"/>"}),
       "t:5: punto 2: longitudine -181 fuori campo: va da -180 a 180 gradi"},
      {gpx_di({a, "<trkpt lat=\"44.0\"/>"}), "t:5: punto 2: manca l'attributo lon"},
      {gpx_di({a, "<trkpt lat=\"44,1\" lon=\"10\"/>"}),
       "t:5: punto 2: l'attributo lat vale \"44,1\", che non è un numero"},
      {"{\"type\": \"LineString\", \"coordinates\": [[10, 44], [10, 95]]}",
       "t: punto 2: latitudine 95 fuori campo: va da -90 a 90 gradi"},
      {"{\"type\": \"LineString\", \"coordinates\": [[10, 44], [10]]}",
       "t: punto 2: la posizione [10] non è [longitudine, latitudine] né [longitudine, "
       "latitudine, quota]"},
      {gpx_di({a, "<trkpt lat=\"44.0001\" lon=\"10.0\"/>"}),
       "t: traccia lunga 11 m: una linea ne ha almeno 50"},
  };
  for (const auto& c : casi) {
    importazione i;
    const Stato s = importa_traccia(c.testo, "t", i);
    EXPECT_FALSE(s.riuscito()) << c.testo;
    EXPECT_EQ(s.messaggio(), c.messaggio) << c.testo;
  }
}

TEST(ImportaTraccia, ATrackLongerThanALineCanBeIsRefused) {
  // Points 900 m apart along a meridian, some 1,100 km in all.
  std::string t = "{\"type\": \"LineString\", \"coordinates\": [";
  for (int i = 0; i <= 1230; ++i)
    t += fmt::format("{}[10, {:.5f}]", i ? ", " : "", 30 + i * 0.0081);
  t += "]}";
  importazione i;
  const Stato s = importa_traccia(t, "lunga.geojson", i);
  ASSERT_FALSE(s.riuscito());
  EXPECT_TRUE(s.messaggio().starts_with("lunga.geojson: traccia lunga ")) << s.messaggio();
  EXPECT_TRUE(s.messaggio().ends_with(" m: una linea arriva al più a 1.000.000 m"))
      << s.messaggio();
}

// A recorded log that runs out and back along its way is cut where it
// turns, with a warning naming the point; if the turn leaves less than a
// kilometre the log is refused. A gap of 1.5 km is bridged with a warning.
TEST(ImportaTraccia, ALogThatTurnsBackIsCutAtTheTurnAndItsGapsBridged) {
  const auto punti = prova::campiona(nota(linea_tortuosa), 20, 3, 0.5, 6);
  struct caso {
    size_t svolta;  // the point where the log turns back (0: none)
    size_t salto;   // points left out from here, for a gap (0: none)
    std::string avviso, errore;
  };
  const caso casi[] = {
      {200, 0, "t.gpx: avviso: punto 201 (riga 204): la traccia torna indietro", ""},
      {30, 0, "", "t.gpx:"},
      {0, 100,
       "t.gpx: avviso: un salto tra punti di fila oltre 1000 m, colmato in linea retta: "
       "il più grande, di 14",
       ""},
  };
  for (const caso& c : casi) {
    std::vector<prova::punto_gps> log;
    for (size_t k = 0; k < punti.size(); ++k) {
      if (c.salto > 0 && k > c.salto && k < c.salto + 75) continue;
      log.push_back(punti[k]);
      if (k == c.svolta && c.svolta > 0) {
        for (size_t j = k; j-- > k - std::min<size_t>(k, 60);) log.push_back(punti[j]);
        break;
      }
    }
    importazione i;
    const Stato s = importa_traccia(prova::gpx(log), "t.gpx", i);
    if (!c.errore.empty()) {
      ASSERT_FALSE(s.riuscito()) << c.errore;
      EXPECT_TRUE(s.messaggio().starts_with(c.errore)) << s.messaggio();
      EXPECT_TRUE(s.messaggio().find("la traccia torna indietro a ") != std::string::npos)
          << s.messaggio();
      continue;
    }
    ASSERT_TRUE(s.riuscito()) << s.messaggio();
    ASSERT_EQ(i.avvisi.size(), 1u) << c.avviso << "\n"
                                   << fmt::format("{}", fmt::join(i.avvisi, "\n"));
    EXPECT_TRUE(("t.gpx: avviso: " + i.avvisi[0]).starts_with(c.avviso)) << i.avvisi[0];
    // The line's length is the sampled line's up to the turn, or whole.
    EXPECT_NEAR(static_cast<double>(i.linea.lunghezza),
                c.svolta > 0 ? 20.0 * static_cast<double>(c.svolta) : 12000, 100);
  }
}

// A real log, one point every 30 s: hours standing still, points 1 km apart
// at speed, and a run out and back. The line runs out to the turn.
TEST(ImportaTraccia, ARealLogSampledSparselyImports) {
  SCEN_DATO_REALE(file, "orr-00c03ac99213.gpx");
  std::string byte;
  ASSERT_TRUE(leggi_file(file, byte).riuscito());
  importazione i;
  const Stato s = importa_traccia(byte, "log.gpx", i);
  ASSERT_TRUE(s.riuscito()) << s.messaggio();
  bool svolta = false, salti = false;
  for (const std::string& a : i.avvisi) {
    svolta = svolta || a.starts_with(
                           "punto 2119 (riga 6359, 2019-01-15T20:33:44.000+0000): la "
                           "traccia torna indietro");
    salti = salti || a.find("salti tra punti di fila oltre 1000 m") != std::string::npos;
  }
  EXPECT_TRUE(svolta);
  EXPECT_TRUE(salti);
  EXPECT_NEAR(static_cast<double>(i.linea.lunghezza), i.figure.lunghezza_punti,
              0.01 * i.figure.lunghezza_punti);
  EXPECT_LE(i.figure.distanza_punti, 50);
  fmt::print("linea di {} m, percorso dei punti {:.0f} m, piano dai punti al più {:.1f} m\n",
             i.linea.lunghezza, i.figure.lunghezza_punti, i.figure.distanza_punti);
}

// The lines of a town's extract, tightly curved: each as long as its track
// within 1%, and warned where the plan strays from it.
TEST(ImportaTraccia, TheLinesOfATownKeepTheirTracksLength) {
  SCEN_DATO_REALE(file, "gh-krems.osm.gz");
  struct caso {
    long relazione;
    std::string da, a;
  };
  const caso casi[] = {{3328921, "", ""},
                       {3328922, "", ""},
                       {0, "Furth-Palt", "Krems a.d. Donau"},
                       {0, "Krems a.d. Donau", "Furth-Palt"}};
  for (const caso& c : casi) {
    richiesta_importa r;
    r.traccia = file;
    r.relazione = c.relazione;
    r.da = c.da;
    r.a = c.a;
    importazione i;
    resoconto_osm osm;
    const Stato s = importa_estratto(r, i, osm);
    ASSERT_TRUE(s.riuscito()) << s.messaggio();
    EXPECT_NEAR(static_cast<double>(i.linea.lunghezza), i.figure.lunghezza_punti,
                0.01 * i.figure.lunghezza_punti)
        << c.relazione << c.da;
    // Where the plan cannot follow the track, a warning says where and why.
    const bool avvisato = std::any_of(i.avvisi.begin(), i.avvisi.end(), [](const std::string& a) {
      return a.find("più stretto della curva più stretta") != std::string::npos;
    });
    EXPECT_EQ(avvisato, i.figure.distanza_massima > 20) << c.relazione << c.da;
    fmt::print("{} {}: linea di {} m, binario di {:.1f} m\n", c.relazione, c.da, i.linea.lunghezza,
               i.figure.lunghezza_punti);
  }
}

}  // namespace
}  // namespace scen
