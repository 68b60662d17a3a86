// What both description readers share: where they are in the file, for the
// authors' diagnostics, and the frame that both follow. A reader finds its
// first record, takes the records one keyword field at a time, hands each to
// the steps its keyword calls for, and ends with the work that follows the
// last record.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/esiti.h"
#include "model/modello.h"
#include "read/accesso.h"
#include "read/campi.h"
#include "read/diagnosi.h"
#include "read/formato.h"
#include "read/guasto.h"
#include "read/osservatore.h"

namespace scen {

struct posizione_lettura {
  std::string file;  // full name of the description file being read
  // Told what the reader sees, when someone listens.
  osservatore_lettura* osservatore = nullptr;

  // The record being read: where its keyword field (0) and each of its value
  // fields read so far (1 on) begin. A keyword field that calls for two
  // records starts the count anew for each.
  std::array<punto_file, 20> campi{};
  size_t letti = 0;
  // Byte offset of the line on which the last field read began.
  size_t inizio_riga_ultimo = 0;

  punto_file generale;  // the "[generale]" field
  // In the general section of the line description, the first keyword field
  // of a train description, and its text: the two files may be swapped.
  punto_file del_treno;
  std::string testo_del_treno;

  // Where field `n` of the record began; the keyword field for a field not
  // (yet) read.
  punto_file campo(int n) const {
    if (n >= 0 && static_cast<size_t>(n) < letti && static_cast<size_t>(n) < campi.size())
      return campi[static_cast<size_t>(n)];
    return campi[0];
  }
  // A new record on the same keyword field: its values count from 1.
  void nuovo_record() { letti = 1; }
};

// How a record ends the loop of the records.
enum class passo {
  continua,  // on to the next record
  chiudi,    // the work after the last record follows, as at the end of the file
  ferma,     // reading stops here, on the outcome just recorded
};

// The steps that one keyword field calls for, taken in their fixed order.
// Every keyword test is made; a step runs only while the steps before it
// have let the loop go on. Each step is a record of its own, whose values
// count from 1.
class passi_record {
 public:
  explicit passi_record(posizione_lettura& p) : p_(p) {}

  template <class Azione>
  void se(bool vale, Azione&& azione) {
    if (vale && risultato_ == passo::continua) {
      p_.nuovo_record();
      risultato_ = azione();
    }
  }
  // How the record ends: `continua` when every step let the loop go on.
  passo risultato() const { return risultato_; }

 private:
  posizione_lettura& p_;
  passo risultato_ = passo::continua;
};

// A profile along the line, one byte of every cell: each cell holds the value
// that was in force at its start. A cell is written only when the next record
// of the profile, or the tail after the last record, reaches it.
struct profilo {
  Byte cella::*campo;         // the byte of the cell that holds the profile
  std::string_view nome;      // the profile's values in words: "le pendenze"
  Long in_vigore = 0;         // the value of the last record read
  largo riempimento = 0;      // the first cell not yet written
  punto_file luogo_record{};  // the keyword field of the last record of the profile
  punto_file luogo_valore{};  // the value field of the record whose value is in force

  // Writes `valore` from the first cell not yet written on: one cell at least,
  // then up to the cell before `fino_a`. Past the last cell it fails at
  // `luogo_record`.
  void riempi(modello& m, Byte valore, largo fino_a);
};

// The frame of a description reader. The reader supplies what comes before
// the first record, the steps of one record and the work after the last one.
//
// A reader may also only look: then it reads every record's fields as the
// format gives them and builds nothing, and a field it cannot read ends its
// line instead of the reading, so that what it tells its listener covers
// the whole file.
class lettore_descrizione {
 public:
  lettore_descrizione(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d,
                      bool solo_vedere = false)
      : m_(m), f_(f), p_(p), d_(d), solo_vedere_(solo_vedere) {}

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
  // What a record of kind `f` builds, its fields read on the way.
  virtual passo costruisci(const formato_record& f) = 0;
  // Whether a keyword field that calls for `f` makes a record of it here.
  virtual bool ammesso(const formato_record&) const { return true; }

