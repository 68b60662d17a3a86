// The import of OpenStreetMap extracts with elevation tiles, measured against
// the known lines the extracts were made from; and a check of the extracts
// and tiles themselves.
#include <fmt/format.h>
#include <gdal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <osmium/handler.hpp>
#include <osmium/io/pbf_input.hpp>
#include <osmium/io/xml_input.hpp>
#include <osmium/visitor.hpp>
#include <set>
#include <sstream>

#include "import/importa.h"
#include "testing/cartella_temporanea.h"
#include "testing/estratti_prova.h"
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

// A known extract in a folder of its own, with the facts it was made from.
struct estratto {
  prova::CartellaTemporanea cartella;
  prova::opzioni_estratto opzioni;
  prova::estratto_noto e;
  std::unique_ptr<prova::posa_linea> posa;

  estratto(const std::string& linea, const std::string& treno, const prova::opzioni_estratto& o)
      : opzioni(o) {
    e = prova::crea_estratto(nota(linea), prova::fatti_del_treno(treno),
                             prova::progressive_della_linea(linea), o, cartella.percorso());
    posa = std::make_unique<prova::posa_linea>(e.linea, o.angolo, o.lat, o.lon);
  }
};

// The carried route's extract and tiles, made once for all the tests that
// use them.
const estratto& portato() {
  static const estratto e(prova::portata("linea"), prova::portata("treno"), {});
  return e;
}

// A short line: 8 km of curves, gradients, a kilometre count with a jump,
// three stations, two changes of the limit and three signals.
const std::string linea_corta = prova::righe({
    "[generale]",
    "lunghezza percorso,    8000",
    "progressiva chilometrica uno,    2500,    10000,    0",
    "progressiva chilometrica due,    5000,    20000,    1",
    "progressiva chilometrica tre,    7000,    7000,    0",
    "[curve]",
    "curvad4,  1000,  600",
    "curvas3,  3150,  800",
    "curvad5,  5800,  500",
    "[pendenze]",
    "pendenza,  0,   4",
    "pendenza,  1800,   12",
    "pendenza,  4000,   -6",
    "pendenza,  6000,   2",
    "[fine]",
});
const std::string treno_corto = prova::righe({
    "[vel_limite]",
    "velocita,   0,    100",
    "velocita,   3000,    80",
    "velocita,   5500,    120",
    "[stazioni]",
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Prato Alto",
    "stazione,    3500,  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   99,  13,18,30, Selva",
    "stazione,    6500,  2,  400,  0, 0, 0,  1,0,0,  0,1,0,    0,   0, 0, 0, Corte Nuova",
    "[segnali]",
    "segnale,    1000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,    4000,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,    6000,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
});

// The short line's extract: a tunnel under a 60 m hill from 2,025 to
// 2,975 m, a bridge over a 35 m valley from 5,025 to 5,375 m, a siding by
// the middle station (on the inside of its curve, where it is shorter than
// the line) and a branch at 4,600 m.
prova::opzioni_estratto opzioni_corte() {
  prova::opzioni_estratto o;
  o.nome = "corta";
  o.gallerie_date = {{2025, 2975, 60, ""}};
  o.ponti_date = {{5025, 5375, 35, "Ponte sul Rio"}};
  o.binari_ogni = 1;
  o.bivio = 4600;
  return o;
}

// ---------------------------------------------------------------------------
// The extracts and tiles themselves.

// What an extract holds, as libosmium reads it.
struct contenuto : osmium::handler::Handler {
  std::map<long long, std::map<std::string, std::string>> tag_nodi;
  std::map<long long, std::vector<long long>> nodi_vie;
  std::map<long long, std::map<std::string, std::string>> tag_vie;
  std::vector<std::pair<long long, std::string>> membri;  // ref, role
  std::map<std::string, std::string> tag_relazione;
  size_t nodi = 0, relazioni = 0;

  void node(const osmium::Node& n) {
    ++nodi;
    for (const osmium::Tag& t : n.tags()) tag_nodi[n.id()][t.key()] = t.value();
  }
  void way(const osmium::Way& w) {
    for (const osmium::NodeRef& r : w.nodes()) nodi_vie[w.id()].push_back(r.ref());
    for (const osmium::Tag& t : w.tags()) tag_vie[w.id()][t.key()] = t.value();
  }
  void relation(const osmium::Relation& r) {
    ++relazioni;
    for (const osmium::RelationMember& m : r.members()) membri.push_back({m.ref(), m.role()});
    for (const osmium::Tag& t : r.tags()) tag_relazione[t.key()] = t.value();
  }
};

contenuto leggi_estratto(const std::string& file) {
  contenuto c;
  osmium::io::Reader lettore(file);
  osmium::apply(lettore, c);
  lettore.close();
  return c;
}

