// The checker's warnings about values that the train reader changes or drops,
// held against what the reader does with the same bytes: the small pair with
// one record changed at a time, over every value around each rule's bounds.
// A warning without the change, or a change without the warning, is a rule
// that the checker and the reader state apart.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/controlli_avvisi.h"
#include "read/campi.h"
#include "read/diagnosi.h"
#include "read/guasto.h"
#include "read/lettore_linea.h"
#include "read/lettore_treno.h"
#include "read/lettura.h"
#include "read/vista.h"
#include "testing/descrizioni_prova.h"
#include "testing/lettura_e_vista.h"

namespace scen {
namespace {

// The small train with its line number `riga` (from 1) replaced by `nuova`.
std::string con_riga(long riga, std::string_view nuova) {
  std::string testo;
  long n = 0;
  size_t inizio = 0;
  const std::string& treno = prova::treno_prova;
  while (inizio < treno.size()) {
    const size_t fine = treno.find("\r\n", inizio);
    testo += ++n == riga ? std::string(nuova) : treno.substr(inizio, fine - inizio);
    testo += "\r\n";
    inizio = fine + 2;
  }
  return testo;
}

// The line number of the small train's line that begins with `inizio`.
long riga_di(std::string_view inizio) {
  long n = 1;
  for (size_t p = 0; p < prova::treno_prova.size(); ++n) {
    if (std::string_view(prova::treno_prova).substr(p).starts_with(inizio)) return n;
    p = prova::treno_prova.find("\r\n", p) + 2;
  }
  return 0;
}

struct letto_e_controllato {
  std::unique_ptr<modello> m = std::make_unique<modello>(prova::modello_di_prova());
  bool fino_in_fondo = false;
  std::vector<problema> avvisi;

