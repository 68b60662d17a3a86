// A mistake that explains most of the others: the two files given in each
// other's place, the line's length written in kilometres. Told first, as an
// error of its own, so that what follows from it can be held back.
#pragma once

#include <optional>
#include <string>

#include "check/verifica_problemi.h"
#include "read/vista.h"

namespace scen {

// The line description given for the train and the train's for the line:
// the file given as the line has no length and reads as a train, and the
// one given as the train has a length.
std::optional<problema> file_scambiati(const descrizione_vista& linea,
                                       const descrizione_vista& treno);

// The line's length written in kilometres: most records with a position lie
// past the line's end (`nota_lunghezza`), and a thousand times the length
// is a length the line may have. The error is at the length's value.
struct lunghezza_in_km {
  problema errore;
  long metri = 0;  // the length that was likely meant
};
std::optional<lunghezza_in_km> lunghezza_in_chilometri(const descrizione_vista& linea,
                                                       const descrizione_vista& treno);

// "altri N problemi ne seguono", in the singular where N is 1.
std::string problemi_che_seguono(long n);

}  // namespace scen
