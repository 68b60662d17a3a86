// `scenario guarda`: a page on the loopback address that shows the drawing
// and the problems of a pair of descriptions, and follows every save of
// either file.
#pragma once

#include <iosfwd>
#include <string>

namespace scen {

struct richiesta_guarda {
  std::string linea;  // the line description file (host name)
  std::string treno;  // the train description file (host name)
  long porta = 0;     // 0: a free one
  bool utf8 = false;  // given in UTF-8, any line ends
  bool apri = false;  // open the page in the user's browser
  // The train of the run: a JSON file; empty, the file beside the train
  // description when there is one, else the built-in train. Its saves are
  // followed as the descriptions'.
  std::string rotabile;
};

// Serves the page until an interrupt (Ctrl-C) or a termination, which end it
// within a second whatever the clients do and however long a reading takes
// (a reading still going is not waited for: the process ends there). Prints
// its address first ("http://127.0.0.1:N/"), once the first reading is done,
// then one line per reading of the files (time, errors, warnings,
// milliseconds, why a file could not be read). Returns the exit status: 0
// ended when asked, 2 a file that cannot be read at the start (only regular
// files are read), a port that cannot be had, a port out of range.
int guarda(const richiesta_guarda& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
