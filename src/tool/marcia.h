// `scenario marcia`: the timetable of a pair of descriptions from the
// physics: the fastest run of a train over the line, with a regularity
// supplement, against the times that the description schedules.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/stato.h"

namespace scen {

struct richiesta_marcia {
  std::string linea;     // the line description (host name)
  std::string treno;     // the train description (host name)
  std::string rotabile;  // a JSON file of the rolling stock; empty: the built-in train
  std::string margine;   // "P%" or "P"; empty: the usual supplement
  bool json = false;
  bool csv = false;
  std::string uscita;  // FILE.svg or FILE.html: the picture with the run; empty: none
  bool utf8 = false;
};

// A usage fault of the request, in words: both --json and --csv, a margin
// that is no percentage from 0 to 100, a picture that is neither .svg nor
// .html.
Stato richiesta_marcia_valida(const richiesta_marcia& richiesta);

// The supplement in percent from "P%" or "P"; nothing when it is not a
// number from 0 to 100.
bool leggi_margine(const std::string& testo, double& margine);

// Computes the run and prints the timetable on `uscita` (text, JSON or
// CSV), and writes the picture when asked. Returns the exit status: 0 done,
// 1 the descriptions do not read without error or the train cannot run the
// line, 2 a file that cannot be read or written, a rolling stock file that
// is not right, or bad usage.
int marcia(const richiesta_marcia& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
