// Windows: sockets of the host (Winsock), non-blocking, waited on with
// WSAPoll.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h:
#include <fmt/format.h>
#include <windows.h>

#include <algorithm>

#include "platform/motivo_sistema.h"
#include "platform/presa.h"

namespace scen {

namespace {

SOCKET s(const presa& p) { return static_cast<SOCKET>(p.maniglia()); }

// Winsock is started once, at the first socket, and stays for the process.
bool avviato() {
  static const bool fatto = [] {
    WSADATA dati;
    return ::WSAStartup(MAKEWORD(2, 2), &dati) == 0;
  }();
  return fatto;
}

bool non_bloccante(SOCKET presa_host) {
  u_long si = 1;
  return ::ioctlsocket(presa_host, FIONBIO, &si) == 0;
}

}  // namespace

void presa::chiudi() {
  if (maniglia_ == -1) return;
  ::closesocket(static_cast<SOCKET>(maniglia_));
  maniglia_ = -1;
}

Stato ascolta(const std::string& indirizzo, int porta, presa& ascolto, int& porta_avuta) {
  if (!avviato()) return Stato::errore("i socket di Windows non si avviano");
  sockaddr_storage dove{};
  int lunghezza = 0;
  const bool v6 = indirizzo.find(':') != std::string::npos;
  if (v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&dove);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<u_short>(porta));
    if (::inet_pton(AF_INET6, indirizzo.c_str(), &a->sin6_addr) != 1)
      return Stato::errore(fmt::format("l'indirizzo {} non si legge", indirizzo));
    lunghezza = sizeof(sockaddr_in6);
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&dove);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<u_short>(porta));
    if (::inet_pton(AF_INET, indirizzo.c_str(), &a->sin_addr) != 1)
      return Stato::errore(fmt::format("l'indirizzo {} non si legge", indirizzo));
    lunghezza = sizeof(sockaddr_in);
  }
  auto guasto = [&](int codice) {
    return Stato::errore(fmt::format("{} porta {}: {}", indirizzo, porta, motivo_sistema(codice)));
  };
  const SOCKET nuova = ::WSASocketW(dove.ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                    WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (nuova == INVALID_SOCKET) return guasto(::WSAGetLastError());
  presa p(static_cast<std::intptr_t>(nuova));
  // A port that another socket has is never taken over nor shared.
  const int si = 1;
  ::setsockopt(nuova, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&si),
               sizeof si);
  if (v6)
    ::setsockopt(nuova, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&si), sizeof si);
  if (!non_bloccante(nuova)) return guasto(::WSAGetLastError());
  if (::bind(nuova, reinterpret_cast<sockaddr*>(&dove), lunghezza) != 0)
    return guasto(::WSAGetLastError());
  if (::listen(nuova, SOMAXCONN) != 0) return guasto(::WSAGetLastError());
  lunghezza = sizeof dove;
  if (::getsockname(nuova, reinterpret_cast<sockaddr*>(&dove), &lunghezza) != 0)
    return guasto(::WSAGetLastError());
  porta_avuta = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&dove)->sin6_port
                         : reinterpret_cast<sockaddr_in*>(&dove)->sin_port);
  ascolto = std::move(p);
  return Stato::ok();
}

esito_accetta accetta(const presa& ascolto, presa& nuova, std::string& indirizzo) {
  sockaddr_storage da{};
  int lunghezza = sizeof da;
  const SOCKET c = ::accept(s(ascolto), reinterpret_cast<sockaddr*>(&da), &lunghezza);
  if (c == INVALID_SOCKET) {
    const int codice = ::WSAGetLastError();
    if (codice == WSAEWOULDBLOCK) return esito_accetta::nessuna;
    if (codice == WSAEMFILE || codice == WSAENOBUFS) return esito_accetta::troppe;
    return esito_accetta::guasto;
  }
  nuova = presa(static_cast<std::intptr_t>(c));
  if (!non_bloccante(c)) {
    nuova.chiudi();
    return esito_accetta::guasto;
  }
  char testo[INET6_ADDRSTRLEN] = "";
  if (da.ss_family == AF_INET6)
    ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&da)->sin6_addr, testo, sizeof testo);
  else
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&da)->sin_addr, testo, sizeof testo);
  indirizzo = testo;
  return esito_accetta::presa;
}

long ricevi(const presa& p, char* dati, std::size_t n) {
  const int letti = ::recv(s(p), dati, static_cast<int>(std::min<std::size_t>(n, 1 << 30)), 0);
  if (letti >= 0) return letti;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? presa_vuota : presa_guasta;
}

long invia(const presa& p, const char* dati, std::size_t n) {
  const int scritti = ::send(s(p), dati, static_cast<int>(std::min<std::size_t>(n, 1 << 30)), 0);
  if (scritti >= 0) return scritti;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : presa_guasta;
}

void chiudi_scrittura(const presa& p) { ::shutdown(s(p), SD_SEND); }

Stato attendi_prese(std::vector<attesa_presa>& prese, int millisecondi) {
  if (prese.empty()) {
    ::Sleep(static_cast<DWORD>(millisecondi));
    return Stato::ok();
  }
  std::vector<WSAPOLLFD> attese(prese.size());
  for (std::size_t i = 0; i < prese.size(); ++i) {
    attese[i].fd = static_cast<SOCKET>(prese[i].maniglia);
    attese[i].events = static_cast<SHORT>((prese[i].leggere ? POLLRDNORM : 0) |
                                          (prese[i].scrivere ? POLLWRNORM : 0));
  }
  const int n = ::WSAPoll(attese.data(), static_cast<ULONG>(attese.size()), millisecondi);
  if (n == SOCKET_ERROR)
    return Stato::errore("attesa sulle connessioni: " + motivo_sistema(::WSAGetLastError()));
  for (std::size_t i = 0; i < prese.size(); ++i) {
    const SHORT r = n > 0 ? attese[i].revents : 0;
    prese[i].leggibile = (r & POLLRDNORM) != 0;
    prese[i].scrivibile = (r & POLLWRNORM) != 0;
    prese[i].finita = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }
  return Stato::ok();
}

int prese_massime() { return 1 << 16; }

}  // namespace scen
