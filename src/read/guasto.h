// Run-time failures of reading. They end `memorizza_dati` through its failure
// handler (outcome 25); the cause names exactly what failed, in the words of
// the description formats, and the failure tells where in the file it lies.
#pragma once

#include <string>
#include <string_view>

namespace scen {

// A place in a description file: the line and the column, both from 1; the
// column counts bytes. 0 where there is none.
struct punto_file {
  long riga = 0;
  long colonna = 0;
};

struct guasto_lettura {
  // Where the failure lies, as far as the code that finds it knows.
  enum class luogo {
    campo,      // field `campo` of the record being read: 0 its keyword field,
                // 1 the first value after it
    punto,      // exactly `punto`
    file,       // the file as a whole, no line in it
    lunghezza,  // the cells or the trace were never sized: the line length is
                // missing from the general section
  };
  std::string causa;
  luogo dove = luogo::campo;
  int campo = 0;
  punto_file punto;
  // A field was wanted where the file ends.
  bool fine_file = false;
  // The bytes of the field that failed, as found (at most a few dozen).
  std::string trovato;
};

// A failure of the record being read, at its keyword field.
[[noreturn]] void guasto(std::string causa);
// A failure of value field `campo` of the record being read.
[[noreturn]] void guasto_campo(std::string causa, int campo);
[[noreturn]] void guasto_in(std::string causa, punto_file punto);
// A failure of the file as a whole: it cannot be read or deleted.
[[noreturn]] void guasto_file(std::string causa);

// A text of a description file as a message quotes it: between double
// quotes, cut after 40 characters (then "…"), with control bytes, quotes and
// backslashes escaped (\t, \x01, \", \\), converted from Windows-1252 to
// UTF-8.
std::string cita(std::string_view testo);

}  // namespace scen
