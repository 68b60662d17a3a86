// What any part of the system tells the author about a description: where
// (the file, its line and column), how grave, why, and the notes that
// explain it. The readers, the checker and the crew documents all tell it
// this way, and those who show it choose the form: "FILE:RIGA:COLONNA:
// errore: causa", a JSON document, a message box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scen {

enum class gravita {
  errore,  // what stops reading, compiling or writing
  avviso,  // read all the same, but almost surely not what the author meant
  nota,    // more about the diagnostic before it: a second place that explains it
};

struct diagnostica {
  gravita livello = gravita::errore;
  // The file: as its reader names it, or `file_linea` / `file_treno` where a
  // check knows the pair's two files by their part.
  std::string file;
  long riga = 0;     // from 1; 0 for the file as a whole
  long colonna = 0;  // from 1, in bytes; 0 for the line as a whole
  std::string causa;
  std::vector<diagnostica> note;  // shown right after it

  friend bool operator==(const diagnostica&, const diagnostica&) = default;
};

// The two files of a pair of descriptions, as the checks name them until
// the names the user gave take their place.
inline constexpr std::string_view file_linea = "linea";
inline constexpr std::string_view file_treno = "treno";

}  // namespace scen
