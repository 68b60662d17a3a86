// Which train a command runs: the rolling-stock file given with
// `--rotabile`, else one beside the train description with its name and
// ".rotabile.json" in place of its extension ("treno.txt" gives
// "treno.rotabile.json"), else the built-in train.
#pragma once

#include <optional>
#include <string>

#include "marcia/rotabile.h"
#include "platform/stato.h"

namespace scen {

struct rotabile_scelto {
  std::optional<rotabile> treno;  // none: the built-in train
  std::string file;               // the file read, when one was
  bool accanto = false;           // found beside the train description, not given

  const rotabile* se_dato() const { return treno ? &*treno : nullptr; }
};

// The name of the rolling-stock file beside the train description `treno`.
std::string rotabile_accanto(const std::string& treno);

// Reads the file `dato` when given, else the one beside `descrizione_treno`
// when it exists. A file that cannot be read or whose fields are wrong is a
// failure, with the messages of `leggi_rotabile`.
Stato scegli_rotabile(const std::string& dato, const std::string& descrizione_treno,
                      rotabile_scelto& scelto);

// The line that says which file was taken from beside the description:
// "rotabile: FILE (accanto alla descrizione del treno)"; empty otherwise.
std::string riga_rotabile_accanto(const rotabile_scelto& scelto);

}  // namespace scen
