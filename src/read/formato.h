// The kinds of record of the two description files, as one table: for each
// kind, the words its keyword field must hold, how many numbers it has and
// whether a text follows them, and the name of each of its fields. The
// readers dispatch on it and name the fields they fail on from it; every
// message that names a record or a field takes the name from here.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "read/campi.h"

namespace scen {

enum class specie {
  // line, general section
  lunghezza,
  progressiva,  // `quale` 1, 2, 3: "uno", "due", "tre"
  sfondo,       // `quale` 1, 2, 3: "uno", "due", "tre"
  ripetizione,
  // line, after the general section
  curva,
  pendenza,
  montagna,
  indicatore,
  cartello,
  // train
  massa_frenata,
  vetture,
  velocita,
  aderenza,
  orologio,
  sabbia,
  segnale,
  rallentamento,
  abbattimento,
  stazione,
};

// Where a keyword field is taken: each part of the files has its own kinds.
enum class sezione_formato {
  generale_linea,  // the general section of the line description
  record_linea,    // the line description after its general section
  treno,           // the train description after "[generale]"
};

// The most fields a record has: the station's 16 numbers and its name.
inline constexpr size_t campi_massimi_record = 17;

struct formato_record {
  specie tipo;
  int quale;  // 1, 2, 3 for the progressives and backgrounds; 0 otherwise
  sezione_formato sezione;
  std::string_view parola;  // the keyword as the formats write it
  // The words the keyword field must hold (the second may be empty), blind
  // to letter case or exactly.
  std::string_view prima;
  std::string_view seconda;
  bool esatta;
  size_t numeri;   // the number fields that follow the keyword
  bool con_testo;  // a text field follows the numbers
  // Each value field (from 1) named within its record, with its article,
  // "la posizione"; and named alone, "la posizione della pendenza".
  std::array<std::string_view, campi_massimi_record> nomi;
  std::array<std::string_view, campi_massimi_record> nomi_pieni;
};

// The kinds of one part of the files, in the order the readers test them.
std::span<const formato_record> formati(sezione_formato s);
// The entry of kind `tipo` (of `quale` among the three progressives or
// backgrounds; any, for 0). A kind or `quale` that the table has not is a
// fault of the caller: std::out_of_range, naming them.
const formato_record& formato_di(specie tipo, int quale = 0);

// Whether the keyword field `campo` calls for a record of the kind.
inline bool chiama(const formato_record& f, std::string_view campo) {
  auto ha = [&](std::string_view parola) {
    return parola.empty() ||
           (f.esatta ? contiene(campo, parola) : contiene_maiuscole(campo, parola));
  };
  return ha(f.prima) && ha(f.seconda);
}

// Whether the keyword field `campo` would call for a record of some kind of
// part `s` if letter case did not count.
bool parola_di(sezione_formato s, std::string_view campo);

// How many value fields a record of the kind has before its text field, if
// any, and whether it ends with a text field (signpost text, station name).
size_t numeri_del_record(specie tipo);
bool con_testo(specie tipo);
// The keyword as the formats write it, e.g. "pendenza", "sfondo uno".
std::string_view nome_record(specie tipo, int quale = 0);
// Value field `n` (from 1) named within its record: "la posizione", "il
// campo 7".
std::string campo_in_parole(specie tipo, size_t n);
// The records of a kind all together: "le pendenze".
std::string_view plurale(specie tipo);
// Whether the first value of the kind is its position (or start).
bool con_posizione(specie tipo);
// The general records, which describe the whole line or train: the last of
// each counts.
bool generale(specie tipo);

// The keywords of each description file, every form written out: the
// curves by side and class, both signal repetitions.
std::span<const std::string_view> parole_scritte(bool linea);

// The section headers of each description file, in file order. Only the
// line's "[generale]" and the header after it count for reading; the others
// label the file.
std::span<const std::string_view> titoli_sezione(bool linea);

// The rules the keyword field of some records carries besides its kind.
// The curve's class: the first of the digits 1 to 6 that the field holds,
// none when it holds none; to the left when it holds an "s".
int classe_curva(std::string_view campo);
bool curva_a_sinistra(std::string_view campo);
// The number of codes of a signal repetition: 4 when the field holds "4",
// else 9 when it holds "9", else none (0).
int codici_ripetizione(std::string_view campo);

}  // namespace scen
