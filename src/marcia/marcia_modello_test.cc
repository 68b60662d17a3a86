#include "marcia/marcia_modello.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "testing/descrizioni_prova.h"

namespace scen {
namespace {

// A straight line of 20 km from description records, `righe_linea` after
// its general section, and a train over it from 0 to 19000 m whose
// adhesion and limit profiles are the records given; read as the compile
// step reads them, and run by the one entry point.
struct Descritta {
  std::string linea, treno;
  std::unique_ptr<modello> m = std::make_unique<modello>();
  descrizione_vista vista;

  explicit Descritta(const std::vector<std::string>& righe_linea,
                     const std::string& aderenza = "aderenza,  0,  0",
                     const std::string& velocita = "velocita,  0,  300") {
    linea = prova::righe({"[generale]", "lunghezza percorso,    20000",
                          "progressiva chilometrica uno,    0,    0,    0",
                          "progressiva chilometrica due,    5000,    0,    0",
                          "progressiva chilometrica tre,    8000,    0,    0", "sfondo uno,    1",
                          "sfondo due,    0", "sfondo tre,    0",
                          "ripetizione segnali 9 codici,    1000,    9000"});
    for (const std::string& r : righe_linea) linea += r + "\r\n";
    linea += "[fine]\r\n";
    treno = prova::righe(
        {"[generale]", "numero vetture,  0", "percentuale massa frenata,  130", "orologio,  8 0 0 ",
         "[aderenze]", aderenza, "[vel_limite]", velocita, "[stazioni]",
         "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,   8, 0, 0, A",
         "stazione,   19000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, B", "[fine]"});
    m->chiave_percorso = "Vela_Nuro";
    m->chiave_treno = "IC 731";
    m->con_tracciato = 1;
    leggi_descrizioni(*m, linea, treno, {"linea", "treno"});
    vista = vedi_linea(linea);
  }

