// The server's loop: each turn waits on every socket at once (a twentieth
// of a second at most), then takes what came, answers what is whole, writes
// what can go, ends what is late, and takes new connections.
#include "platform/servente_http.h"

#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <new>

namespace scen {

namespace {

using orologio = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t byte_blocco = 16 * 1024;  // read at a time
constexpr int letture_per_turno = 4;
constexpr int accettate_per_turno = 64;
constexpr auto turno_massimo = 50ms;
// How long a refused client may go on sending before its connection closes.
constexpr auto attesa_chiusura = 2s;

const char* frase(int codice) {
  switch (codice) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
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

using pezzo_testo = std::shared_ptr<const std::string>;

pezzo_testo condiviso(std::string testo) {
  return std::make_shared<const std::string>(std::move(testo));
}

// The head of an answer, with the server's own headers.
std::string testa(const impostazioni_servente& imp, int codice,
                  const std::vector<std::pair<std::string, std::string>>& proprie,
                  std::size_t lunghezza, bool flusso, bool chiudi) {
  std::string t = fmt::format("HTTP/1.1 {} {}\r\n", codice, frase(codice));
  for (const auto& [nome, valore] : imp.intestazioni) t += nome + ": " + valore + "\r\n";
  for (const auto& [nome, valore] : proprie) t += nome + ": " + valore + "\r\n";
  if (!flusso) t += fmt::format("Content-Length: {}\r\n", lunghezza);
  t += chiudi ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
  return t;
}

}  // namespace

risposta_http risposta_http::con(std::string tipo, std::shared_ptr<const std::string> corpo) {
  risposta_http r;
  r.metti("Content-Type", std::move(tipo));
  r.corpo = std::move(corpo);
  return r;
}

risposta_http risposta_http::testo(int codice, std::string_view messaggio) {
  risposta_http r = con("text/plain; charset=utf-8", condiviso(fmt::format("{}\n", messaggio)));
  r.codice = codice;
  return r;
}

struct servente_http::connessione {
  enum class fase { leggendo, scrivendo, flusso, chiudendo };
  struct pezzo {
    pezzo_testo byte;
    std::size_t da = 0;
  };

