#include "check/avvisi_orari.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "read/memorizza_dati.h"
#include "testing/prova_lettura.h"

namespace scen {
namespace {

// The carried pair with line `riga` of the train description replaced.
std::vector<problema> orari_di(long riga = 0, std::string_view nuova = {}) {
  const std::string linea = prova::portata("linea");
  const std::string treno = prova::portata("treno", riga, nuova);
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  leggi_descrizioni(*m, linea, treno, {"linea", "treno"});
  EXPECT_EQ(m->errore_codice, esito::nessuno);
  elenco_problemi problemi;
  const descrizione_vista vista_linea = vedi_linea(linea);
  controlla_orari(marcia_del_modello(*m, &vista_linea, nullptr), *m, vedi_treno(treno), problemi);
  return problemi.ordinati();
}

TEST(AvvisiOrari, TheCarriedTimesCanBeKept) { EXPECT_TRUE(orari_di().empty()); }

TEST(AvvisiOrari, TimesThatNoTrainCanKeep) {
  const struct {
    long riga;
    const char* nuova;
    long riga_attesa, colonna_attesa;
    std::vector<std::string> parti;
  } casi[] = {
      {58,
       "stazione,   11950,  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   99,  13, 5, 0, Colle Ardito",
       58,
       63,
       {"stazione «Colle Ardito»: l'orario 13:05:00 viene 30 s dopo quello di «Vela» (13:04:30)",
        "con la sosta di 99 s qui: nessun treno lo può tenere"}},
      // Valdimora 5 minutes after Colle Ardito, 88 km on.
      {72,
       "stazione,   99850,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  13,23,30, Valdimora",
       72,
       63,
       {"l'orario 13:23:30 viene 5 min 0 s dopo quello di «Colle Ardito» (13:18:30)",
        "ci mette 39 min 57 s"}},
      // A passing time, given, that comes too soon.
      {59,
       "stazione,   17600,  2,  400,  0, 0, 0,  1,0,0,  0,1,0,    0,  13,19, 0, Borgo Feroni",
       59,
       63,
       {"stazione «Borgo Feroni»: l'orario 13:19:00 viene 30 s dopo quello di «Colle Ardito»"}},
      {72,
       "stazione,   99850,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  13, 0,30, Valdimora",
       72,
       63,
       {"l'orario 13:00:30 viene prima di quello di «Colle Ardito» (13:18:30): gli orari tornano "
        "indietro"}},
      {5,
       "orologio,  13 4 0 ",
       5,
       12,
       {"orologio: 13:04:00, ma il treno parte dall'origine «Vela» alle 13:04:30"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nuova);
    const std::vector<problema> p = orari_di(c.riga, c.nuova);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].livello, gravita::avviso);
    EXPECT_EQ(p[0].file, file_treno);
    EXPECT_EQ(p[0].riga, c.riga_attesa);
    EXPECT_EQ(p[0].colonna, c.colonna_attesa);
    for (const std::string& parte : c.parti)
      EXPECT_NE(p[0].causa.find(parte), std::string::npos) << p[0].causa;
  }
}

TEST(AvvisiOrari, TimesWithRoomAndAClockOutOfRangeGiveNone) {
  // A minute later than the carried time still leaves the next one room.
  EXPECT_TRUE(orari_di(58,
                       "stazione,   11950,  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   99,  13,19,30, "
                       "Colle Ardito")
                  .empty());
  // A clock of 25 hours has the warning of its field, not this one.
  EXPECT_TRUE(orari_di(5, "orologio,  25 4 30 ").empty());
}

}  // namespace
}  // namespace scen