  marcia_modello corsa(const rotabile& r) const { return marcia_del_modello(*m, &vista, &r, 0); }
};

// 100 t with a constant effort and no resistance: each kN is 0.01 m/s^2.
rotabile treno(double kN, double v_kmh = 250, double b = 0.52) {
  rotabile r;
  r.nome = "prova";
  r.massa_t = 100;
  r.lunghezza_m = 1;
  r.velocita_massima_kmh = v_kmh;
  r.coefficiente_masse_rotanti = 1;
  r.sforzo_trazione = {{0, kN}};
  r.decelerazione_frenatura_ms2 = b;
  return r;
}

// "pendenza,  0,   i": one gradient over the whole line.
std::string fmt_pendenza(int i) { return "pendenza,  0,   " + std::to_string(i); }

// From rest at constant acceleration a, the time to x metres.
double tempo_da_fermo(long x, double a) { return std::sqrt(2 * static_cast<double>(x) / a); }

TEST(MarciaModello, AGradientRecordResistsWithGTimesIOfTheWeight) {
  // A climb takes g i / 1000 from the acceleration, a descent gives it.
  for (int i : {-15, 0, 8, 30}) {
    SCOPED_TRACE(i);
    const Descritta d({"[pendenze]", fmt_pendenza(i)});
    ASSERT_EQ(d.m->errore_codice, esito::nessuno);
    const marcia_modello m = d.corsa(treno(100));
    ASSERT_TRUE(m.riuscita()) << m.stato.messaggio();
    const double a = 1 - gravita_ms2 * i / 1000;
    for (long x : {50L, 400L, 1200L}) EXPECT_NEAR(m.c.tempo_a(x), tempo_da_fermo(x, a), 1e-6);
  }
}

TEST(MarciaModello, ACurveRecordResistsByTheRadiusOfItsClass) {
  // The class the reader takes (the lowest digit of the keyword: "curvad64"
  // is class 4), its radius one over the class's curvature, and Röckl's
  // 650 / (R - 55) N/kN (500 / (R - 30) below 300 m).
  const struct {
    const char* parola;
    double raggio;
  } casi[] = {{"curvad4", 1000}, {"curvas6", 1 / 0.003}, {"curvad64", 1000}, {"curvad2", 5000}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.parola);
    const Descritta d({"[curve]", std::string(c.parola) + ",  0,  15000"});
    ASSERT_EQ(d.m->errore_codice, esito::nessuno);
    const marcia_modello m = d.corsa(treno(100));
    ASSERT_TRUE(m.riuscita()) << m.stato.messaggio();
    ASSERT_EQ(m.linea.curve.size(), 1U);
    EXPECT_NEAR(m.linea.curve[0].raggio, c.raggio, 1e-9);
    const double a = 1 - gravita_ms2 * 650 / (c.raggio - 55) / 1000;
    for (long x : {400L, 1200L}) EXPECT_NEAR(m.c.tempo_a(x), tempo_da_fermo(x, a), 1e-6);
  }
}

TEST(MarciaModello, BrakingToRestTakesTheGradientsShare) {
  // From 100 km/h to rest at the end at 0.52 m/s^2: on a 20 per mille
  // descent the rate is 0.52 - 9.81 x 0.020, on a climb 0.52 + 9.81 x 0.020.
  const double v = 100 / 3.6;
  for (int i : {-20, 0, 20}) {
    SCOPED_TRACE(i);
    const Descritta d({"[pendenze]", fmt_pendenza(i)});
    const marcia_modello m = d.corsa(treno(1000, 100, 0.52));
    ASSERT_TRUE(m.riuscita()) << m.stato.messaggio();
    const double b = 0.52 + gravita_ms2 * i / 1000;
    const double distanza = v * v / (2 * b);
    const long fine = m.c.a - m.c.da;
    // Still at 100 km/h 1% before the braking distance, and on the braking
    // curve v^2 = 2 b s within it.
    EXPECT_NEAR(m.c.velocita_a(fine - static_cast<long>(std::ceil(distanza * 1.01))), 100, 1e-9);
    EXPECT_LT(m.c.velocita_a(fine - static_cast<long>(std::floor(distanza * 0.99))), 99.5);
    for (double parte : {0.25, 0.5, 0.9}) {
      const long s = std::lround(distanza * parte);
      EXPECT_NEAR(m.c.velocita_a(fine - s), std::sqrt(2 * b * static_cast<double>(s)) * 3.6,
                  0.01 * 100)
          << s;
    }
    // The time over the braking is v / b.
    const long inizio = fine - static_cast<long>(std::ceil(distanza)) - 10;
    const double a_regime = static_cast<double>(fine - inizio) - distanza;
    EXPECT_NEAR(m.c.totale - m.c.tempo_a(inizio), a_regime / v + v / b, 0.01 * v / b);
  }
}

TEST(MarciaModello, TheEffortIsHeldToTheAdhesionOfTheLine) {
  // 20 t on the driving axles: the line's adhesion value as a share of dry
  // rail's 0.33, times 20 t, times g, whatever the effort at the wheel.
  for (int valore : {50, 100}) {
    SCOPED_TRACE(valore);
    const Descritta d({}, "aderenza,  0,  " + std::to_string(valore));
    rotabile r = treno(1000);
    r.massa_aderente_t = 20;
    const marcia_modello m = d.corsa(r);
    ASSERT_TRUE(m.riuscita()) << m.stato.messaggio();
    const double a = 0.33 * valore / 100 * 20 * gravita_ms2 / 100;
    for (long x : {100L, 800L}) EXPECT_NEAR(m.c.tempo_a(x), tempo_da_fermo(x, a), 1e-6);
  }
}

TEST(MarciaModello, ATrainThatCannotClimbStopsWhereItsSpeedReachesZero) {
  // 50 kN against 100 t on 80 per mille (78.48 kN): from 2000 m on it
  // slows at 0.2848 m/s^2 from the speed it had there, 50 km/h.
  const Descritta d({"[pendenze]", "pendenza,  0,   0", "pendenza,  2000,   80"});
  const marcia_modello m = d.corsa(treno(50, 50));
  ASSERT_FALSE(m.riuscita());
  ASSERT_TRUE(m.c.fermo);
  const double v = 50 / 3.6;
  const double frenata = (100 * gravita_ms2 * 0.08 - 50) / 100;
  EXPECT_NEAR(static_cast<double>(m.c.fermo->posizione), 2000 + v * v / (2 * frenata), 2);
  EXPECT_DOUBLE_EQ(m.c.fermo->pendenza, 80);
  EXPECT_NEAR(m.c.fermo->forza_mancante_kN, 100 * gravita_ms2 * 0.08 - 50, 1e-9);
  // The run up to there stays.
  EXPECT_NEAR(m.c.velocita_a(1990), 50, 1e-9);
  EXPECT_EQ(m.stato.messaggio(),
            fmt::format("il treno «prova» non ce la fa: a {} m si ferma, lo sforzo non vince la "
                        "resistenza, la pendenza e le curve (pendenza media sotto il treno 80 "
                        "per mille, mancano 28,5 kN)",
                        m.c.fermo->posizione));
}

TEST(MarciaModello, TheEnergyAtTheWheelIsTheWorkOfTheEffort) {
  // Level, no resistance: the work is the kinetic energy at the top speed,
  // given once (braking takes none back).
  const Descritta d({});
  const marcia_modello m = d.corsa(treno(100, 72));
  ASSERT_TRUE(m.riuscita());
  const double kJ = 0.5 * 100 * 20 * 20;
  EXPECT_NEAR(m.c.energia_ruota_kWh, kJ / 3600, 1e-3);
  EXPECT_NEAR(m.c.energia_pantografo_kWh, kJ / 3600 / rendimento_trazione, 1e-3);
  // On a climb of 10 per mille, the weight lifted besides, m g h, but for
  // the braking at the end, where the climb takes up what the speed gave.
  const Descritta salita({"[pendenze]", fmt_pendenza(10)});
  const marcia_modello s = salita.corsa(treno(100, 72));
  ASSERT_TRUE(s.riuscita());
  const double frenata = 20.0 * 20 / (2 * (0.52 + gravita_ms2 * 0.01));
  EXPECT_NEAR(s.c.energia_ruota_kWh, (kJ + 100 * gravita_ms2 * (19000 - frenata) * 0.01) / 3600,
              0.01);
}

}  // namespace
}  // namespace scen

namespace scen {
namespace {

TEST(MarciaModello, CompiledFilesWithoutDescriptionsRunTheSameCurves) {
  // Without the records (a folder of compiled files) the curves are read
  // back from the plan trace that the reader drew from them.
  const Descritta d({"[curve]", "curvas1,  1350,  150", "curvad3,  4000,  200",
                     "curvad6,  6000,  900", "curvas4,  9000,  1200"});
  const std::vector<curva_marcia> dai_record = percorso_da_modello(*d.m, &d.vista).curve;
  const std::vector<curva_marcia> dal_tracciato = percorso_da_modello(*d.m, nullptr).curve;
  ASSERT_EQ(dai_record.size(), 4U);
  ASSERT_EQ(dal_tracciato.size(), dai_record.size());
  for (size_t i = 0; i < dai_record.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LE(std::labs(dal_tracciato[i].inizio - dai_record[i].inizio), 1);
    EXPECT_LE(std::labs(dal_tracciato[i].lunghezza - dai_record[i].lunghezza), 1);
    EXPECT_DOUBLE_EQ(dal_tracciato[i].raggio, dai_record[i].raggio);
  }
}

}  // namespace
}  // namespace scen
