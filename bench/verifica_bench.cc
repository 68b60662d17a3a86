// `scenario verifica` on a train description with 100,000 records of an
// unknown keyword: one warning each, so as many problems. The check's time
// grows with what it finds no more than with the file.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <string>

#include "content/dati_incorporati.h"
#include "tool/verifica.h"

namespace {

using namespace scen;

std::string portata(std::string_view nome) {
  std::string testo;
  for (const std::string& r : righe_incorporate(nome)) testo += r + "\r\n";
  return testo;
}

// The carried train with `n` lines of an unknown keyword before its end.
std::string treno_con_sconosciuti(long n) {
  std::string treno = portata("treno");
  std::string righe;
  for (long i = 0; i < n; ++i) righe += fmt::format("sconosciuta{},  {}\r\n", i % 7, i);
  treno.insert(treno.rfind("[fine]"), righe);
  return treno;
}

void BM_verifica_problemi(benchmark::State& state) {
  const std::string linea = portata("linea");
  const std::string treno = treno_con_sconosciuti(state.range(0));
  const nomi_verificati nomi = {"linea.txt", "treno.txt"};
  for (auto _ : state) {
    const problemi_trovati p = trova_problemi({linea, treno}, nomi, false);
    if (p.avvisi < state.range(0)) state.SkipWithError("meno avvisi dei record sconosciuti");
    benchmark::DoNotOptimize(p.ordinati.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_verifica_problemi)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