TEST(EstrattiDiProva, TheExtractReadsBackWithOsmiumAsMade) {
  const estratto& p = portato();
  const prova::estratto_noto& e = p.e;
  const contenuto xml = leggi_estratto(e.osm);
  const contenuto pbf = leggi_estratto(e.pbf);
  EXPECT_EQ(xml.nodi, pbf.nodi);
  EXPECT_EQ(xml.nodi_vie, pbf.nodi_vie);
  EXPECT_EQ(xml.tag_nodi, pbf.tag_nodi);
  EXPECT_EQ(xml.tag_vie, pbf.tag_vie);
  EXPECT_EQ(xml.membri, pbf.membri);
  ASSERT_EQ(xml.relazioni, 1u);
  EXPECT_EQ(xml.tag_relazione.at("from"), "Vela");
  EXPECT_EQ(xml.tag_relazione.at("to"), "Nuro Centrale");
  EXPECT_GE(xml.nodi, static_cast<size_t>(e.lunghezza / 25));

  // The relation's ways join end to end into one chain, and the line's
  // nodes (numbered along it) run one way in each of them.
  std::map<long long, int> estremi;
  size_t vie = 0, invertite = 0, mph = 0, avanti = 0, gallerie = 0, ponti = 0, con_nome = 0;
  for (const auto& [ref, ruolo] : xml.membri) {
    if (!xml.nodi_vie.count(ref)) continue;
    ++vie;
    const std::vector<long long>& n = xml.nodi_vie.at(ref);
    ++estremi[n.front()];
    ++estremi[n.back()];
    if (n.front() > n.back()) ++invertite;
    const auto& tag = xml.tag_vie.at(ref);
    EXPECT_EQ(tag.at("railway"), "rail");
    EXPECT_EQ(tag.at("usage"), "main");
    if (tag.count("maxspeed") && tag.at("maxspeed").ends_with(" mph")) ++mph;
    if (tag.count("maxspeed:forward")) ++avanti;
    if (tag.count("tunnel")) ++gallerie;
    if (tag.count("bridge")) ++ponti;
    if (tag.count("bridge:name")) ++con_nome;
    EXPECT_TRUE(tag.count("maxspeed") || tag.count("maxspeed:forward")) << ref;
  }
  EXPECT_EQ(vie, e.vie.size());
  EXPECT_GE(vie, static_cast<size_t>(e.lunghezza / 3000));
  size_t capi = 0;
  for (const auto& [nodo, volte] : estremi) {
    EXPECT_LE(volte, 2) << nodo;
    if (volte == 1) ++capi;
  }
  EXPECT_EQ(capi, 2u);
  EXPECT_GT(invertite, vie / 10);
  EXPECT_LT(invertite, vie / 2);
  EXPECT_EQ(mph, 1u);
  EXPECT_GE(avanti, 3u);
  EXPECT_GE(gallerie, e.gallerie.size());
  EXPECT_GE(ponti, e.ponti.size());
  EXPECT_GE(con_nome, 1u);
  EXPECT_GE(e.gallerie.size(), 3u);
  EXPECT_GE(e.ponti.size(), 2u);

  // Each signal faces the line's direction in its way, the distractors the
  // other; the milestones and stations are all there.
  std::map<long long, bool> al_contrario;
  for (const auto& [id, nodi] : xml.nodi_vie)
    if (xml.tag_vie.at(id).count("usage") && xml.tag_vie.at(id).at("usage") == "main")
      for (long long n : nodi) al_contrario[n] = nodi.front() > nodi.back();
  size_t concordi = 0, discordi = 0, cippi = 0, stazioni = 0, virgole = 0;
  for (const auto& [id, tag] : xml.tag_nodi) {
    const std::string tipo = tag.count("railway") ? tag.at("railway") : "";
    if (tipo == "signal" && al_contrario.count(id) && id < 2000000) {
      const bool avanti_segnale = tag.at("railway:signal:direction") == "forward";
      (avanti_segnale != al_contrario.at(id) ? concordi : discordi)++;
    }
    if (tipo == "milestone") {
      ++cippi;
      if (tag.at("railway:position").find(',') != std::string::npos) ++virgole;
    }
    if (tipo == "station" || tipo == "halt") ++stazioni;
  }
  EXPECT_EQ(concordi, e.segnali.size());
  EXPECT_GE(discordi, 3u);
  EXPECT_EQ(cippi, e.cippi.size());
  EXPECT_GE(virgole, 10u);
  EXPECT_EQ(stazioni, e.stazioni.size() + 2);  // with the branch's and the other line's
  EXPECT_FALSE(e.stazione_ramo.empty());
  EXPECT_FALSE(e.stazione_altra.empty());
}

TEST(EstrattiDiProva, MilestonesFollowTheKilometreCounts) {
  const std::vector<prova::progressiva_nota> p =
      prova::progressive_della_linea(prova::portata("linea"));
  const std::vector<prova::cippo_noto> c = prova::cippi_di(p, 334000);
  for (const prova::cippo_noto& k : c)
    EXPECT_DOUBLE_EQ(prova::marcatura(p, static_cast<double>(k.posizione)),
                     static_cast<double>(k.metri))
        << k.posizione;
  auto dove = [&](long metri, long dopo) {
    for (const prova::cippo_noto& k : c)
      if (k.metri == metri && k.posizione >= dopo) return k.posizione;
    return -1L;
  };
  // Before the first count, the position; then its jumps.
  EXPECT_EQ(dove(31000, 0), 31000);
  EXPECT_EQ(dove(32000, 0), -1);
  EXPECT_EQ(dove(35000, 0), 31950);
  EXPECT_EQ(dove(287000, 0), 283950);
  EXPECT_EQ(dove(0, 1), 284500);
  EXPECT_EQ(dove(31000, 300000), 315500);
  EXPECT_EQ(dove(96000, 300000), 316050);
  EXPECT_EQ(dove(79000, 300000), 333050);
  EXPECT_EQ(c.back().posizione, 333050);
}

