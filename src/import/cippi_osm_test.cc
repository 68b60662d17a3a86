#include "import/cippi_osm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace scen {
namespace {

// The count a line's progressives give at position x: the position before
// the first start, then position + offset or offset − position.
double conta(const std::vector<progressiva_importata>& p, double x) {
  double c = x;
  for (const progressiva_importata& q : p)
    if (x >= q.inizio) c = q.decrescente ? q.scostamento - x : x + q.scostamento;
  return c;
}

// Milestones every kilometre of a known count, placed with some error.
std::vector<cippo_lungo> cippi_di(const std::vector<progressiva_importata>& vere,
                                  double lunghezza) {
  std::vector<cippo_lungo> cippi;
  double errore = 17;
  for (double x = 0; x <= lunghezza; x += 10) {
    const double c = conta(vere, x);
    if (std::fmod(std::abs(c), 1000) < 10 - 1e-9) {
      cippi.push_back({x + errore, std::round(c / 100) * 100});
      errore = -errore;
    }
  }
  return cippi;
}

TEST(Cippi, MilestonesGiveTheProgressivesWithTheirJumpsAndDirection) {
  struct caso {
    const char* nome;
    std::vector<progressiva_importata> vere;
    double lunghezza;
  };
  const caso casi[] = {
      // As the carried line: the position, a jump forward, a restart at 0, then falling.
      {"tre salti",
       {{31100, 3050, false}, {284500, -284500, false}, {315950, 412050, true}},
       334000},
      {"dal km 12", {{0, 12000, false}, {50, 12000, false}, {100, 12000, false}}, 20000},
      {"decrescente", {{0, 60000, true}, {50, 60000, true}, {100, 60000, true}}, 40000},
  };
  for (const caso& c : casi) {
    const std::vector<cippo_lungo> cippi = cippi_di(c.vere, c.lunghezza);
    size_t scartati = 99;
    std::vector<std::string> avvisi;
    const std::vector<progressiva_importata> p =
        progressive_dai_cippi(cippi, c.lunghezza, scartati, avvisi);
    EXPECT_EQ(scartati, 0u) << c.nome;
    EXPECT_TRUE(avvisi.empty()) << c.nome;
    ASSERT_EQ(p.size(), 3u) << c.nome;
    for (const progressiva_importata& x : p) {
      EXPECT_EQ(x.inizio % 50, 0) << c.nome;
      EXPECT_EQ(x.scostamento % 50, 0) << c.nome;
    }
    for (const cippo_lungo& m : cippi)
      EXPECT_NEAR(conta(p, m.posizione), m.conta, 100) << c.nome << " a " << m.posizione;
  }
}

TEST(Cippi, ACountThatIsThePositionNeedsNoProgressivesAndAStrayMilestoneIsLeft) {
  std::vector<cippo_lungo> cippi;
  for (int km = 1; km <= 9; ++km) cippi.push_back({km * 1000.0 + 8, km * 1000.0});
  cippi[4].conta = 77000;  // mistyped
  size_t scartati = 0;
  std::vector<std::string> avvisi;
  EXPECT_TRUE(progressive_dai_cippi(cippi, 10000, scartati, avvisi).empty());
  EXPECT_EQ(scartati, 1u);
  EXPECT_TRUE(progressive_dai_cippi({}, 10000, scartati, avvisi).empty());
  EXPECT_TRUE(avvisi.empty());
}

// Milestones from `da` to `a` (m along the line) every `passo`, the first
// reading `conta` and the others going on in the direction `verso`, each
// read to the hundred metres as the posts are; `deriva` is the part of a
// metre the line's measure gains on the railway's in each metre.
std::vector<cippo_lungo> serie(double da, double a, double passo, double conta, int verso,
                               double deriva = 0) {
  std::vector<cippo_lungo> cippi;
  for (double x = da; x <= a + 1e-9; x += passo)
    cippi.push_back({x, std::round((conta + verso * (x - da) * (1 - deriva)) / 100) * 100});
  return cippi;
}

std::vector<cippo_lungo> unite(std::initializer_list<std::vector<cippo_lungo>> parti) {
  std::vector<cippo_lungo> tutte;
  for (const auto& p : parti) tutte.insert(tutte.end(), p.begin(), p.end());
  return tutte;
}

TEST(Cippi, ShortRunsAndCountsBelowZeroGiveNoProgressive) {
  struct caso {
    const char* nome;
    std::vector<cippo_lungo> cippi;
    double lunghezza;
    size_t scartati;
    size_t avvisi;
    // Milestones the count must follow (within 200 m).
    std::vector<cippo_lungo> seguiti;
  };
  const std::vector<cippo_lungo> lunga = serie(1500, 10000, 500, 1000, 1);
  const std::vector<cippo_lungo> propria = serie(1665, 33800, 200, 200, 1, 0.0025);
  const std::vector<cippo_lungo> decrescente = serie(0, 8000, 500, 8000, -1);
  const std::vector<cippo_lungo> dopo = serie(3000, 12000, 500, 20000, 1);
  const std::vector<cippo_lungo> quattro[] = {
      serie(0, 5000, 500, 10000, 1), serie(5500, 9000, 500, 30000, 1),
      serie(9500, 15000, 500, 50000, 1), serie(15500, 25000, 500, 70000, 1)};
  const caso casi[] = {
      // A few posts of another count before the line's own: left; the
      // line's count, which would read -0.5 km at its start, starts where
      // it reads 0.
      {"corsa corta lasciata", unite({serie(200, 1000, 200, 300, 1), lunga}), 10500, 5, 0, lunga},
      // As from Cologne to Bonn: the first 700 m of another count, 450 m
      // of posts below 0, then the line's own 32 km, whose measure drifts
      // 80 m from the line's.
      {"come da Colonia a Bonn",
       unite({serie(230, 950, 100, 300, 1), serie(1130, 1580, 150, -900, 1), propria}), 34200, 12,
       0, propria},
      // Falling to 0 at 8 km on a line of 9.5 km: from there it grows from 0.
      {"scende a zero prima della fine", decrescente, 9500, 0, 0, decrescente},
      // 2.6 km of posts from km -1.0: they go, with a warning.
      {"cippi sotto zero", unite({serie(0, 2600, 200, -1000, 1), dopo}), 12500, 14, 1, dopo},
      // Four counts for three progressives: the one with the fewest posts goes.
      {"quattro conte", unite({quattro[0], quattro[1], quattro[2], quattro[3]}), 26000,
       quattro[1].size(), 0, unite({quattro[0], quattro[2], quattro[3]})},
  };
  for (const caso& c : casi) {
    size_t scartati = 0;
    std::vector<std::string> avvisi;
    const std::vector<progressiva_importata> p =
        progressive_dai_cippi(c.cippi, c.lunghezza, scartati, avvisi);
    EXPECT_EQ(scartati, c.scartati) << c.nome;
    EXPECT_EQ(avvisi.size(), c.avvisi) << c.nome;
    ASSERT_EQ(p.size(), 3u) << c.nome;
    for (size_t k = 0; k < p.size(); ++k) {
      EXPECT_EQ(p[k].inizio % 50, 0) << c.nome;
      EXPECT_EQ(p[k].scostamento % 50, 0) << c.nome;
      if (k > 0) {
        EXPECT_LT(p[k - 1].inizio, p[k].inizio) << c.nome;
      }
    }
    for (double x = 0; x <= c.lunghezza; x += 10) ASSERT_GE(conta(p, x), 0) << c.nome << " a " << x;
    for (const cippo_lungo& m : c.seguiti)
      EXPECT_NEAR(conta(p, m.posizione), m.conta, 200) << c.nome << " a " << m.posizione;
  }
}

// A small extract: the line's track running north, 2 km of nodes every
// 100 m; the other track of the same line 5 m east (same ref); another
// line 12 m west; a siding 4 m east. Milestones: on each of them, and
// beside the track on no way.
TEST(Cippi, OnlyTheLinesOwnMilestonesCount) {
  estratto_osm e;
  const double lat0 = 50.9, lon0 = 6.9;
  const double grado_lat = 111195, grado_lon = 111195 * std::cos(lat0 * M_PI / 180);
  id_osm prossimo = 1;
  auto via_a = [&](id_osm id, double est, const std::string& ref, const std::string& servizio) {
    via_osm v;
    v.id = id;
    v.railway = "rail";
    v.ref = ref;
    v.service = servizio;
    for (int k = 0; k <= 20; ++k) {
      const id_osm n = prossimo++;
      e.luoghi[n] = {lat0 + k * 100 / grado_lat, lon0 + est / grado_lon};
      v.nodi.push_back(n);
    }
    e.indice_vie[id] = e.vie.size();
    e.vie.push_back(v);
  };
  via_a(10, 0, "2630", "");
  via_a(11, 5, "2630", "");
  via_a(12, -12, "2600", "");
  via_a(13, 4, "", "siding");
  auto cippo = [&](id_osm id, const luogo_osm& dove, const std::string& ref = "") {
    punto_osm q;
    q.id = id;
    q.genere = genere_punto::cippo;
    q.luogo = dove;
    q.posizione = "1.0";
    q.ref = ref;
    e.punti.push_back(q);
  };
  auto accanto = [&](int k, double est) {
    return luogo_osm{lat0 + k * 100 / grado_lat, lon0 + est / grado_lon};
  };
  // Milestones that are nodes of a way take the node's id.
  cippo(e.vie[0].nodi[3], e.luoghi[e.vie[0].nodi[3]]);  // on the line's track
  cippo(e.vie[1].nodi[5], e.luoghi[e.vie[1].nodi[5]]);  // on its other track
  cippo(e.vie[2].nodi[7], e.luoghi[e.vie[2].nodi[7]]);  // on the other line
  cippo(e.vie[3].nodi[9], e.luoghi[e.vie[3].nodi[9]]);  // on the siding: no line of its own
  cippo(1001, accanto(11, 2));                          // beside the line
  cippo(1002, accanto(13, -9));                         // beside the other line
  cippo(1003, accanto(15, -9), "2630");                 // beside it, with the line's ref
  cippo(1004, accanto(17, 80));                         // too far

  linea_osm l;
  for (id_osm n : e.vie[0].nodi) l.vertici.push_back({n, e.luoghi.at(n), 0, true});
  l.vie = {10};
  size_t altri = 0;
  const std::vector<const punto_osm*> scelti = cippi_della_linea(e, l, {"2630"}, altri);
  std::vector<id_osm> ids;
  for (const punto_osm* q : scelti) ids.push_back(q->id);
  EXPECT_EQ(ids, (std::vector<id_osm>{e.vie[0].nodi[3], e.vie[1].nodi[5], 1001, 1003}));
  EXPECT_EQ(altri, 3u);  // the other line's two and the siding's

  // Mapped without line numbers: the track 5 m away is the line's other
  // one, the siding 4 m away too; the line 12 m away is another.
  for (via_osm& v : e.vie) v.ref.clear();
  for (punto_osm& q : e.punti) q.ref.clear();
  ids.clear();
  for (const punto_osm* q : cippi_della_linea(e, l, {}, altri)) ids.push_back(q->id);
  EXPECT_EQ(ids, (std::vector<id_osm>{e.vie[0].nodi[3], e.vie[1].nodi[5], e.vie[3].nodi[9], 1001}));
  EXPECT_EQ(altri, 3u);  // on the other line, and the two beside it
}

}  // namespace
}  // namespace scen
