#include "tool/guarda.h"

#include <fmt/format.h>

#include <chrono>
#include <ctime>
#include <ostream>
#include <string>
#include <thread>

#include "platform/stati_uscita.h"

// On Windows the server is there when the build has the library's header
// (SCEN_SERVER_PAGINA), which brings Windows' sockets with it.
#if !defined(_WIN32) || defined(SCEN_SERVER_PAGINA)
#define SCEN_CON_SERVER 1
#include <httplib.h>
#ifndef _WIN32
#include <sys/socket.h>
#endif

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "check/verifica_problemi.h"
#include "platform/sorveglianza.h"
#include "platform/visibile.h"
#include "read/memorizza_dati.h"
#include "tool/guarda_stato.h"
#endif

namespace scen {

#ifndef SCEN_CON_SERVER

int guarda(const richiesta_guarda&, std::ostream&, std::ostream& errori) {
  errori << "guarda: questa versione per Windows è costruita senza il server della pagina (senza "
            "httplib.h, che tools/httplib_windows.sh prende): la pagina la serve scenario guarda "
            "su Linux\n";
  return uscita_fallita;
}

#else

namespace {

using namespace std::chrono_literals;

// "12:03:04", the local time now.
std::string ora() {
  const std::time_t adesso = std::time(nullptr);
  char testo[16] = "";
  if (const std::tm* t = std::localtime(&adesso)) std::strftime(testo, sizeof testo, "%H:%M:%S", t);
  return testo;
}

// The line that the terminal shows for a reading.
std::string riga_lettura(const stato_guarda& s) {
  std::string riga =
      fmt::format("{} {}, {} ms", ora(), riepilogo(s.errori, s.avvisi), s.millisecondi);
  if (!s.disegno_attuale)
    riga +=
        s.disegno > 0 ? " (resta il disegno dell'ultima lettura riuscita)" : " (nessun disegno)";
  return riga;
}

// How many pages may follow the state at once, on each address.
constexpr int flussi_massimi = 16;
// What a request may carry: a page asks for nothing bigger.
constexpr std::size_t corpo_massimo = 16 * 1024;

// The state that the pages are served, and the pages that follow it.
class stato_servito {
 public:
  void metti(stato_guarda nuovo) {
    {
      std::lock_guard<std::mutex> l(m_);
      stato_ = std::move(nuovo);
    }
    cambiato_.notify_all();
  }
  std::string json() const {
    std::lock_guard<std::mutex> l(m_);
    return stato_.json;
  }
  std::string disegno() const {
    std::lock_guard<std::mutex> l(m_);
    return stato_.disegno_json;
  }
  void ferma() {
    {
      std::lock_guard<std::mutex> l(m_);
      fermo_ = true;
    }
    cambiato_.notify_all();
  }
  bool entra() {
    std::lock_guard<std::mutex> l(m_);
    if (flussi_ >= flussi_massimi) return false;
    ++flussi_;
    return true;
  }
  void esce() {
    std::lock_guard<std::mutex> l(m_);
    --flussi_;
  }
  // Waits (a while at most) for a state later than reading `vista`; gives
  // its JSON, or nothing when the wait ended without one. `fine` says
  // whether the serving is over.
  std::string attendi(long& vista, bool& fine) {
    std::unique_lock<std::mutex> l(m_);
    cambiato_.wait_for(l, 10s, [&] { return fermo_ || stato_.lettura != vista; });
    fine = fermo_;
    if (fermo_ || stato_.lettura == vista) return {};
    vista = stato_.lettura;
    return stato_.json;
  }

