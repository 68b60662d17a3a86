#include "check/avvisi_marcia.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "read/memorizza_dati.h"
#include "testing/descrizioni_prova.h"

namespace scen {
namespace {

// The small pair of the tests with lines of the train description replaced
// (`nuovo_treno`, by their text) and gradient records added to the line's:
// the warnings of its run with the built-in train, as "RIGA:COLONNA: causa"
// of the file they stand in.
std::vector<std::string> avvisi(const std::vector<std::pair<std::string, std::string>>& treno_da_a,
                                const std::vector<std::string>& pendenze = {}) {
  std::string linea = prova::linea_prova;
  std::string aggiunte;
  for (const std::string& p : pendenze) aggiunte += p + "\r\n";
  linea.replace(linea.find("[montagne]"), 0, aggiunte);
  std::string treno = prova::treno_prova;
  for (const auto& [da, a] : treno_da_a) treno.replace(treno.find(da), da.size(), a);
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  m->con_tracciato = 1;
  leggi_descrizioni(*m, linea, treno, {"linea", "treno"});
  EXPECT_EQ(m->errore_codice, esito::nessuno);
  const descrizione_vista vl = vedi_linea(linea), vt = vedi_treno(treno);
  elenco_problemi problemi;
  controlla_marcia(marcia_del_modello(*m, &vl, nullptr), vl, vt, problemi);
  std::vector<std::string> testi;
  for (const problema& p : problemi.ordinati()) {
    EXPECT_EQ(p.livello, gravita::avviso);
    testi.push_back(fmt::format("{}:{}:{}: {}", p.file == file_linea ? "linea" : "treno", p.riga,
                                p.colonna, p.causa));
  }
  return testi;
}

TEST(AvvisiMarcia, TheSmallPairRunsWithoutAWord) { EXPECT_TRUE(avvisi({}).empty()); }

TEST(AvvisiMarcia, WhatTheRunTakesButIsHardlyMeant) {
  const struct {
    const char* nome;
    std::vector<std::pair<std::string, std::string>> treno;
    std::vector<std::string> pendenze;
    std::vector<std::string> attesi;
  } casi[] = {
      {"una massa frenata del 12%",
       {{"massa frenata,  130", "massa frenata,  12"}},
       {},
       {"treno:3:29: percentuale massa frenata 12%: nessun treno frena così (da 50% a 250%); il "
        "treno incorporato frena allora a 0,20 m/s²"}},
      {"una massa frenata del 300%",
       {{"massa frenata,  130", "massa frenata,  300"}},
       {},
       {"treno:3:29: percentuale massa frenata 300%: nessun treno frena così (da 50% a 250%); il "
        "treno incorporato frena allora a 0,80 m/s²"}},
      {"una sosta all'arrivo",
       {{"0,0,0,  0,0,0,    0,  13,20, 0, Nuro", "0,0,0,  0,0,0,   60,  13,20, 0, Nuro"}},
       {},
       {"treno:13:58: stazione «Nuro»: sosta di 60 s all'arrivo: la corsa finisce qui, e la sosta "
        "non entra in nessun tempo"}},
      // 10 coaches, 535 t: the adhesion of 90 on the 85 t of the locomotive
      // (0.9 x 0.33 x 85 x 9.81 = 247.7 kN) against 13.1 kN of running
      // resistance and 5.25 kN for each per mille.
      {"una salita su cui non si riparte",
       {},
       {"pendenza,  6500,   46", "pendenza,  6600,   5"},
       {"linea:17:20: pendenza di 46 per mille: il treno «locomotiva elettrica e 10 vetture» non "
        "vi riparte da fermo: lo sforzo che l'aderenza gli lascia è 247,7 kN, ne servono 254,5"}},
      // Over 600 m of 80 per mille the train comes to rest with its head at
      // 7242 m, past the climb: the finding stands at the steepest record
      // under the train, not at the one under its head.
      {"un treno che si ferma",
       {},
       {"pendenza,  6600,   80", "pendenza,  7200,   5"},
       {"linea:17:20: pendenza di 80 per mille: il treno «locomotiva elettrica e 10 vetture» non "
        "ce la fa: a 7242 m si ferma, con una pendenza media sotto il treno di 68,7 per mille; "
        "gli mancano 126 kN per ripartire. La marcia si ferma qui: gli orari non si controllano "
        "e la scheda treno non ha i tempi della marcia",
        "linea:17:20: pendenza di 80 per mille: il treno «locomotiva elettrica e 10 vetture» non "
        "vi riparte da fermo: lo sforzo che l'aderenza gli lascia è 247,7 kN, ne servono 433"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(avvisi(c.treno, c.pendenze), c.attesi);
  }
}

}  // namespace
}  // namespace scen
