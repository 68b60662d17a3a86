// What a reader sees, told as it reads to whoever listens: each field it
// passes over, each record with the places of its fields, and where a record
// could not be read to its end. The checker of the descriptions builds its
// view of a file from this, and so does any test that holds the readers to
// it.
#pragma once

#include "read/campi.h"
#include "read/formato.h"

namespace scen {

// Where a field that the reader passes over stands.
enum class parte_file {
  prima_di_generale,  // before the "[generale]" field
  generale,           // in the general section of the line description
  record,             // among the records
};

class osservatore_lettura {
 public:
  virtual ~osservatore_lettura() = default;

  // A field read where a keyword field goes, which calls for no record there
  // (`trattino`: it holds "-", and the next field is taken in its stead).
  virtual void ignorato(const campo_visto& campo, parte_file parte, bool trattino) = 0;
  // The "[generale]" field.
  virtual void generale(const campo_visto& campo) = 0;
  // The section header that ends the general section of the line.
  virtual void chiusura_generale(const campo_visto& campo) = 0;
  // A record of kind `f` begins on the keyword field `chiave`. A keyword
  // field that calls for two kinds begins two records, one after the other.
  virtual void record(const campo_visto& chiave, const formato_record& f) = 0;
  // A value field of the record begun last, in order; one the reader cannot
  // take too, before `interrotto`.
  virtual void valore(const campo_visto& campo) = 0;
  // A field could not be read (it is not a number, or the file ends where
  // it goes): the record begun last, if it was still being read, is cut
  // short there.
  virtual void interrotto() = 0;
};

}  // namespace scen
