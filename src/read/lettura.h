// What both description readers share: where they are in the file, for the
// authors' diagnostics, and the frame that both follow. A reader finds its
// first record, takes the records one keyword field at a time, hands each to
// the steps its keyword calls for, and ends with the work that follows the
// last record.
#pragma once

#include <string>
#include <string_view>

#include "model/esiti.h"
#include "model/modello.h"
#include "read/accesso.h"
#include "read/campi.h"
#include "read/memorizza_dati.h"

namespace scen {

struct posizione_lettura {
  std::string file;  // full name of the description file being read
  long riga = 0;     // line of the record being read, from 1
};

// How a record ends the loop of the records.
enum class passo {
  continua,  // on to the next record
  chiudi,    // the work after the last record follows, as at the end of the file
  ferma,     // reading stops here, on the outcome just recorded
};

// The steps that one keyword field calls for, taken in their fixed order.
// Every keyword test is made; a step runs only while the steps before it
// have let the loop go on.
class passi_record {
 public:
  template <class Azione>
  void se(bool vale, Azione&& azione) {
    if (vale && risultato_ == passo::continua) risultato_ = azione();
  }
  // How the record ends: `continua` when every step let the loop go on.
  passo risultato() const { return risultato_; }

 private:
  passo risultato_ = passo::continua;
};

// A profile along the line, one byte of every cell: each cell holds the value
// that was in force at its start. A cell is written only when the next record
// of the profile, or the tail after the last record, reaches it.
struct profilo {
  Byte cella::*campo;     // the byte of the cell that holds the profile
  Long in_vigore = 0;     // the value of the last record read
  largo riempimento = 0;  // the first cell not yet written

  // Writes `valore` from the first cell not yet written on: one cell at least,
  // then up to the cell before `fino_a`.
  void riempi(modello& m, Byte valore, largo fino_a);
};

// The frame of a description reader. The reader supplies what comes before
// the first record, the steps of one record and the work after the last one.
class lettore_descrizione {
 public:
  lettore_descrizione(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d)
      : m_(m), f_(f), p_(p), d_(d) {}

  // Reads the description to its end. False when reading stopped on an
  // outcome, so that the work after the last record was not done.
  bool leggi();

 protected:
  ~lettore_descrizione() = default;

  // The fields before the first record; false stops reading.
  virtual bool apertura() = 0;
  // The steps of the record whose keyword field stands in `m_.campo`.
  virtual passo record() = 0;
  // The work after the last record.
  virtual void chiusura() = 0;

  // Reads the next field into `m_.campo` and notes its line.
  void chiave();
  // Whether `m_.campo` holds `parola`, blind to letter case or exactly.
  bool ha(std::string_view parola) const { return contiene_maiuscole(m_.campo, parola); }
  bool ha_esatto(std::string_view parola) const { return contiene(m_.campo, parola); }
  // The next number field; `cosa` names it in the cause of a failure.
  Long numero(std::string_view cosa) { return f_.numero(cosa); }

  // Records that reading stops on `numero`, at the current record's line,
  // leaving the position as it is or setting it to `posizione`.
  void ferma(esito numero);
  void ferma_a(esito numero, Long posizione);

  // The range test: a record at `posizione` must leave `margine` metres
  // inside the cells. Out of range, reading records outcome 15 at that
  // position and goes on to the work after the last record.
  bool in_campo(Long posizione, largo margine = 100);

  // What a record builder's outcome does: none lets the loop go on, any
  // other stops reading at the record's position.
  passo dopo_costruttore(esito numero, Long posizione);

  modello& m_;
  campi& f_;
  posizione_lettura& p_;
  diagnosi_lettura& d_;

 private:
  // Reads the keyword field of the next record into `m_.campo`, passing over
  // up to two fields that hold "-". False when the end of the file is reached
  // before or right after a field is read: that field is then not used.
  bool chiave_record();
};

}  // namespace scen