// The rail's height back from the tiles, through GDAL, away from tunnels and
// bridges; the hills over the tunnels and the valleys under the bridges.
TEST(EstrattiDiProva, TheTilesHoldTheRailsHeightWithHillsAndValleys) {
  const estratto& p = portato();
  const prova::estratto_noto& e = p.e;
  const prova::quote_lette q(e.tessere);
  for (const auto* v : {&e.gallerie, &e.ponti})
    for (const prova::tratto_noto& t : *v)
      fmt::print("{} da {} a {} m{}\n", v == &e.gallerie ? "galleria" : "ponte", t.inizio, t.fine,
                 t.incrocio ? ", dove la linea passa su se stessa"
                            : fmt::format(", {:.0f} m {}", t.altezza,
                                          v == &e.gallerie ? "di colle" : "di valle"));
  fmt::print("{} tessere\n", e.tessere.size());
  EXPECT_EQ(q.tessere(), e.tessere.size());
  EXPECT_GE(e.tessere.size(), 20u);
  auto vicino_a = [&](long m, long margine) {
    for (const auto* v : {&e.gallerie, &e.ponti})
      for (const prova::tratto_noto& t : *v)
        if (m > t.inizio - margine && m < t.fine + margine) return true;
    return false;
  };
  auto quota = [&](long m) {
    double lat = 0, lon = 0;
    p.posa->globo(p.posa->punto(static_cast<double>(m)), lat, lon);
    return q.quota(lat, lon);
  };
  double massimo = 0, somma = 0;
  size_t n = 0;
  for (long m = 0; m <= e.lunghezza; m += 10) {
    if (vicino_a(m, 100)) continue;
    const double d = quota(m) - e.linea.quote[static_cast<size_t>(m)];
    ASSERT_FALSE(std::isnan(d)) << m;
    massimo = std::max(massimo, std::abs(d));
    somma += std::abs(d);
    ++n;
  }
  EXPECT_LE(massimo, 4.0);
  EXPECT_LE(somma / static_cast<double>(n), 1.0);
  for (const prova::tratto_noto& g : e.gallerie) {
    if (g.incrocio) continue;
    const long mezzo = (g.inizio + g.fine) / 2;
    EXPECT_NEAR(quota(mezzo) - e.linea.quote[static_cast<size_t>(mezzo)], g.altezza, 4) << mezzo;
  }
  for (const prova::tratto_noto& b : e.ponti) {
    if (b.incrocio) continue;
    const long mezzo = (b.inizio + b.fine) / 2;
    EXPECT_NEAR(quota(mezzo) - e.linea.quote[static_cast<size_t>(mezzo)], -b.altezza, 4) << mezzo;
  }
}

TEST(EstrattiDiProva, HgtTilesAreSrtmTilesThatGdalReads) {
  prova::opzioni_estratto o = opzioni_corte();
  o.geotiff = false;
  o.hgt = true;
  const estratto p(linea_corta, treno_corto, o);
  ASSERT_EQ(p.e.tessere.size(), 1u);
  EXPECT_EQ(std::filesystem::path(p.e.tessere[0]).filename(), "N44E010.hgt");
  EXPECT_EQ(std::filesystem::file_size(p.e.tessere[0]), 2u * 1201 * 1201);
  GDALAllRegister();
  GDALDatasetH d = GDALOpen(p.e.tessere[0].c_str(), GA_ReadOnly);
  ASSERT_NE(d, nullptr);
  double g[6];
  GDALGetGeoTransform(d, g);
  EXPECT_NEAR(g[0], 10 - 0.5 / 1200, 1e-9);
  EXPECT_NEAR(g[3], 45 + 0.5 / 1200, 1e-9);
  EXPECT_NEAR(g[1], 1.0 / 1200, 1e-12);
  // The pixel nearest each kilometre of the line, away from the tunnel and
  // the bridge, holds the rail's height there within the noise and the
  // pixel's 90 m.
  for (long m : {0L, 1000L, 4000L, 7000L, 8000L}) {
    double lat = 0, lon = 0;
    p.posa->globo(p.posa->punto(static_cast<double>(m)), lat, lon);
    const int colonna = static_cast<int>(std::lround((lon - 10) * 1200));
    const int riga = static_cast<int>(std::lround((45 - lat) * 1200));
    int16_t v = 0;
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(d, 1), GF_Read, colonna, riga, 1, 1, &v, 1, 1,
                           GDT_Int16, 0, 0),
              CE_None);
    EXPECT_NEAR(v, p.e.linea.quote[static_cast<size_t>(m)], 5) << m;
  }
  GDALClose(d);
}

// ---------------------------------------------------------------------------
// The import, measured.

struct misure {
  int stato = -1;
  std::string uscita, errori;
  std::string linea, treno;  // the descriptions written
  double lunghezza = 0;
  prova::scarto_piani piano;
  double pendenze_entro_1 = 0, limite_pendenze = 0;
  size_t record_pendenze = 0;
  double quota_massima = 0, quota_media = 0;
  size_t stazioni = 0, stazioni_in_ordine = 0;
  double stazione_massima = 0;
  size_t segnali = 0, segnali_entro_30 = 0;
  double velocita_giuste = 0;
  double cippi_giusti = 0;
  size_t cartelli_cippo = 0, cartelli_cippo_giusti = 0;
  size_t ponti_con_cartello = 0;  // of the named bridges
  bool letto_senza_errori = false;
  nlohmann::json resoconto;    // what the import printed with --json
  std::vector<long long> vie;  // the ways it took, in order
};

