// A small HTTP/1.1 server for pages on the loopback address: one thread, one
// wait on all its connections, nothing that a client can make it wait for.
// It knows requests, answers and event streams, not what it serves: a
// handler says what each request gets.
//
// Under hostile clients:
// - a request's head must come whole within `attesa_richiesta` (not per
//   read), within the bounds of `limiti_richiesta` (414, 431, 400);
// - a request that declares a body is answered and its connection closed
//   (no body is read);
// - connections are bounded in all and per client address (and by what the
//   host lets the process hold); when full, the connection that began its
//   request first among those still sending one (or idle between two, or
//   closing after a refusal) makes room, so that clients dripping their
//   requests never lock out one that asks at once; when every connection is
//   being answered, the newcomer is refused (503);
// - an answer that does not drain within `attesa_scrittura` ends its
//   connection; a stream holds at most one event beyond what its client took
//   (the newest);
// - a handler that throws (out of memory included) answers 500 to that
//   request; any failure with one connection closes that one only.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/presa.h"
#include "platform/richiesta_http.h"
#include "platform/stato.h"

namespace scen {

class connessione_http;

struct risposta_http {
  int codice = 200;
  std::vector<std::pair<std::string, std::string>> intestazioni;
  std::shared_ptr<const std::string> corpo;  // none: empty
  // An event stream (text/event-stream): the connection stays open and gets
  // every event published, the last one first.
  bool flusso = false;

  void metti(std::string nome, std::string valore) {
    intestazioni.emplace_back(std::move(nome), std::move(valore));
  }
  // `corpo` of type `tipo`.
  static risposta_http con(std::string tipo, std::shared_ptr<const std::string> corpo);
  // A plain text (UTF-8), with a line end after it.
  static risposta_http testo(int codice, std::string_view messaggio);
};

struct impostazioni_servente {
  std::string nome = "servente";  // first word of the texts it answers itself
  // Headers of every answer, the server's own refusals included.
  std::vector<std::pair<std::string, std::string>> intestazioni;
  limiti_richiesta richiesta;
  std::chrono::milliseconds attesa_richiesta{5000};
  std::chrono::milliseconds attesa_scrittura{10000};
  std::chrono::milliseconds quiete_flusso{10000};  // a comment on a stream quiet this long
  int connessioni = 512;
  int connessioni_per_indirizzo = 512;
  int flussi = 16;
};

class servente_http {
 public:
  using gestore = std::function<risposta_http(const richiesta_http&)>;

  servente_http(impostazioni_servente impostazioni, gestore g);
  ~servente_http();
  servente_http(const servente_http&) = delete;
  servente_http& operator=(const servente_http&) = delete;

  // Listens on `indirizzo` and `porta` too (see `ascolta` of presa.h); call
  // before `avvia`.
  Stato ascolta(const std::string& indirizzo, int porta, int& porta_avuta);
  // Serves in a thread of its own.
  void avvia();
  // Stops serving and closes every connection; back within a tenth of a
  // second, whatever the clients do.
  void ferma();

  // The event that every open stream is sent now (as is: "event: ...\ndata:
  // ...\n\n"), and every stream opened later first.
  void pubblica(std::string evento);

  // What it holds now: connections, and streams among them.
  int connessioni() const { return connessioni_.load(); }
  int flussi() const { return flussi_.load(); }

 private:
  void servi();
  void turno(std::vector<std::unique_ptr<connessione_http>>& aperte);

  impostazioni_servente impostazioni_;
  gestore gestore_;
  std::vector<presa> ascolti_;
  std::thread filo_;
  std::atomic<bool> fermo_{false};
  std::atomic<int> connessioni_{0}, flussi_{0};
  mutable std::mutex m_;
  std::shared_ptr<const std::string> evento_;
  long numero_evento_ = 0;
  // The loop's own: the refusal when full, and no taking of connections
  // before this time (none could be held).
  std::string rifiuto_pieno_;
  int tetto_ = 0;  // connections at most
  std::chrono::steady_clock::time_point pausa_accetta_{};
};

}  // namespace scen
