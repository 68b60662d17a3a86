// A description file seen field by field, the way the readers take it, but
// keeping the place of every field: the records that the readers read (a
// keyword field and its value fields) and the fields that they pass over.
// `scenario verifica` checks these records against the field rules of the
// formats and names the place of each problem it finds.
//
// The fields follow the readers' rules exactly: a field ends at a comma or a
// line end; blanks before a field are skipped (tabs too, before a text
// field); a number ends at a blank as well, and an empty number field reads
// 0. The keywords are tested as the readers test them: by the words that a
// keyword field contains, in the readers' order, every test that matches
// reading its record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/tipi.h"

namespace scen {

// One field of a description file and its place.
struct campo_visto {
  // Its bytes: a text field up to its delimiter (trailing blanks included);
  // a number field from its first byte after the blanks to the end of its
  // digits (empty for an empty field), or to its delimiter when it is not a
  // number the readers take.
  std::string_view testo;
  long riga = 0;               // from 1
  long colonna = 0;            // from 1, in bytes: the first byte after the blanks
  size_t inizio = 0;           // byte offset of `testo` in the file
  bool a_inizio_riga = false;  // nothing but blanks before it on its line
  bool virgola = false;        // a comma follows its last byte at once
  bool numero = false;         // read as a number field
  bool spezzato = false;       // a number that ends at a blank with more of its field after it
  bool valido = true;          // a number field that the readers take
  Long valore = 0;             // the number read
};

// The kinds of record of both description files.
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

// A record as the reader reads it: its keyword field and its value fields,
// in file order. A keyword field that holds the words of two kinds gives two
// records, one after the other, with the same keyword field.
struct record_visto {
  specie tipo = specie::lunghezza;
  int quale = 0;
  campo_visto chiave;
  std::vector<campo_visto> valori;
  // Every value field was read. When not, the last of `valori` is the field
  // that the reader cannot read (a number it does not take), or the record
  // ran into the end of the file.
  bool intero = true;
  // The keyword field stands after the fields of another record on its line
  // (`record_prima`, an index into `descrizione_vista::record`).
  bool a_meta_riga = false;
  size_t record_prima = 0;

  const campo_visto& campo(size_t n) const { return valori[n - 1]; }  // n from 1
  Long valore(size_t n) const { return valori[n - 1].valore; }
};

// Where a field that the reader passes over stands.
enum class parte_file {
  prima_di_generale,  // before the "[generale]" field
  generale,           // in the general section of the line description
  record,             // among the records
};

// How a passed-over field stands on its line.
enum class posto_ignorato {
  inizio_riga,  // the first field of its line: a record that the reader does not know
  dopo_record,  // after the last field of a record on the same line
  seguito,      // after another field passed over, or after a record that began on
                // an earlier line
};

struct campo_ignorato {
  campo_visto campo;
  parte_file parte = parte_file::record;
  posto_ignorato posto = posto_ignorato::inizio_riga;
  bool trattino = false;  // passed over because it holds "-" where a keyword field goes
  size_t record = 0;      // for `dopo_record`: the index of that record
};

// A description file as the readers see it.
struct descrizione_vista {
  bool linea = true;  // the line description, else the train description
  std::string_view testo;
  bool con_generale = false;  // a field holding "[generale]" was found
  campo_visto generale;       // that field
  // Line description: the field that ended the general section (a section
  // header), when one did.
  bool generale_chiusa = false;
  campo_visto chiusura_generale;
  std::vector<record_visto> record;
  std::vector<campo_ignorato> ignorati;
  // A field that the reader cannot read was met: reading would stop there.
  // What follows it on its line is not seen; the next line is.
  bool interrotta = false;
  // Lines that the check of the errors set aside, as they were: a record
  // missing here may stand in one of them.
  std::vector<std::string> messe_da_parte;
};

descrizione_vista vedi_linea(std::string_view testo);
descrizione_vista vedi_treno(std::string_view testo);

// How many value fields a record of the kind has before its text field, if
// any: the numbers that the reader reads.
size_t numeri_del_record(specie tipo);
// Whether the record ends with a text field (signpost text, station name).
bool con_testo(specie tipo);
// The keyword as the formats write it, e.g. "pendenza", "sfondo uno".
std::string_view nome_record(specie tipo, int quale = 0);

}  // namespace scen
