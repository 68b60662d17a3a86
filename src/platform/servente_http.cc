// The server's loop: each turn waits on every socket at once (a twentieth
// of a second at most), then gives each connection its turn, lets go those
// that ended, and takes new connections within the bounds.
#include "platform/servente_http.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/connessione_http.h"

namespace scen {

namespace {

using orologio = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int accettate_per_turno = 64;
constexpr auto turno_massimo = 50ms;

}  // namespace

risposta_http risposta_http::con(std::string tipo, std::shared_ptr<const std::string> corpo) {
  risposta_http r;
  r.metti("Content-Type", std::move(tipo));
  r.corpo = std::move(corpo);
  return r;
}

risposta_http risposta_http::testo(int codice, std::string_view messaggio) {
  risposta_http r = con("text/plain; charset=utf-8",
                        std::make_shared<const std::string>(fmt::format("{}\n", messaggio)));
  r.codice = codice;
  return r;
}

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
  auto nuovo = std::make_shared<const std::string>(std::move(evento));
  std::lock_guard<std::mutex> l(m_);
  evento_ = std::move(nuovo);
  ++numero_evento_;
}

void servente_http::servi() {
  rifiuto_pieno_ = testa_risposta(
      impostazioni_, 503, {{"Content-Type", "text/plain; charset=utf-8"}, {"Retry-After", "2"}}, 0,
      false, true);
  tetto_ = std::max(1, std::min(impostazioni_.connessioni, prese_massime() - 32));
  std::vector<std::unique_ptr<connessione_http>> aperte;
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

void servente_http::turno(std::vector<std::unique_ptr<connessione_http>>& aperte) {
  const impostazioni_servente& imp = impostazioni_;
  contesto_connessioni contesto{imp, gestore_, flussi_, nullptr, 0};

  // The wait.
  std::vector<attesa_presa> attese;
  attese.reserve(ascolti_.size() + aperte.size());
  const bool accetta_ora = orologio::now() >= pausa_accetta_;
  for (presa& a : ascolti_) attese.push_back({a.maniglia(), accetta_ora, false});
  bool subito = false;
  for (auto& c : aperte) {
    attese.push_back({c->maniglia(), c->vuole_leggere(), c->vuole_scrivere()});
    subito = subito || c->pronta();
  }
  if (!attendi_prese(attese, subito ? 0 : static_cast<int>(turno_massimo.count())).riuscito())
    std::this_thread::sleep_for(10ms);
  if (fermo_) return;
  const auto ora = orologio::now();
  {
    std::lock_guard<std::mutex> l(m_);
    contesto.evento = evento_;
    contesto.numero_evento = numero_evento_;
  }

  // Each connection's turn; those that ended go.
  for (std::size_t i = 0; i < aperte.size(); ++i)
    aperte[i]->servi(attese[ascolti_.size() + i], ora, contesto);
  std::erase_if(aperte, [](const auto& c) { return c->finita(); });

  // Makes room by closing the connection that began its request first among
  // those that may be closed (of `indirizzo`, when given).
  int vive = static_cast<int>(aperte.size());
  auto fai_posto = [&](const std::string* indirizzo) {
    connessione_http* piu_vecchia = nullptr;
    for (auto& c : aperte)
      if (c->sgomberabile() && (!indirizzo || c->indirizzo() == *indirizzo) &&
          (!piu_vecchia || c->inizio() < piu_vecchia->inizio()))
        piu_vecchia = c.get();
    if (!piu_vecchia) return false;
    piu_vecchia->chiudi(contesto);
    --vive;
    return true;
  };

  // The newcomers.
  for (std::size_t l = 0; l < ascolti_.size(); ++l) {
    if (!attese[l].leggibile) continue;
    for (int k = 0; k < accettate_per_turno; ++k) {
      presa nuova;
      std::string indirizzo;
      const esito_accetta e = accetta(ascolti_[l], nuova, indirizzo);
      if (e == esito_accetta::nessuna) break;
      if (e == esito_accetta::guasto) continue;
      if (e == esito_accetta::troppe) {
        // The host gives no more sockets: one is freed, or none is taken
        // for a while.
        if (fai_posto(nullptr)) continue;
        pausa_accetta_ = ora + 100ms;
        break;
      }
      const auto dallo_stesso = std::count_if(aperte.begin(), aperte.end(), [&](const auto& c) {
        return !c->finita() && c->indirizzo() == indirizzo;
      });
      bool posto = vive < tetto_ || fai_posto(nullptr);
      if (posto && dallo_stesso >= imp.connessioni_per_indirizzo) posto = fai_posto(&indirizzo);
      if (!posto) {
        // Every place is being answered: a clean refusal, as far as it goes
        // now.
        (void)invia(nuova, rifiuto_pieno_.data(), rifiuto_pieno_.size());
        continue;
      }
      aperte.push_back(
          std::make_unique<connessione_http>(std::move(nuova), std::move(indirizzo), imp, ora));
      ++vive;
    }
  }
  std::erase_if(aperte, [](const auto& c) { return c->finita(); });
  connessioni_ = static_cast<int>(aperte.size());
}

}  // namespace scen