// The share of cells whose gradient, fitted by least squares to the tiles'
// heights along each stretch of one true gradient, is within 1 per mille:
// the most a fit of the tiles' heights can give. Heights are sampled every
// 5 m along the true line, bilinear, and bridged straight across tunnels
// and bridges from their ends.
double limite_pendenze(const estratto& p) {
  const prova::estratto_noto& e = p.e;
  const prova::quote_lette q(e.tessere);
  std::vector<double> h;
  for (long m = 0; m <= e.lunghezza; m += 5) {
    double lat = 0, lon = 0;
    p.posa->globo(p.posa->punto(static_cast<double>(m)), lat, lon);
    h.push_back(q.quota(lat, lon));
  }
  for (const auto* v : {&e.gallerie, &e.ponti})
    for (const prova::tratto_noto& t : *v) {
      const size_t a = static_cast<size_t>(t.inizio / 5), b = static_cast<size_t>(t.fine / 5);
      for (size_t k = a + 1; k < b; ++k)
        h[k] = h[a] + (h[b] - h[a]) * static_cast<double>(k - a) / static_cast<double>(b - a);
    }
  const std::vector<int>& g = e.linea.pendenze;
  size_t buone = 0;
  for (size_t c = 0; c < g.size();) {
    size_t fine = c;
    while (fine < g.size() && g[fine] == g[c]) ++fine;
    double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
    for (size_t k = c * 10; k <= fine * 10 && k < h.size(); ++k) {
      if (std::isnan(h[k])) continue;
      const double x = static_cast<double>(k) * 5;
      sx += x;
      sy += h[k];
      sxx += x * x;
      sxy += x * h[k];
      n += 1;
    }
    const double pendenza = (n * sxy - sx * sy) / (n * sxx - sx * sx) * 1000;
    if (std::abs(std::lround(pendenza) - g[c]) <= 1) buone += fine - c;
    c = fine;
  }
  return static_cast<double>(buone) / static_cast<double>(g.size());
}

size_t conta(const std::string& testo, const std::string& inizio) {
  size_t n = 0;
  for (const std::string& r : prova::righe_testo(testo))
    if (r.starts_with(inizio)) ++n;
  return n;
}

