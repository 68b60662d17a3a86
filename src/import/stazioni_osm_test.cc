#include "import/stazioni_osm.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "import/importa.h"
#include "testing/cartella_temporanea.h"
#include "testing/estratti_prova.h"
#include "testing/prova_lettura.h"
#include "testing/tracce_prova.h"

namespace scen {
namespace {

constexpr double metri_grado = 6371008.8 * 3.14159265358979323846 / 180;

using etichette = std::vector<std::pair<std::string, std::string>>;

// A small extract written as XML: places in metres east and north of
// 46° N 11° E.
struct mappa {
  std::string nodi, vie, relazioni;
  void nodo(long id, double est, double nord, const etichette& tag = {}) {
    nodi +=
        fmt::format("<node id=\"{}\" lat=\"{:.8f}\" lon=\"{:.8f}\">", id, 46 + nord / metri_grado,
                    11 + est / (metri_grado * std::cos(46 * 3.14159265358979323846 / 180)));
    for (const auto& [k, v] : tag) nodi += fmt::format("<tag k=\"{}\" v=\"{}\"/>", k, v);
    nodi += "</node>\n";
  }
  void via(long id, const std::vector<long>& n, const etichette& tag) {
    vie += fmt::format("<way id=\"{}\">", id);
    for (long x : n) vie += fmt::format("<nd ref=\"{}\"/>", x);
    for (const auto& [k, v] : tag) vie += fmt::format("<tag k=\"{}\" v=\"{}\"/>", k, v);
    vie += "</way>\n";
  }
  // Members as "n6 stop", "w2000 platform", "w1 ".
  void relazione(long id, const std::vector<std::string>& membri, const etichette& tag) {
    relazioni += fmt::format("<relation id=\"{}\">", id);
    for (const std::string& m : membri) {
      const size_t spazio = m.find(' ');
      relazioni += fmt::format("<member type=\"{}\" ref=\"{}\" role=\"{}\"/>",
                               m[0] == 'n'   ? "node"
                               : m[0] == 'w' ? "way"
                                             : "relation",
                               m.substr(1, spazio - 1), m.substr(spazio + 1));
    }
    for (const auto& [k, v] : tag) relazioni += fmt::format("<tag k=\"{}\" v=\"{}\"/>", k, v);
    relazioni += "</relation>\n";
  }
  std::string testo() const {
    return "<?xml version=\"1.0\"?>\n<osm version=\"0.6\">\n" + nodi + vie + relazioni + "</osm>\n";
  }
};

// A main line 6 km due north (nodes every 100 m, ids 1 to 61) and a light
// rail line 40 m east of it (ids 101 to 161), with their stops as railways
// map them:
//   Alfa at 500 m: a stop position on the line and its platform (named by
//     its number, "1"), one stop area; a tram stop "Alfa" on the light rail;
//   Beta at 2000 m: a station node 60 m west;
//   Gamma at 3000 m: a halt that is a stop position;
//   Delta at 4000 m: a stop position on the light rail only, no other tag;
//   Epsilon at 4500 m: a bus stop 30 m west;
//   Zeta at 5000 m: a stop position, and 150 m on an unnamed platform;
//   Lontana: a station 12 km east of any track.
mappa linea_con_fermate() {
  mappa m;
  for (long i = 0; i <= 60; ++i) {
    etichette tag;
    if (i == 5)
      tag = {{"railway", "stop"},
             {"public_transport", "stop_position"},
             {"train", "yes"},
             {"name", "Alfa"}};
    if (i == 30)
      tag = {{"railway", "halt"}, {"public_transport", "stop_position"}, {"name", "Gamma"}};
    if (i == 50)
      tag = {{"railway", "stop"}, {"public_transport", "stop_position"}, {"name", "Zeta"}};
    m.nodo(1 + i, 0, static_cast<double>(i) * 100, tag);
  }
  for (long i = 0; i <= 60; ++i) {
    etichette tag;
    if (i == 5) tag = {{"railway", "tram_stop"}, {"name", "Alfa"}};
    if (i == 40)
      tag = {{"railway", "stop"}, {"public_transport", "stop_position"}, {"name", "Delta"}};
    m.nodo(101 + i, 40, static_cast<double>(i) * 100, tag);
  }
  std::vector<long> linea, leggera;
  for (long i = 1; i <= 61; ++i) linea.push_back(i);
  for (long i = 101; i <= 161; ++i) leggera.push_back(i);
  m.via(1, linea, {{"railway", "rail"}, {"usage", "main"}, {"maxspeed", "100"}});
  m.via(2, leggera, {{"railway", "light_rail"}});
  for (long k = 0; k < 3; ++k) m.nodo(2001 + k, -8, 450 + static_cast<double>(k) * 50);
  m.via(2000, {2001, 2002, 2003},
        {{"railway", "platform"}, {"public_transport", "platform"}, {"name", "1"}});
  m.relazione(3000, {"n6 stop", "w2000 platform"},
              {{"type", "public_transport"}, {"public_transport", "stop_area"}, {"name", "Alfa"}});
  m.nodo(1100, -60, 2000, {{"railway", "station"}, {"name", "Beta"}});
  m.nodo(1200, -30, 4500,
         {{"highway", "bus_stop"},
          {"public_transport", "platform"},
          {"bus", "yes"},
          {"name", "Epsilon"}});
  for (long k = 0; k < 2; ++k) m.nodo(2101 + k, 8, 5150 + static_cast<double>(k) * 100);
  m.via(2100, {2101, 2102}, {{"railway", "platform"}});
  m.nodo(1300, 12000, 3000, {{"railway", "station"}, {"name", "Lontana"}});
  return m;
}

TEST(StazioniOsm, StopsGroupIntoStationsByAreaNameAndNearnessAndLightOnesStandApart) {
  prova::CartellaTemporanea c;
  prova::scrivi(c.file("e.osm"), linea_con_fermate().testo());
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(c.file("e.osm"), e).riuscito());
  const std::vector<stazione_osm> stazioni = stazioni_dell_estratto(e);
  const struct {
    const char* nome;
    size_t fermate;  // of the railway station of that name; 0 for none
  } casi[] = {
      {"Alfa", 2},     // the stop and its platform, by their area
      {"Beta", 1},     //
      {"Gamma", 1},    //
      {"zeta", 2},     // any case; the unnamed platform beside it
      {"Delta", 0},    // on the light rail only
      {"Epsilon", 0},  // a bus stop
      {"1", 0},        // a platform's number names no station
      {"Lontana", 1},
  };
  for (const auto& caso : casi) {
    const std::vector<const stazione_osm*> s = stazioni_di_nome(stazioni, caso.nome);
    if (caso.fermate == 0) {
      EXPECT_TRUE(s.empty()) << caso.nome;
      continue;
    }
    ASSERT_EQ(s.size(), 1u) << caso.nome;
    EXPECT_EQ(s.front()->fermate.size(), caso.fermate) << caso.nome;
    EXPECT_FALSE(s.front()->leggera) << caso.nome;
  }
  // The tram stop "Alfa" is a station of its own, light.
  size_t alfa_leggere = 0;
  for (const stazione_osm& s : stazioni)
    if (s.nome == "Alfa" && s.leggera) ++alfa_leggere;
  EXPECT_EQ(alfa_leggere, 1u);
}

struct esito_importa {
  int stato = -1;
  std::string errori;
  nlohmann::json d;
  std::vector<std::pair<std::string, long>> stazioni;
  std::vector<std::string> avvisi;
};

esito_importa importa_da(const prova::CartellaTemporanea& c, richiesta_importa r) {
  r.traccia = c.file("e.osm");
  r.uscita = c.file("l.txt");
  r.treno = c.file("t.txt");
  r.json = true;
  std::ostringstream uscita, errori;
  esito_importa e;
  e.stato = importa(r, uscita, errori);
  e.errori = errori.str();
  if (e.stato != 0) return e;
  e.d = nlohmann::json::parse(uscita.str());
  for (const auto& s : e.d["estratto"]["stazioni"])
    e.stazioni.push_back({s["nome"].get<std::string>(), s["posizione"].get<long>()});
  for (const auto& a : e.d["avvisi"]) e.avvisi.push_back(a.get<std::string>());
  return e;
}

using stazioni_attese = std::vector<std::pair<std::string, long>>;

TEST(StazioniOsm, StationsByNameRunFromTheFirstToTheLastWithTheRailwaysStopsBetween) {
  prova::CartellaTemporanea c;
  prova::scrivi(c.file("e.osm"), linea_con_fermate().testo());
  richiesta_importa r;
  r.da = "Alfa";
  r.a = "zeta";
  const esito_importa e = importa_da(c, r);
  ASSERT_EQ(e.stato, 0) << e.errori;
  const stazioni_attese attese = {{"Alfa", 0}, {"Beta", 1500}, {"Gamma", 2500}, {"Zeta", 4500}};
  ASSERT_EQ(e.stazioni.size(), attese.size()) << e.d.dump();
  for (size_t k = 0; k < attese.size(); ++k) {
    EXPECT_EQ(e.stazioni[k].first, attese[k].first);
    EXPECT_NEAR(static_cast<double>(e.stazioni[k].second), static_cast<double>(attese[k].second),
                50)
        << attese[k].first;
  }
}

TEST(StazioniOsm, ANamedStationAwayFromTheLineOrNotOfTheRailwayIsAnErrorThatSaysSo) {
  prova::CartellaTemporanea c;
  mappa m = linea_con_fermate();
  prova::scrivi(c.file("e.osm"), m.testo());
  const struct {
    const char* da;
    const char* a;
    std::vector<std::string> parole;
  } casi[] = {
      {"Alfa", "Lontana", {"\"Lontana\" è a 1", " m dalla linea"}},
      {"Lontana", "Zeta", {"\"Lontana\" è a 1", " m dalla linea"}},
      {"Alfa", "Delta", {"nessuna stazione \"Delta\""}},
      {"Epsilon", "Zeta", {"nessuna stazione \"Epsilon\""}},
  };
  for (const auto& caso : casi) {
    richiesta_importa r;
    r.da = caso.da;
    r.a = caso.a;
    const esito_importa e = importa_da(c, r);
    EXPECT_EQ(e.stato, 2) << caso.da << " " << caso.a;
    for (const std::string& p : caso.parole)
      EXPECT_NE(e.errori.find(p), std::string::npos) << e.errori;
  }
  // The distance said is the station's: 12 km.
  richiesta_importa r;
  r.da = "Alfa";
  r.a = "Lontana";
  const std::string errori = importa_da(c, r).errori;
  const size_t a = errori.find("è a ");
  ASSERT_NE(a, std::string::npos) << errori;
  EXPECT_NEAR(std::stod(errori.substr(a + 5)), 12000, 100) << errori;
}

TEST(StazioniOsm, ARelationsStopMembersInTheirOrderAreTheStations) {
  const struct {
    const char* nome;
    std::vector<std::string> membri;
    int stato;
    stazioni_attese attese;
    std::vector<std::string> parole;  // in the warnings, or in the error
  } casi[] = {
      {"in ordine",
       // A platform listed as if it were track is neither track nor a gap.
       {"w1 ", "w2000 ", "n6 stop", "w2000 platform", "n31 stop_entry_only", "n99999 stop",
        "w88888 platform", "n51 stop_exit_only"},
       0,
       {{"Alfa", 0}, {"Gamma", 2500}, {"Zeta", 4500}},
       {"fermate della relazione 7 che l'estratto non ha: il nodo 99999; la via 88888"}},
      {"a ritroso",
       {"n51 stop", "n31 stop", "w2000 platform", "w1 "},
       0,
       {{"Zeta", 0}, {"Gamma", 2000}, {"Alfa", 4500}},
       {}},
      {"le banchine dopo le fermate",
       {"n6 stop", "n1100 stop", "w2000 platform", "w1 "},
       0,
       {{"Alfa", 0}, {"Beta", 1500}},
       {}},
      {"lontana", {"n6 stop", "n1300 stop", "w1 "}, 2, {}, {"\"Lontana\"", "è a 1"}},
      {"fuori ordine", {"n6 stop", "n51 stop", "n31 stop", "w1 "}, 2, {}, {"non seguono"}},
  };
  prova::CartellaTemporanea c;
  for (const auto& caso : casi) {
    mappa m = linea_con_fermate();
    m.relazione(7, caso.membri, {{"type", "route"}, {"route", "train"}});
    prova::scrivi(c.file("e.osm"), m.testo());
    richiesta_importa r;
    r.relazione = 7;
    const esito_importa e = importa_da(c, r);
    ASSERT_EQ(e.stato, caso.stato) << caso.nome << ": " << e.errori;
    std::string detti = e.errori;
    for (const std::string& a : e.avvisi) detti += a + "\n";
    for (const std::string& p : caso.parole)
      EXPECT_NE(detti.find(p), std::string::npos) << caso.nome << ": " << detti;
    if (caso.stato != 0) continue;
    ASSERT_EQ(e.stazioni.size(), caso.attese.size()) << caso.nome << ": " << e.d.dump();
    for (size_t k = 0; k < caso.attese.size(); ++k) {
      EXPECT_EQ(e.stazioni[k].first, caso.attese[k].first) << caso.nome;
      EXPECT_NEAR(static_cast<double>(e.stazioni[k].second),
                  static_cast<double>(caso.attese[k].second), 50)
          << caso.nome;
    }
  }
}

// A relation that also lists a siding leaving its line: its ways make no
// single run, and the line goes from stop to stop along them; without
// stops to join, the same ways are an error that names them.
TEST(StazioniOsm, ARelationWhoseWaysForkRunsFromStopToStop) {
  prova::CartellaTemporanea c;
  for (bool con_fermate : {true, false}) {
    mappa m = linea_con_fermate();
    for (long k = 0; k < 3; ++k)
      m.nodo(4001 + k, 20 + static_cast<double>(k) * 20, 2100 + static_cast<double>(k) * 100);
    m.via(3, {21, 4001, 4002, 4003}, {{"railway", "rail"}, {"service", "siding"}});
    std::vector<std::string> membri = {"w1 ", "w3 "};
    if (con_fermate) membri.insert(membri.end(), {"n6 stop", "n31 stop", "n51 stop"});
    m.relazione(7, membri, {{"type", "route"}, {"route", "train"}});
    prova::scrivi(c.file("e.osm"), m.testo());
    richiesta_importa r;
    r.relazione = 7;
    const esito_importa e = importa_da(c, r);
    if (!con_fermate) {
      EXPECT_EQ(e.stato, 2);
      EXPECT_NE(e.errori.find("dalla via 3 alla via 3"), std::string::npos) << e.errori;
      continue;
    }
    ASSERT_EQ(e.stato, 0) << e.errori;
    const stazioni_attese attese = {{"Alfa", 0}, {"Gamma", 2500}, {"Zeta", 4500}};
    ASSERT_EQ(e.stazioni.size(), attese.size()) << e.d.dump();
    for (size_t k = 0; k < attese.size(); ++k) {
      EXPECT_EQ(e.stazioni[k].first, attese[k].first);
      EXPECT_NEAR(static_cast<double>(e.stazioni[k].second), static_cast<double>(attese[k].second),
                  50);
    }
    EXPECT_EQ(e.d["estratto"]["vie"], nlohmann::json::array({1})) << e.d.dump();
    std::string avvisi;
    for (const std::string& a : e.avvisi) avvisi += a + "\n";
    EXPECT_NE(avvisi.find("le vie della relazione 7 non fanno un solo filo"), std::string::npos)
        << avvisi;
  }
}

// A hairpin: 2 km north, 100 m east, 2 km south. Every station is within
// reach of both legs; the relation's order tells which pass is its.
TEST(StazioniOsm, OnALineThatPassesAStationTwiceThePassesKeepTheRelationsOrder) {
  mappa m;
  std::vector<long> nodi;
  for (long i = 0; i <= 20; ++i) m.nodo(1 + i, 0, static_cast<double>(i) * 100);
  for (long i = 0; i <= 20; ++i) m.nodo(101 + i, 100, static_cast<double>(20 - i) * 100);
  for (long i = 1; i <= 21; ++i) nodi.push_back(i);
  for (long i = 101; i <= 121; ++i) nodi.push_back(i);
  m.via(1, nodi, {{"railway", "rail"}});
  // Uno and Tre nearer the first leg, Due nearer the second: the nearest
  // passes would give Uno, Tre, Due.
  m.nodo(501, 20, 600, {{"railway", "station"}, {"name", "Uno"}});
  m.nodo(502, 70, 1000, {{"railway", "station"}, {"name", "Due"}});
  m.nodo(503, 30, 1400, {{"railway", "station"}, {"name", "Tre"}});
  m.relazione(7, {"n501 stop", "n502 stop", "n503 stop", "w1 "},
              {{"type", "route"}, {"route", "train"}});
  prova::CartellaTemporanea c;
  prova::scrivi(c.file("e.osm"), m.testo());
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(c.file("e.osm"), e).riuscito());
  linea_osm l;
  ASSERT_TRUE(linea_da_relazione(e, 7, "e.osm", l).riuscito());
  ASSERT_EQ(l.stazioni.size(), 3u);
  EXPECT_EQ(l.stazioni[0].nome, "Uno");
  EXPECT_EQ(l.stazioni[1].nome, "Due");
  EXPECT_EQ(l.stazioni[2].nome, "Tre");
  // All three on the first leg, 400 m apart.
  EXPECT_NEAR(l.stazioni[0].lungo, 0, 1);
  EXPECT_NEAR(l.stazioni[1].lungo, 400, 20);
  EXPECT_NEAR(l.stazioni[2].lungo, 800, 20);
}

