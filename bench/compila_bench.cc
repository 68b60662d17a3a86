// How much the whole compile of a 1,000,000 m line costs next to writing its
// output alone, step by step inside one process (the descriptions are those
// of generatore.h).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "compile/file_compilati.h"
#include "compile/memorizza_percorso.h"
#include "compile/riduzione_codici.h"
#include "generatore.h"
#include "model/nomi_file.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "read/memorizza_dati.h"
#include "tool/compila.h"

namespace {

using namespace scen;

const banco::descrizioni& dati() {
  static const banco::descrizioni d = banco::genera();
  return d;
}

// The two descriptions, written afresh into the folder (the readers delete them).
file_descrizione scrivi_descrizioni(const std::string& cartella, const modello& m) {
  file_descrizione file{percorso_in(cartella, nome_descrizione_linea(m)),
                        percorso_in(cartella, nome_descrizione_treno(m))};
  if (!sostituisci_file(file.linea, dati().linea).riuscito() ||
      !sostituisci_file(file.treno, dati().treno).riuscito())
    std::abort();
  return file;
}

std::unique_ptr<modello> nuovo_modello() {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  return m;
}

// Reading, the pass, the reserved slots and the three files.
void BM_memorizza_percorso(benchmark::State& state) {
  cartella_privata cartella;
  if (!cartella.crea().riuscito()) std::abort();
  Long esito = 0;  // the outcome number of the last run
  for (auto _ : state) {
    state.PauseTiming();
    auto m = nuovo_modello();
    file_descrizione file = scrivi_descrizioni(cartella.percorso(), *m);
    state.ResumeTiming();
    risultato_percorso r = memorizza_percorso(*m, 1, file, cartella.percorso());
    if (r.esito != esito_percorso::scritti) state.SkipWithError(r.messaggio.c_str());
    esito = numero_esito(m->errore_codice);
  }
  state.counters["esito"] = static_cast<double>(esito);
}
BENCHMARK(BM_memorizza_percorso)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole `scenario compila`, copies of the given files included.
void BM_scenario_compila(benchmark::State& state) {
  cartella_privata cartella;
  if (!cartella.crea().riuscito()) std::abort();
  richiesta_compila richiesta;
  richiesta.linea = cartella.percorso() + "/linea.txt";
  richiesta.treno = cartella.percorso() + "/treno.txt";
  richiesta.cartella = cartella.percorso();
  if (!sostituisci_file(richiesta.linea, dati().linea).riuscito() ||
      !sostituisci_file(richiesta.treno, dati().treno).riuscito())
    std::abort();
  for (auto _ : state) {
    std::ostringstream uscita, errori;
    int stato = compila(richiesta, uscita, errori);
    if (stato == uscita_fallita) state.SkipWithError(errori.str().c_str());
  }
}
BENCHMARK(BM_scenario_compila)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading both descriptions and the pass, no file written.
void BM_lettura_e_riduzione(benchmark::State& state) {
  cartella_privata cartella;
  if (!cartella.crea().riuscito()) std::abort();
  for (auto _ : state) {
    state.PauseTiming();
    auto m = nuovo_modello();
    m->con_tracciato = 1;
    file_descrizione file = scrivi_descrizioni(cartella.percorso(), *m);
    state.ResumeTiming();
    memorizza_dati(*m, file);
    riduzione_codici(*m);
    benchmark::DoNotOptimize(m->celle.data());
  }
}
BENCHMARK(BM_lettura_e_riduzione)->Unit(benchmark::kMillisecond)->UseRealTime();

// Only writing the same output: the three compiled files' bytes, each
// replacing its file as the compile does.
void BM_solo_scrittura(benchmark::State& state) {
  cartella_privata cartella;
  if (!cartella.crea().riuscito()) std::abort();
  auto m = nuovo_modello();
  file_descrizione file = scrivi_descrizioni(cartella.percorso(), *m);
  if (memorizza_percorso(*m, 1, file, cartella.percorso()).esito != esito_percorso::scritti)
    std::abort();
  const std::string nomi[3] = {nome_linea_compilata(*m), nome_treno_compilato(*m),
                               nome_celle_compilate(*m)};
  std::string byte[3];
  size_t totale = 0;
  for (int i = 0; i < 3; ++i) {
    if (!leggi_file(percorso_in(cartella.percorso(), nomi[i]), byte[i]).riuscito()) std::abort();
    totale += byte[i].size();
  }
  for (auto _ : state)
    for (int i = 0; i < 3; ++i)
      if (!sostituisci_file(percorso_in(cartella.percorso(), nomi[i]), byte[i]).riuscito())
        std::abort();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * totale));
  state.counters["byte"] = static_cast<double>(totale);
}
BENCHMARK(BM_solo_scrittura)->Unit(benchmark::kMillisecond)->UseRealTime();

// Encoding the three tables without writing them.
void BM_solo_codifica(benchmark::State& state) {
  cartella_privata cartella;
  if (!cartella.crea().riuscito()) std::abort();
  auto m = nuovo_modello();
  m->con_tracciato = 1;
  memorizza_dati(*m, scrivi_descrizioni(cartella.percorso(), *m));
  for (auto _ : state) {
    benchmark::DoNotOptimize(codifica_tracciato(*m));
    benchmark::DoNotOptimize(codifica_registri(*m));
    benchmark::DoNotOptimize(codifica_celle(*m));
  }
}
BENCHMARK(BM_solo_codifica)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