// Imports `r` (the files named within the extract's folder) and measures
// the descriptions written against the extract's truth.
misure importa_e_misura(const estratto& p, richiesta_importa r) {
  const prova::estratto_noto& e = p.e;
  misure m;
  r.uscita = p.cartella.file("importata_linea.txt");
  r.treno = p.cartella.file("importata_treno.txt");
  r.json = true;
  std::ostringstream uscita, errori;
  m.stato = importa(r, uscita, errori);
  m.uscita = uscita.str();
  m.errori = errori.str();
  if (m.stato != 0) return m;
  m.resoconto = nlohmann::json::parse(m.uscita, nullptr, false);
  if (m.resoconto.contains("estratto") && m.resoconto["estratto"].contains("vie"))
    for (const auto& v : m.resoconto["estratto"]["vie"]) m.vie.push_back(v.get<long long>());
  m.linea = prova::leggi(r.uscita);
  m.treno = prova::leggi(r.treno);
  {
    prova::Lettura l(1);
    l.leggi(m.linea, m.treno);
    m.letto_senza_errori = l.m.errore_codice == esito::nessuno;
  }
  const prova::linea_nota importata = nota(m.linea);
  m.lunghezza = static_cast<double>(importata.lunghezza);
  m.piano = prova::confronta(e.linea.piano, importata.piano);
  const std::vector<long> dove = prova::corrispondenza(e.linea.piano, importata.piano);
  auto vero = [&](double metro) {
    return dove[std::min(static_cast<size_t>(std::max(metro, 0.0)), dove.size() - 1)];
  };

  // Gradients and heights, cell by cell and metre by metre at the same
  // places of the known line.
  size_t buone = 0;
  for (size_t c = 0; c < importata.pendenze.size(); ++c) {
    const size_t k = static_cast<size_t>(vero(static_cast<double>(c) * 50 + 25) / 50);
    if (std::abs(importata.pendenze[c] -
                 e.linea.pendenze[std::min(k, e.linea.pendenze.size() - 1)]) <= 1)
      ++buone;
  }
  m.pendenze_entro_1 = static_cast<double>(buone) / static_cast<double>(importata.pendenze.size());
  m.limite_pendenze = limite_pendenze(p);
  m.record_pendenze = conta(m.linea, "pendenza,");
  double somma = 0;
  for (size_t j = 0; j < importata.quote.size(); ++j) {
    const double d = std::abs(
        (importata.quote[j] - importata.quote[0]) -
        (e.linea.quote[static_cast<size_t>(vero(static_cast<double>(j)))] - e.linea.quote[0]));
    m.quota_massima = std::max(m.quota_massima, d);
    somma += d;
  }
  m.quota_media = somma / static_cast<double>(importata.quote.size());

  // Stations in order by name, each within 50 m.
  const prova::fatti_treno f = prova::fatti_del_treno(m.treno);
  m.stazioni = f.stazioni.size();
  for (size_t k = 0; k < std::min(f.stazioni.size(), e.stazioni.size()); ++k) {
    if (f.stazioni[k].nome != e.stazioni[k].nome) continue;
    const double d = std::abs(static_cast<double>(
        vero(static_cast<double>(f.stazioni[k].posizione)) - e.stazioni[k].posizione));
    m.stazione_massima = std::max(m.stazione_massima, d);
    if (d <= 50) ++m.stazioni_in_ordine;
  }

  // Each true signal with an imported one within 30 m.
  m.segnali = f.segnali.size();
  for (long s : e.segnali)
    for (long t : f.segnali)
      if (std::abs(static_cast<double>(vero(static_cast<double>(t)) - s)) <= 30) {
        ++m.segnali_entro_30;
        break;
      }

  // The limit, cell by cell, away from the true changes.
  size_t celle = 0, giuste = 0;
  for (long c = 0; c * 50 + 25 < importata.lunghezza; ++c) {
    const double centro = static_cast<double>(c * 50 + 25);
    const double t = static_cast<double>(vero(centro));
    bool lontano = true;
    for (const prova::limite_noto& v : e.velocita)
      if (v.posizione > 0 && std::abs(static_cast<double>(v.posizione) - t) <= 200) lontano = false;
    if (!lontano) continue;
    ++celle;
    if (prova::limite_a(f.velocita, centro) == prova::limite_a(e.velocita, t)) ++giuste;
  }
  m.velocita_giuste = static_cast<double>(giuste) / static_cast<double>(std::max<size_t>(celle, 1));

  // The milestones: where the imported counts give a milestone's marking,
  // that place is within 100 m of the milestone.
  const std::vector<prova::progressiva_nota> pi = prova::progressive_della_linea(m.linea);
  size_t trovati = 0;
  for (const prova::cippo_noto& c : e.cippi) {
    std::vector<double> posti = {static_cast<double>(c.metri)};
    for (const prova::progressiva_nota& q : pi)
      posti.push_back(q.decrescente ? static_cast<double>(q.scostamento - c.metri)
                                    : static_cast<double>(c.metri - q.scostamento));
    for (double x : posti)
      if (x >= 0 && x <= m.lunghezza &&
          std::abs(prova::marcatura(pi, x) - static_cast<double>(c.metri)) < 0.5 &&
          std::abs(static_cast<double>(vero(x) - c.posizione)) <= 100) {
        ++trovati;
        break;
      }
  }
  m.cippi_giusti = static_cast<double>(trovati) / static_cast<double>(e.cippi.size());

  // The signposts: each kilometre sign near a milestone of its kilometre
  // (within the 200 m that a sign may move to a free cell), a sign near
  // the start of each named bridge.
  for (const std::string& riga : prova::righe_testo(m.linea)) {
    const std::vector<std::string> c = prova::campi_record(riga);
    if (c[0] != "cartello_indicatore" || c.size() < 3) continue;
    const double posto = static_cast<double>(vero(std::stod(c[1])));
    const size_t km = c[2].find("(Km ");
    if (c[2].starts_with("(  Cippo  )") && km != std::string::npos) {
      ++m.cartelli_cippo;
      const long metri = std::stol(c[2].substr(km + 4)) * 1000;
      for (const prova::cippo_noto& k : e.cippi)
        if (k.metri == metri && std::abs(static_cast<double>(k.posizione) - posto) <= 250) {
          ++m.cartelli_cippo_giusti;
          break;
        }
    }
    for (const prova::tratto_noto& b : e.ponti)
      if (!b.nome.empty() && c[2].starts_with("(Ponte)(" + b.nome.substr(0, 8)) &&
          std::abs(static_cast<double>(b.inizio) - posto) <= 250)
        ++m.ponti_con_cartello;
  }
  return m;
}

void stampa(const std::string& come, const misure& m) {
  fmt::print(
      "{}: lunghezza {:.0f} m, piano entro {:.1f} m (media {:.2f}), {:.1f}% delle celle entro 1 "
      "per mille (limite {:.1f}%), {} pendenze, quote entro {:.1f} m (media {:.2f}), stazioni "
      "{} in ordine (entro {:.0f} m), segnali {} di cui {} entro 30 m, velocita giuste {:.1f}%, "
      "cippi giusti {:.1f}%, cartelli dei chilometri {} di cui {} giusti, {} cartelli di ponti\n",
      come, m.lunghezza, m.piano.massimo, m.piano.medio, 100 * m.pendenze_entro_1,
      100 * m.limite_pendenze, m.record_pendenze, m.quota_massima, m.quota_media,
      m.stazioni_in_ordine, m.stazione_massima, m.segnali, m.segnali_entro_30,
      100 * m.velocita_giuste, 100 * m.cippi_giusti, m.cartelli_cippo, m.cartelli_cippo_giusti,
      m.ponti_con_cartello);
}

