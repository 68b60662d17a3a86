// The stations of real extracts, as their mappers drew them: route
// relations with stop and platform members, stops as railway=stop on the
// track, light rail beside the main line.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "import/estratto_osm.h"
#include "import/importa.h"
#include "import/linea_osm.h"
#include "testing/cartella_temporanea.h"
#include "testing/dati_reali.h"

namespace scen {
namespace {

struct esito {
  int stato = -1;
  std::string errori;
  long lunghezza = 0;
  std::vector<std::pair<std::string, long>> stazioni;
};

esito importa_reale(const std::string& file, long relazione, const std::string& da = "",
                    const std::string& a = "") {
  prova::CartellaTemporanea c;
  richiesta_importa r;
  r.traccia = file;
  r.relazione = relazione;
  r.da = da;
  r.a = a;
  r.uscita = c.file("l.txt");
  r.treno = c.file("t.txt");
  r.json = true;
  std::ostringstream uscita, errori;
  esito e;
  e.stato = importa(r, uscita, errori);
  e.errori = errori.str();
  if (e.stato != 0) return e;
  const nlohmann::json d = nlohmann::json::parse(uscita.str());
  e.lunghezza = d["lunghezza"].get<long>();
  for (const auto& s : d["estratto"]["stazioni"])
    e.stazioni.push_back({s["nome"].get<std::string>(), s["posizione"].get<long>()});
  return e;
}

std::string nomi(const esito& e) {
  std::string s;
  for (const auto& [n, p] : e.stazioni) s += fmt::format("{} a {} m; ", n, p);
  return s;
}

// Every railway route relation of the extract: imported with its stop
// members that the extract holds as its stations, in their order (each
// named stop node's name among them, in order; spaced along the track at
// least as far as their places lie apart, and at most a third more, give
// or take 100 m for the rounding and a station node beside the track), or
// refused naming the node or the ways where it forks or breaks.
void ogni_relazione(const std::string& file, size_t attese) {
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(file, e).riuscito());
  std::map<id_osm, const fermata_osm*> nodi;
  for (const fermata_osm& f : e.fermate)
    if (!f.via) nodi[f.id] = &f;
  const piano_rapido piano(e.luoghi.begin()->second.latitudine);
  size_t ferroviarie = 0;
  for (const relazione_osm& r : e.relazioni) {
    if (r.route != "train" && r.route != "railway") continue;
    ++ferroviarie;
    const esito x = importa_reale(file, r.id);
    if (x.stato != 0) {
      EXPECT_EQ(x.stato, 2) << r.id;
      EXPECT_TRUE(x.errori.find("nodo") != std::string::npos ||
                  x.errori.find("vie") != std::string::npos)
          << r.id << ": " << x.errori;
      continue;
    }
    // The named stop nodes that the extract holds, in the relation's order.
    std::vector<const fermata_osm*> fermate;
    for (const membro_fermata& m : r.fermate) {
      if (m.via || m.banchina || !nodi.count(m.id) || nodi.at(m.id)->nome.empty()) continue;
      const fermata_osm* f = nodi.at(m.id);
      if (std::none_of(fermate.begin(), fermate.end(),
                       [&](const fermata_osm* g) { return g->nome == f->nome; }))
        fermate.push_back(f);
    }
    size_t k = 0;
    long prima = -1;
    const fermata_osm* precedente = nullptr;
    long dove_precedente = 0;
    for (const auto& [nome, posizione] : x.stazioni) {
      EXPECT_GT(posizione, prima) << r.id << ": " << nomi(x);
      prima = posizione;
      if (k < fermate.size() && fermate[k]->nome == nome) {
        if (precedente) {
          const double dritta =
              piano.distanza(precedente->luoghi.front(), fermate[k]->luoghi.front());
          const double lungo = static_cast<double>(posizione - dove_precedente);
          EXPECT_GE(lungo, dritta - 100) << r.id << ": " << nome << " " << nomi(x);
          EXPECT_LE(lungo, dritta * 4 / 3 + 100) << r.id << ": " << nome << " " << nomi(x);
        }
        precedente = fermate[k];
        dove_precedente = posizione;
        ++k;
      }
    }
    EXPECT_EQ(k, fermate.size()) << r.id << ": " << nomi(x);
    if (!x.stazioni.empty()) {
      EXPECT_EQ(x.stazioni.front().second, 0) << r.id;
    }
  }
  EXPECT_EQ(ferroviarie, attese) << file;
}

TEST(DatiRealiStazioni, EveryRailwayRouteOfLiechtensteinImportsWithItsStopsInOrder) {
  SCEN_DATO_REALE(file, "liechtenstein-2015.osm.pbf");
  ogni_relazione(file, 5);
}

TEST(DatiRealiStazioni, EveryRailwayRouteNorthOfBayreuthImportsWithItsStopsInOrder) {
  SCEN_DATO_REALE(file, "gh-north-bayreuth.osm.gz");
  ogni_relazione(file, 4);
}

// What the relations give, stop by stop, as the map has them.
TEST(DatiRealiStazioni, TheRelationsStationsAreTheMappedOnes) {
  const struct {
    const char* file;
    long relazione;
    std::vector<std::string> stazioni;
  } casi[] = {
      // R2 Buchs – Feldkirch: stops, then their platforms (named "1").
      {"liechtenstein-2015.osm.pbf",
       3949667,
       {"Schaan-Vaduz", "Forst Hilti", "Nendeln", "Schaanwald"}},
      {"liechtenstein-2015.osm.pbf",
       3949668,
       {"Schaanwald", "Nendeln", "Forst Hilti", "Schaan-Vaduz"}},
      // The Vorarlberg lines, Nendeln as a station node beside the track.
      {"liechtenstein-2015.osm.pbf",
       3660335,
       {"Schaanwald", "Nendeln", "Forst Hilti", "Schaan-Vaduz"}},
      // A high-speed train with no stop in the country: the whole track.
      {"liechtenstein-2015.osm.pbf", 3654418, {}},
      // Bindlach's stop position has no name: its platform's neighbour's.
      {"gh-north-bayreuth.osm.gz", 416384, {"Bindlach", "Ramsenthal"}},
      {"gh-north-bayreuth.osm.gz", 2207876, {"Ramsenthal", "Bindlach"}},
      // Through a passing loop at Bindlach that lists both its tracks.
      {"gh-north-bayreuth.osm.gz", 130987, {"Harsdorf", "Ramsenthal", "Bindlach"}},
  };
  for (const auto& caso : casi) {
    SCEN_DATO_REALE(file, caso.file);
    const esito x = importa_reale(file, caso.relazione);
    ASSERT_EQ(x.stato, 0) << caso.relazione << ": " << x.errori;
    std::vector<std::string> trovate;
    for (const auto& [nome, posizione] : x.stazioni) trovate.push_back(nome);
    EXPECT_EQ(trovate, caso.stazioni) << caso.relazione << ": " << nomi(x);
  }
}

TEST(DatiRealiStazioni, CologneToBonnByTheNamesOfTheirStops) {
  SCEN_DATO_REALE(file, "orr-cologne-railway.osm.pbf");
  const esito x = importa_reale(file, 0, "Köln Hauptbahnhof", "Bonn Hauptbahnhof");
  ASSERT_EQ(x.stato, 0) << x.errori;
  ASSERT_GE(x.stazioni.size(), 2u);
  EXPECT_EQ(x.stazioni.front(), (std::pair<std::string, long>{"Köln Hauptbahnhof", 0}));
  EXPECT_EQ(x.stazioni.back().first, "Bonn Hauptbahnhof") << nomi(x);
  // About 33 km of track (the places lie 26 km apart).
  EXPECT_GE(x.stazioni.back().second, 31000) << nomi(x);
  EXPECT_LE(x.stazioni.back().second, 36000) << nomi(x);
  // The main line's stops between, in order; none of the light rail's.
  const std::vector<std::string> in_ordine = {"Köln Süd", "Brühl", "Sechtem", "Roisdorf"};
  size_t k = 0;
  for (const auto& [nome, posizione] : x.stazioni) {
    if (k < in_ordine.size() && nome == in_ordine[k]) ++k;
    EXPECT_NE(nome, "Hauptbahnhof") << nomi(x);
  }
  EXPECT_EQ(k, in_ordine.size()) << nomi(x);
  // The other way, the same stations the other way round.
  const esito y = importa_reale(file, 0, "Bonn Hauptbahnhof", "Köln Hauptbahnhof");
  ASSERT_EQ(y.stato, 0) << y.errori;
  ASSERT_EQ(y.stazioni.size(), x.stazioni.size()) << nomi(y);
  for (size_t i = 0; i < x.stazioni.size(); ++i)
    EXPECT_EQ(y.stazioni[i].first, x.stazioni[x.stazioni.size() - 1 - i].first) << nomi(y);
}

TEST(DatiRealiStazioni, ALightRailStopIsNoStationOfTheRailway) {
  SCEN_DATO_REALE(file, "orr-cologne-railway.osm.pbf");
  for (const char* leggera : {"Breslauer Platz/Hauptbahnhof", "Hürth-Hermülheim"}) {
    const esito x = importa_reale(file, 0, "Köln Hauptbahnhof", leggera);
    EXPECT_EQ(x.stato, 2) << leggera;
    EXPECT_NE(x.errori.find(fmt::format("nessuna stazione \"{}\"", leggera)), std::string::npos)
        << x.errori;
  }
}

}  // namespace
}  // namespace scen