  // The records that the keyword field in `m_.campo` calls for among the
  // kinds of part `s`, each a step of its own, in the table's order; a
  // field that calls for none is passed over.
  passo leggi_record(sezione_formato s);
  // Tells the listener that the last keyword field is passed over, or is
  // the "[generale]" field.
  void ignora(parte_file parte, bool trattino = false);
  void segna_generale();
  // While only looking: a field that could not be read ends its line, and
  // reading goes on at the next.
  void salta_il_resto();

  // Reads the next field into `m_.campo` as the keyword field of a record.
  void chiave();
  // Whether `m_.campo` holds `parola`, blind to letter case or exactly.
  bool ha(std::string_view parola) const { return contiene_maiuscole(m_.campo, parola); }
  bool ha_esatto(std::string_view parola) const { return contiene(m_.campo, parola); }
  // The next value field of the record, a number or a text; `cosa` names it
  // in the cause of a failure. A record cut short, whose missing values would
  // come from the next line or the end of the file, fails where its line ends.
  Long numero(std::string_view cosa);
  void testo(std::string& campo, std::string_view cosa);
  // Value field `n` (from 1) of the record being read, named as the table
  // names it.
  Long numero(size_t n) { return numero(corrente_->nomi_pieni[n - 1]); }
  void testo(std::string& campo, size_t n) { testo(campo, corrente_->nomi_pieni[n - 1]); }

  // Records that reading stops on `numero`, at value field `campo` of the
  // current record (0: its keyword field), with `causa` as the cause,
  // leaving the position as it is or setting it to `posizione`.
  void ferma(esito numero, int campo, std::string causa);
  void ferma_a(esito numero, Long posizione, int campo, std::string causa);
  // The same at a given place of the file.
  void ferma_in(esito numero, punto_file punto, std::string causa);

  // The range test: a record at `posizione` (its first value) must leave
  // `margine` metres inside the cells. Out of range, reading records
  // outcome 15 at that position and goes on to the work after the last
  // record.
  bool in_campo(Long posizione, largo margine = margine_record);

  // What a record builder's outcome does: none lets the loop go on, any
  // other stops reading at the record's position, at its first value, with
  // the cause that `dettaglio(numero)` adds to the outcome's.
  template <class Dettaglio>
  passo dopo_costruttore(esito numero, Long posizione, Dettaglio&& dettaglio) {
    if (numero == esito::nessuno) return passo::continua;
    ferma_a(numero, posizione, 1, causa_esito(numero, dettaglio(numero)));
    return passo::ferma;
  }

  // The cause of an outcome in the words of the outcome table, then what was
  // found.
  static std::string causa_esito(esito numero, std::string_view dettaglio);
  // The cell `i`, which an object could not take, and what it holds.
  std::string occupata(largo i) const;

  modello& m_;
  campi& f_;
  posizione_lettura& p_;
  diagnosi_lettura& d_;
  const bool solo_vedere_;
  const formato_record* corrente_ = nullptr;  // the kind of the record being read
  campo_visto chiave_vista_;                  // the last keyword field

 private:
  // Reads the fields of a record of kind `f`, building nothing.
  passo vedi_campi(const formato_record& f);
  // A value field that could not be read: the listener sees it, and the
  // record cut short.
  void campo_fallito();
  // Reads the keyword field of the next record into `m_.campo`, passing over
  // up to two fields that hold "-". False when the end of the file is reached
  // before or right after a field is read: that field is then not used.
  bool chiave_record();
  // Notes where the value field just read began.
  void segna_valore();
  // A value field that failed: where the record was cut short, the failure
  // moves to the end of its line, or to the number that its keyword field
  // holds for want of a comma.
  void record_interrotto(guasto_lettura& g, std::string_view cosa) const;
  // A time written with colons where the record takes three numbers: the
  // cause says how the record writes it.
  void consiglio_ora(guasto_lettura& g) const;
};

// Where in the file being read a failure of reading lies.
punto_file luogo_del_guasto(const guasto_lettura& g, const posizione_lettura& p);

// The note that goes with a missing line length when a record of a train
// description stood in the line's general section: the two files may have
// been swapped.
std::string nota_scambiati(const posizione_lettura& p);

// A read failure as the diagnosis tells it, with that note where it applies.
void diagnosi_del_guasto(diagnosi_lettura& d, const guasto_lettura& g, const posizione_lettura& p);

}  // namespace scen
