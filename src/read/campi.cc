#include "read/campi.h"

#include <fmt/format.h>

#include <algorithm>

namespace scen {

namespace {

// How much of a failed field a failure keeps: enough for a message to show
// it cut short.
constexpr size_t mostrati = 41;

}  // namespace

void campi::consuma_fine_riga() {
  if (testo_[pos_] == '\r' && pos_ + 1 < testo_.size() && testo_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++riga_;
  inizio_riga_ = pos_;
}

void campi::inizia(std::string_view cosa) {
  punto_.riga = riga_;
  inizio_riga_campo_ = inizio_riga_;
  a_inizio_riga_ = pos_ == inizio_riga_;
  segna_colonna();
  if (fine()) fine_del_file(cosa);
}

punto_file campi::fine_riga(size_t inizio, long riga) const {
  size_t fine_riga = inizio;
  while (fine_riga < testo_.size() && testo_[fine_riga] != '\r' && testo_[fine_riga] != '\n')
    ++fine_riga;
  return {riga, static_cast<long>(fine_riga - inizio) + 1};
}

void campi::fine_del_file(std::string_view cosa) {
  guasto_lettura g;
  g.causa = fmt::format("il file finisce dove va {}", cosa);
  g.dove = guasto_lettura::luogo::punto;
  g.punto = punto_;
  g.fine_file = true;
  throw g;
}

void campi::testo(std::string& campo, std::string_view cosa) {
  inizia(cosa);
  while (!fine() && (testo_[pos_] == ' ' || testo_[pos_] == '\t')) ++pos_;
  segna_colonna();
  const size_t inizio = pos_;
  while (!fine() && testo_[pos_] != ',' && !a_fine_riga()) ++pos_;
  campo.assign(testo_, inizio, pos_ - inizio);
  if (fine()) return;
  if (testo_[pos_] == ',')
    ++pos_;
  else
    consuma_fine_riga();
}

namespace {

// What to add when a number is written in a way the format does not take.
std::string_view consiglio_numero(std::string_view trovato) {
  if (trovato.find('.') != std::string_view::npos) return ": i decimali non si scrivono";
  if (trovato.find('\t') != std::string_view::npos)
    return ": tra i numeri vanno spazi, non tabulazioni";
  if (trovato.find('+') != std::string_view::npos) return ": il segno \"+\" non si scrive";
  return "";
}

}  // namespace

void campi::numero_non_valido(size_t inizio, std::string_view cosa) {
  // The field up to its delimiter, but no further than the message shows it.
  size_t fine_campo = inizio;
  while (fine_campo < testo_.size() && fine_campo - inizio < mostrati &&
         testo_[fine_campo] != ',' && testo_[fine_campo] != '\r' && testo_[fine_campo] != '\n')
    ++fine_campo;
  guasto_lettura g;
  g.trovato = testo_.substr(inizio, fine_campo - inizio);
  g.causa =
      fmt::format("{}: trovato {}, ma va un numero intero (cifre, con \"-\" davanti se negativo){}",
                  cosa, cita(g.trovato), consiglio_numero(g.trovato));
  g.dove = guasto_lettura::luogo::punto;
  g.punto = punto_;
  throw g;
}

Long campi::numero(std::string_view cosa) {
  inizia(cosa);
  while (!fine() && testo_[pos_] == ' ') ++pos_;
  segna_colonna();
  if (fine()) fine_del_file(cosa);
  const size_t inizio = pos_;
  if (testo_[pos_] == ',') {
    ++pos_;
    return 0;
  }
  if (a_fine_riga()) {
    consuma_fine_riga();
    return 0;
  }
  const numero_scritto n = leggi_numero_scritto(testo_, pos_);
  if (!n.con_cifre) numero_non_valido(inizio, cosa);
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
      numero_non_valido(inizio, cosa);
    }
  }
  if (!n.in_32_bit) {
    guasto_lettura g;
    g.trovato = testo_.substr(inizio, std::min<size_t>(fine_cifre - inizio, mostrati));
    g.causa = fmt::format("{} vale {}, oltre i 32 bit: va da -2147483648 a 2147483647", cosa,
                          cita(std::string_view(testo_).substr(inizio, fine_cifre - inizio)));
    g.dove = guasto_lettura::luogo::punto;
    g.punto = punto_;
    throw g;
  }
  return n.valore;
}

numero_scritto leggi_numero_scritto(std::string_view testo, size_t& pos) {
  numero_scritto n;
  const bool negativo = pos < testo.size() && testo[pos] == '-';
  if (negativo) ++pos;
  std::int64_t valore = 0;
  bool oltre = false;
  const size_t cifre = pos;
  while (pos < testo.size() && testo[pos] >= '0' && testo[pos] <= '9') {
    if (!oltre) {
      valore = valore * 10 + (testo[pos] - '0');
      if (valore > 2147483648LL) oltre = true;
    }
    ++pos;
  }
  n.con_cifre = pos != cifre;
  if (negativo) valore = -valore;
  n.in_32_bit = !oltre && valore <= 2147483647LL;
  if (n.in_32_bit) n.valore = static_cast<Long>(valore);
  return n;
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
