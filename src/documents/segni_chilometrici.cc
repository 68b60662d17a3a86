#include "documents/segni_chilometrici.h"

#include <fmt/format.h>

#include <algorithm>

namespace scen {

namespace {

using largo = std::int64_t;

largo segno_nel_tratto(const progressiva_km& t, largo p) {
  return t.decrescente ? t.scostamento - p : p + t.scostamento;
}

// Whole kilometres, rounded down and up, of a mark that may be negative.
largo km_sotto(largo metri) { return (metri >= 0 ? metri : metri - 999) / 1000 * 1000; }
largo km_sopra(largo metri) { return km_sotto(metri + 999); }

}  // namespace

segni_chilometrici::segni_chilometrici(std::vector<progressiva_km> progressive) {
  std::stable_sort(
      progressive.begin(), progressive.end(),
      [](const progressiva_km& a, const progressiva_km& b) { return a.inizio < b.inizio; });
  tratti_.push_back({0, 0, false});
  for (const progressiva_km& p : progressive) {
    if (p.inizio <= 0) {
      tratti_.front() = {0, p.scostamento, p.decrescente};
      continue;
    }
    // A count that goes on as the one before it is no new stretch.
    const progressiva_km& prima = tratti_.back();
    if (prima.decrescente == p.decrescente && prima.scostamento == p.scostamento) continue;
    tratti_.push_back(p);
  }
}

largo segni_chilometrici::segno(largo posizione) const {
  const progressiva_km* tratto = &tratti_.front();
  for (const progressiva_km& t : tratti_)
    if (t.inizio <= posizione) tratto = &t;
  return segno_nel_tratto(*tratto, posizione);
}

std::vector<salto_km> segni_chilometrici::salti(largo da, largo a) const {
  std::vector<salto_km> trovati;
  for (size_t i = 1; i < tratti_.size(); ++i) {
    const largo p = tratti_[i].inizio;
    if (p <= da || p > a) continue;
    const largo prima = segno_nel_tratto(tratti_[i - 1], p);
    const largo dopo = segno_nel_tratto(tratti_[i], p);
    if (prima != dopo) trovati.push_back({p, prima, dopo});
  }
  return trovati;
}

std::optional<segni_chilometrici::cippo> segni_chilometrici::cippo_prima(largo posizione) const {
  if (posizione < 0) return std::nullopt;
  // From the stretch that holds the position back to the first: the last
  // metre of each earlier stretch is the one before the next start.
  size_t i = tratti_.size();
  while (i > 1 && tratti_[i - 1].inizio > posizione) --i;
  largo fine = posizione;
  for (; i > 0; --i) {
    const progressiva_km& t = tratti_[i - 1];
    const largo segno_fine = segno_nel_tratto(t, fine);
    const largo segno = t.decrescente ? km_sopra(segno_fine) : km_sotto(segno_fine);
    const largo p = t.decrescente ? t.scostamento - segno : segno - t.scostamento;
    if (p >= t.inizio) return cippo{p, segno};
    fine = t.inizio - 1;
    if (fine < 0) break;
  }
  return std::nullopt;
}

std::string km(largo metri) {
  const largo assoluto = metri < 0 ? -metri : metri;
  return fmt::format("{}{}.{:03}", metri < 0 ? "-" : "", assoluto / 1000, assoluto % 1000);
}

}  // namespace scen
