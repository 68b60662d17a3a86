// `scenario documenti`: the crew documents of a scenario of one's own, made
// from its two description files: the train card, the slowdown order and,
// from a text of the author's, the notes.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "content/chiavi_portate.h"

namespace scen {

struct richiesta_documenti {
  std::string linea;                                      // the line description file (host name)
  std::string treno;                                      // the train description file (host name)
  std::string cartella;                                   // where the documents go (host name)
  std::string chiave_percorso = chiave_percorso_portata;  // Windows-1252
  std::string chiave_treno = chiave_treno_portata;        // Windows-1252
  bool utf8 = false;                                      // given files in UTF-8, any line ends
  std::optional<std::string> note;                        // the notes' text, UTF-8 (host name)
  std::string categoria = "V200 C";                       // the train's category (UTF-8)
  long massa_bloccata = 600;                              // tonnes
  bool senza_marcia = false;                              // the card without the timetable's times
  // The train of the card's times: a JSON file; empty, the file beside the
  // train description when there is one, else the built-in train.
  std::string rotabile;
};

// Writes into the folder, named for the keys, the notes (only with a notes
// file), the slowdown order and the train card, each replacing an older file
// whole. Nothing is written when the descriptions do not read without error
// or a document cannot show what they hold; the problems go to `errori`, one
// line each, "FILE:RIGA: errore: causa" (or "avviso", for what a document
// leaves out and is written all the same). `uscita` gets one line for each
// document written. Returns the exit status: 0 written, 1 descriptions or
// documents with errors, 2 a file that cannot be read, converted or written,
// a key or a heading value that a card cannot hold.
int documenti(const richiesta_documenti& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
