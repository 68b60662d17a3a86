// The picture of the carried scenario and of small ones: what it shows and
// that it is well formed.
#include "draw/disegno.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "draw/marcia_scena.h"
#include "draw/pagina.h"
#include "draw/profilo_bande.h"
#include "draw/scena.h"
#include "draw/stile.h"
#include "draw/svg.h"
#include "marcia/orario.h"
#include "read/vista.h"
#include "testing/prova_lettura.h"
#include "testing/xml_minimo.h"

namespace scen {
namespace {

using prova::nodo_xml;

// The carried scenario, read once for all the tests of this file.
class DisegnoPortato : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto lettura = std::make_unique<prova::Lettura>(1);
    lettura->leggi(prova::portata("linea"), prova::portata("treno"));
    ASSERT_EQ(lettura->m.errore_codice, esito::nessuno);
    s_ = new scena;
    ASSERT_TRUE(scena_da_modello(lettura->m, *s_).riuscito());
    // The view keeps pieces of the text: the text outlives it.
    const std::string linea = prova::portata("linea");
    const descrizione_vista vista = vedi_linea(linea);
    marcia_in_scena(marcia_del_modello(lettura->m, &vista, nullptr, margine_normale), *s_);
    d_ = new disegno(disegna_scena(*s_));
    svg_ = prova::leggi_xml(d_->svg).release();
  }
  static void TearDownTestSuite() {
    delete s_;
    delete d_;
    delete svg_;
  }
  static const nodo_xml& elemento(const std::string& id) {
    const nodo_xml* n = svg_->con_id(id);
    if (n == nullptr) throw std::runtime_error("nessun elemento con id " + id);
    return *n;
  }
  static std::size_t quanti(const nodo_xml& n, const std::string& nome,
                            const std::string& classe = "") {
    return n.conta([&](const nodo_xml& x) {
      return x.nome == nome && (classe.empty() || x.attributo("class") == classe);
    });
  }
  static inline scena* s_ = nullptr;
  static inline disegno* d_ = nullptr;
  static inline nodo_xml* svg_ = nullptr;
};

TEST_F(DisegnoPortato, LaScenaDalModello) {
  const scena& s = *s_;
  EXPECT_EQ(s.lunghezza, 334000);
  EXPECT_EQ(s.tracciato.size(), 340999u) << "metres 0 to 340998 of the trace";
  ASSERT_EQ(s.stazioni.size(), 45u);
  EXPECT_EQ(s.stazioni.front().nome, "Vela");
  EXPECT_EQ(s.stazioni.front().posizione, 0);
  EXPECT_TRUE(s.stazioni.front().fermata);
  EXPECT_EQ(s.stazioni.back().nome, "Nuro Centrale");
  EXPECT_EQ(s.stazioni.back().posizione, 332750);
  EXPECT_FALSE(s.stazioni.back().fermata);
  ASSERT_EQ(s.segnali.size(), 179u);
  EXPECT_EQ(s.segnali.front(), 1050);
  EXPECT_EQ(s.segnali.back(), 331100);
  EXPECT_EQ(s.cartelli.size(), 19u);
  EXPECT_EQ(s.indicatori.size(), 64u);
  ASSERT_EQ(s.rallentamenti.size(), 2u);
  EXPECT_EQ(s.rallentamenti[0].avviso, 291850 - 1200);
  EXPECT_EQ(s.rallentamenti[0].inizio, 291850);
  EXPECT_EQ(s.rallentamenti[0].fine, 291850 + 500);
  EXPECT_EQ(s.rallentamenti[0].velocita, 60);
  EXPECT_EQ(s.rallentamenti[1].inizio, 308700);
  EXPECT_EQ(s.rallentamenti[1].fine, 308700 + 200);
  EXPECT_EQ(s.rallentamenti[1].velocita, 30);
  EXPECT_EQ(s.aderenza, (serie{{0, 96}, {112000, 87}, {205000, 92}, {325950, 90}}));
  EXPECT_EQ(s.pendenza.front().da, 0);
  EXPECT_EQ(s.velocita.front().da, 0);
  int zone = 0;
  for (std::size_t i = 0; i < s.montagna.size(); ++i)
    zone += s.montagna[i].valore != 0 && (i == 0 || s.montagna[i - 1].valore == 0);
  EXPECT_EQ(zone, 15);
  // From the trace: the sharpest curves are of class 6, both ways.
  int destra = 0, sinistra = 0;
  for (const gradino& g : s.curvatura) {
    destra = std::max(destra, g.valore);
    sinistra = std::min(sinistra, g.valore);
  }
  EXPECT_EQ(destra, 300);
  EXPECT_EQ(sinistra, -300);
}

