// `scenario descrivi`: writes the carried scenario's description files and
// crew documents into a folder, for an author to start from.
#pragma once

#include <iosfwd>
#include <string>

namespace scen {

struct richiesta_descrivi {
  std::string cartella;  // where the files go (host name); it must exist
  bool utf8 = false;     // the description files in UTF-8 with LF line ends
};

// Writes, with the carried keys' names and in the build run's order, the line
// and train description files and the notes, the slowdown order and the
// train card, byte for byte as the build run writes them; with `utf8` the two
// description files hold the same lines in UTF-8, each ended by LF. Stops at
// the first file that cannot be written and names it, with the reason, on
// `errori`; once all are written, lists them on `uscita`, one line each.
// Returns the exit status.
int descrivi(const richiesta_descrivi& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
