// The railway's own kilometre marks along a line, from its kilometric
// progressives: from each progressive's start on, the mark is the position
// plus the offset, or the offset less the position where the count
// decreases. Before the first start the mark is the position itself. Where
// one count gives way to the next the marks jump.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scen {

// One kilometric progressive, in metres, as the line description writes it.
struct progressiva_km {
  std::int64_t inizio = 0;
  std::int64_t scostamento = 0;
  bool decrescente = false;
};

// Where the count jumps: at `posizione` the mark goes from `prima` to `dopo`.
struct salto_km {
  std::int64_t posizione = 0;
  std::int64_t prima = 0;
  std::int64_t dopo = 0;
};

class segni_chilometrici {
 public:
  // The progressives in any order; a progressive that changes nothing (the
  // same marks as the count before it) makes no jump.
  explicit segni_chilometrici(std::vector<progressiva_km> progressive);

  // The mark at `posizione`, in metres.
  std::int64_t segno(std::int64_t posizione) const;

  // The jumps at positions after `da` up to `a` included, in order.
  std::vector<salto_km> salti(std::int64_t da, std::int64_t a) const;

  // The position of the last whole-kilometre post at or before `posizione`,
  // counting back over the jumps, and its mark; nothing when the line has no
  // such post from position 0 up to there.
  struct cippo {
    std::int64_t posizione = 0;
    std::int64_t segno = 0;
  };
  std::optional<cippo> cippo_prima(std::int64_t posizione) const;

 private:
  // The counts in order of start; the first starts at 0.
  std::vector<progressiva_km> tratti_;
};

// A mark in kilometres with three decimals: 31100 is "31.100", -300 "-0.300".
std::string km(std::int64_t metri);

}  // namespace scen