TEST_F(DisegnoPortato, TitoloESommario) {
  EXPECT_EQ(svg_->nome, "svg");
  EXPECT_EQ(svg_->attributo("xmlns"), "http://www.w3.org/2000/svg");
  EXPECT_EQ(elemento("titolo").testo, "Vela – Nuro Centrale");
  EXPECT_EQ(elemento("sommario").testo,
            "334,0 km · 45 stazioni · 7 fermate · 179 segnali · 2 rallentamenti · 15 zone di "
            "montagna");
}

TEST_F(DisegnoPortato, LaPiantaConScalaNordStazioniSegnaliERallentamenti) {
  const nodo_xml& scala = elemento("scala");
  EXPECT_EQ(quanti(scala, "rect"), 4u);
  ASSERT_EQ(quanti(scala, "text"), 2u);
  EXPECT_EQ(scala.figli.back()->testo, "20 km");
  // The plan is drawn in the line's own frame: the arrow says which way the
  // line sets out, not where north lies.
  EXPECT_EQ(svg_->con_id("nord"), nullptr);
  EXPECT_EQ(elemento("direzione").figli.back()->testo, "direzione alla partenza");

  // The line is thinned for drawing: far fewer points than metres.
  const std::string d = elemento("linea").attributo("d");
  const auto punti = std::count(d.begin(), d.end(), 'L') + 1;
  EXPECT_GT(punti, 100);
  EXPECT_LT(punti, 5000);
  EXPECT_EQ(d_->pianta.percorso.size(), static_cast<std::size_t>(punti));
  EXPECT_EQ(d_->pianta.percorso.front().metro, 0);
  EXPECT_EQ(d_->pianta.percorso.back().metro, 334000);

  const std::string segnali = elemento("pianta-segnali").attributo("d");
  EXPECT_EQ(std::count(segnali.begin(), segnali.end(), 'M'), 179);
  EXPECT_EQ(quanti(elemento("pianta-rallentamenti"), "path"), 2u);
  EXPECT_EQ(quanti(elemento("pianta-stazioni"), "circle"), 45u);
  EXPECT_EQ(quanti(elemento("pianta-montagna"), "path"), 15u);
}

TEST_F(DisegnoPortato, OgniStazioneHaIlSuoNomeESenzaSovrapposizioni) {
  const nodo_xml& nomi = elemento("pianta-nomi");
  ASSERT_EQ(quanti(nomi, "text", "nome-stazione"), 45u);
  EXPECT_EQ(d_->pianta.stazioni_nominate, 45);
  std::vector<std::string> attesi;
  for (const stazione_scena& st : s_->stazioni) attesi.push_back(st.nome);
  std::vector<std::string> scritti;
  std::vector<riquadro> box;
  for (const auto& t : nomi.figli) {
    scritti.push_back(t->testo);
    const double x = std::stod(t->attributo("x")), y = std::stod(t->attributo("y"));
    const double w = stile::larghezza_testo(t->testo, 11, t->attributo("font-weight") == "bold");
    box.push_back({x, y - 10, x + w, y + 2});
  }
  std::sort(attesi.begin(), attesi.end());
  std::sort(scritti.begin(), scritti.end());
  EXPECT_EQ(scritti, attesi);
  for (std::size_t i = 0; i < box.size(); ++i)
    for (std::size_t k = i + 1; k < box.size(); ++k)
      EXPECT_FALSE(box[i].sovrapposto(box[k]))
          << nomi.figli[i]->testo << " e " << nomi.figli[k]->testo;
  // The slowdowns' speeds are labelled too.
  const nodo_xml& etichette = elemento("pianta-etichette-rallentamenti");
  ASSERT_EQ(quanti(etichette, "text"), 2u);
  EXPECT_EQ(etichette.figli[1]->testo, "60 km/h");
  EXPECT_EQ(etichette.figli[3]->testo, "30 km/h");
}

