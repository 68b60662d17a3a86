// What each compiled file holds, as plain facts taken from its tables: its
// size, the keys and the competition code that it carries beside those that
// its name gives, and what its records, cells or trace say. Texts are those
// of the files (Windows-1252); names of files are host text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "inspect/esame_compilati.h"
#include "inspect/lettura_compilati.h"
#include "model/modello.h"

namespace scen {

// The cells DA to A (both included).
struct intervallo_celle {
  Long da = 0;
  Long a = 0;
  friend bool operator==(const intervallo_celle&, const intervallo_celle&) = default;
};

// A competition code stored in a file, beside the one that the keys of its
// name give.
struct confronto_codice {
  Long valore = 0;                             // stored in the file
  std::optional<chiavi_nome> chiavi_del_nome;  // nothing: the name has no keys
  Long atteso = 0;                             // the code of those keys, when there are some
  bool corrisponde() const { return chiavi_del_nome && atteso == valore; }
};

// A kilometric progressive of the train file (records 81 to 83).
struct progressiva_compilata {
  const char* nome = "";  // "uno", "due", "tre"
  int registro = 0;
  Long inizio = 0;
  Long scostamento = 0;
  Long decrescente = 0;  // 0 increasing, 1 decreasing, anything else as stored
};

// A station: its record, whole.
struct stazione_compilata {
  int indice = 0;  // of the record, from 1
  registro dati;
};

// A signpost: its record and text, and the cell that carries it when the
// cell file of the same scenario is given with the train file.
struct cartello_compilato {
  int registro = 0;  // 80 downward
  std::string testo;
  std::optional<std::size_t> cella;
};

struct fatti_treno {
  std::string file;  // as given
  std::uint64_t byte = 0;
  std::size_t registri = 0;
  chiavi_nome chiavi_nei_registri;             // records 85 and 86
  std::optional<chiavi_nome> chiavi_del_nome;  // nothing: the name has no "_"
  Integer segno = 0;                           // campo_7 of record 85
  confronto_codice codice_gara_st;             // the time of record 85
  Long lunghezza_percorso = 0;
  Long numero_vetture = 0;
  Long percentuale_massa_frenata = 0;
  std::array<progressiva_compilata, 3> progressive;  // uno, due, tre
  Long sfondo_uno = 0, sfondo_due = 0, sfondo_tre = 0;
  Long ripetizione_inizio = 0, ripetizione_fine = 0, ripetizione_codici = 0;
  Integer ore = 0, minuti = 0, secondi = 0;  // the clock
  Integer sabbia = 0;
  std::vector<stazione_compilata> stazioni;
  std::vector<cartello_compilato> cartelli;  // from record 80 downward

  bool chiavi_concordano() const { return chiavi_del_nome == chiavi_nei_registri; }
};

// How many cells carry one code.
struct conteggio_codice {
  std::size_t codice = 0;
  std::size_t celle = 0;
};

// A cell that carries a signpost, and the signpost's record.
struct cella_cartello {
  std::size_t cella = 0;
  Integer registro = 0;
};

struct cella_scelta {
  std::size_t indice = 0;
  cella dati;
};

// The cells asked for, those of them that the file has.
struct celle_scelte {
  intervallo_celle chieste;
  std::vector<cella_scelta> celle;
};

struct fatti_celle {
  std::string file;  // as given
  std::uint64_t byte = 0;
  std::size_t celle = 0;
  Long ultima_cella = 0;
  std::optional<chiavi_nome> chiavi_del_nome;  // nothing: the name has no "_"
  Integer segno = 0;                           // valore_1 of cell 1
  confronto_codice codice_gara_og;             // valore_2 of cell 1
  std::vector<conteggio_codice> censimento;    // the codes that some cell carries, ascending
  std::vector<cella_cartello> cartelli;        // in cell order
  std::optional<celle_scelte> scelte;

  // The line length that the number of cells gives, to within a cell.
  Long lunghezza_percorso_circa() const {
    return metri_cella * ultima_cella - metri_oltre_la_linea;
  }
};

struct fatti_linea {
  std::string file;  // as given
  std::uint64_t byte = 0;
  esame_tracciato tracciato;

  Long lunghezza_percorso() const { return tracciato.ultimo_metro - metri_oltre_la_linea; }
};

// A file that could not be read as a compiled file, and why ("FILE: causa").
struct file_illeggibile {
  std::string file;
  std::string errore;
};

// What one file given holds, or why it could not be read.
using fatti_file = std::variant<file_illeggibile, fatti_treno, fatti_celle, fatti_linea>;

// The facts of a compiled file read into `m`; `nome` is the file as given,
// `byte` its size.
fatti_treno fatti_del_treno(const std::string& nome, std::uint64_t byte, const modello& m);
fatti_celle fatti_delle_celle(const std::string& nome, std::uint64_t byte, const modello& m,
                              const std::optional<intervallo_celle>& scelte);
fatti_linea fatti_della_linea(const std::string& nome, std::uint64_t byte, const modello& m);

// Reads the file `nome` (host name) as the compiled file of the kind its
// name gives, and its facts; `scelte` the cells to take whole from a cell
// file. A folder, a name of no compiled file, or a file that is no compiled
// file of its kind gives a file_illeggibile.
fatti_file esamina_file(const std::string& nome, const std::optional<intervallo_celle>& scelte);

// False when the file's competition code, or the keys in its records, are
// not those of its name.
bool concorda_col_nome(const fatti_file& f);

}  // namespace scen