// The carried route, with its spiral, laid with other seeds and angles: by
// its relation and by the names of its ends, every station in order, each
// the distance from the one before that the route gives (within half a
// per cent, which the mapping noise adds, and 60 m).
TEST(StazioniOsm, TheCarriedRoutesStationsKeepTheirPassOfTheSpiralWhateverItsLaying) {
  esito esito_linea = esito::nessuno;
  const prova::linea_nota linea = prova::linea_descritta(prova::portata("linea"), esito_linea);
  ASSERT_EQ(esito_linea, esito::nessuno);
  const prova::fatti_treno treno = prova::fatti_del_treno(prova::portata("treno"));
  const struct {
    uint64_t seme;
    double angolo;
  } pose[] = {{3, 120}, {7, 250}, {11, 310}};
  for (const auto& posa : pose) {
    prova::CartellaTemporanea c;
    prova::opzioni_estratto o;
    o.seme = posa.seme;
    o.seme_vie = posa.seme + 1;
    o.angolo = posa.angolo;
    o.geotiff = false;
    const prova::estratto_noto noto = prova::crea_estratto(
        linea, treno, prova::progressive_della_linea(prova::portata("linea")), o, c.percorso());
    ASSERT_GE(noto.stazioni.size(), 40u);
    ASSERT_GE(noto.lunghezza, 300000);
    estratto_osm e;
    ASSERT_TRUE(leggi_estratto(noto.pbf, e).riuscito());
    for (bool per_nomi : {false, true}) {
      const std::string caso =
          fmt::format("seme {} angolo {}{}", posa.seme, posa.angolo, per_nomi ? " per nomi" : "");
      linea_osm l;
      const Stato s = per_nomi ? linea_tra_stazioni(e, noto.stazioni.front().nome,
                                                    noto.stazioni.back().nome, noto.pbf, l)
                               : linea_da_relazione(e, noto.relazione, noto.pbf, l);
      ASSERT_TRUE(s.riuscito()) << caso << ": " << s.messaggio();
      ASSERT_EQ(l.stazioni.size(), noto.stazioni.size()) << caso;
      for (size_t k = 0; k < l.stazioni.size(); ++k) {
        EXPECT_EQ(l.stazioni[k].nome, noto.stazioni[k].nome) << caso;
        if (k == 0) continue;
        const double vero =
            static_cast<double>(noto.stazioni[k].posizione - noto.stazioni[k - 1].posizione);
        EXPECT_NEAR(l.stazioni[k].lungo - l.stazioni[k - 1].lungo, vero, 0.005 * vero + 60)
            << caso << ": " << l.stazioni[k].nome;
      }
    }
  }
}