// The goal on the carried route from an extract and tiles with a metre of
// noise.
void entro_l_obiettivo(const estratto& p, const misure& m) {
  const prova::estratto_noto& e = p.e;
  ASSERT_EQ(m.stato, 0) << m.errori;
  EXPECT_TRUE(m.letto_senza_errori);
  EXPECT_NEAR(m.lunghezza, static_cast<double>(e.lunghezza), 100);
  EXPECT_LE(m.piano.massimo, 25) << "al metro " << m.piano.dove;
  EXPECT_LE(m.piano.medio, 5);
  EXPECT_GE(m.pendenze_entro_1, 0.95 * m.limite_pendenze);
  EXPECT_GE(m.pendenze_entro_1, 0.80);
  EXPECT_LE(m.quota_massima, 10);
  EXPECT_LE(m.quota_media, 3);
  EXPECT_LE(m.record_pendenze, 300u);
  EXPECT_EQ(m.stazioni, e.stazioni.size());
  EXPECT_EQ(m.stazioni_in_ordine, e.stazioni.size());
  EXPECT_EQ(m.segnali, e.segnali.size());
  EXPECT_EQ(m.segnali_entro_30, e.segnali.size());
  EXPECT_GE(m.velocita_giuste, 0.98);
  EXPECT_GE(m.cippi_giusti, 0.98);
  EXPECT_EQ(m.vie, e.vie);
  // The kilometre signs share 80 records with the 45 stations and the
  // bridges' signs: every 50 km of the counts here.
  EXPECT_GE(m.cartelli_cippo, 4u);
  EXPECT_GE(static_cast<double>(m.cartelli_cippo_giusti),
            0.98 * static_cast<double>(m.cartelli_cippo));
  EXPECT_EQ(m.ponti_con_cartello, 2u);
}

// By the route relation, from the XML extract. The import as it stands
// reaches: length 334,000 m; the plan within 7.3 m (2.66 m on average);
// 93.6% of the cells within 1 per mille against 97.4% for the true
// stretches fitted to the same tiles' heights (ratio 0.961); 119 gradient
// records; heights within 2.1 m (0.49 m on average); the 45 stations in
// order within 23 m; the 179 signals within 30 m and none of the
// distractors; the limit right in 100% of the cells away from a change; the
// counts right at 100% of the 334 milestones. The same figures by station
// names from the PBF extract. With ten other seeds and angles (three of
// them in the test below): 93.2% to 94.8% of the cells against 96.6% to
// 98.6% (ratio 0.954 to 0.974), 114 to 121 records, the plan within 7.0 to
// 13.0 m, heights within 1.3 to 3.8 m.
TEST(ImportaEstratto, TheCarriedRouteByItsRelationComesBackWithinTheGoal) {
  const estratto& p = portato();
  richiesta_importa r;
  r.traccia = p.e.osm;
  r.relazione = p.e.relazione;
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  stampa("relazione", m);
  entro_l_obiettivo(p, m);
  // The two descriptions verify with no error and compile.
  const prova::Esito v = prova::esegui(
      std::string(SCEN_SCENARIO) + " verifica importata_linea.txt importata_treno.txt",
      p.cartella.percorso());
  EXPECT_EQ(v.stato, 0) << v.uscita << v.errori;
  EXPECT_EQ(v.uscita, "0 errori, 0 avvisi\n");
  std::filesystem::create_directory(p.cartella.file("compilato"));
  const prova::Esito c = prova::esegui(
      std::string(SCEN_SCENARIO) + " compila importata_linea.txt importata_treno.txt compilato",
      p.cartella.percorso());
  EXPECT_EQ(c.stato, 0) << c.uscita << c.errori;
  EXPECT_EQ(prova::righe_testo(c.uscita).front(), "esito errore_codice=0 errore_posizione=0")
      << c.uscita;
}

// By the names of the stations at its ends, from the PBF extract.
TEST(ImportaEstratto, TheCarriedRouteByStationNamesComesBackWithinTheGoal) {
  const estratto& p = portato();
  richiesta_importa r;
  r.traccia = p.e.pbf;
  r.da = p.e.stazioni.front().nome;
  r.a = p.e.stazioni.back().nome;
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  stampa("stazioni", m);
  entro_l_obiettivo(p, m);
}

// The carried route laid with other seeds and angles: the nodes' noise, the
// tunnels and bridges, the tiles and the ways' cuts all differ, and the
// spiral turns another way on the tiles; with seed 7 a bridge of 2,750 m
// spans a change of gradient, which the heights at its ends alone must
// place. The import as it stands reaches, in the three cases: the plan
// within 7.0 to 7.7 m (2.4 on average); 93.2% to 94.8% of the cells within
// 1 per mille against 96.6% to 98.6% (ratio 0.960 to 0.968); heights
// within 1.3 to 3.8 m; the 45 stations in order within 26 m; the 179
// signals within 30 m; the limit and the counts right everywhere.
TEST(ImportaEstratto, TheCarriedRouteLaidOtherwiseComesBackWithinTheGoal) {
  const struct {
    uint64_t seme;
    double angolo;
    bool per_nomi;
  } casi[] = {{2, 90, false}, {7, 200, true}, {13, 310, false}};
  for (const auto& c : casi) {
    prova::opzioni_estratto o;
    o.seme = c.seme;
    o.seme_vie = c.seme + 1;
    o.angolo = c.angolo;
    const estratto p(prova::portata("linea"), prova::portata("treno"), o);
    richiesta_importa r;
    if (c.per_nomi) {
      r.traccia = p.e.pbf;
      r.da = p.e.stazioni.front().nome;
      r.a = p.e.stazioni.back().nome;
    } else {
      r.traccia = p.e.osm;
      r.relazione = p.e.relazione;
    }
    r.quote = {p.e.cartella_quote};
    const std::string caso =
        fmt::format("seme {} angolo {}{}", c.seme, c.angolo, c.per_nomi ? " per nomi" : "");
    const misure m = importa_e_misura(p, r);
    stampa(caso, m);
    SCOPED_TRACE(caso);
    entro_l_obiettivo(p, m);
  }
}