TEST_F(DisegnoPortato, IlProfiloConLeSueSerieSuUnSoloAsse) {
  for (const char* id : {"serie-quota", "serie-aderenza"}) {
    SCOPED_TRACE(id);
    ASSERT_EQ(quanti(elemento(id), "path"), 1u);
    EXPECT_FALSE(elemento(id).figli[0]->attributo("d").empty());
    EXPECT_EQ(elemento(id).attributo("class"), "dati");
  }
  EXPECT_EQ(quanti(elemento("serie-pendenza"), "path"), 2u);  // climbs and falls
  EXPECT_EQ(quanti(elemento("serie-curve"), "path"), 2u);     // right and left
  // The limit, the fastest run, and the speed of each slowdown over its
  // stretch.
  EXPECT_EQ(quanti(elemento("serie-velocita"), "path"), 4u);
  EXPECT_EQ(quanti(elemento("serie-montagna"), "rect"), 15u);
  const std::string segnali = elemento("serie-segnali").figli[0]->attributo("d");
  EXPECT_EQ(std::count(segnali.begin(), segnali.end(), 'M'), 179);
  EXPECT_EQ(quanti(elemento("profilo-rallentamenti"), "rect"), 2u);
  EXPECT_EQ(quanti(elemento("profilo-guide"), "line"), 45u);
  EXPECT_EQ(quanti(elemento("nomi-profilo"), "g", "nome"), 45u);
  EXPECT_EQ(quanti(elemento("testi-aderenza"), "text"), 4u);

  // The distance axis: a tick every 25 km, then what it measures.
  std::vector<std::string> tacche;
  for (const auto& f : elemento("asse-km").figli)
    if (f->nome == "text") tacche.push_back(f->testo);
  ASSERT_EQ(tacche.size(), 15u);
  EXPECT_EQ(tacche.front(), "0");
  EXPECT_EQ(tacche[13], "325");
  EXPECT_EQ(tacche.back(), "km dall'origine della linea");

  std::vector<std::string> titoli;
  svg_->visita([&](const nodo_xml& n) {
    if (n.attributo("class") == "titolo-banda") titoli.push_back(n.testo);
  });
  EXPECT_EQ(titoli, (std::vector<std::string>{
                        "Quota rispetto all'origine (m)", "Pendenza (‰)",
                        "Curve (a destra in alto, a sinistra in basso; R = raggio)",
                        "Velocità massima e della corsa più veloce (km/h)",
                        "Orario della marcia (ore, in basso l'arrivo; i punti: "
                        "l'orario della descrizione)",
                        "Aderenza", "Zone di montagna", "Segnali", "Cartelli indicatori"}));
  // The fastest run under the limit, and its path through the day from the
  // departure at 13:04:30 to the arrival at 16:20.
  ASSERT_TRUE(s_->marcia.presente);
  EXPECT_EQ(s_->marcia.partenza, 13 * 3600 + 4 * 60 + 30);
  EXPECT_EQ(s_->marcia.arrivo, 16 * 3600 + 20 * 60);
  EXPECT_NE(svg_->con_id("corsa-velocita"), nullptr);
  EXPECT_NE(svg_->con_id("serie-orario"), nullptr);
}

// A page lays out the two parts as the screen allows: each a document of
// its own over its stretch of the whole, in the whole's coordinates, and
// together the same elements as the whole.
TEST_F(DisegnoPortato, LeDuePartiSonoIlDisegnoIntero) {
  const auto pianta = prova::leggi_xml(d_->svg_pianta);
  const auto profilo = prova::leggi_xml(d_->svg_profilo);
  EXPECT_EQ(pianta->attributo("id"), "disegno-pianta");
  EXPECT_EQ(profilo->attributo("id"), "disegno-profilo");
  EXPECT_NE(pianta->con_id("pianta"), nullptr);
  EXPECT_NE(pianta->con_id("titolo"), nullptr);
  EXPECT_EQ(pianta->con_id("profilo"), nullptr);
  EXPECT_NE(profilo->con_id("profilo"), nullptr);
  EXPECT_EQ(profilo->con_id("pianta"), nullptr);
  // The profile's document starts 12 px above its names and ends with the
  // whole; the plan's starts at the top.
  const double sopra = d_->profilo.y_nomi - 118 - 12;
  EXPECT_EQ(profilo->attributo("viewBox"),
            fmt::format("0 {} 1000 {}", num(sopra), num(d_->altezza - sopra)));
  EXPECT_EQ(pianta->attributo("viewBox").rfind("0 0 1000 ", 0), 0u);
  // The elements of each, between its title and background and its end, are
  // those of the whole, the plan's first.
  auto dentro = [](const std::string& svg) {
    std::size_t da = 0;
    for (int riga = 0; riga < 3; ++riga) da = svg.find('\n', da) + 1;
    return svg.substr(da, svg.rfind("</svg>") - da);
  };
  const std::string intero = d_->svg;
  EXPECT_EQ(intero.find(dentro(d_->svg_pianta) + dentro(d_->svg_profilo) + "</svg>"),
            intero.find("  <text id=\"titolo\""));
}

