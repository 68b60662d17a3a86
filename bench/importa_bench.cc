// The import of an OpenStreetMap extract of the carried route (334 km, 43
// elevation tiles of 1 arc-second) by its relation and by its stations'
// names, next to the import of a GPS track of the same route: reading, the
// line, the heights, the fit, and the two descriptions written.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "import/importa.h"
#include "testing/estratti_prova.h"
#include "testing/prova_lettura.h"
#include "testing/tracce_prova.h"

namespace {

using namespace scen;

struct percorso_portato {
  prova::CartellaTemporanea cartella;
  prova::estratto_noto e;
  std::string gpx;
  percorso_portato() {
    esito letto = esito::nessuno;
    const prova::linea_nota l = prova::linea_descritta(prova::portata("linea"), letto);
    if (letto != esito::nessuno) std::abort();
    e = prova::crea_estratto(l, prova::fatti_del_treno(prova::portata("treno")),
                             prova::progressive_della_linea(prova::portata("linea")), {},
                             cartella.percorso());
    gpx = cartella.file("traccia.gpx");
    std::ofstream(gpx) << prova::gpx(prova::campiona(l, 20, 3, 0.5, 7));
  }
};

const percorso_portato& portato() {
  static const percorso_portato p;
  return p;
}

void importa_una_volta(benchmark::State& stato, const richiesta_importa& r) {
  for (auto _ : stato) {
    std::ostringstream uscita, errori;
    if (importa(r, uscita, errori) != 0) {
      stato.SkipWithError(errori.str().c_str());
      return;
    }
  }
}

void EstrattoPerRelazione(benchmark::State& stato) {
  const percorso_portato& p = portato();
  richiesta_importa r;
  r.traccia = p.e.osm;
  r.relazione = p.e.relazione;
  r.quote = {p.e.cartella_quote};
  r.uscita = p.cartella.file("linea_relazione.txt");
  r.treno = p.cartella.file("treno_relazione.txt");
  importa_una_volta(stato, r);
}
BENCHMARK(EstrattoPerRelazione)->Unit(benchmark::kMillisecond);

void EstrattoPbfPerStazioni(benchmark::State& stato) {
  const percorso_portato& p = portato();
  richiesta_importa r;
  r.traccia = p.e.pbf;
  r.da = p.e.stazioni.front().nome;
  r.a = p.e.stazioni.back().nome;
  r.quote = {p.e.cartella_quote};
  r.uscita = p.cartella.file("linea_stazioni.txt");
  r.treno = p.cartella.file("treno_stazioni.txt");
  importa_una_volta(stato, r);
}
BENCHMARK(EstrattoPbfPerStazioni)->Unit(benchmark::kMillisecond);

void TracciaGpx(benchmark::State& stato) {
  const percorso_portato& p = portato();
  richiesta_importa r;
  r.traccia = p.gpx;
  r.uscita = p.cartella.file("linea_gpx.txt");
  r.treno = p.cartella.file("treno_gpx.txt");
  importa_una_volta(stato, r);
}
BENCHMARK(TracciaGpx)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
