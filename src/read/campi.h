// The fields of a description file, as the readers take them: a field ends at
// a comma or at a line end (CR LF, LF or CR), and the delimiter goes with it.
// The whole file is held in memory; reading a field when the file is at its
// end, or a number that is not one, is a failure of reading, at the place of
// that field.
#pragma once

#include <string>
#include <string_view>

#include "model/modello.h"
#include "read/guasto.h"

namespace scen {

// A whole number as written in a description: an optional "-" and decimal
// digits, starting at `pos` of `testo`; `pos` moves past them.
struct numero_scritto {
  bool con_cifre = false;  // at least one digit followed the optional "-"
  bool in_32_bit = false;  // its value fits a 32-bit whole number
  Long valore = 0;         // the value, when it fits
};
numero_scritto leggi_numero_scritto(std::string_view testo, size_t& pos);

class campi {
 public:
  explicit campi(std::string contenuto) : testo_(std::move(contenuto)) {}

  // The end of the file: nothing is left to read.
  bool fine() const { return pos_ == testo_.size(); }
  // The file holds no byte at all.
  bool vuoto() const { return testo_.empty(); }

  // A text field into `campo`: blanks and tabs before it are skipped; every
  // byte up to the next comma or line end is kept, trailing blanks included.
  // `cosa` names the field in the cause of a failure.
  void testo(std::string& campo, std::string_view cosa);

  // A number field: an optional "-" and digits, 32 bits, ending at a comma,
  // a blank, a line end or the end of the file; a comma or line end after the
  // blanks that follow is the same delimiter. An empty field reads 0.
  Long numero(std::string_view cosa);

  // Where the last field read began: its line, and the column of its first
  // byte after the blanks skipped (of its delimiter, for an empty field).
  punto_file punto() const { return punto_; }
  long riga() const { return punto_.riga; }
  // Whether the last field read began its line: only blanks stood before it.
  bool a_inizio_riga() const { return a_inizio_riga_; }
  // Byte offset of the line on which the last field read began.
  size_t inizio_riga() const { return inizio_riga_campo_; }
  // The end of the line `riga` that begins at byte `inizio`: the column just
  // past its last byte, where a missing field would go.
  punto_file fine_riga(size_t inizio, long riga) const;

 private:
  bool a_fine_riga() const { return testo_[pos_] == '\r' || testo_[pos_] == '\n'; }
  void consuma_fine_riga();
  void inizia(std::string_view cosa);
  void segna_colonna() { punto_.colonna = static_cast<long>(pos_ - inizio_riga_) + 1; }
  [[noreturn]] void fine_del_file(std::string_view cosa);
  [[noreturn]] void numero_non_valido(size_t inizio, std::string_view cosa);

  std::string testo_;
  size_t pos_ = 0;
  long riga_ = 1;
  size_t inizio_riga_ = 0;  // byte offset of the line `riga_`
  punto_file punto_;
  size_t inizio_riga_campo_ = 0;
  bool a_inizio_riga_ = false;
};

// Whether `campo` contains `parola` anywhere. `parola` is in lower case; the
// letter-case-blind form folds A-Z only.
bool contiene(std::string_view campo, std::string_view parola);
bool contiene_maiuscole(std::string_view campo, std::string_view parola);

}  // namespace scen
