// How much the whole compile of a 1,000,000 m line costs next to writing its
// output alone.
//
// The descriptions are generated with about the record density of the
// carried route (334 km: 173 curves, 251 gradients, 15 mountain zones, 64
// speed indicators, 19 signposts; 43 speed limits, 45 stations, 2 slowdowns,
// 179 signals, 78 code reductions), scaled to 1000 km, except stations and
// signposts, which share 80 records.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "compile/file_compilati.h"
#include "compile/memorizza_percorso.h"
#include "compile/riduzione_codici.h"
#include "model/nomi_file.h"
#include "platform/cartella_privata.h"
#include "platform/file.h"
#include "read/memorizza_dati.h"
#include "tool/compila.h"

namespace {

using namespace scen;

constexpr long lunghezza = 1000000;
constexpr long ultima = (lunghezza + 7000) / 50;

// A small deterministic generator, so every run reads the same line.
class casuale {
 public:
  long tra(long minimo, long massimo) {
    stato_ = stato_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return minimo +
           static_cast<long>((stato_ >> 33) % static_cast<std::uint64_t>(massimo - minimo + 1));
  }

 private:
  std::uint64_t stato_ = 20261210;
};

struct descrizioni {
  std::string linea, treno;
};

// Cells that already hold an object, so that no record collides.
class celle_occupate {
 public:
  celle_occupate() : occupate_(ultima + 1, false) {}
  bool libere(long da, long a) const {
    for (long c = da; c <= a; ++c)
      if (c < 0 || c > ultima || occupate_[static_cast<size_t>(c)]) return false;
    return true;
  }
  void occupa(long da, long a) {
    for (long c = da; c <= a; ++c) occupate_[static_cast<size_t>(c)] = true;
  }
  // The first position from `p` on, in steps of 50 m, whose cells from
  // `prima` before to `dopo` after the cell of the position are all free.
  long libera_da(long p, long prima, long dopo) const {
    while (!libere(p / 50 - prima, p / 50 + dopo)) p += 50;
    return p;
  }