// The scheduled times of the description, a point each on the timetable's
// band: from the departure at its top to the arrival at its bottom.
TEST_F(DisegnoPortato, GliOrariDellaDescrizioneSullaBandaDellOrario) {
  const nodo_xml& orari = elemento("orari-descrizione");
  std::vector<std::string> titoli, testi;
  std::vector<const nodo_xml*> punti;
  for (const auto& f : orari.figli) {
    if (f->nome == "circle") {
      punti.push_back(f.get());
      titoli.push_back(f->figli.at(0)->testo);
    } else {
      testi.push_back(f->testo);
    }
  }
  EXPECT_EQ(titoli, (std::vector<std::string>{
                        "Vela: 13:04:30 (orario della descrizione)",
                        "Colle Ardito: 13:18:30 (orario della descrizione)",
                        "Valdimora: 14:00:30 (orario della descrizione)",
                        "Santa Brina: 14:33:30 (orario della descrizione)",
                        "Castrovela: 15:02:30 (orario della descrizione)",
                        "Pescolara: 15:28:30 (orario della descrizione)",
                        "Nuro Ponente: 15:53:30 (orario della descrizione)",
                        "Nuro Centrale: 16:20:00 (orario della descrizione)",
                    }));
  EXPECT_EQ(testi, (std::vector<std::string>{"13:04", "13:18", "14:00", "14:33", "15:02", "15:28",
                                             "15:53", "16:20"}));
  EXPECT_EQ(punti.front()->attributo("data-m"), "0");
  EXPECT_EQ(punti.front()->attributo("data-t"), std::to_string(13 * 3600 + 4 * 60 + 30));
  EXPECT_EQ(punti.front()->attributo("cy"), num(d_->profilo.y_orario0, 2));
  EXPECT_EQ(punti.back()->attributo("data-m"), "332750");
  EXPECT_EQ(punti.back()->attributo("cy"), num(d_->profilo.y_orario1, 2));

  // What a page needs to span a zoomed view's stretch of the day with them.
  const std::string h = pagina_html(*s_, *d_);
  const std::string apertura = "<script type=\"application/json\" id=\"dati-scenario\">";
  const std::size_t inizio = h.find(apertura) + apertura.size();
  const nlohmann::json o =
      nlohmann::json::parse(h.substr(inizio, h.find("</script>", inizio) - inizio))["orario"];
  EXPECT_EQ(o["y0"], d_->profilo.y_orario0);
  EXPECT_EQ(o["y1"], d_->profilo.y_orario1);
  EXPECT_EQ(o["da"], 13 * 3600 + 4 * 60 + 30);
  EXPECT_EQ(o["a"], 16 * 3600 + 20 * 60);
  ASSERT_GT(o["percorso"].size(), 334000u / 500);
  EXPECT_LT(o["percorso"].size(), 334000u / 250);
  EXPECT_EQ(o["percorso"].front(), nlohmann::json::array({0, 13 * 3600 + 4 * 60 + 30}));
  EXPECT_EQ(o["percorso"].back()[0], 332750);
}

// The signposts on their own band: a tick each, and the texts that find
// room at full view written as a line.
TEST_F(DisegnoPortato, ICartelliSulProfilo) {
  const std::string tacche = elemento("serie-cartelli").figli.at(0)->attributo("d");
  EXPECT_EQ(std::count(tacche.begin(), tacche.end(), 'M'), 19);
  const nodo_xml& testi = elemento("testi-cartelli");
  ASSERT_EQ(testi.figli.size(), 19u);
  EXPECT_EQ(testi.figli[0]->testo, "Cippo · Km 8+000");
  EXPECT_EQ(testi.figli[0]->attributo("data-m"), "7950");
  EXPECT_EQ(testi.figli[0]->attributo("display"), "");
  EXPECT_EQ(testi.figli[1]->attributo("display"), "none") << "10 km on, no room at full view";
  // Those shown do not overlap.
  double fine = 0;
  for (const auto& t : testi.figli) {
    if (t->attributo("display") == "none") continue;
    const double x = std::stod(t->attributo("x"));
    EXPECT_GE(x, fine) << t->testo;
    fine = x + std::stod(t->attributo("data-w"));
  }
}

