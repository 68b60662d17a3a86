// The running-time calculation of the carried pair next to compiling it:
// `scenario marcia` whole (reading, the run, the timetable, the text), the
// run alone on a read model, and `scenario compila` of the same pair.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "content/dati_incorporati.h"
#include "marcia/marcia_modello.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "tool/compila.h"
#include "tool/marcia.h"

namespace {

using namespace scen;

std::string portata(std::string_view nome) {
  std::string testo;
  for (const std::string& r : righe_incorporate(nome)) testo += r + "\r\n";
  return testo;
}

struct coppia {
  cartella_privata cartella;
  std::string linea, treno;
  coppia() {
    if (!cartella.crea().riuscito()) std::abort();
    linea = cartella.percorso() + "/linea.txt";
    treno = cartella.percorso() + "/treno.txt";
    if (!sostituisci_file(linea, portata("linea")).riuscito() ||
        !sostituisci_file(treno, portata("treno")).riuscito())
      std::abort();
  }
};

void BM_scenario_marcia(benchmark::State& state) {
  coppia c;
  richiesta_marcia r;
  r.linea = c.linea;
  r.treno = c.treno;
  for (auto _ : state) {
    std::ostringstream uscita, errori;
    if (marcia(r, uscita, errori) != uscita_riuscita) state.SkipWithError(errori.str().c_str());
  }
}
BENCHMARK(BM_scenario_marcia)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_corsa_e_orario(benchmark::State& state) {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  const std::string linea = portata("linea");
  leggi_descrizioni(*m, linea, portata("treno"), {"linea", "treno"});
  const descrizione_vista vista = vedi_linea(linea);
  for (auto _ : state) {
    const marcia_modello r = marcia_del_modello(*m, &vista, nullptr);
    if (!r.riuscita()) state.SkipWithError("la corsa non si calcola");
    benchmark::DoNotOptimize(r.orario.stazioni.data());
  }
}
BENCHMARK(BM_corsa_e_orario)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_scenario_compila_portata(benchmark::State& state) {
  coppia c;
  richiesta_compila r;
  r.linea = c.linea;
  r.treno = c.treno;
  r.cartella = c.cartella.percorso();
  for (auto _ : state) {
    std::ostringstream uscita, errori;
    if (compila(r, uscita, errori) == uscita_fallita) state.SkipWithError(errori.str().c_str());
  }
}
BENCHMARK(BM_scenario_compila_portata)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
