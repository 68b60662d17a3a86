// A connection's turn: what came is read (a bounded amount), a whole request
// is answered, a stream gets its news, what waits goes as far as it can, and
// what is late ends.
#include "platform/connessione_http.h"

#include <fmt/format.h>

namespace scen {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t byte_blocco = 16 * 1024;  // read at a time
constexpr int letture_per_turno = 4;
// How long a refused client may go on sending before its connection closes.
constexpr auto attesa_chiusura = 2s;

const char* frase(int codice) {
  switch (codice) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 413:
      return "Content Too Large";
    case 414:
      return "URI Too Long";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "";
  }
}

std::shared_ptr<const std::string> condiviso(std::string testo) {
  return std::make_shared<const std::string>(std::move(testo));
}

}  // namespace

std::string testa_risposta(const impostazioni_servente& imp, int codice,
                           const std::vector<std::pair<std::string, std::string>>& proprie,
                           std::size_t lunghezza, bool flusso, bool chiudi) {
  std::string t = fmt::format("HTTP/1.1 {} {}\r\n", codice, frase(codice));
  for (const auto& [nome, valore] : imp.intestazioni) t += nome + ": " + valore + "\r\n";
  for (const auto& [nome, valore] : proprie) t += nome + ": " + valore + "\r\n";
  if (!flusso) t += fmt::format("Content-Length: {}\r\n", lunghezza);
  t += chiudi ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
  return t;
}

connessione_http::connessione_http(presa p, std::string indirizzo, const impostazioni_servente& imp,
                                   orologio::time_point ora)
    : p_(std::move(p)),
      indirizzo_(std::move(indirizzo)),
      lettore_(imp.richiesta),
      inizio_(ora),
      scadenza_(ora + imp.attesa_richiesta) {}

void connessione_http::chiudi(contesto_connessioni& contesto) { finisci(contesto); }

void connessione_http::finisci(contesto_connessioni& contesto) {
  if (finita_) return;
  finita_ = true;
  if (f_ == fase::flusso) --contesto.flussi;
  p_.chiudi();
  uscita_.clear();
}

void connessione_http::servi(const attesa_presa& a, orologio::time_point ora,
                             contesto_connessioni& contesto) {
  if (finita_) return;
  const impostazioni_servente& imp = contesto.impostazioni;
  try {
    leggi(a, contesto);
    if (finita_) return;

    // What is whole gets its answer.
    while (f_ == fase::leggendo) {
      const auto stato = lettore_.stato();
      if (stato == lettore_richiesta::esito::incompleta) break;
      if (stato == lettore_richiesta::esito::rifiutata) {
        rifiuta(lettore_.codice(), lettore_.motivo(), ora, contesto);
        break;
      }
      const richiesta_http& q = lettore_.richiesta();
      risposta_http r;
      try {
        r = contesto.gestore(q);
      } catch (...) {
        r = risposta_http::testo(500,
                                 fmt::format("{}: la richiesta non si è potuta servire", imp.nome));
      }
      rispondi(std::move(r), !q.tiene_aperta() || q.con_corpo(), q.metodo == "HEAD", ora, contesto);
      lettore_.prossima();
    }

    // A stream's news, or a sign of life.
    if (f_ == fase::flusso && uscita_.empty()) {
      if (contesto.evento && contesto.numero_evento != evento_visto_) {
        uscita_.push_back({contesto.evento});
        evento_visto_ = contesto.numero_evento;
        ultimo_invio_ = ora;
        scadenza_ = ora + imp.attesa_scrittura;
      } else if (ora - ultimo_invio_ >= imp.quiete_flusso) {
        static const std::shared_ptr<const std::string> ancora_qui = condiviso(": ancora qui\n\n");
        uscita_.push_back({ancora_qui});
        ultimo_invio_ = ora;
        scadenza_ = ora + imp.attesa_scrittura;
      }
    }

    scrivi(ora, contesto);
    if (finita_) return;

    // What is late: a request, an answer that does not drain, a closing.
    if (ora > scadenza_) {
      if (f_ == fase::chiudendo || (f_ == fase::leggendo && lettore_.vuota()))
        finisci(contesto);
      else if (f_ != fase::leggendo && !uscita_.empty())
        finisci(contesto);
      else if (f_ == fase::leggendo)
        rifiuta(408,
                fmt::format(
                    "la richiesta non è arrivata intera entro {} s",
                    std::chrono::duration_cast<std::chrono::seconds>(imp.attesa_richiesta).count()),
                ora, contesto);
    }
  } catch (...) {
    // Out of memory for this one: it ends, the others go on.
    finisci(contesto);
  }
}