 private:
  std::vector<bool> occupate_;
};

descrizioni genera() {
  casuale r;
  celle_occupate occupate;
  std::ostringstream linea, treno;
  auto riga = [](std::ostringstream& o, const std::string& testo) { o << testo << "\r\n"; };

  riga(linea, "[generale]");
  riga(linea, fmt::format("lunghezza percorso,    {}", lunghezza));
  riga(linea, "progressiva chilometrica uno,    0,    0,    0");
  riga(linea, "progressiva chilometrica due,    400000,    1000,    0");
  riga(linea, "progressiva chilometrica tre,    700000,    1401000,    1");
  riga(linea, "sfondo uno,    1");
  riga(linea, "sfondo due,    0");
  riga(linea, "sfondo tre,    0");
  riga(linea, "ripetizione segnali 9 codici,    8000,    990000");

  riga(linea, "[curve]");
  for (long p = 1350; p < lunghezza - 4000;) {
    long l = 50 * r.tra(1, 38);
    riga(linea, fmt::format("curva{}{},  {},  {}", r.tra(0, 1) ? "s" : "d", r.tra(1, 6), p, l));
    p += l + 50 * r.tra(0, 38);
  }
  riga(linea, "[pendenze]");
  for (long p = 0; p < lunghezza - 2000; p += 50 * r.tra(4, 48))
    riga(linea, fmt::format("pendenza,  {},   {}", p, r.tra(-11, 11)));
  riga(linea, "[montagne]");
  for (long p = 8000; p < lunghezza - 30000; p += 50 * r.tra(300, 580)) {
    long fine = p + 50 * r.tra(20, 80);
    riga(linea, fmt::format("montagna,   {},  {},  {}", p, fine, r.tra(0, 2) ? 12 : 2));
  }
  riga(linea, "[cartelli]");
  for (long p = 1000; p < lunghezza - 2000; p += 50 * r.tra(60, 150)) {
    long q = occupate.libera_da(p, 1, 2);
    occupate.occupa(q / 50 + 1, q / 50 + 1);
    long v = 5 * r.tra(15, 34);
    if (r.tra(0, 3) == 0)
      riga(linea, fmt::format("indicatori_vmax,  {},  {},  {},  {},  0,  ,  ,  ,  0", q, v, v, v));
    else
      riga(linea, fmt::format("indicatori_vmax,  {},  {},  {},  {},  {},  {},  {},  {},  0", q, v,
                              v + 5, v + 10, r.tra(0, 2), v - 10, v - 5, v));
  }
  riga(linea, "[indicazioni]");
  for (long p = 7950; p < lunghezza - 2000; p += 50 * r.tra(600, 1000)) {
    long q = occupate.libera_da(p, 1, 2);
    occupate.occupa(q / 50 + 1, q / 50 + 1);
    riga(linea, fmt::format("cartello_indicatore,  {},   (  Cippo  )(Km {}+000)", q, q / 1000));
  }
  riga(linea, "[fine]");

  riga(treno, "[generale]");
  riga(treno, "numero vetture,  10");
  riga(treno, "percentuale massa frenata,  130");
  riga(treno, "sabbia,  220");
  riga(treno, "orologio,  13 4 30 ");
  riga(treno, "[aderenze]");
  for (long p = 0; p < lunghezza - 2000; p += 50 * r.tra(1000, 2000))
    riga(treno, fmt::format("aderenza,  {},  {}", p, r.tra(87, 96)));
  riga(treno, "[vel_limite]");
  for (long p = 0; p < lunghezza - 2000; p += 50 * r.tra(80, 200))
    riga(treno, fmt::format("velocita,  {},  {}", p, 5 * r.tra(6, 34)));

  // Stations about every 20 km, each with its extent and the cells of its
  // stop and approach marks kept free of signals.
  riga(treno, "[stazioni]");
  std::vector<long> stazioni;
  for (long p = 0, i = 0; i < 50 && p < lunghezza - 2000; p += 50 * r.tra(300, 500), ++i) {
    long tipo = i == 0 ? 8 : 2;
    long estensione = 100 * r.tra(2, 6);
    long fine = tipo == 8 ? p + estensione : p + estensione / 2;
    occupate.occupa(fine / 50 - 6, fine / 50);
    riga(
        treno,
        fmt::format(
            "stazione,  {},  {},  {},  0, 0, 0,  0,0,0,  0,0,0,    {},  {}, {},{}, Stazione {}", p,
            tipo, estensione, i == 0 ? 1 : (i % 5 == 0 ? 60 : 0), 13 + i / 10, (i * 7) % 60, 0, i));
    stazioni.push_back(p);
  }
  riga(treno, "[rallentamenti]");
  for (long p = 150000; p < lunghezza - 50000; p += 150000) {
    long g1 = occupate.libera_da(p, 26, 2);
    while (!occupate.libere(g1 / 50 - 27, g1 / 50 + 40)) g1 += 50;
    long velocita = r.tra(0, 2) ? 60 : 30;
    long l = 50 * r.tra(4, 30);
    occupate.occupa(g1 / 50 - 27, (g1 + l) / 50 + 2);
    riga(treno,
         fmt::format("rallentamento,  {},    {},  {}, 0,  1,  {}", g1, velocita, l, velocita));
  }
  riga(treno, "[segnali]");
  for (long p = 1050; p < lunghezza - 2000; p += 50 * r.tra(20, 50)) {
    long q = occupate.libera_da(p, 0, 1);
    occupate.occupa(q / 50 + 1, q / 50 + 1);
    riga(treno, fmt::format("segnale,    {},   2, {}, {},  {}, {},    {},  {},{},{}, 0", q,
                            r.tra(2, 5), r.tra(0, 6), r.tra(0, 1), r.tra(0, 1), r.tra(0, 2),
                            r.tra(0, 3), r.tra(0, 1), r.tra(0, 1)));
  }
  riga(treno, "[codici]");
  for (long p = 7050; p < lunghezza - 2000; p += 50 * r.tra(60, 110)) {
    long q = occupate.libera_da(p, 0, 0);
    occupate.occupa(q / 50, q / 50);
    riga(treno, fmt::format("abbattimento,    {},   270", q));
  }
  riga(treno, "[fine]");
  return {linea.str(), treno.str()};
}

const descrizioni& dati() {
  static const descrizioni d = genera();
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
