// `scenario disegna`: one picture of a scenario, from its compiled files or
// from a pair of descriptions read in memory, as SVG or as a page that zooms
// along the line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "marcia/orario.h"
#include "marcia/rotabile.h"
#include "platform/stato.h"

namespace scen {

struct richiesta_disegna {
  // One folder of compiled files, or the line and the train descriptions.
  std::vector<std::string> ingressi;
  std::string uscita;  // FILE.svg or FILE.html; empty: the default name
  bool utf8 = false;   // the descriptions in UTF-8, any line ends
  // The train and the supplement of the run drawn: the train of `rotabile`
  // (a JSON file), else of the file beside the train description, else the
  // built-in train, and the usual supplement, unless given.
  const rotabile* treno = nullptr;
  std::string file_rotabile;
  double margine = margine_normale;
};

// A usage fault of the request, in words: not one or two inputs, or an
// output name that ends neither in ".svg" nor in ".html".
Stato richiesta_disegna_valida(const richiesta_disegna& richiesta);

struct modello;
struct scena;

// What the picture of a pair of descriptions adds to the scene of the model
// read from them: the slowdowns from their records where some overlap (the
// cells cannot tell them apart), and the fastest run of `treno` (the
// built-in train when none) with the timetable of `margine` percent.
// `testo_linea` and `testo_treno` are the descriptions as the readers took
// them.
void completa_dalle_descrizioni(const modello& m, const std::string& testo_linea,
                                const std::string& testo_treno, scena& s,
                                const rotabile* treno = nullptr, double margine = margine_normale);

// Draws the scenario and writes the picture (a valid request). Without a
// name for it, it goes into the current folder, named after the input: the
// route key of the compiled files, or the line description's name with
// ".svg" for its extension. Writes one line on `uscita`
// naming the file written and what it shows; problems go to `errori`
// ("FILE:RIGA: causa" for a description that does not read). Returns the
// exit status: 0 written, 1 the scenario does not read through (nothing
// written), 2 a file that cannot be read or written, or bad usage.
int disegna(const richiesta_disegna& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
