// A request's head received a piece at a time: each byte is looked at once,
// and the bounds are checked as the bytes come, before the head is whole.
#include "platform/richiesta_http.h"

#include <fmt/format.h>

#include <algorithm>

namespace scen {

namespace {

bool nel_nome(char c) {
  // The characters of a method or a header's name (a token).
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool token(std::string_view testo) {
  return !testo.empty() && std::all_of(testo.begin(), testo.end(), nel_nome);
}

std::string minuscolo(std::string_view testo) {
  std::string m(testo);
  for (char& c : m)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return m;
}

std::string_view senza_spazi(std::string_view testo) {
  while (!testo.empty() && (testo.front() == ' ' || testo.front() == '\t')) testo.remove_prefix(1);
  while (!testo.empty() && (testo.back() == ' ' || testo.back() == '\t')) testo.remove_suffix(1);
  return testo;
}

// A line of the head without its end (LF or CR LF).
std::string_view senza_fine(std::string_view riga) {
  if (!riga.empty() && riga.back() == '\n') riga.remove_suffix(1);
  if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);
  return riga;
}

}  // namespace

const std::string* richiesta_http::intestazione(std::string_view nome) const {
  for (const auto& [n, v] : intestazioni)
    if (n == nome) return &v;
  return nullptr;
}

bool richiesta_http::tiene_aperta() const {
  const std::string* c = intestazione("connection");
  const std::string valore = c ? minuscolo(*c) : std::string();
  if (versione_minore == 0) return valore.find("keep-alive") != std::string::npos;
  return valore.find("close") == std::string::npos;
}

bool richiesta_http::con_corpo() const {
  if (intestazione("transfer-encoding")) return true;
  const std::string* lunghezza = intestazione("content-length");
  return lunghezza && *lunghezza != "0";
}

lettore_richiesta::esito lettore_richiesta::aggiungi(std::string_view byte) {
  if (esito_ == esito::rifiutata) return esito_;
  entrata_.append(byte);
  if (esito_ == esito::completa) return esito_;
  return cerca();
}

lettore_richiesta::esito lettore_richiesta::prossima() {
  if (esito_ != esito::completa) return esito_;
  entrata_.erase(0, scandito_);
  scandito_ = inizio_riga_ = righe_ = 0;
  richiesta_ = {};
  esito_ = esito::incompleta;
  return cerca();
}

lettore_richiesta::esito lettore_richiesta::rifiuta(int codice, std::string motivo) {
  esito_ = esito::rifiutata;
  codice_ = codice;
  motivo_ = std::move(motivo);
  entrata_.clear();
  entrata_.shrink_to_fit();
  return esito_;
}

lettore_richiesta::esito lettore_richiesta::cerca() {
  for (; scandito_ < entrata_.size(); ++scandito_) {
    if (entrata_[scandito_] != '\n') continue;
    const std::string_view riga =
        senza_fine(std::string_view(entrata_).substr(inizio_riga_, scandito_ + 1 - inizio_riga_));
    if (riga.empty() && righe_ == 0) {
      // Line ends before a request (after the one before it): skipped.
      entrata_.erase(0, scandito_ + 1);
      scandito_ = static_cast<std::size_t>(-1);  // 0 after the loop's step
      inizio_riga_ = 0;
      continue;
    }
    if (riga.empty()) {
      ++scandito_;
      return leggi_testa(std::string_view(entrata_).substr(0, scandito_));
    }
    if (righe_ == 0 && riga.size() > limiti_.byte_riga_richiesta)
      return rifiuta(414, "indirizzo troppo lungo");
    if (++righe_ > limiti_.righe + 1)
      return rifiuta(431, fmt::format("più di {} righe di intestazione", limiti_.righe));
    inizio_riga_ = scandito_ + 1;
  }
  // The line still coming, and the head so far, within their bounds.
  if (righe_ == 0 && entrata_.size() - inizio_riga_ > limiti_.byte_riga_richiesta + 2)
    return rifiuta(414, "indirizzo troppo lungo");
  if (entrata_.size() > limiti_.byte_testa)
    return rifiuta(431, fmt::format("intestazioni oltre {} byte", limiti_.byte_testa));
  return esito_;
}

lettore_richiesta::esito lettore_richiesta::leggi_testa(std::string_view testa) {
  if (testa.size() > limiti_.byte_testa)
    return rifiuta(431, fmt::format("intestazioni oltre {} byte", limiti_.byte_testa));
  richiesta_http r;
  const std::size_t fine_prima = testa.find('\n');
  const std::string_view prima = senza_fine(testa.substr(0, fine_prima + 1));
  testa.remove_prefix(fine_prima + 1);
  // METHOD SP TARGET SP HTTP/1.x
  const std::size_t spazio1 = prima.find(' ');
  const std::size_t spazio2 =
      spazio1 == std::string_view::npos ? spazio1 : prima.find(' ', spazio1 + 1);
  if (spazio2 == std::string_view::npos) return rifiuta(400, "riga di richiesta malformata");
  const std::string_view metodo = prima.substr(0, spazio1);
  const std::string_view destinazione = prima.substr(spazio1 + 1, spazio2 - spazio1 - 1);
  const std::string_view versione = prima.substr(spazio2 + 1);
  if (!token(metodo) || destinazione.empty() ||
      std::any_of(destinazione.begin(), destinazione.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; }))
    return rifiuta(400, "riga di richiesta malformata");
  if (versione != "HTTP/1.1" && versione != "HTTP/1.0")
    return rifiuta(400, "si parla soltanto HTTP/1.0 e HTTP/1.1");
  r.metodo = metodo;
  r.destinazione = destinazione;
  r.versione_minore = versione.back() - '0';

  while (!testa.empty()) {
    const std::size_t fine = testa.find('\n');
    const std::string_view riga = senza_fine(testa.substr(0, fine + 1));
    testa.remove_prefix(fine + 1);
    if (riga.empty()) break;
    const std::size_t due_punti = riga.find(':');
    // A name right before its colon; no line folded onto the one before.
    if (due_punti == std::string_view::npos || !token(riga.substr(0, due_punti)))
      return rifiuta(400, "riga di intestazione malformata");
    const std::string_view valore = senza_spazi(riga.substr(due_punti + 1));
    if (std::any_of(valore.begin(), valore.end(), [](char c) {
          return (static_cast<unsigned char>(c) < ' ' && c != '\t') || c == '\x7f';
        }))
      return rifiuta(400, "carattere di controllo in un'intestazione");
    r.intestazioni.emplace_back(minuscolo(riga.substr(0, due_punti)), std::string(valore));
  }
  // The names that say where the request goes, and how long it is, once.
  for (const char* unica : {"host", "content-length"})
    if (std::count_if(r.intestazioni.begin(), r.intestazioni.end(),
                      [&](const auto& i) { return i.first == unica; }) > 1)
      return rifiuta(400, fmt::format("più di un'intestazione {}", unica));
  if (r.versione_minore == 1 && !r.intestazione("host"))
    return rifiuta(400, "manca l'intestazione Host");
  richiesta_ = std::move(r);
  esito_ = esito::completa;
  return esito_;
}

}  // namespace scen