 private:
  mutable std::mutex m_;
  std::condition_variable cambiato_;
  stato_guarda stato_;
  bool fermo_ = false;
  int flussi_ = 0;
};

void testo(httplib::Response& r, int codice, const std::string& messaggio) {
  r.status = codice;
  r.set_content(messaggio + "\n", "text/plain; charset=utf-8");
}

// The page and its state, and nothing else, to requests that name this
// program as their host.
void prepara(httplib::Server& s, stato_servito& v, const std::string& pagina, const int& porta) {
  s.new_task_queue = [] { return new httplib::ThreadPool(flussi_massimi + 8); };
  s.set_payload_max_length(corpo_massimo);
  // A port that is in use stays in use: the library's own options would
  // let another listener share it (SO_REUSEPORT; on Windows SO_REUSEADDR,
  // which there lets a listener take over a port that another has).
  s.set_socket_options([](socket_t presa) {
    const int si = 1;
#ifdef _WIN32
    ::setsockopt(presa, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&si),
                 sizeof si);
#else
    ::setsockopt(presa, SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
#endif
  });
  s.set_keep_alive_timeout(2);
  s.set_read_timeout(5);
  s.set_write_timeout(5);
  s.set_pre_routing_handler([&porta](const httplib::Request& q, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_header("X-Content-Type-Options", "nosniff");
    r.set_header("Referrer-Policy", "no-referrer");
    if (!host_ammesso(q.get_header_value("Host"), porta)) {
      testo(r, 403, "guarda: si risponde solo a 127.0.0.1 e [::1] su questa porta");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (q.method != "GET" && q.method != "HEAD") {
      testo(r, 405, "guarda: la pagina si legge soltanto");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (q.has_header("Content-Length") && q.get_header_value("Content-Length") != "0") {
      testo(r, 413, "guarda: una richiesta di lettura non porta nulla");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  s.set_error_handler([](const httplib::Request&, httplib::Response& r) {
    if (r.body.empty()) testo(r, r.status, fmt::format("guarda: {}", r.status));
  });
  s.Get("/", [&pagina](const httplib::Request&, httplib::Response& r) {
    r.set_header("Content-Security-Policy", politica_guarda());
    r.set_content(pagina, "text/html; charset=utf-8");
  });
  s.Get("/stato", [&v](const httplib::Request&, httplib::Response& r) {
    r.set_content(v.json(), "application/json; charset=utf-8");
  });
  s.Get("/disegno", [&v](const httplib::Request&, httplib::Response& r) {
    std::string d = v.disegno();
    if (d.empty())
      testo(r, 404, "guarda: ancora nessun disegno: le descrizioni non si sono mai lette");
    else
      r.set_content(std::move(d), "application/json; charset=utf-8");
  });
  s.Get("/eventi", [&v](const httplib::Request&, httplib::Response& r) {
    if (!v.entra()) {
      testo(r, 503, "guarda: troppe pagine aperte");
      return;
    }
    auto vista = std::make_shared<long>(-1);
    r.set_chunked_content_provider(
        "text/event-stream",
        [&v, vista](std::size_t, httplib::DataSink& sink) {
          bool fine = false;
          const std::string json = v.attendi(*vista, fine);
          if (fine) return false;
          // Without news, a comment now and then: a page gone is found
          // when writing to it fails.
          const std::string evento = json.empty() ? std::string(": ancora qui\n\n")
                                                  : "event: stato\ndata: " + json + "\n\n";
          return sink.write(evento.data(), evento.size());
        },
        [&v](bool) { v.esce(); });
  });
}

}  // namespace

int guarda(const richiesta_guarda& richiesta, std::ostream& uscita, std::ostream& errori) {
  if (richiesta.porta < 0 || richiesta.porta > 65535) {
    errori << "guarda: la porta " << richiesta.porta
           << " non esiste (da 1 a 65535, 0 una libera)\n";
    return uscita_fallita;
  }
  // Files that cannot be read at all are a mistake in the command: later,
  // a file that cannot be read is a problem shown on the page.
  for (const std::string& nome : {richiesta.linea, richiesta.treno}) {
    std::string byte;
    if (Stato s = leggi_descrizione(nome, byte); !s.riuscito()) {
      errori << visibile(s.messaggio()) << '\n';
      return uscita_fallita;
    }
  }

  stato_servito servito;
  sorveglianza_file sorveglianza({richiesta.linea, richiesta.treno});
  stato_guarda ultimo = leggi_stato(richiesta, stato_guarda{});
  servito.metti(ultimo);

  const std::string pagina = pagina_guarda();
  int porta = static_cast<int>(richiesta.porta);
  httplib::Server v4, v6;
  prepara(v4, servito, pagina, porta);
  prepara(v6, servito, pagina, porta);
  if (porta == 0) {
    porta = v4.bind_to_any_port("127.0.0.1");
  } else if (!v4.bind_to_port("127.0.0.1", porta)) {
    porta = -1;
  }
  if (porta <= 0) {
    errori << (richiesta.porta == 0
                   ? std::string("guarda: nessuna porta libera su 127.0.0.1")
                   : fmt::format("guarda: la porta {} di 127.0.0.1 non si può avere (è già "
                                 "in uso?)",
                                 richiesta.porta))
           << '\n';
    return uscita_fallita;
  }
  // The same port on the IPv6 loopback, where the host has one.
  const bool con_v6 = v6.bind_to_port("::1", porta);

  const fine_chiesta fine;
  // Both addresses served aside; on every way out (an exception
  // included) the pages are let go and the serving ends before this does.
  std::atomic<bool> fermando{false}, guasto_servizio{false};
  auto servi = [&](httplib::Server& s) {
    try {
      s.listen_after_bind();
    } catch (const std::exception&) {
    }
    if (!fermando) guasto_servizio = true;
  };
  std::thread servizio4(servi, std::ref(v4));
  std::thread servizio6;
  if (con_v6) servizio6 = std::thread(servi, std::ref(v6));
  struct alla_fine {
    std::function<void()> fai;
    ~alla_fine() { fai(); }
  } chiusura{[&] {
    fermando = true;
    servito.ferma();
    v4.stop();
    if (con_v6) v6.stop();
    servizio4.join();
    if (servizio6.joinable()) servizio6.join();
  }};

  const std::string indirizzo = fmt::format("http://127.0.0.1:{}/", porta);
  uscita << indirizzo << '\n' << riga_lettura(ultimo) << '\n' << std::flush;
  if (richiesta.apri)
    if (Stato s = apri_nel_browser(indirizzo); !s.riuscito())
      errori << "guarda: " << visibile(s.messaggio()) << '\n' << std::flush;

  while (!fine.chiesta() && !guasto_servizio) {
    std::this_thread::sleep_for(100ms);
    if (!sorveglianza.cambiati()) continue;
    // An editor may write a file in more than one step: the reading waits
    // for a moment of quiet, and a change within it is seen at the next turn.
    std::this_thread::sleep_for(50ms);
    sorveglianza.cambiati();
    ultimo = leggi_stato(richiesta, ultimo);
    servito.metti(ultimo);
    uscita << riga_lettura(ultimo) << '\n' << std::flush;
  }

  chiusura.fai();
  chiusura.fai = [] {};
  if (guasto_servizio) {
    errori << "guarda: il server della pagina si è fermato\n";
    return uscita_fallita;
  }
  uscita << "guarda: fine\n" << std::flush;
  return uscita_riuscita;
}

#endif

}  // namespace scen
