// Linux: sockets of the host, non-blocking, waited on with poll(2).
#include <arpa/inet.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/motivo_sistema.h"
#include "platform/presa.h"

namespace scen {

namespace {

int fd(const presa& p) { return static_cast<int>(p.maniglia()); }

}  // namespace

void presa::chiudi() {
  if (maniglia_ == -1) return;
  ::close(static_cast<int>(maniglia_));
  maniglia_ = -1;
}

Stato ascolta(const std::string& indirizzo, int porta, presa& ascolto, int& porta_avuta) {
  sockaddr_storage dove{};
  socklen_t lunghezza = 0;
  const bool v6 = indirizzo.find(':') != std::string::npos;
  if (v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&dove);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<std::uint16_t>(porta));
    if (::inet_pton(AF_INET6, indirizzo.c_str(), &a->sin6_addr) != 1)
      return Stato::errore(fmt::format("l'indirizzo {} non si legge", indirizzo));
    lunghezza = sizeof(sockaddr_in6);
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&dove);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<std::uint16_t>(porta));
    if (::inet_pton(AF_INET, indirizzo.c_str(), &a->sin_addr) != 1)
      return Stato::errore(fmt::format("l'indirizzo {} non si legge", indirizzo));
    lunghezza = sizeof(sockaddr_in);
  }
  auto guasto = [&](int codice) {
    return Stato::errore(fmt::format("{} porta {}: {}", indirizzo, porta, motivo_sistema(codice)));
  };
  presa p(::socket(dove.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!p.valida()) return guasto(errno);
  // SO_REUSEADDR lets a port whose last connections are still closing be
  // taken again; it never lets two listeners share one (SO_REUSEPORT would).
  const int si = 1;
  ::setsockopt(fd(p), SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
  if (v6) ::setsockopt(fd(p), IPPROTO_IPV6, IPV6_V6ONLY, &si, sizeof si);
  if (::bind(fd(p), reinterpret_cast<sockaddr*>(&dove), lunghezza) != 0) return guasto(errno);
  if (::listen(fd(p), SOMAXCONN) != 0) return guasto(errno);
  lunghezza = sizeof dove;
  if (::getsockname(fd(p), reinterpret_cast<sockaddr*>(&dove), &lunghezza) != 0)
    return guasto(errno);
  porta_avuta = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&dove)->sin6_port
                         : reinterpret_cast<sockaddr_in*>(&dove)->sin_port);
  ascolto = std::move(p);
  return Stato::ok();
}

esito_accetta accetta(const presa& ascolto, presa& nuova, std::string& indirizzo) {
  sockaddr_storage da{};
  socklen_t lunghezza = sizeof da;
  const int c = ::accept4(fd(ascolto), reinterpret_cast<sockaddr*>(&da), &lunghezza,
                          SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (c < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return esito_accetta::nessuna;
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
      return esito_accetta::troppe;
    return esito_accetta::guasto;
  }
  nuova = presa(c);
  char testo[INET6_ADDRSTRLEN] = "";
  if (da.ss_family == AF_INET6)
    ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&da)->sin6_addr, testo, sizeof testo);
  else
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&da)->sin_addr, testo, sizeof testo);
  indirizzo = testo;
  return esito_accetta::presa;
}

long ricevi(const presa& p, char* dati, std::size_t n) {
  for (;;) {
    const ssize_t letti = ::recv(fd(p), dati, n, 0);
    if (letti >= 0) return static_cast<long>(letti);
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? presa_vuota : presa_guasta;
  }
}

long invia(const presa& p, const char* dati, std::size_t n) {
  for (;;) {
    const ssize_t scritti = ::send(fd(p), dati, n, MSG_NOSIGNAL);
    if (scritti >= 0) return static_cast<long>(scritti);
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : presa_guasta;
  }
}

void chiudi_scrittura(const presa& p) { ::shutdown(fd(p), SHUT_WR); }

Stato attendi_prese(std::vector<attesa_presa>& prese, int millisecondi) {
  std::vector<pollfd> attese(prese.size());
  for (std::size_t i = 0; i < prese.size(); ++i) {
    attese[i].fd = static_cast<int>(prese[i].maniglia);
    attese[i].events =
        static_cast<short>((prese[i].leggere ? POLLIN : 0) | (prese[i].scrivere ? POLLOUT : 0));
  }
  const int n = ::poll(attese.data(), attese.size(), millisecondi);
  if (n < 0 && errno != EINTR)
    return Stato::errore("attesa sulle connessioni: " + motivo_sistema(errno));
  for (std::size_t i = 0; i < prese.size(); ++i) {
    const short r = n > 0 ? attese[i].revents : 0;
    prese[i].leggibile = (r & POLLIN) != 0;
    prese[i].scrivibile = (r & POLLOUT) != 0;
    prese[i].finita = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }
  return Stato::ok();
}

int prese_massime() {
  rlimit limite{};
  if (::getrlimit(RLIMIT_NOFILE, &limite) != 0) return 1024;
  // As many as the host lets this process have without privileges, within
  // what a server on the loopback could ever want.
  constexpr rlim_t voluto = 1 << 16;
  const rlim_t tetto =
      limite.rlim_max == RLIM_INFINITY ? voluto : std::min(limite.rlim_max, voluto);
  if (limite.rlim_cur != RLIM_INFINITY && limite.rlim_cur < tetto) {
    rlimit alzato = limite;
    alzato.rlim_cur = tetto;
    if (::setrlimit(RLIMIT_NOFILE, &alzato) == 0) limite = alzato;
  }
  return limite.rlim_cur == RLIM_INFINITY ? static_cast<int>(voluto)
                                          : static_cast<int>(std::min(limite.rlim_cur, voluto));
}

}  // namespace scen
