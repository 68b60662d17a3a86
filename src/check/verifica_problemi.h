// The problems that `scenario verifica` finds, and the two forms it gives
// them in: one line each, "FILE:RIGA:COLONNA: errore: causa" (or "avviso"),
// followed by a summary line; or one JSON document.
#pragma once

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "model/diagnostica.h"

namespace scen {

// The two description files of a check, in this order.
enum class file_verificato : size_t { linea = 0, treno = 1 };

// A problem of a check: a diagnostic whose file is `file_linea` or
// `file_treno`, and whose notes are of `gravita::nota`.
using problema = diagnostica;

// The part of the pair that a problem's file names, and back.
std::string nome_di_parte(file_verificato f);
file_verificato parte_di(std::string_view file);

// The problems of one check. The same problem found twice is kept once:
// adding one, and asking for a place, take no longer with more problems
// found (a file of many thousand unknown records finds as many).
class elenco_problemi {
 public:
  void errore(file_verificato file, long riga, long colonna, std::string causa);
  void avviso(file_verificato file, long riga, long colonna, std::string causa);
  void aggiungi(problema p);
  // Whether a problem stands at this place already.
  bool problema_in(file_verificato file, long riga, long colonna) const;

  // Sorted by file (the line description first), line and column; at one
  // place, errors before warnings, then in the order found.
  std::vector<problema> ordinati() const;

  long errori() const { return errori_; }
  long avvisi() const { return avvisi_; }

 private:
  std::vector<problema> problemi_;
  // The problems by a digest of everything that makes two the same: the
  // indices of those that share it.
  std::unordered_map<std::size_t, std::vector<std::size_t>> per_impronta_;
  // The places where a problem stands.
  std::set<std::tuple<file_verificato, long, long>> luoghi_;
  long errori_ = 0;
  long avvisi_ = 0;
};

// The names of the two files as the user gave them.
using nomi_verificati = std::array<std::string, 2>;

// "FILE:RIGA:COLONNA: errore: causa"; without the column when there is none,
// without the line when the whole file is meant. Its notes follow, one line
// each, "FILE:RIGA:COLONNA: nota: testo". For the terminal, the file's name
// and the texts have their control characters written out; a page, which
// shows them as text, takes them as they are (`per_terminale` false).
std::vector<std::string> righe_problema(const problema& p, const nomi_verificati& nomi,
                                        bool per_terminale = true);

// "N errori, M avvisi", in the singular where the count is 1.
std::string riepilogo(long errori, long avvisi);

// The problems as one JSON document: the list (file, riga, colonna, gravita,
// causa, and the notes of an error), the counts, those held back because
// the first explains them ("seguono", when there are any) and, when the
// check was cut short, why.
std::string json_problemi(const std::vector<problema>& problemi, const nomi_verificati& nomi,
                          long errori, long avvisi, std::string_view interruzione,
                          long seguono = 0);

}  // namespace scen
