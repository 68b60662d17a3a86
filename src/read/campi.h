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

// One field as the readers take it, and its place.
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
  bool valido = true;          // a field that the readers take
  bool fine_file = false;      // the file ended where the field goes: nothing was read
  bool oltre_32_bit = false;   // digits whose value does not fit 32 bits
  Long valore = 0;             // the number read
};

class campi {
 public:
  // The fields of `contenuto`, which the stream keeps.
  explicit campi(std::string contenuto) : proprio_(std::move(contenuto)), testo_(proprio_) {}
  // The fields of a text that the caller keeps for as long as the stream and
  // the fields it gives.
  static campi su(std::string_view testo) { return campi(testo, 0); }
  campi(const campi&) = delete;
  campi& operator=(const campi&) = delete;

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

  // The next field as a text or as a number, never failing: a field that
  // the readers do not take comes back not `valido`, the stream standing on
  // the byte that fails (a number too large for 32 bits: past its
  // delimiter).
  const campo_visto& vedi_testo();
  const campo_visto& vedi_numero();
  // The last field read or seen, failed ones too.
  const campo_visto& ultimo() const { return ultimo_; }
  // On to the start of the next line.
  void salta_riga();

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
  campi(std::string_view testo, int) : testo_(testo) {}
  bool a_fine_riga() const { return testo_[pos_] == '\r' || testo_[pos_] == '\n'; }
  void consuma_fine_riga();
  void delimitatore();
  void inizia();
  void segna();
  const campo_visto& non_valido();
  [[noreturn]] void fine_del_file(std::string_view cosa);
  [[noreturn]] void numero_non_valido(const campo_visto& c, std::string_view cosa);

  std::string proprio_;
  std::string_view testo_;
  size_t pos_ = 0;
  long riga_ = 1;
  size_t inizio_riga_ = 0;  // byte offset of the line `riga_`
  punto_file punto_;
  size_t inizio_riga_campo_ = 0;
  bool a_inizio_riga_ = false;
  campo_visto ultimo_;
};

// A text field without the blanks and tabs at its end, which the field keeps.
inline std::string_view senza_spazi_finali(std::string_view testo) {
  while (!testo.empty() && (testo.back() == ' ' || testo.back() == '\t')) testo.remove_suffix(1);
  return testo;
}

// Whether `campo` contains `parola` anywhere. `parola` is in lower case; the
// letter-case-blind form folds A-Z only.
bool contiene(std::string_view campo, std::string_view parola);
bool contiene_maiuscole(std::string_view campo, std::string_view parola);

}  // namespace scen
