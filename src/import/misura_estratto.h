// The bounds an extract's text is held to before it is parsed: a small
// compressed file may decompress into far more than any extract holds, or
// into one element that a parser would grow without end.
#pragma once

#include <cstdint>
#include <string>

#include "platform/stato.h"

namespace scen {

struct limiti_estratto {
  // The longest element of an XML extract, from one '<' to the next, or
  // line of an OPL one (bytes): a way of 2,000 nodes or a relation of
  // 32,000 members takes far less.
  std::uint64_t elemento = std::uint64_t{4} << 20;
  // A compressed extract decompresses into at most `rapporto` times its own
  // size, or `minimo` bytes when that is more: map data compresses to a
  // tenth or so, and not a hundredth.
  std::uint64_t rapporto = 100;
  std::uint64_t minimo = std::uint64_t{256} << 20;
};

// Reads the extract `percorso` through (decompressing it as its name says:
// .gz, .bz2) without parsing it, and fails with "FILE: reason" naming the
// bound it passes. The binary forms (.pbf, .o5m) are held to the total
// only; a file that cannot be read is left for the reader to report.
Stato misura_estratto(const std::string& percorso, const limiti_estratto& limiti = {});

}  // namespace scen
