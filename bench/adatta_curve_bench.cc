// The curve fit on lines of 200 to 1,000 km that wave gently, within the
// tolerance, or tighter than the tightest curve class: its time grows with
// the line's length, no faster.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "import/adatta.h"
#include "testing/onde_prova.h"

namespace {

using namespace scen;

void adatta(benchmark::State& stato, double ampiezza, double lunghezza_onda) {
  const std::vector<punto_piano> t =
      prova::onda(static_cast<double>(stato.range(0)) * 1000, ampiezza, lunghezza_onda);
  for (auto _ : stato) {
    std::vector<long> corrispondenze;
    benchmark::DoNotOptimize(adatta_curve(t, corrispondenze));
  }
  stato.SetComplexityN(stato.range(0));
}

// Waves of 4 m every kilometre: the straight run drifts from the track's
// metres, and curves take up its length.
void OndaLieve(benchmark::State& stato) { adatta(stato, 4, 1000); }
BENCHMARK(OndaLieve)->Arg(200)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

// Waves of 100 m every 700 m, tighter than any class at their crests.
void OndaStretta(benchmark::State& stato) { adatta(stato, 100, 700); }
BENCHMARK(OndaStretta)->Arg(200)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

// Waves of 50 m every 5 km, followed by the curve classes.
void OndaLarga(benchmark::State& stato) { adatta(stato, 50, 5000); }
BENCHMARK(OndaLarga)->Arg(200)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
