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

// The delimiter at the stream's place goes with the field before it.
void campi::delimitatore() {
  if (fine()) return;
  if (testo_[pos_] == ',')
    ++pos_;
  else
    consuma_fine_riga();
}

void campi::salta_riga() {
  while (!fine() && !a_fine_riga()) ++pos_;
  if (!fine()) consuma_fine_riga();
}

// The next field begins here: `ultimo_` starts anew for it.
void campi::inizia() {
  punto_.riga = riga_;
  inizio_riga_campo_ = inizio_riga_;
  a_inizio_riga_ = pos_ == inizio_riga_;
  ultimo_ = campo_visto{};
  ultimo_.riga = riga_;
  ultimo_.a_inizio_riga = a_inizio_riga_;
  segna();
  if (fine()) {
    ultimo_.fine_file = true;
    ultimo_.valido = false;
  }
}

void campi::segna() {
  punto_.colonna = static_cast<long>(pos_ - inizio_riga_) + 1;
  ultimo_.colonna = punto_.colonna;
  ultimo_.inizio = pos_;
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

const campo_visto& campi::vedi_testo() {
  inizia();
  campo_visto& c = ultimo_;
  if (c.fine_file) return c;
  while (!fine() && (testo_[pos_] == ' ' || testo_[pos_] == '\t')) ++pos_;
  segna();
  while (!fine() && testo_[pos_] != ',' && !a_fine_riga()) ++pos_;
  c.testo = testo_.substr(c.inizio, pos_ - c.inizio);
  c.virgola = !fine() && testo_[pos_] == ',';
  delimitatore();
  return c;
}

void campi::testo(std::string& campo, std::string_view cosa) {
  const campo_visto& c = vedi_testo();
  if (c.fine_file) fine_del_file(cosa);
  campo.assign(c.testo);
}

// A number that the readers do not take: its bytes up to its delimiter; the
// stream stays on the byte that fails.
const campo_visto& campi::non_valido() {
  campo_visto& c = ultimo_;
  size_t fine_campo = c.inizio;
  while (fine_campo < testo_.size() && testo_[fine_campo] != ',' && testo_[fine_campo] != '\r' &&
         testo_[fine_campo] != '\n')
    ++fine_campo;
  c.testo = testo_.substr(c.inizio, fine_campo - c.inizio);
  c.valido = false;
  return c;
}

const campo_visto& campi::vedi_numero() {
  inizia();
  campo_visto& c = ultimo_;
  c.numero = true;
  if (c.fine_file) return c;
  while (!fine() && testo_[pos_] == ' ') ++pos_;
  segna();
  if (fine()) {
    c.fine_file = true;
    c.valido = false;
    return c;
  }
  if (testo_[pos_] == ',' || a_fine_riga()) {
    c.virgola = testo_[pos_] == ',';
    delimitatore();
    return c;
  }
  const numero_scritto n = leggi_numero_scritto(testo_, pos_);
  if (!n.con_cifre) return non_valido();
  c.testo = testo_.substr(c.inizio, pos_ - c.inizio);
  if (!fine()) {
    const char dopo = testo_[pos_];
    if (dopo == ',' || dopo == '\r' || dopo == '\n') {
      c.virgola = dopo == ',';
      delimitatore();
    } else if (dopo == ' ') {
      while (!fine() && testo_[pos_] == ' ') ++pos_;
      if (!fine() && (testo_[pos_] == ',' || a_fine_riga()))
        delimitatore();
      else if (!fine())
        c.spezzato = true;
    } else {
      return non_valido();
    }
  }
  if (!n.in_32_bit) {
    c.valido = false;
    c.oltre_32_bit = true;
  } else {
    c.valore = n.valore;
  }
  return c;
}

namespace {

// Digits in groups of three after the first, each group after a point, as
// Italian writes thousands: "12.000", "-1.250.000".
bool migliaia_col_punto(std::string_view t) {
  if (!t.empty() && t.front() == '-') t.remove_prefix(1);
  const size_t primo = t.find('.');
  if (primo == 0 || primo > 3 || primo == std::string_view::npos) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    const bool punto = i >= primo && (i - primo) % 4 == 0;
    if (punto ? t[i] != '.' : (t[i] < '0' || t[i] > '9')) return false;
  }
  return (t.size() - primo) % 4 == 0;
}

// What to add when a number is written in a way the format does not take.
std::string consiglio_numero(std::string_view trovato) {
  const std::string_view scritto = senza_spazi_finali(trovato);
  if (migliaia_col_punto(scritto)) {
    std::string cifre(scritto);
    std::erase(cifre, '.');
    return fmt::format(
        ": il punto non separa le migliaia (si scrive {}), e i decimali non si scrivono", cifre);
  }
  if (trovato.find('.') != std::string_view::npos) return ": i decimali non si scrivono";
  if (trovato.find('\t') != std::string_view::npos)
    return ": tra i numeri vanno spazi, non tabulazioni";
  if (trovato.find('+') != std::string_view::npos) return ": il segno \"+\" non si scrive";
  return {};
}

}  // namespace

void campi::numero_non_valido(const campo_visto& c, std::string_view cosa) {
  guasto_lettura g;
  g.trovato = std::string(c.testo.substr(0, mostrati));
  g.causa =
      fmt::format("{}: trovato {}, ma va un numero intero (cifre, con \"-\" davanti se negativo){}",
                  cosa, cita(g.trovato), consiglio_numero(g.trovato));
  g.dove = guasto_lettura::luogo::punto;
  g.punto = punto_;
  throw g;
}

Long campi::numero(std::string_view cosa) {
  const campo_visto& c = vedi_numero();
  if (c.fine_file) fine_del_file(cosa);
  if (c.oltre_32_bit) {
    guasto_lettura g;
    g.trovato = std::string(c.testo.substr(0, mostrati));
    g.causa = fmt::format("{} vale {}, oltre i 32 bit: va da -2147483648 a 2147483647", cosa,
                          cita(c.testo));
    g.dove = guasto_lettura::luogo::punto;
    g.punto = punto_;
    throw g;
  }
  if (!c.valido) numero_non_valido(c, cosa);
  return c.valore;
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
  if (parola.empty()) return true;
  // Only the places where the first letter stands, in either case, are
  // tried: a long field without it is passed over at once.
  const char prima = parola.front();
  if (prima >= 'A' && prima <= 'Z') return false;  // a field folded small has none
  const bool lettera = prima >= 'a' && prima <= 'z';
  const char grande = lettera ? static_cast<char>(prima - ('a' - 'A')) : prima;
  const size_t ultimo = campo.size() - parola.size();
  size_t piccola = campo.find(prima);
  size_t maiuscola = lettera ? campo.find(grande) : std::string_view::npos;
  for (;;) {
    const size_t i = std::min(piccola, maiuscola);
    if (i == std::string_view::npos || i > ultimo) return false;
    size_t j = 1;
    while (j < parola.size() && piega(campo[i + j]) == parola[j]) ++j;
    if (j == parola.size()) return true;
    if (i == piccola)
      piccola = campo.find(prima, i + 1);
    else
      maiuscola = campo.find(grande, i + 1);
  }
}

}  // namespace scen
