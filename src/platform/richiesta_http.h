// An HTTP/1.x request's head as it arrives on a connection, a piece at a
// time: the request line and the header lines, within bounds on their size
// and count, so that no client can make the server hold more than a few
// kilobytes for it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scen {

struct richiesta_http {
  std::string metodo;        // "GET"
  std::string destinazione;  // "/stato"
  int versione_minore = 1;   // HTTP/1.0 or HTTP/1.1
  // The header lines in their order; names in lower case, values without
  // the blanks around them.
  std::vector<std::pair<std::string, std::string>> intestazioni;

  // The value of the header `nome` (in lower case); null when absent.
  const std::string* intestazione(std::string_view nome) const;
  // Whether the client keeps the connection for another request.
  bool tiene_aperta() const;
  // Whether it declares a body (a length other than 0, or a transfer coding).
  bool con_corpo() const;
};

// What a head may take.
struct limiti_richiesta {
  std::size_t byte_riga_richiesta = 8 * 1024;  // the request line (414)
  std::size_t byte_testa = 16 * 1024;          // the whole head (431)
  std::size_t righe = 64;                      // header lines (431)
};

// A head being received. Bytes beyond the bounds are never kept: the head is
// refused as soon as it passes one.
class lettore_richiesta {
 public:
  enum class esito { incompleta, completa, rifiutata };

  explicit lettore_richiesta(limiti_richiesta limiti = {}) : limiti_(limiti) {}

  // Takes the bytes that came and says where the head stands.
  esito aggiungi(std::string_view byte);
  esito stato() const { return esito_; }
  // Whether nothing of a request has come yet (line ends between requests
  // do not count).
  bool vuota() const { return entrata_.find_first_not_of("\r\n") == std::string::npos; }

  // Once `completa`: the request.
  const richiesta_http& richiesta() const { return richiesta_; }
  // Once `rifiutata`: the status (400, 414, 431) and why, in words.
  int codice() const { return codice_; }
  const std::string& motivo() const { return motivo_; }

  // Drops the request read and goes on with the bytes that came after it
  // (the next request of the connection).
  esito prossima();

 private:
  esito cerca();
  esito rifiuta(int codice, std::string motivo);
  esito leggi_testa(std::string_view testa);

  limiti_richiesta limiti_;
  std::string entrata_;
  std::size_t scandito_ = 0;     // bytes of `entrata_` already looked at
  std::size_t inizio_riga_ = 0;  // where the line being received starts
  std::size_t righe_ = 0;        // lines ended so far
  esito esito_ = esito::incompleta;
  richiesta_http richiesta_;
  int codice_ = 0;
  std::string motivo_;
};

}  // namespace scen
