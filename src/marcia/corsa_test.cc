#include "marcia/corsa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "marcia/orario.h"
#include "read/vista.h"
#include "testing/prova_lettura.h"

namespace scen {
namespace {

// A train with a constant effort and no resistance: 100 t, so that 100 kN
// give 1 m/s^2.
rotabile treno_semplice(double kN = 100, double v_kmh = 72, double b = 0.5, double l = 1) {
  rotabile r;
  r.nome = "prova";
  r.massa_t = 100;
  r.lunghezza_m = l;
  r.velocita_massima_kmh = v_kmh;
  r.coefficiente_masse_rotanti = 1;
  r.sforzo_trazione = {{0, kN}};
  r.decelerazione_frenatura_ms2 = b;
  return r;
}

// A level straight line of `metri` with no limits of its own and a station
// at each end.
percorso_marcia linea_piana(long metri) {
  percorso_marcia p;
  p.lunghezza = metri;
  const size_t celle = static_cast<size_t>((metri + 49) / 50);
  p.limite.assign(celle, 0);
  p.pendenza.assign(celle, 0);
  p.stazioni = {{"A", 0, 0, 1, 1}, {"B", metri, 0, 0, 2}};
  return p;
}

TEST(Corsa, UniformMotionOnALevelLine) {
  // 1 m/s^2 up to 20 m/s (200 m, 20 s), 9400 m at 20 m/s (470 s), braking
  // at 0.5 m/s^2 (400 m, 40 s).
  corsa c;
  ASSERT_TRUE(calcola_corsa(linea_piana(10000), treno_semplice(), c).riuscito());
  EXPECT_NEAR(c.totale, 530, 0.05);
  EXPECT_NEAR(c.tempo_a(200), 20, 1e-9);
  EXPECT_NEAR(c.tempo_a(50), 10, 1e-9);  // sqrt(2 x 50 / 1)
  EXPECT_NEAR(c.velocita_a(5000), 72, 1e-9);
  EXPECT_NEAR(c.velocita_a(10000 - 100), 36, 1e-9);  // sqrt(2 x 0.5 x 100) m/s
  EXPECT_EQ(c.velocita_a(10000), 0);
  ASSERT_EQ(c.stazioni.size(), 2U);
  EXPECT_NEAR(c.stazioni[1].arrivo, 530, 0.05);
}

TEST(Corsa, AGradientChangesTheAccelerationByGTimesI) {
  for (int i : {-10, -3, 0, 4, 10, 25}) {
    SCOPED_TRACE(i);
    percorso_marcia p = linea_piana(5000);
    p.pendenza.assign(p.pendenza.size(), i);
    corsa c;
    ASSERT_TRUE(calcola_corsa(p, treno_semplice(100, 200), c).riuscito());
    const double a = 1 - gravita_ms2 * i / 1000;
    for (long x : {10L, 100L, 400L})
      EXPECT_NEAR(c.tempo_a(x), std::sqrt(2 * static_cast<double>(x) / a), 1e-9);
  }
}

TEST(Corsa, ARisingLimitIsTakenOnlyOnceTheTailHasPassed) {
  // 36 km/h up to 1000 m, 108 km/h after; a train of 200 m.
  percorso_marcia p = linea_piana(4000);
  for (size_t i = 0; i < p.limite.size(); ++i) p.limite[i] = i < 20 ? 36 : 108;
  corsa c;
  ASSERT_TRUE(calcola_corsa(p, treno_semplice(100, 200, 0.5, 200), c).riuscito());
  EXPECT_EQ(c.limite(1199), 36);
  EXPECT_EQ(c.limite(1200), 108);
  EXPECT_NEAR(c.velocita_a(1000), 36, 1e-9);
  EXPECT_NEAR(c.velocita_a(1199), 36, 1e-9);
  // From 1200 m on it accelerates at 1 m/s^2: 10 m/s, then 20 m/s 150 m on.
  EXPECT_NEAR(c.velocita_a(1350), 72, 1e-9);
  // A falling limit holds from where it begins: the train brakes before.
  for (size_t i = 0; i < p.limite.size(); ++i) p.limite[i] = i < 40 ? 108 : 36;
  ASSERT_TRUE(calcola_corsa(p, treno_semplice(100, 200, 0.5, 200), c).riuscito());
  EXPECT_NEAR(c.velocita_a(2000), 36, 1e-9);
  EXPECT_NEAR(c.velocita_a(2000 - 600), std::sqrt(100.0 + 2 * 0.5 * 600) * 3.6, 1e-9);
}

TEST(Corsa, AStopIsReachedAtRestAndLeftAfterItsDwell) {
  percorso_marcia p = linea_piana(10000);
  p.stazioni.insert(p.stazioni.begin() + 1, {"Fermata", 5000, 0, 60, 3});
  p.stazioni.insert(p.stazioni.begin() + 1, {"Transito", 2500, 0, 0, 4});
  corsa c;
  ASSERT_TRUE(calcola_corsa(p, treno_semplice(), c).riuscito());
  ASSERT_EQ(c.stazioni.size(), 4U);
  EXPECT_EQ(c.velocita_a(5000), 0);
  EXPECT_NEAR(c.velocita_a(4900), 36, 1e-9);
  EXPECT_TRUE(c.stazioni[2].fermata);
  EXPECT_FALSE(c.stazioni[1].fermata);
  EXPECT_DOUBLE_EQ(c.stazioni[2].partenza - c.stazioni[2].arrivo, 60);
  EXPECT_DOUBLE_EQ(c.stazioni[1].partenza, c.stazioni[1].arrivo);
  // Two runs of 5000 m (each 20 + 4400 / 20 + 40 s) and the dwell.
  EXPECT_NEAR(c.totale, 2 * (20 + 220 + 40) + 60, 0.05);
}

TEST(Corsa, ASlowdownHoldsForTheWholeTrainOnlyWhenItsRecordSaysSo) {
  for (bool tutto : {false, true}) {
    SCOPED_TRACE(tutto);
    percorso_marcia p = linea_piana(6000);
    p.rallentamenti = {{2000, 2500, 18, tutto}};
    corsa c;
    ASSERT_TRUE(calcola_corsa(p, treno_semplice(100, 72, 0.5, 300), c).riuscito());
    EXPECT_EQ(c.limite(2400), 18);
    EXPECT_EQ(c.limite(2700), tutto ? 18 : 72);
    EXPECT_EQ(c.limite(2900), 72);
  }
}

TEST(Corsa, ATrainThatCannotClimbIsNamedWithWhereItStops) {
  percorso_marcia p = linea_piana(5000);
  for (size_t i = 40; i < p.pendenza.size(); ++i) p.pendenza[i] = 120;  // above 1/g x 1000
  corsa c;
  const Stato s = calcola_corsa(p, treno_semplice(), c);
  ASSERT_FALSE(s.riuscito());
  EXPECT_NE(s.messaggio().find("non ce la fa"), std::string::npos) << s.messaggio();
}

TEST(Corsa, NeedsTwoStationsInOrder) {
  percorso_marcia p = linea_piana(5000);
  corsa c;
  p.stazioni.pop_back();
  EXPECT_FALSE(calcola_corsa(p, treno_semplice(), c).riuscito());
  p = linea_piana(5000);
  p.stazioni.insert(p.stazioni.begin() + 1, {"Dopo", 4000, 0, 0, 3});
  p.stazioni.insert(p.stazioni.begin() + 2, {"Prima", 1000, 0, 0, 4});
  EXPECT_FALSE(calcola_corsa(p, treno_semplice(), c).riuscito());
}

TEST(Corsa, ARunThatCannotBeCountedOrShownIsAnError) {
  // A train beyond its ranges never runs; one within them so slow that its
  // run would take more than a week stops with an error where it got to,
  // rather than leaving times that no clock shows.
  const struct {
    rotabile treno;
    long metri;
    std::string atteso;
  } casi[] = {
      {treno_semplice(100, 72, 0.5, 1e308), 5000,
       "il treno «prova» non può correre: campo «lunghezza_m»: deve valere al più"},
      {treno_semplice(100, 72, 1e-300), 5000, "campo «decelerazione_frenatura_ms2»"},
      {treno_semplice(1e-6), 10000, "il treno «prova» non arriva in 7 giorni: a "},
      {treno_semplice(100, 1), 1000000, "il treno «prova» non arriva in 7 giorni: a "},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.atteso);
    corsa k;
    const Stato s = calcola_corsa(linea_piana(c.metri), c.treno, k);
    ASSERT_FALSE(s.riuscito());
    EXPECT_NE(s.messaggio().find(c.atteso), std::string::npos) << s.messaggio();
  }
}

// A line of every kind of piece: gradients up and down, curves of every
// class, limits that fall and rise, a stop.
percorso_marcia linea_varia() {
  percorso_marcia p = linea_piana(40000);
  for (size_t i = 0; i < p.limite.size(); ++i) {
    p.limite[i] = static_cast<int>(80 + 10 * (i * 7 % 9));
    p.pendenza[i] = static_cast<int>(i * 5 % 23) - 11;
  }
  for (int k = 0; k < 6; ++k) p.curve.push_back({3000 + 5000 * k, 800, raggio_classe(k + 1)});
  p.rallentamenti = {{21000, 400, 30, true}};
  p.stazioni.insert(p.stazioni.begin() + 1, {"Fermata", 17350, 0, 60, 3});
  return p;
}

TEST(Corsa, TheResultDoesNotDependOnTheStep) {
  const percorso_marcia p = linea_varia();
  const rotabile r = rotabile_incorporato(10, 130);
  corsa uno, quattro, sedici;
  ASSERT_TRUE(calcola_corsa(p, r, uno, 1).riuscito());
  ASSERT_TRUE(calcola_corsa(p, r, quattro, 4).riuscito());
  ASSERT_TRUE(calcola_corsa(p, r, sedici, 16).riuscito());
  EXPECT_NEAR(uno.totale, sedici.totale, 0.05) << uno.totale << " " << sedici.totale;
  EXPECT_NEAR(quattro.totale, sedici.totale, 0.01);
  for (long x = 0; x < uno.a - uno.da; x += 997)
    EXPECT_NEAR(uno.velocita_a(x), sedici.velocita_a(x), 0.05) << x;
}

TEST(Corsa, CurvesAndGradientsSlowTheClimbs) {
  percorso_marcia piana = linea_piana(30000);
  percorso_marcia curva = piana;
  curva.curve = {{0, 30000, 333}};
  percorso_marcia salita = piana;
  salita.pendenza.assign(salita.pendenza.size(), 8);
  const rotabile r = rotabile_incorporato(12, 100);
  corsa a, b, c;
  ASSERT_TRUE(calcola_corsa(piana, r, a).riuscito());
  ASSERT_TRUE(calcola_corsa(curva, r, b).riuscito());
  ASSERT_TRUE(calcola_corsa(salita, r, c).riuscito());
  EXPECT_LT(a.totale, b.totale);
  EXPECT_LT(a.totale, c.totale);
  EXPECT_NEAR(resistenza_curva(333), 650.0 / 278, 1e-12);
  EXPECT_NEAR(resistenza_curva(250), 500.0 / 220, 1e-12);
  EXPECT_EQ(resistenza_curva(0), 0);
}

// The carried pair with the built-in train.
struct Portata {
  modello m;
  percorso_marcia linea;
  corsa c;
  Portata() {
    m.chiave_percorso = "Vela_Nuro";
    m.chiave_treno = "IC 731";
    const std::string testo_linea = prova::portata("linea");
    leggi_descrizioni(m, testo_linea, prova::portata("treno"), {"linea", "treno"});
    const descrizione_vista vista = vedi_linea(testo_linea);
    linea = percorso_da_modello(m, &vista);
    const rotabile r = rotabile_incorporato(m.numero_vetture(), m.massa_frenata());
    ok = calcola_corsa(linea, r, c).riuscito();
  }
  bool ok = false;
};

TEST(Corsa, TheCarriedTimetableCanBeKeptByTheBuiltInTrain) {
  auto p = std::make_unique<Portata>();
  ASSERT_EQ(p->m.errore_codice, esito::nessuno);
  ASSERT_TRUE(p->ok);
  ASSERT_EQ(p->linea.stazioni.size(), 45U);
  EXPECT_EQ(p->linea.curve.size(), 173U);
  EXPECT_EQ(p->linea.rallentamenti.size(), 2U);
  // Between each pair of stations with a time: the description gives the
  // departure at a stop (and at the origin), the arrival at the end.
  const auto& s = p->linea.stazioni;
  size_t prima = 0;
  int coppie = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i].orario == 0) continue;
    const tempi_stazione& a = p->c.stazioni[prima];
    const tempi_stazione& b = p->c.stazioni[i];
    const double minimo = (b.fermata ? b.partenza : b.arrivo) - a.partenza;
    const double concesso = static_cast<double>(s[i].orario - s[prima].orario);
    EXPECT_LE(minimo, concesso) << s[prima].nome << " - " << s[i].nome;
    prima = i;
    ++coppie;
  }
  EXPECT_EQ(coppie, 7);
}