// The short line's checks: its plan, length and stations.
void come_la_linea_corta(const estratto& p, const misure& m, const std::string& caso) {
  ASSERT_EQ(m.stato, 0) << caso << ": " << m.errori;
  EXPECT_NEAR(m.lunghezza, 8000, 50) << caso;
  EXPECT_LE(m.piano.massimo, 25) << caso;
  EXPECT_LE(m.piano.medio, 5) << caso;
  EXPECT_EQ(m.stazioni_in_ordine, p.e.stazioni.size()) << caso;
  EXPECT_EQ(m.segnali_entro_30, p.e.segnali.size()) << caso;
  EXPECT_EQ(m.segnali, p.e.segnali.size()) << caso;
  EXPECT_EQ(m.vie, p.e.vie) << caso;
  for (long long v : p.e.vie_distrattori)
    EXPECT_EQ(std::count(m.vie.begin(), m.vie.end(), v), 0) << caso << ": " << v;
}

// The same nodes cut into ways otherwise, reversed otherwise and in another
// order give the same line; and so does the path between the end stations.
TEST(ImportaEstratto, WaysInAnyOrderAndDirectionGiveOneLine) {
  const struct {
    uint64_t seme_vie;
    double invertite;
    bool per_nomi;
  } casi[] = {{1, 0, false}, {2, 0.3, false}, {3, 1, false}, {4, 0.5, true}};
  std::string prima;
  for (const auto& c : casi) {
    prova::opzioni_estratto o = opzioni_corte();
    o.seme_vie = c.seme_vie;
    o.invertite = c.invertite;
    const estratto p(linea_corta, treno_corto, o);
    richiesta_importa r;
    r.traccia = c.per_nomi ? p.e.pbf : p.e.osm;
    if (c.per_nomi) {
      r.da = "Prato Alto";
      r.a = "Corte Nuova";
    } else {
      r.relazione = p.e.relazione;
    }
    r.quote = {p.e.cartella_quote};
    const misure m = importa_e_misura(p, r);
    const std::string caso = fmt::format("vie {} invertite {}", c.seme_vie, c.invertite);
    come_la_linea_corta(p, m, caso);
    if (prima.empty())
      prima = m.linea;
    else
      EXPECT_EQ(m.linea, prima) << caso;
  }
}

// By station names the path runs along the main line past the siding (which
// is shorter, on the inside of the curve) and leaves the branch alone.
TEST(ImportaEstratto, ThePathByStationNamesPassesTheSidingAndLeavesTheBranch) {
  const estratto p(linea_corta, treno_corto, opzioni_corte());
  ASSERT_GE(p.e.metro_bivio, 0);
  ASSERT_FALSE(p.e.stazione_ramo.empty());
  richiesta_importa r;
  r.traccia = p.e.pbf;
  r.da = "Prato Alto";
  r.a = "Corte Nuova";
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  come_la_linea_corta(p, m, "per nomi");
  EXPECT_EQ(m.treno.find(p.e.stazione_ramo), std::string::npos);
  EXPECT_EQ(m.treno.find(p.e.stazione_altra), std::string::npos);
}

// Heights through the tunnel follow the rail, not the 60 m hill over it, and
// over the bridge the rail, not the valley under it: from SRTM tiles.
TEST(ImportaEstratto, TunnelsAndBridgesAreBridgedFromTheirEnds) {
  prova::opzioni_estratto o = opzioni_corte();
  o.geotiff = false;
  o.hgt = true;
  const estratto p(linea_corta, treno_corto, o);
  richiesta_importa r;
  r.traccia = p.e.osm;
  r.relazione = p.e.relazione;
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  come_la_linea_corta(p, m, "gallerie");
  EXPECT_LE(m.quota_massima, 6);
  EXPECT_LE(m.quota_media, 2);
  // Both reported where they are, the bridge by its name, which also gives
  // a signpost.
  ASSERT_TRUE(m.resoconto["estratto"].contains("strutture")) << m.uscita;
  const nlohmann::json& s = m.resoconto["estratto"]["strutture"];
  ASSERT_EQ(s.size(), 2u) << s.dump();
  EXPECT_NEAR(s[0]["inizio"].get<double>(), 2025, 50) << s.dump();
  EXPECT_NEAR(s[0]["fine"].get<double>(), 2975, 50) << s.dump();
  EXPECT_NEAR(s[1]["inizio"].get<double>(), 5025, 50) << s.dump();
  EXPECT_NEAR(s[1]["fine"].get<double>(), 5375, 50) << s.dump();
  EXPECT_EQ(s[1]["nome"], "Ponte sul Rio") << s.dump();
  EXPECT_EQ(m.ponti_con_cartello, 1u);
  // The same with the tiles named one by one, as GeoTIFF.
  prova::opzioni_estratto g = opzioni_corte();
  const estratto q(linea_corta, treno_corto, g);
  r.traccia = q.e.osm;
  r.quote = q.e.tessere;
  const misure n = importa_e_misura(q, r);
  come_la_linea_corta(q, n, "gallerie, GeoTIFF");
  EXPECT_LE(n.quota_massima, 6);
  EXPECT_LE(n.quota_media, 2);
}

