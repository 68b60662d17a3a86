#include "read/campi.h"

#include <fmt/format.h>

#include "platform/windows1252.h"
#include "read/guasto.h"

namespace scen {

void campi::consuma_fine_riga() {
  if (testo_[pos_] == '\r' && pos_ + 1 < testo_.size() && testo_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++riga_;
}

void campi::inizia(std::string_view cosa) {
  riga_campo_ = riga_;
  if (fine()) guasto(fmt::format("fine del file dentro un record: manca {}", cosa), riga_);
}

void campi::testo(std::string& campo, std::string_view cosa) {
  inizia(cosa);
  while (!fine() && (testo_[pos_] == ' ' || testo_[pos_] == '\t')) ++pos_;
  const size_t inizio = pos_;
  while (!fine() && testo_[pos_] != ',' && !a_fine_riga()) ++pos_;
  campo.assign(testo_, inizio, pos_ - inizio);
  if (fine()) return;
  if (testo_[pos_] == ',')
    ++pos_;
  else
    consuma_fine_riga();
}

void campi::numero_non_valido(size_t inizio) {
  size_t fine_campo = inizio;
  while (fine_campo < testo_.size() && testo_[fine_campo] != ',' && testo_[fine_campo] != '\r' &&
         testo_[fine_campo] != '\n')
    ++fine_campo;
  guasto(fmt::format("numero non valido \"{}\"",
                     da_1252_a_utf8(std::string_view(testo_).substr(inizio, fine_campo - inizio))),
         riga_campo_);
}

Long campi::numero(std::string_view cosa) {
  inizia(cosa);
  while (!fine() && testo_[pos_] == ' ') ++pos_;
  if (fine()) guasto(fmt::format("fine del file dentro un record: manca {}", cosa), riga_campo_);
  const size_t inizio = pos_;
  if (testo_[pos_] == ',') {
    ++pos_;
    return 0;
  }
  if (a_fine_riga()) {
    consuma_fine_riga();
    return 0;
  }
  const bool negativo = testo_[pos_] == '-';
  if (negativo) ++pos_;
  std::int64_t valore = 0;
  bool oltre = false;
  const size_t cifre = pos_;
  while (!fine() && testo_[pos_] >= '0' && testo_[pos_] <= '9') {
    if (!oltre) {
      valore = valore * 10 + (testo_[pos_] - '0');
      if (valore > 2147483648LL) oltre = true;
    }
    ++pos_;
  }
  if (pos_ == cifre) numero_non_valido(inizio);
  const size_t fine_cifre = pos_;
  if (!fine()) {
    const char c = testo_[pos_];
    if (c == ',') {
      ++pos_;
    } else if (c == '\r' || c == '\n') {
      consuma_fine_riga();
    } else if (c == ' ') {
      while (!fine() && testo_[pos_] == ' ') ++pos_;
      if (!fine()) {
        if (testo_[pos_] == ',')
          ++pos_;
        else if (a_fine_riga())
          consuma_fine_riga();
      }
    } else {
      numero_non_valido(inizio);
    }
  }
  if (negativo) valore = -valore;
  if (oltre || valore > 2147483647LL)
    guasto(fmt::format("numero oltre i 32 bit \"{}\"",
                       std::string_view(testo_).substr(inizio, fine_cifre - inizio)),
           riga_campo_);
  return static_cast<Long>(valore);
}

namespace {

char piega(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

bool contiene(std::string_view campo, std::string_view parola) {
  return campo.find(parola) != std::string_view::npos;
}

bool contiene_maiuscole(std::string_view campo, std::string_view parola) {
  if (parola.size() > campo.size()) return false;
  for (size_t i = 0; i + parola.size() <= campo.size(); ++i) {
    size_t j = 0;
    while (j < parola.size() && piega(campo[i + j]) == parola[j]) ++j;
    if (j == parola.size()) return true;
  }
  return false;
}

}  // namespace scen