  // Whether the checker warns at line `riga` of the train with a cause that
  // begins with `inizio`.
  bool avvisa(long riga, std::string_view inizio) const {
    for (const problema& p : avvisi)
      if (p.file == file_treno && p.riga == riga && p.causa.starts_with(inizio)) return true;
    return false;
  }
};

// The small line and `treno`, read into a model and checked.
letto_e_controllato leggi_e_controlla(const std::string& treno) {
  letto_e_controllato r;
  try {
    campi linea{prova::linea_prova};
    posizione_lettura p;
    diagnosi_lettura d;
    const esito_linea della_linea = leggi_linea(*r.m, linea, p, d);
    p = {};
    campi f{treno};
    leggi_treno(*r.m, f, della_linea, p, d);
    r.fino_in_fondo = r.m->errore_codice == esito::nessuno;
  } catch (const guasto_lettura&) {
    r.fino_in_fondo = false;
  }
  const descrizione_vista linea = vedi_linea(prova::linea_prova);
  const descrizione_vista vista = vedi_treno(treno);
  elenco_problemi problemi;
  controlla_avvisi(&linea, &vista, false, problemi);
  for (problema& p : problemi.ordinati()) r.avvisi.push_back(std::move(p));
  return r;
}

// A class 2 signal keeps its extra value, 1 to 100 raised to 101; another
// class keeps none. The checker warns exactly where the cell differs from
// the file.
TEST(AvvisiTreno, TheSignalsExtraValueIsWarnedAboutWhereTheReaderRaisesIt) {
  const long riga = riga_di("segnale,    4900");
  ASSERT_GT(riga, 0);
  const largo cella_segnale = cella_dopo(4900);
  for (Long classe : {1, 2})
    for (Long extra : {0, 1, 2, 50, 99, 100, 101, 102, 200, 255}) {
      SCOPED_TRACE(fmt::format("classe {}, valore extra {}", classe, extra));
      const letto_e_controllato r = leggi_e_controlla(con_riga(
          riga,
          fmt::format("segnale,    4900,   {}, 3, 0,  0, 0,    1,  1,0,0, {}", classe, extra)));
      ASSERT_TRUE(r.fino_in_fondo);
      const Long tenuto = r.m->celle[static_cast<size_t>(cella_segnale)].valore_5;
      const Long atteso = classe != 2 ? 0 : extra >= 1 && extra <= 100 ? 101 : extra;
      EXPECT_EQ(tenuto, atteso);
      EXPECT_EQ(r.avvisa(riga, fmt::format("segnale: il valore extra {} si legge come", extra)),
                classe == 2 && tenuto != extra);
      EXPECT_EQ(r.avvisa(riga, fmt::format("segnale: il valore extra {} non viene letto", extra)),
                classe != 2 && extra != 0);
    }
}

// A speed limit is kept in fifths of km/h, to the nearest: the checker warns
// exactly where the cells keep another speed than the one written.
TEST(AvvisiTreno, ASpeedIsWarnedAboutWhereTheCellsKeepAnotherOne) {
  const long riga = riga_di("velocita,  5000");
  ASSERT_GT(riga, 0);
  const struct {
    Long scritta;
    int quinti;
  } casi[] = {{1, 0},  {2, 0},   {3, 1},   {5, 1},   {7, 1},      {12, 2},
              {13, 3}, {60, 12}, {62, 12}, {63, 13}, {1274, 255}, {1275, 255}};
  for (const auto& c : casi) {
    SCOPED_TRACE(fmt::format("velocita {}", c.scritta));
    const letto_e_controllato r =
        leggi_e_controlla(con_riga(riga, fmt::format("velocita,  5000,  {}", c.scritta)));
    ASSERT_TRUE(r.fino_in_fondo);
    const int tenuta = r.m->celle[150].vel_limite;
    EXPECT_EQ(tenuta, c.quinti);
    EXPECT_EQ(r.avvisa(riga, fmt::format("velocita: la velocità {} non è un multiplo", c.scritta)),
              5 * tenuta != c.scritta);
  }
}

// The second station, by type, extent and fields 5 and 6: what the reader
// keeps of fields 5 and 6, and whether it gets its stop mark, against the
// checker's warnings on those fields.
TEST(AvvisiTreno, AStationsFieldsThatTheReaderDropsAreThoseTheCheckerWarnsAbout) {
  const long riga = riga_di("stazione,    9000");
  ASSERT_GT(riga, 0);
  for (Long tipo : {2, 4, 5, 6, 7, 8, 9, 24, 25, 30})
    for (Long estensione : {400, 500, 600, 700, 800})
      for (Long campo_5 : {0, 1})
        for (Long campo_6 : {0, 1}) {
          SCOPED_TRACE(fmt::format("tipo {}, estensione {}, campi 5 e 6 {} {}", tipo, estensione,
                                   campo_5, campo_6));
          const letto_e_controllato r = leggi_e_controlla(con_riga(
              riga, fmt::format("stazione,    9000,  {},  {},  0, {}, {},  0,0,0,  0,0,0,    0,  "
                                "13,20, 0, Nuro",
                                tipo, estensione, campo_5, campo_6)));
          ASSERT_TRUE(r.fino_in_fondo);
          const registro& stazione = r.m->registri[2];
          EXPECT_EQ(stazione.campo_5, campo_5 != 0 && estensione >= 600 ? 1 : 0);
          EXPECT_EQ(stazione.prolungamento, campo_6 != 0 && (tipo < 5 || tipo > 8) ? 1 : 0);
          EXPECT_EQ(r.avvisa(riga, "stazione: il campo 5 vale 1 ma non viene registrato"),
                    campo_5 != stazione.campo_5);
          EXPECT_EQ(r.avvisa(riga, "stazione: il campo 6 (prolungamento) vale 1 ma non ha effetto"),
                    campo_6 != stazione.prolungamento);
          long fermate = 0;
          for (const cella& c : r.m->celle) fermate += c.codice == codice_cella::fermata;
          EXPECT_EQ(fermate, tipo >= 25 ? 1 : 2);
        }
}

}  // namespace
}  // namespace scen
