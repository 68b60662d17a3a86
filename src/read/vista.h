// A description file as the readers see it, field by field, keeping the place
// of every field: the records they read (a keyword field and its value
// fields) and the fields they pass over. It is what the readers tell their
// listener when they only look (`scorri_linea`, `scorri_treno`): the same
// fields, the same keyword tests, the same records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/tipi.h"
#include "read/campi.h"
#include "read/formato.h"
#include "read/osservatore.h"

namespace scen {

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

// Builds a `descrizione_vista` from what a reader tells.
class raccolta_vista final : public osservatore_lettura {
 public:
  explicit raccolta_vista(descrizione_vista& d) : d_(d) {}

  void ignorato(const campo_visto& campo, parte_file parte, bool trattino) override;
  void generale(const campo_visto& campo) override;
  void chiusura_generale(const campo_visto& campo) override;
  void record(const campo_visto& chiave, const formato_record& f) override;
  void valore(const campo_visto& campo) override;
  void interrotto() override;

 private:
  // The last field read belonged to record `indice`.
  void nota_record(const campo_visto& c, size_t indice);

  descrizione_vista& d_;
  long riga_ultimo_ = 0;
  bool ultimo_di_record_ = false;
  size_t record_ultimo_ = 0;
  bool aperto_ = false;  // the last record is still being read
};

// The two files seen whole, as the readers see them when they only look.
// The views point into `testo`, which the caller keeps.
descrizione_vista vedi_linea(std::string_view testo);
descrizione_vista vedi_treno(std::string_view testo);

}  // namespace scen