TEST(StazioniOsm, PassesInOrderTakeTheLeastDistanceThatKeepsTheOrder) {
  using p = passaggio;
  const struct {
    const char* nome;
    std::vector<std::vector<passaggio>> stazioni;
    std::vector<double> lungo;  // chosen; empty for none
  } casi[] = {
      {"la più vicina", {{p{100, 10}}, {p{500, 50}, p{3000, 5}}, {p{4000, 10}}}, {100, 3000, 4000}},
      {"l'ordine prima della vicinanza",
       {{p{100, 10}}, {p{500, 50}, p{3000, 5}}, {p{2000, 10}}},
       {100, 500, 2000}},
      {"oltre la portata no", {{p{100, 10}}, {p{600, 250}, p{900, 20}}}, {100, 900}},
      {"nessun ordine", {{p{1000, 10}}, {p{500, 10}}}, {}},
      {"nessuna stazione", {}, {}},
  };
  for (const auto& caso : casi) {
    const std::vector<passaggio> scelti = passaggi_in_ordine(caso.stazioni);
    ASSERT_EQ(scelti.size(), caso.lungo.size()) << caso.nome;
    for (size_t k = 0; k < scelti.size(); ++k)
      EXPECT_EQ(scelti[k].lungo, caso.lungo[k]) << caso.nome;
  }
}

TEST(StazioniOsm, LongListsOfIdsShowTheirEndsAndCount) {
  std::vector<id_osm> molti;
  for (id_osm k = 1; k <= 300; ++k) molti.push_back(k);
  EXPECT_EQ(elenco_breve({}), "");
  EXPECT_EQ(elenco_breve({7}), "7");
  EXPECT_EQ(elenco_breve({7, 8, 9}), "7, 8 e 9");
  EXPECT_EQ(elenco_breve(molti), "1, 2, 3, 4, 5, … 296, 297, 298, 299, 300 (300 in tutto)");
}

}  // namespace
}  // namespace scen