  presa p;
  std::string indirizzo;
  lettore_richiesta lettore;
  fase f = fase::leggendo;
  std::deque<pezzo> uscita;
  // Reading: when the request began to be awaited, and when it must be
  // whole. Otherwise: when what waits to go must have moved, or (closing)
  // when the connection ends.
  orologio::time_point inizio, scadenza;
  orologio::time_point ultimo_invio;  // a stream's last event or comment
  long evento_visto = 0;              // a stream's last event sent
  bool chiudi_dopo = false;
  bool finita = false;
};

servente_http::servente_http(impostazioni_servente impostazioni, gestore g)
    : impostazioni_(std::move(impostazioni)), gestore_(std::move(g)) {}

servente_http::~servente_http() { ferma(); }

Stato servente_http::ascolta(const std::string& indirizzo, int porta, int& porta_avuta) {
  presa p;
  Stato s = scen::ascolta(indirizzo, porta, p, porta_avuta);
  if (s.riuscito()) ascolti_.push_back(std::move(p));
  return s;
}

void servente_http::avvia() {
  fermo_ = false;
  filo_ = std::thread([this] { servi(); });
}

void servente_http::ferma() {
  fermo_ = true;
  if (filo_.joinable()) filo_.join();
}

void servente_http::pubblica(std::string evento) {
  pezzo_testo nuovo = condiviso(std::move(evento));
  std::lock_guard<std::mutex> l(m_);
  evento_ = std::move(nuovo);
  ++numero_evento_;
}

void servente_http::servi() {
  rifiuto_pieno_ =
      testa(impostazioni_, 503,
            {{"Content-Type", "text/plain; charset=utf-8"}, {"Retry-After", "2"}}, 0, false, true);
  tetto_ = std::max(1, std::min(impostazioni_.connessioni, prese_massime() - 32));
  std::vector<std::unique_ptr<connessione>> aperte;
  while (!fermo_) {
    try {
      turno(aperte);
    } catch (...) {
      // Out of memory for the turn's own lists: the connections free some
      // as they end; the next turn tries again.
      std::this_thread::sleep_for(10ms);
    }
  }
  aperte.clear();
  connessioni_ = 0;
  flussi_ = 0;
}

void servente_http::turno(std::vector<std::unique_ptr<connessione>>& aperte) {
  using fase = connessione::fase;
  const impostazioni_servente& imp = impostazioni_;

  const auto ora_turno = orologio::now();

  auto rispondi = [&](connessione& c, risposta_http r, bool chiudi, bool solo_testa) {
    if (r.flusso && solo_testa) {
      r.flusso = false;
      chiudi = true;
    }
    if (r.flusso) {
      if (flussi_.load() >= imp.flussi) {
        r = risposta_http::testo(
            503, fmt::format("{}: troppi flussi di eventi aperti ({})", imp.nome, imp.flussi));
        r.metti("Retry-After", "2");
      } else {
        chiudi = true;  // the stream ends with the connection
      }
    }
    const std::size_t lunghezza = r.corpo ? r.corpo->size() : 0;
    c.uscita.push_back(
        {condiviso(testa(imp, r.codice, r.intestazioni, lunghezza, r.flusso, chiudi))});
    if (r.corpo && !solo_testa && !r.flusso) c.uscita.push_back({r.corpo});
    c.chiudi_dopo = chiudi;
    c.scadenza = ora_turno + imp.attesa_scrittura;
    if (r.flusso) {
      c.f = fase::flusso;
      c.evento_visto = 0;
      c.ultimo_invio = ora_turno;
      ++flussi_;
    } else {
      c.f = fase::scrivendo;
    }
  };
  auto rifiuta = [&](connessione& c, int codice, std::string_view motivo) {
    rispondi(c, risposta_http::testo(codice, fmt::format("{}: {}", imp.nome, motivo)), true, false);
  };
  // Makes room by closing the connection, among those still sending
  // their request or closing after a refusal (of `indirizzo`, when given),
  // that began it first.
  auto fai_posto = [&](const std::string* indirizzo) {
    connessione* piu_vecchia = nullptr;
    for (auto& c : aperte)
      if (!c->finita && (c->f == fase::leggendo || c->f == fase::chiudendo) &&
          (!indirizzo || c->indirizzo == *indirizzo) &&
          (!piu_vecchia || c->inizio < piu_vecchia->inizio))
        piu_vecchia = c.get();
    if (!piu_vecchia) return false;
    piu_vecchia->finita = true;
    piu_vecchia->p.chiudi();
    return true;
  };

  // The wait.
  std::vector<attesa_presa> attese;
  attese.reserve(ascolti_.size() + aperte.size());
  const bool accetta_ora = ora_turno >= pausa_accetta_;
  for (presa& a : ascolti_) attese.push_back({a.maniglia(), accetta_ora, false});
  bool subito = false;
  for (auto& c : aperte) {
    attese.push_back({c->p.maniglia(), c->f != fase::scrivendo, !c->uscita.empty()});
    if (c->f == fase::leggendo && c->lettore.stato() != lettore_richiesta::esito::incompleta)
      subito = true;
  }
  if (!attendi_prese(attese, subito ? 0 : static_cast<int>(turno_massimo.count())).riuscito())
    std::this_thread::sleep_for(10ms);
  if (fermo_) return;
  const auto ora = orologio::now();

  pezzo_testo evento;
  long numero_evento = 0;
  {
    std::lock_guard<std::mutex> l(m_);
    evento = evento_;
    numero_evento = numero_evento_;
  }

  char blocco[byte_blocco];
  for (std::size_t i = 0; i < aperte.size(); ++i) {
    connessione& c = *aperte[i];
    const attesa_presa& a = attese[ascolti_.size() + i];
    if (c.finita) continue;
    try {
      // What came.
      if (a.leggibile || (a.finita && c.f != fase::scrivendo)) {
        for (int k = 0; k < letture_per_turno; ++k) {
          const long n = ricevi(c.p, blocco, sizeof blocco);
          if (n == 0 || n == presa_guasta) {
            c.finita = true;
            break;
          }
          if (n == presa_vuota) break;
          if (c.f != fase::leggendo) continue;  // a stream's client, or a refused one: dropped
          if (c.lettore.aggiungi({blocco, static_cast<std::size_t>(n)}) !=
              lettore_richiesta::esito::incompleta)
            break;
        }
      } else if (a.finita) {
        c.finita = true;
      }
      if (c.finita) continue;

      // What is whole gets its answer.
      while (c.f == fase::leggendo) {
        const auto stato = c.lettore.stato();
        if (stato == lettore_richiesta::esito::incompleta) break;
        if (stato == lettore_richiesta::esito::rifiutata) {
          rifiuta(c, c.lettore.codice(), c.lettore.motivo());
          break;
        }
        const richiesta_http& q = c.lettore.richiesta();
        risposta_http r;
        try {
          r = gestore_(q);
        } catch (...) {
          r = risposta_http::testo(
              500, fmt::format("{}: la richiesta non si è potuta servire", imp.nome));
        }
        rispondi(c, std::move(r), !q.tiene_aperta() || q.con_corpo(), q.metodo == "HEAD");
        c.lettore.prossima();
      }

      // A stream's news, or a sign of life.
      if (c.f == fase::flusso && c.uscita.empty()) {
        if (evento && numero_evento != c.evento_visto) {
          c.uscita.push_back({evento});
          c.evento_visto = numero_evento;
          c.ultimo_invio = ora;
          c.scadenza = ora + imp.attesa_scrittura;
        } else if (ora - c.ultimo_invio >= imp.quiete_flusso) {
          static const pezzo_testo ancora_qui = condiviso(": ancora qui\n\n");
          c.uscita.push_back({ancora_qui});
          c.ultimo_invio = ora;
          c.scadenza = ora + imp.attesa_scrittura;
        }
      }

      // What can go.
      while (!c.uscita.empty()) {
        connessione::pezzo& primo = c.uscita.front();
        const long n = invia(c.p, primo.byte->data() + primo.da, primo.byte->size() - primo.da);
        if (n == presa_guasta) {
          c.finita = true;
          break;
        }
        if (n == 0) break;
        c.scadenza = ora + imp.attesa_scrittura;
        primo.da += static_cast<std::size_t>(n);
        if (primo.da == primo.byte->size()) c.uscita.pop_front();
      }
      if (c.finita) continue;
      if (c.uscita.empty() && c.f == fase::scrivendo) {
        if (c.chiudi_dopo) {
          chiudi_scrittura(c.p);
          c.f = fase::chiudendo;
          c.scadenza = ora + attesa_chiusura;
        } else {
          c.f = fase::leggendo;
          c.inizio = ora;
          c.scadenza = ora + imp.attesa_richiesta;
        }
      }

      // What is late: a request, an answer that does not drain, a closing.
      if (ora > c.scadenza) {
        if (c.f == fase::chiudendo || (c.f == fase::leggendo && c.lettore.vuota()))
          c.finita = true;
        else if (c.f != fase::leggendo && !c.uscita.empty())
          c.finita = true;
        else if (c.f == fase::leggendo)
          rifiuta(
              c, 408,
              fmt::format(
                  "la richiesta non è arrivata intera entro {} s",
                  std::chrono::duration_cast<std::chrono::seconds>(imp.attesa_richiesta).count()));
      }
    } catch (...) {
      // Out of memory for this one: it ends, the others go on.
      c.finita = true;
    }
  }

  // Those that ended go.
  for (auto& c : aperte)
    if (c->finita && c->f == fase::flusso) --flussi_;
  std::erase_if(aperte, [](const auto& c) { return c->finita; });

  // The newcomers.
  int vive = static_cast<int>(aperte.size());
  for (std::size_t l = 0; l < ascolti_.size(); ++l) {
    if (!attese[l].leggibile) continue;
    for (int k = 0; k < accettate_per_turno; ++k) {
      presa nuova;
      std::string indirizzo;
      const esito_accetta e = accetta(ascolti_[l], nuova, indirizzo);
      if (e == esito_accetta::nessuna) break;
      if (e == esito_accetta::guasto) continue;
      if (e == esito_accetta::troppe) {
        if (fai_posto(nullptr)) {
          --vive;
          continue;
        }
        pausa_accetta_ = ora + 100ms;
        break;
      }
      const int dallo_stesso =
          static_cast<int>(std::count_if(aperte.begin(), aperte.end(), [&](const auto& c) {
            return !c->finita && c->indirizzo == indirizzo;
          }));
      bool posto = true;
      if (vive >= tetto_) posto = fai_posto(nullptr) && (--vive, true);
      if (posto && dallo_stesso >= imp.connessioni_per_indirizzo)
        posto = fai_posto(&indirizzo) && (--vive, true);
      if (!posto) {
        // Every place is answering: a clean refusal, as far as it goes now.
        (void)invia(nuova, rifiuto_pieno_.data(), rifiuto_pieno_.size());
        continue;
      }
      auto c = std::make_unique<connessione>();
      c->p = std::move(nuova);
      c->indirizzo = std::move(indirizzo);
      c->lettore = lettore_richiesta(imp.richiesta);
      c->inizio = ora;
      c->scadenza = ora + imp.attesa_richiesta;
      aperte.push_back(std::move(c));
      ++vive;
    }
  }
  std::erase_if(aperte, [](const auto& c) { return c->finita; });
  connessioni_ = static_cast<int>(aperte.size());
}

}  // namespace scen