void connessione_http::leggi(const attesa_presa& a, contesto_connessioni& contesto) {
  if (!a.leggibile && !(a.finita && f_ != fase::scrivendo)) {
    if (a.finita) finisci(contesto);
    return;
  }
  char blocco[byte_blocco];
  for (int k = 0; k < letture_per_turno; ++k) {
    const long n = ricevi(p_, blocco, sizeof blocco);
    if (n == 0 || n == presa_guasta) {
      finisci(contesto);
      return;
    }
    if (n == presa_vuota) return;
    if (f_ != fase::leggendo) continue;  // a stream's client, or a refused one: dropped
    if (lettore_.aggiungi({blocco, static_cast<std::size_t>(n)}) !=
        lettore_richiesta::esito::incompleta)
      return;
  }
}

void connessione_http::rispondi(risposta_http r, bool chiudi, bool solo_testa,
                                orologio::time_point ora, contesto_connessioni& contesto) {
  const impostazioni_servente& imp = contesto.impostazioni;
  if (r.flusso && solo_testa) {
    r.flusso = false;
    chiudi = true;
  }
  if (r.flusso) {
    if (contesto.flussi.load() >= imp.flussi) {
      r = risposta_http::testo(
          503, fmt::format("{}: troppi flussi di eventi aperti ({})", imp.nome, imp.flussi));
      r.metti("Retry-After", "2");
    } else {
      chiudi = true;  // the stream ends with the connection
    }
  }
  const std::size_t lunghezza = r.corpo ? r.corpo->size() : 0;
  uscita_.push_back(
      {condiviso(testa_risposta(imp, r.codice, r.intestazioni, lunghezza, r.flusso, chiudi))});
  if (r.corpo && !solo_testa && !r.flusso) uscita_.push_back({r.corpo});
  chiudi_dopo_ = chiudi;
  scadenza_ = ora + imp.attesa_scrittura;
  if (r.flusso) {
    f_ = fase::flusso;
    evento_visto_ = 0;
    ultimo_invio_ = ora;
    ++contesto.flussi;
  } else {
    f_ = fase::scrivendo;
  }
}

void connessione_http::rifiuta(int codice, std::string_view motivo, orologio::time_point ora,
                               contesto_connessioni& contesto) {
  rispondi(risposta_http::testo(codice, fmt::format("{}: {}", contesto.impostazioni.nome, motivo)),
           true, false, ora, contesto);
}

void connessione_http::scrivi(orologio::time_point ora, contesto_connessioni& contesto) {
  const impostazioni_servente& imp = contesto.impostazioni;
  while (!uscita_.empty()) {
    pezzo& primo = uscita_.front();
    const long n = invia(p_, primo.byte->data() + primo.da, primo.byte->size() - primo.da);
    if (n == presa_guasta) {
      finisci(contesto);
      return;
    }
    if (n == 0) break;
    scadenza_ = ora + imp.attesa_scrittura;
    primo.da += static_cast<std::size_t>(n);
    if (primo.da == primo.byte->size()) uscita_.pop_front();
  }
  if (uscita_.empty() && f_ == fase::scrivendo) {
    if (chiudi_dopo_) {
      chiudi_scrittura(p_);
      f_ = fase::chiudendo;
      scadenza_ = ora + attesa_chiusura;
    } else {
      f_ = fase::leggendo;
      inizio_ = ora;
      scadenza_ = ora + imp.attesa_richiesta;
    }
  }
}

}  // namespace scen