TEST(Orario, TheSupplementIsLumpedAtTheStopsAndTheTimesRoundedToTheHalfMinute) {
  EXPECT_EQ(mezzo_minuto(44.9), 30);
  EXPECT_EQ(mezzo_minuto(45), 60);
  EXPECT_EQ(mezzo_minuto(0), 0);
  EXPECT_EQ(ora_testo(13 * 3600 + 4 * 60 + 30), "13:04:30");
  EXPECT_EQ(ora_testo(86400 + 60), "00:01:00");

  percorso_marcia p = linea_piana(10000);
  p.stazioni.insert(p.stazioni.begin() + 1, {"Fermata", 5000, 0, 60, 3});
  p.stazioni.insert(p.stazioni.begin() + 1, {"Transito", 2500, 0, 0, 4});
  p.stazioni.front().orario = 8 * 3600;
  corsa c;
  ASSERT_TRUE(calcola_corsa(p, treno_semplice(), c).riuscito());
  // Each stretch runs 280 s: 10% is 28 s, a half minute of recovery.
  const orario_marcia o = orario_da_corsa(p, c, 10);
  ASSERT_EQ(o.stazioni.size(), 4U);
  EXPECT_EQ(o.partenza, 8 * 3600);
  EXPECT_EQ(o.stazioni[0].recupero, 0);
  EXPECT_EQ(o.stazioni[1].recupero, 0);
  EXPECT_EQ(o.stazioni[2].recupero, 30);
  EXPECT_EQ(o.stazioni[3].recupero, 30);
  EXPECT_NEAR(o.stazioni[2].arrivo_esatto, 8 * 3600 + 280 + 30, 0.05);
  EXPECT_NEAR(o.stazioni[3].arrivo_esatto, 8 * 3600 + 280 + 60 + 280 + 60, 0.05);
  EXPECT_EQ(o.stazioni[3].arrivo % 30, 0);
  EXPECT_EQ(o.stazioni[2].partenza - o.stazioni[2].arrivo, 60);
  // No supplement: the fastest run.
  const orario_marcia zero = orario_da_corsa(p, c, 0);
  EXPECT_NEAR(zero.stazioni[3].arrivo_esatto, 8 * 3600 + c.totale, 1e-9);
  // Without a time at the origin the run starts at the clock.
  p.stazioni.front().orario = 0;
  p.orologio = 3600;
  EXPECT_EQ(orario_da_corsa(p, c, 0).partenza, 3600);
}

}  // namespace
}  // namespace scen
