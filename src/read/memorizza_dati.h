// Reading both description files into the model.
#pragma once

#include <cstddef>
#include <string>

#include "model/modello.h"
#include "platform/stato.h"
#include "read/diagnosi.h"

namespace scen {

// The most a description file may hold: a thousand times the carried line's
// description, and still a small share of the memory. A larger file is
// refused before anything of it is read.
inline constexpr std::size_t byte_massimi_descrizione = std::size_t{64} << 20;

// Reads a whole description file into `byte`, refusing one larger than
// `byte_massimi_descrizione`; a failure names the file and the reason.
Stato leggi_descrizione(const std::string& nome, std::string& byte);

// Full names of the two description files. The readers delete them.
struct file_descrizione {
  std::string linea;
  std::string treno;
};

// Reads the line description and then the train description into `m`, as
// `m.con_tracciato` asks, leaving the outcome in `m.errore_codice` and
// `m.errore_posizione`. Returns where reading stopped and why, with the
// files named by their full names.
diagnosi_lettura memorizza_dati(modello& m, const file_descrizione& file);

// Reads the two descriptions given as their bytes (`linea`, `treno`) into
// `m` as `memorizza_dati` reads their files, without deleting or even
// touching a file; `nomi` name them in the diagnosis.
diagnosi_lettura leggi_descrizioni(modello& m, std::string linea, std::string treno,
                                   const file_descrizione& nomi);

}  // namespace scen
