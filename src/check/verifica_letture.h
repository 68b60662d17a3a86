// The errors of `scenario verifica`: every place where reading stops, and
// what the compiler finds after reading.
//
// The two descriptions are read from memory, by the readers themselves. When
// reading stops, the stop is noted, the line at fault is blanked in the copy
// and reading starts again on a fresh model, so that one check lists the
// problems that do not depend on each other; the line description is read
// until it goes through, then the train description on what the line left.
// After the last reading come the code-reduction pass (outcomes 11 to 13,
// one for each slowdown's warning point or start that meets one) and the
// reserved slot of cell 1 (errors 1250 and 1251).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/verifica_problemi.h"
#include "model/modello.h"
#include "read/vista.h"

namespace scen {

struct lettura_verificata {
  // The model after the last reading, which went through both files; null
  // when reading could not get that far.
  std::unique_ptr<modello> letto;
  // Why the check ended before reading went through, in words for the last
  // line of the report; empty when it did go through.
  std::string interruzione;
  // The warnings that the readers themselves give on the readings that went
  // through.
  std::vector<problema> avvisi_lettore;
  // The lines set aside, as they were: of the line description, of the train.
  std::array<std::vector<std::string>, 2> messe_da_parte;
};

// Reads `linea` and `treno` (the bytes as the readers take them, Windows-1252)
// again and again, noting each stop in `problemi`, until both go through or
// `errori_massimi` errors are noted. The lines set aside come back blank.
// `nomi` name the files in the words of the interruption.
lettura_verificata leggi_e_ripeti(std::string& linea, std::string& treno,
                                  const nomi_verificati& nomi, long errori_massimi,
                                  elenco_problemi& problemi);

// Blanks line `riga` (from 1) of `testo`, keeping its line end, and gives
// what it held to `tolta`. False when the text has no such line or the line
// is blank already.
bool svuota_riga(std::string& testo, long riga, std::string* tolta = nullptr);

// What the compiler finds after reading, on the model of the last reading:
// outcomes 11 to 13 of the code-reduction pass, a reserved slot already
// taken (1250, 1251), a text too long to be written. The records of the two
// files, as the last reading saw them, give the places.
// Error 1250 or 1251, when the reserved cell 1 of `m` (the cells after the
// code-reduction pass) is taken: at the record that took it, when one of the
// two files placed it there.
std::optional<problema> errore_casella_riservata(const modello& m, const descrizione_vista& linea,
                                                 const descrizione_vista& treno);

// A note at the line's length record when most of the records with a
// position in either file lie past the line's end: the length, not they,
// is then likely wrong (written in kilometres, left empty).
std::optional<problema> nota_lunghezza(const descrizione_vista& linea,
                                       const descrizione_vista& treno);

// Only the outcomes of the code-reduction pass, as `errori_dopo_lettura`
// tells them.
void errori_del_passaggio(const modello& letto, const descrizione_vista& linea,
                          const descrizione_vista& treno, elenco_problemi& problemi);

void errori_dopo_lettura(const modello& letto, const descrizione_vista& linea,
                         const descrizione_vista& treno, elenco_problemi& problemi);

}  // namespace scen