// On the plan, a mark each with its text as its title, and the text beside
// it where the names, the speeds and the kilometre marks left room.
TEST_F(DisegnoPortato, ICartelliSullaPianta) {
  const nodo_xml& cartelli = elemento("pianta-cartelli");
  std::vector<std::string> titoli, testi;
  for (const auto& f : cartelli.figli) {
    if (f->nome == "rect")
      titoli.push_back(f->figli.at(0)->testo);
    else
      testi.push_back(f->testo);
  }
  ASSERT_EQ(titoli.size(), 19u);
  EXPECT_EQ(titoli.front(), "(  Cippo  )(Km 8+000)");
  EXPECT_GE(testi.size(), 15u);
  EXPECT_EQ(testi.front(), "Cippo · Km 8+000");
  EXPECT_EQ(d_->pianta.stazioni_nominate, 45) << "every station keeps its name";
}

TEST(Disegno, IlTestoDiUnCartelloInUnaRiga) {
  struct caso {
    const char* testo;
    const char* riga;
  };
  const caso casi[] = {
      {"(  Cippo  )(Km 28+000)", "Cippo · Km 28+000"},
      {" (Bivio)  ( Nord ) ", "Bivio · Nord"},
      {"(Stazione)", "Stazione"},
      {"(   )(Km 3)", "Km 3"},
      {"senza parti", "senza parti"},
      {"(aperta", "(aperta"},
      {"(a)x(b)", "(a)x(b)"},
      {"()", "()"},
      {"", ""},
  };
  for (const caso& c : casi) EXPECT_EQ(bande_profilo::testo_cartello(c.testo), c.riga) << c.testo;
}

