// One connection of the HTTP server, a turn at a time: it takes what came,
// answers each request whole, sends what can go, follows the event stream,
// and ends what is late. It never waits: the server's loop waits for it.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "platform/presa.h"
#include "platform/richiesta_http.h"
#include "platform/servente_http.h"

namespace scen {

// What the connections of one server share.
struct contesto_connessioni {
  const impostazioni_servente& impostazioni;
  const servente_http::gestore& gestore;
  std::atomic<int>& flussi;  // streams open
  // The event of the streams now, and its number (0: none yet).
  std::shared_ptr<const std::string> evento;
  long numero_evento = 0;
};

class connessione_http {
 public:
  using orologio = std::chrono::steady_clock;

  connessione_http(presa p, std::string indirizzo, const impostazioni_servente& imp,
                   orologio::time_point ora);

  // What the wait is to watch for.
  std::intptr_t maniglia() const { return p_.maniglia(); }
  bool vuole_leggere() const { return f_ != fase::scrivendo; }
  bool vuole_scrivere() const { return !uscita_.empty(); }
  // A request already whole, to be answered without waiting.
  bool pronta() const {
    return f_ == fase::leggendo && lettore_.stato() != lettore_richiesta::esito::incompleta;
  }

  // One turn, after a wait that noted `a`. Never throws: a failure ends this
  // connection only.
  void servi(const attesa_presa& a, orologio::time_point ora, contesto_connessioni& contesto);

  // Whether it may be closed to make room: it is still sending its request,
  // idle between two, or closing after a refusal.
  bool sgomberabile() const { return !finita_ && (f_ == fase::leggendo || f_ == fase::chiudendo); }
  orologio::time_point inizio() const { return inizio_; }
  const std::string& indirizzo() const { return indirizzo_; }
  // Closes it now; a stream it was is no longer counted.
  void chiudi(contesto_connessioni& contesto);
  bool finita() const { return finita_; }

 private:
  enum class fase { leggendo, scrivendo, flusso, chiudendo };
  struct pezzo {
    std::shared_ptr<const std::string> byte;
    std::size_t da = 0;
  };

  void finisci(contesto_connessioni& contesto);
  void leggi(const attesa_presa& a, contesto_connessioni& contesto);
  void rispondi(risposta_http r, bool chiudi, bool solo_testa, orologio::time_point ora,
                contesto_connessioni& contesto);
  void rifiuta(int codice, std::string_view motivo, orologio::time_point ora,
               contesto_connessioni& contesto);
  void scrivi(orologio::time_point ora, contesto_connessioni& contesto);

  presa p_;
  std::string indirizzo_;
  lettore_richiesta lettore_;
  fase f_ = fase::leggendo;
  std::deque<pezzo> uscita_;
  // Reading: when the request began to be awaited, and when it must be
  // whole. Otherwise: when what waits to go must have moved, or (closing)
  // when the connection ends.
  orologio::time_point inizio_, scadenza_;
  orologio::time_point ultimo_invio_;  // a stream's last event or comment
  long evento_visto_ = 0;              // a stream's last event sent
  bool chiudi_dopo_ = false;
  bool finita_ = false;
};

// The head of an answer: its status line, the server's own headers, the
// answer's, its length (none for a stream) and whether the connection
// closes after it.
std::string testa_risposta(const impostazioni_servente& imp, int codice,
                           const std::vector<std::pair<std::string, std::string>>& proprie,
                           std::size_t lunghezza, bool flusso, bool chiudi);

}  // namespace scen