// A tunnel that the line's start cuts (its other end 600 m on, under a hill
// 40 m high): there is no outside before it, so its heights are those
// outside its far end carried on level, not the hill's above it; the same
// for a bridge that runs to the line's end.
TEST(ImportaEstratto, AStructureAtTheLinesEndTakesItsHeightsFromItsOtherEnd) {
  prova::opzioni_estratto o = opzioni_corte();
  o.gallerie_date = {{-400, 600, 40, ""}};
  o.ponti_date = {{7600, 8400, 30, ""}};
  const estratto p(linea_corta, treno_corto, o);
  richiesta_importa r;
  r.traccia = p.e.osm;
  r.relazione = p.e.relazione;
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  come_la_linea_corta(p, m, "strutture ai capi");
  EXPECT_LE(m.quota_massima, 6);
  EXPECT_LE(m.quota_media, 2);
}

// GeoTIFF tiles laid edge to edge, each pixel's edges on whole arc-seconds
// (360 x 360 pixels for 0.1 degrees): within half a pixel of a tile's edge
// the four pixels about a point lie in two tiles or four, and the heights
// are still there. The short line crosses the edges at 44.2 and 10.9.
TEST(ImportaEstratto, TilesLaidEdgeToEdgeGiveHeightsAcrossTheirEdges) {
  prova::opzioni_estratto o = opzioni_corte();
  o.bordi_comuni = false;
  const estratto p(linea_corta, treno_corto, o);
  ASSERT_EQ(p.e.tessere.size(), 4u);
  // The four tiles together cover the whole line.
  const prova::quote_lette q(p.e.tessere);
  for (long metro = 0; metro <= p.e.lunghezza; metro += 5) {
    double lat = 0, lon = 0;
    p.posa->globo(p.posa->punto(static_cast<double>(metro)), lat, lon);
    ASSERT_FALSE(std::isnan(q.quota(lat, lon))) << metro;
  }
  richiesta_importa r;
  r.traccia = p.e.osm;
  r.relazione = p.e.relazione;
  r.quote = {p.e.cartella_quote};
  const misure m = importa_e_misura(p, r);
  come_la_linea_corta(p, m, "tessere affiancate");
  EXPECT_LE(m.quota_massima, 6);
}

// Each bad input fails with status 2 and a message that names it.
TEST(ImportaEstratto, BadInputsFailNamingTheFileRelationStationOrWay) {
  const estratto p(linea_corta, treno_corto, opzioni_corte());
  prova::opzioni_estratto o = opzioni_corte();
  o.nome = "lacuna";
  o.togli_via = 4000;
  o.geotiff = false;
  const estratto lacuna(linea_corta, treno_corto, o);
  o = opzioni_corte();
  o.nome = "mezza";
  o.lato_tessera = 36;
  o.quote_fino_a = 2500;
  const estratto mezza(linea_corta, treno_corto, o);
  const std::string non_osm = p.cartella.file("non_osm.osm");
  prova::scrivi(non_osm, "lat,lon\n44.2,10.9\n");

  // The ways beside the one left out of the relation, and itself.
  std::vector<std::string> vie_lacuna;
  {
    const contenuto c = leggi_estratto(lacuna.e.osm);
    std::set<long long> membri;
    for (const auto& [ref, ruolo] : c.membri) membri.insert(ref);
    for (size_t k = 0; k < lacuna.e.vie.size(); ++k)
      if (!membri.count(lacuna.e.vie[k])) {
        vie_lacuna.push_back(std::to_string(lacuna.e.vie[k]));
        if (k > 0) vie_lacuna.push_back(std::to_string(lacuna.e.vie[k - 1]));
        if (k + 1 < lacuna.e.vie.size()) vie_lacuna.push_back(std::to_string(lacuna.e.vie[k + 1]));
      }
    ASSERT_EQ(vie_lacuna.size(), 3u);
  }

  struct caso {
    std::string nome;
    richiesta_importa r;
    std::vector<std::string> uno_di;  // the message names one of these
  };
  std::vector<caso> casi;
  {
    caso c{"non OSM", {}, {"non_osm.osm"}};
    c.r.traccia = non_osm;
    c.r.relazione = p.e.relazione;
    casi.push_back(c);
  }
  {
    caso c{"nessuna relazione", {}, {"999"}};
    c.r.traccia = p.e.osm;
    c.r.relazione = 999;
    casi.push_back(c);
  }
  {
    caso c{"nessuna stazione", {}, {"Borgo Nessuno"}};
    c.r.traccia = p.e.pbf;
    c.r.da = "Prato Alto";
    c.r.a = "Borgo Nessuno";
    casi.push_back(c);
  }
  {
    caso c{"lacuna", {}, vie_lacuna};
    c.r.traccia = lacuna.e.osm;
    c.r.relazione = lacuna.e.relazione;
    casi.push_back(c);
  }
  {
    // Tiles up to about 3 km of the line's 8: no heights past them; the
    // message names the tiles given.
    caso c{"quote finite", {}, {mezza.e.cartella_quote}};
    c.r.traccia = mezza.e.osm;
    c.r.relazione = mezza.e.relazione;
    c.r.quote = {mezza.e.cartella_quote};
    casi.push_back(c);
  }
  for (caso& c : casi) {
    c.r.uscita = p.cartella.file("l.txt");
    c.r.treno = p.cartella.file("t.txt");
    std::ostringstream uscita, errori;
    EXPECT_EQ(importa(c.r, uscita, errori), 2) << c.nome;
    EXPECT_FALSE(errori.str().empty()) << c.nome;
    bool nominato = false;
    for (const std::string& s : c.uno_di)
      if (errori.str().find(s) != std::string::npos) nominato = true;
    EXPECT_TRUE(nominato) << c.nome << ": " << errori.str();
  }
}

}  // namespace
}  // namespace scen