TEST_F(DisegnoPortato, LaPaginaNonPrendeNullaDaFuori) {
  const std::string h = pagina_html(*s_, *d_);
  EXPECT_EQ(h.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(h.find("<div id=\"disegno\">\n" + d_->svg_profilo + d_->svg_pianta + "</div>"),
            std::string::npos)
      << "the same drawing, the profile first";
  EXPECT_NE(h.find(std::string(script_pagina)), std::string::npos);
  for (const char* esterno : {"src=", "href=", "@import", "https:", "<link", "<iframe"})
    EXPECT_EQ(h.find(esterno), std::string::npos) << esterno;
  // The only address is the SVG namespace, in the drawing and in the script.
  std::size_t da = 0, indirizzi = 0;
  const std::string spazio_svg = "http://www.w3.org/2000/svg\"";
  while ((da = h.find("http", da)) != std::string::npos) {
    if (h.compare(da, 11, "http-equiv=") == 0) {
      ++da;
      continue;
    }
    EXPECT_EQ(h.compare(da, spazio_svg.size(), spazio_svg), 0) << h.substr(da, 40);
    ++indirizzi;
    ++da;
  }
  EXPECT_EQ(indirizzi, 3u);

  const std::string apertura = "<script type=\"application/json\" id=\"dati-scenario\">";
  const std::size_t inizio = h.find(apertura) + apertura.size();
  const std::size_t fine = h.find("</script>", inizio);
  const nlohmann::json j = nlohmann::json::parse(h.substr(inizio, fine - inizio));
  EXPECT_EQ(j["lunghezza"], 334000);
  EXPECT_EQ(j["stazioni"].size(), 45u);
  EXPECT_EQ(j["stazioni"][44], nlohmann::json::array({332750, "Nuro Centrale", false, 58800}))
      << "its scheduled time, 16:20:00, read out at the station";
  EXPECT_EQ(j["aderenza"].size(), 4u);
  EXPECT_EQ(j["percorso"].size(), d_->pianta.percorso.size());
  EXPECT_EQ(j["rallentamenti"][1], nlohmann::json::array({308700, 308900, 30}));
}

TEST(Disegno, UnoScenarioPiccoloEUnoSenzaTracciato) {
  for (Long con_tracciato : {1, 0}) {
    SCOPED_TRACE(con_tracciato);
    prova::Lettura lettura(con_tracciato);
    lettura.leggi(prova::linea_prova, prova::treno_prova);
    ASSERT_EQ(lettura.m.errore_codice, esito::nessuno);
    scena s;
    ASSERT_TRUE(scena_da_modello(lettura.m, s).riuscito());
    EXPECT_EQ(s.stazioni.size(), 2u);
    EXPECT_EQ(s.rallentamenti.size(), 1u);
    // A class 1 curve to the left from 1350 m for 150 m, a class 3 to the
    // right from 4000 m for 200 m: the cells at its ends hold the part of
    // the turn that falls in them (one metre of 50 before it, 49 in its last).
    if (con_tracciato == 1)
      EXPECT_EQ(
          s.curvatura,
          (serie{{0, 0}, {1350, -10}, {1500, 0}, {3950, 1}, {4000, 40}, {4150, 39}, {4200, 0}}));
    else
      EXPECT_TRUE(s.curvatura.empty());
    const disegno d = disegna_scena(s);
    const auto svg = prova::leggi_xml(d.svg);
    EXPECT_EQ(svg->con_id("titolo")->testo, "Vela – Nuro");
    EXPECT_EQ(svg->con_id("linea") != nullptr, con_tracciato == 1);
    EXPECT_EQ(svg->con_id("nomi-profilo")->figli.size(), 2u);
    if (con_tracciato == 0)
      EXPECT_EQ(svg->con_id("pianta")->figli.back()->testo,
                "pianta non disponibile: lo scenario non ha il tracciato della linea");
    else
      EXPECT_EQ(svg->con_id("scala")->figli.back()->testo, "2 km");
  }
}

// Two slowdowns closer than their warning distance: the second's warning
// point comes before the first's start, and each keeps its own.
TEST(Disegno, OgniRallentamentoHaIlSuoAvviso) {
  prova::Lettura lettura(1);
  lettura.leggi(prova::linea_prova,
                prova::treno_con("rallentamento,  5000,    60,  300, 0,  0,  60\r\n"
                                 "rallentamento,  5800,    30,  200, 0,  0,  30\r\n"));
  ASSERT_EQ(lettura.m.errore_codice, esito::nessuno);
  scena s;
  ASSERT_TRUE(scena_da_modello(lettura.m, s).riuscito());
  ASSERT_EQ(s.rallentamenti.size(), 2u);
  EXPECT_EQ(s.rallentamenti[0].avviso, 5000 - 1200);
  EXPECT_EQ(s.rallentamenti[0].inizio, 5000);
  EXPECT_EQ(s.rallentamenti[1].avviso, 5800 - 1200);
  EXPECT_EQ(s.rallentamenti[1].inizio, 5800);
}

// The plan's kilometre marks read the line's own count, the one on its
// posts: from each progressive's start on, with its offset and direction.
TEST(Disegno, ISegniChilometriciDellaPiantaLeggonoLaProgressiva) {
  prova::Lettura lettura(1);
  lettura.leggi(prova::linea_prova, prova::treno_prova);
  ASSERT_EQ(lettura.m.errore_codice, esito::nessuno);
  scena s;
  ASSERT_TRUE(scena_da_modello(lettura.m, s).riuscito());
  // The test line, 10000 m, counts as its positions.
  EXPECT_EQ(s.progressive,
            (std::vector<progressiva_scena>{{0, 0, false}, {5000, 0, false}, {8000, 0, false}}));
  const struct {
    std::vector<progressiva_scena> progressive;
    std::vector<std::string> segni;  // one every 2 km of the count
  } casi[] = {
      {{{0, 0, false}, {5000, 0, false}, {8000, 0, false}}, {"km 2", "km 4", "km 6", "km 8"}},
      {{{0, 12000, false}, {5000, 12000, false}, {8000, 12000, false}},
       {"km 14", "km 16", "km 18", "km 20"}},
      // A jump forward at 5000 m: from there the count is 35.5 km on.
      {{{0, 0, false}, {5000, 30500, false}, {8000, 30500, false}},
       {"km 2", "km 4", "km 36", "km 38"}},
      // Decreasing from 5000 m, from 15 km down.
      {{{0, 0, false}, {5000, 20000, true}, {8000, 20000, true}},
       {"km 2", "km 4", "km 14", "km 12"}},
      // Decreasing from the origin, from 9.1 km to 0 at 9100 m.
      {{{0, 9100, true}, {50, 9100, true}, {100, 9100, true}},
       {"km 8", "km 6", "km 4", "km 2", "km 0"}},
      // Beyond 9500 m (the last quarter step) no mark.
      {{{0, 500, false}, {50, 500, false}, {100, 500, false}}, {"km 2", "km 4", "km 6", "km 8"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.segni));
    s.progressive = c.progressive;
    const auto svg = prova::leggi_xml(disegna_scena(s).svg);
    const nodo_xml& km = *svg->con_id("pianta-km");
    std::vector<std::string> testi;
    std::size_t cerchi = 0;
    for (const auto& f : km.figli) {
      if (f->nome == "text") testi.push_back(f->testo);
      if (f->nome == "circle") ++cerchi;
    }
    EXPECT_EQ(cerchi, c.segni.size());
    EXPECT_EQ(testi, c.segni);
  }
}

// A name keeps within the band over the profile: a long one is cut at a
// character and ends in "…", with the whole name as the group's title.
TEST(Disegno, UnNomeLungoStaNellaBandaDeiNomi) {
  prova::Lettura lettura(1);
  lettura.leggi(prova::linea_prova, prova::treno_prova);
  ASSERT_EQ(lettura.m.errore_codice, esito::nessuno);
  scena s;
  ASSERT_TRUE(scena_da_modello(lettura.m, s).riuscito());
  ASSERT_EQ(s.stazioni.size(), 2u);
  const struct {
    std::string nome;
    bool tagliato;
  } casi[] = {
      {"Nuro", false},
      {"San Dorlino di Nuro", false},
      {std::string(60, 'M'), true},
      {"Stazione di Castelnuovo della Valle Superiore sul Fiume Lungo", true},
      {"Città èèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèèè", true},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    s.stazioni[1].nome = c.nome;
    const auto svg = prova::leggi_xml(disegna_scena(s).svg);
    const nodo_xml& gruppo = *svg->con_id("nomi-profilo")->figli.at(1);
    const nodo_xml* testo = nullptr;
    const nodo_xml* titolo = nullptr;
    for (const auto& f : gruppo.figli) {
      if (f->nome == "text") testo = f.get();
      if (f->nome == "title") titolo = f.get();
    }
    ASSERT_NE(testo, nullptr);
    // The last station is drawn bold; the band leaves 102 px above the base.
    EXPECT_LE(stile::larghezza_testo(testo->testo, 10.5, true), 102);
    if (!c.tagliato) {
      EXPECT_EQ(testo->testo, c.nome);
      EXPECT_EQ(titolo, nullptr);
      continue;
    }
    ASSERT_NE(titolo, nullptr);
    EXPECT_EQ(titolo->testo, c.nome);
    const std::string fine = "…";
    ASSERT_TRUE(testo->testo.ends_with(fine)) << testo->testo;
    const std::string parte = testo->testo.substr(0, testo->testo.size() - fine.size());
    EXPECT_GT(parte.size(), 5u);
    ASSERT_TRUE(c.nome.starts_with(parte));
    // Cut between characters, never inside one.
    EXPECT_NE(static_cast<unsigned char>(c.nome[parte.size()]) & 0xC0, 0x80);
  }
}

TEST(Disegno, UnModelloSenzaLineaNonSiDisegna) {
  scena s;
  modello vuoto;
  Stato stato = scena_da_modello(vuoto, s);
  EXPECT_EQ(stato.messaggio(), "la linea non ha celle: manca la sua lunghezza");

  modello corto;
  corto.celle.resize(10);
  stato = scena_da_modello(corto, s);
  EXPECT_EQ(stato.messaggio(), "la lunghezza della linea è 0 m: non c'è nulla da disegnare");
  corto.registri[indice_registro::generali_treno].fine = 600;
  stato = scena_da_modello(corto, s);
  EXPECT_EQ(stato.messaggio(), "la linea è lunga 600 m ma le celle ne coprono solo 500");
  corto.registri[indice_registro::generali_treno].fine = 500;
  EXPECT_TRUE(scena_da_modello(corto, s).riuscito());
  EXPECT_TRUE(s.tracciato.empty());
}

}  // namespace
}  // namespace scen
