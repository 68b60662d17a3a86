// A client of the loopback's HTTP servers for the tests, on the host's
// sockets: it sends exactly the bytes a test writes (well-formed or not),
// and reads answers, or streams, within a time.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace scen::prova {

struct risposta_http_letta {
  int codice = 0;
  std::map<std::string, std::string> intestazioni;  // names in lower case
  std::string corpo;

  std::string intestazione(const std::string& nome) const {
    const auto i = intestazioni.find(nome);
    return i == intestazioni.end() ? std::string() : i->second;
  }
};

class connessione_http {
 public:
  // Connects to 127.0.0.1:porta (or [::1]:porta when `v6`).
  explicit connessione_http(int porta, bool v6 = false) {
    fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    int esito = -1;
    if (v6) {
      sockaddr_in6 a{};
      a.sin6_family = AF_INET6;
      a.sin6_port = htons(static_cast<std::uint16_t>(porta));
      a.sin6_addr = in6addr_loopback;
      esito = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<std::uint16_t>(porta));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      esito = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    if (esito != 0) chiudi();
  }
  ~connessione_http() { chiudi(); }
  connessione_http(const connessione_http&) = delete;
  connessione_http& operator=(const connessione_http&) = delete;

  bool aperta() const { return fd_ >= 0; }
  void chiudi() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // Sends all of `byte`; false when the connection refuses them.
  bool manda(std::string_view byte) {
    while (!byte.empty()) {
      if (fd_ < 0) return false;
      const ssize_t n = ::send(fd_, byte.data(), byte.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      byte.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Reads what comes for at most `entro`, until what came holds `segno`
  // (then true) or the connection ends. What came stays in `ricevuto()`.
  bool attendi(std::string_view segno, std::chrono::milliseconds entro) {
    const auto fine = std::chrono::steady_clock::now() + entro;
    while (ricevuto_.find(segno) == std::string::npos) {
      if (!leggi_fino(fine)) return ricevuto_.find(segno) != std::string::npos;
    }
    return true;
  }

  // Whether the server ends the connection within `entro` (what it sends
  // meanwhile is kept).
  bool finisce(std::chrono::milliseconds entro) {
    const auto fine = std::chrono::steady_clock::now() + entro;
    while (leggi_fino(fine)) {
    }
    return finita_;
  }

  // One answer, head and body (by its Content-Length), within `entro`.
  std::optional<risposta_http_letta> risposta(
      std::chrono::milliseconds entro = std::chrono::seconds(5)) {
    if (!attendi("\r\n\r\n", entro)) return std::nullopt;
    const std::size_t fine_testa = ricevuto_.find("\r\n\r\n") + 4;
    risposta_http_letta r;
    const std::string testa = ricevuto_.substr(0, fine_testa);
    if (testa.rfind("HTTP/1.1 ", 0) != 0) return std::nullopt;
    r.codice = std::atoi(testa.c_str() + 9);
    for (std::size_t da = testa.find("\r\n") + 2; da + 2 < testa.size();) {
      const std::size_t a = testa.find("\r\n", da);
      const std::string riga = testa.substr(da, a - da);
      const std::size_t due_punti = riga.find(':');
      std::string nome = riga.substr(0, due_punti);
      for (char& c : nome) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      r.intestazioni[nome] = riga.substr(riga.find_first_not_of(' ', due_punti + 1));
      da = a + 2;
    }
    const std::size_t lunghezza =
        static_cast<std::size_t>(std::atol(r.intestazione("content-length").c_str()));
    const auto fine = std::chrono::steady_clock::now() + entro;
    while (ricevuto_.size() < fine_testa + lunghezza)
      if (!leggi_fino(fine)) return std::nullopt;
    r.corpo = ricevuto_.substr(fine_testa, lunghezza);
    ricevuto_.erase(0, fine_testa + lunghezza);
    return r;
  }

  // Reads what comes next, waiting `entro` at most: false when nothing came.
  bool leggi_ancora(std::chrono::milliseconds entro) {
    return leggi_fino(std::chrono::steady_clock::now() + entro);
  }

  const std::string& ricevuto() const { return ricevuto_; }
  int fd() const { return fd_; }

 private:
  // Reads once, waiting until `fine` at most; false when nothing more can
  // come by then.
  bool leggi_fino(std::chrono::steady_clock::time_point fine) {
    if (fd_ < 0 || finita_) return false;
    const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(
        fine - std::chrono::steady_clock::now());
    if (resta.count() <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(resta.count())) <= 0) return false;
    char blocco[16384];
    const ssize_t n = ::recv(fd_, blocco, sizeof blocco, 0);
    if (n <= 0) {
      finita_ = true;
      return false;
    }
    ricevuto_.append(blocco, static_cast<std::size_t>(n));
    return true;
  }

  int fd_ = -1;
  bool finita_ = false;
  std::string ricevuto_;
};

// One GET of `percorso` on a connection of its own, with `altre` header
// lines ("Nome: valore\r\n" each) after the Host.
inline std::optional<risposta_http_letta> chiedi_http(int porta, const std::string& percorso,
                                                      const std::string& altre = "",
                                                      const std::string& metodo = "GET") {
  connessione_http c(porta);
  if (!c.manda(metodo + " " + percorso + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(porta) +
               "\r\n" + altre + "Connection: close\r\n\r\n"))
    return std::nullopt;
  return c.risposta();
}

}  // namespace scen::prova
