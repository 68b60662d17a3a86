#include "generatore.h"

#include <fmt/format.h>

#include <cstdint>
#include <sstream>
#include <vector>

namespace scen::banco {

namespace {

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

}  // namespace

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

}  // namespace scen::banco
