// Connections of the host, for a server on the loopback address: a socket
// that listens, the connections it takes, reading and writing without ever
// waiting, and one wait on many sockets at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/stato.h"

namespace scen {

// A socket of the host, closed when the object goes. It never blocks:
// reading and writing do what can be done now and say how much.
class presa {
 public:
  presa() = default;
  explicit presa(std::intptr_t maniglia) : maniglia_(maniglia) {}
  ~presa() { chiudi(); }
  presa(presa&& altra) noexcept : maniglia_(altra.maniglia_) { altra.maniglia_ = -1; }
  presa& operator=(presa&& altra) noexcept {
    if (this != &altra) {
      chiudi();
      maniglia_ = altra.maniglia_;
      altra.maniglia_ = -1;
    }
    return *this;
  }
  presa(const presa&) = delete;
  presa& operator=(const presa&) = delete;

  bool valida() const { return maniglia_ != -1; }
  std::intptr_t maniglia() const { return maniglia_; }
  void chiudi();

 private:
  std::intptr_t maniglia_ = -1;
};

// Listens on `indirizzo` (a numeric address: "127.0.0.1", "::1") and `porta`
// (0: a free one, whose number goes to `porta_avuta`). A port that another
// socket has is never shared. The failure names the address and the reason.
Stato ascolta(const std::string& indirizzo, int porta, presa& ascolto, int& porta_avuta);

enum class esito_accetta {
  presa,    // a connection taken, in `nuova`
  nessuna,  // none is waiting
  troppe,   // one waits, but the process may hold no more sockets
  guasto,   // the connection went before it was taken, or another failure
};

// Takes a waiting connection, if any; `indirizzo` is the client's address
// as text ("127.0.0.1", "::1").
esito_accetta accetta(const presa& ascolto, presa& nuova, std::string& indirizzo);

// What `ricevi` and `invia` give besides a count of bytes.
inline constexpr long presa_vuota = -1;   // nothing can be done now
inline constexpr long presa_guasta = -2;  // the connection failed (reset)

// Reads up to `n` bytes: their count, 0 once the other end has closed, or
// `presa_vuota`, `presa_guasta`.
long ricevi(const presa& p, char* dati, std::size_t n);

// Writes up to `n` bytes: how many went (0: none can go now), or
// `presa_guasta`. A connection closed at the other end is a failure, never a
// signal that ends the process.
long invia(const presa& p, const char* dati, std::size_t n);

// Ends the writing side: the other end reads the end of what was sent, and
// may still send (which is then read and dropped) before the closing.
void chiudi_scrittura(const presa& p);

// One socket in a wait: what is awaited of it, and what came.
struct attesa_presa {
  std::intptr_t maniglia = -1;
  bool leggere = false;
  bool scrivere = false;
  bool leggibile = false;
  bool scrivibile = false;
  bool finita = false;  // closed at the other end, or failed
};

// Waits until one of `prese` is ready for what is awaited of it, or
// `millisecondi` have passed; notes what came on each.
Stato attendi_prese(std::vector<attesa_presa>& prese, int millisecondi);

// How many sockets this process may hold at once (the host's limit on open
// files, raised as far as the host lets it).
int prese_massime();

}  // namespace scen
