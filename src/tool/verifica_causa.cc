// One mistake, one message: a mistake that explains the rest of a check is
// told first, and what follows from it is only counted.
#include <fmt/format.h>

#include <algorithm>
#include <optional>

#include "check/causa_unica.h"
#include "read/vista.h"
#include "text/da_utf8.h"
#include "tool/verifica.h"

namespace scen {

namespace {

// The text of line `riga` (from 1) of `testo`: where it begins and ends.
std::optional<std::pair<size_t, size_t>> riga_di(const std::string& testo, long riga) {
  size_t inizio = 0;
  for (long r = 1; r < riga; ++r) {
    const size_t fine = testo.find_first_of("\r\n", inizio);
    if (fine == std::string::npos) return std::nullopt;
    inizio = fine + (testo.compare(fine, 2, "\r\n") == 0 ? 2 : 1);
  }
  const size_t fine = std::min(testo.find_first_of("\r\n", inizio), testo.size());
  return std::pair{inizio, fine};
}

// `byte` with the number at line `riga`, column `colonna` (bytes, from 1)
// replaced by `valore`; nothing when no number stands there.
std::optional<std::string> con_numero(std::string byte, long riga, long colonna, long valore) {
  const auto righe = riga_di(byte, riga);
  if (!righe || colonna < 1) return std::nullopt;
  const size_t inizio = righe->first + static_cast<size_t>(colonna) - 1;
  size_t fine = inizio;
  while (fine < righe->second && byte[fine] >= '0' && byte[fine] <= '9') ++fine;
  if (fine == inizio) return std::nullopt;
  byte.replace(inizio, fine - inizio, std::to_string(valore));
  return byte;
}

void conta(problemi_trovati& t) {
  t.errori = 0;
  t.avvisi = 0;
  for (const problema& p : t.ordinati) (p.livello == gravita::errore ? t.errori : t.avvisi)++;
}

}  // namespace

void riduci_alla_causa(problemi_trovati& trovati, const std::array<std::string, 2>& byte,
                       const nomi_verificati& nomi, bool utf8, const rotabile* rotabile_corsa) {
  if (!trovati.convertiti || trovati.ordinati.empty()) return;
  std::array<std::string, 2> testi = byte;
  if (utf8)
    for (size_t i = 0; i < 2; ++i)
      if (!descrizione_da_utf8(byte[i], nomi[i], testi[i]).riuscito()) return;
  const descrizione_vista linea = vedi_linea(testi[0]);
  const descrizione_vista treno = vedi_treno(testi[1]);

  if (std::optional<problema> e = file_scambiati(linea, treno)) {
    trovati.seguono = static_cast<long>(trovati.ordinati.size());
    trovati.ordinati = {std::move(*e)};
    trovati.interruzione.clear();
    conta(trovati);
    return;
  }

  if (std::optional<lunghezza_in_km> km = lunghezza_in_chilometri(linea, treno)) {
    const std::optional<std::string> corretta =
        con_numero(byte[0], km->errore.riga, km->errore.colonna, km->metri);
    if (!corretta) return;
    const problemi_trovati in_metri =
        trova_problemi({*corretta, byte[1]}, nomi, utf8, rotabile_corsa);
    std::vector<problema> restano = {km->errore};
    long seguono = 0;
    for (problema& p : trovati.ordinati) {
      if (std::find(in_metri.ordinati.begin(), in_metri.ordinati.end(), p) !=
          in_metri.ordinati.end())
        restano.push_back(std::move(p));
      else
        ++seguono;
    }
    if (seguono == 0) return;
    trovati.ordinati = std::move(restano);
    trovati.seguono = seguono;
    if (trovati.interruzione != in_metri.interruzione) trovati.interruzione.clear();
    conta(trovati);
  }
}

}  // namespace scen
