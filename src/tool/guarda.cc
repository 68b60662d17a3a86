#include "tool/guarda.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "check/verifica_problemi.h"
#include "marcia/rotabile_scelto.h"
#include "platform/file.h"
#include "platform/memoria.h"
#include "platform/servente_http.h"
#include "platform/sorveglianza.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "read/memorizza_dati.h"
#include "tool/guarda_stato.h"

namespace scen {

namespace {

using namespace std::chrono_literals;

// The line that the terminal shows for a reading: what stopped it, when a
// file could not be read at all.
std::string riga_lettura(const stato_guarda& s) {
  std::string riga =
      fmt::format("{} {}, {} ms", s.ora, riepilogo(s.errori, s.avvisi), s.millisecondi);
  if (!s.guasto.empty()) riga += ": " + visibile(s.guasto);
  if (!s.disegno_attuale)
    riga +=
        s.disegno > 0 ? " (resta il disegno dell'ultima lettura riuscita)" : " (nessun disegno)";
  return riga;
}

// How many pages may follow the state at once.
constexpr int flussi_massimi = 16;

using testo_condiviso = std::shared_ptr<const std::string>;

// What the pages are served: the page, the state and the drawing of the
// last reading, shared by every answer that sends them. The page holds the
// state and the drawing too, so that it shows them before its script runs
// (and without it).
class stato_servito {
 public:
  void metti(const stato_guarda& nuovo) {
    auto pagina = std::make_shared<const std::string>(pagina_guarda(nuovo));
    auto json = std::make_shared<const std::string>(nuovo.json);
    auto disegno = nuovo.disegno_json.empty()
                       ? testo_condiviso()
                       : std::make_shared<const std::string>(nuovo.disegno_json);
    std::lock_guard<std::mutex> l(m_);
    pagina_ = std::move(pagina);
    json_ = std::move(json);
    disegno_ = std::move(disegno);
  }
  testo_condiviso pagina() const {
    std::lock_guard<std::mutex> l(m_);
    return pagina_;
  }
  testo_condiviso json() const {
    std::lock_guard<std::mutex> l(m_);
    return json_;
  }
  testo_condiviso disegno() const {
    std::lock_guard<std::mutex> l(m_);
    return disegno_;
  }

 private:
  mutable std::mutex m_;
  testo_condiviso pagina_, json_, disegno_;
};

// The answer to a request: the page and its state, and nothing else, to
// requests that name this program as their host and come from its own page
// (or from none).
risposta_http rispondi(const richiesta_http& q, const stato_servito& v, long porta) {
  const std::string* host = q.intestazione("host");
  if (!host_ammesso(host ? *host : std::string(), porta))
    return risposta_http::testo(403,
                                "guarda: si risponde solo a 127.0.0.1 e [::1] su questa porta");
  const std::string* origine = q.intestazione("origin");
  const std::string* sito = q.intestazione("sec-fetch-site");
  if (!origine_ammessa(origine ? *origine : std::string(), sito ? *sito : std::string(), porta))
    return risposta_http::testo(403, "guarda: si risponde solo alla pagina servita da qui");
  if (q.metodo != "GET" && q.metodo != "HEAD") {
    risposta_http r = risposta_http::testo(405, "guarda: la pagina si legge soltanto");
    r.metti("Allow", "GET, HEAD");
    return r;
  }
  if (q.con_corpo())
    return risposta_http::testo(413, "guarda: una richiesta di lettura non porta nulla");
  const std::string percorso = q.destinazione.substr(0, q.destinazione.find('?'));
  if (percorso == "/") {
    risposta_http r = risposta_http::con("text/html; charset=utf-8", v.pagina());
    r.metti("Content-Security-Policy", politica_guarda());
    return r;
  }
  if (percorso == "/stato") return risposta_http::con("application/json; charset=utf-8", v.json());
  if (percorso == "/disegno") {
    testo_condiviso d = v.disegno();
    if (!d)
      return risposta_http::testo(
          404, "guarda: ancora nessun disegno: le descrizioni non si sono mai lette");
    return risposta_http::con("application/json; charset=utf-8", std::move(d));
  }
  if (percorso == "/eventi") {
    risposta_http r = risposta_http::con("text/event-stream; charset=utf-8", nullptr);
    r.flusso = true;
    return r;
  }
  return risposta_http::testo(404, "guarda: qui non c'è nulla");
}

// A reading of the files, aside: the watch, the server and an interrupt
// never wait for it.
class lettura_a_parte {
 public:
  lettura_a_parte(const richiesta_guarda& richiesta, stato_guarda prima)
      : comune_(std::make_shared<comune>()) {
    // Its thread keeps what it needs: the process may end while it reads.
    std::thread([c = comune_, richiesta, prima = std::move(prima)] {
      std::optional<stato_guarda> letto;
      std::string guasto;
      try {
        letto = leggi_stato(richiesta, prima);
      } catch (const std::bad_alloc&) {
        guasto = memoria_esaurita;
      } catch (const std::exception& e) {
        guasto = e.what();
      }
      std::lock_guard<std::mutex> l(c->m);
      c->letto = std::move(letto);
      c->guasto = std::move(guasto);
      c->finita = true;
    }).detach();
  }
  bool finita() const {
    std::lock_guard<std::mutex> l(comune_->m);
    return comune_->finita;
  }
  // Once finished: the state read, or nothing and why.
  std::optional<stato_guarda> prendi(std::string& guasto) {
    std::lock_guard<std::mutex> l(comune_->m);
    guasto = comune_->guasto;
    return std::move(comune_->letto);
  }

 private:
  struct comune {
    std::mutex m;
    bool finita = false;
    std::optional<stato_guarda> letto;
    std::string guasto;
  };
  std::shared_ptr<comune> comune_;
};

// The end while a reading is still going: it is not waited for.
[[noreturn]] void finisci_ora(std::ostream& uscita, std::ostream& errori) {
  uscita << "guarda: fine\n" << std::flush;
  errori << std::flush;
  std::_Exit(uscita_riuscita);
}

// The server of the page: every answer kept from caches, sniffing and
// referrers; at most flussi_massimi streams.
impostazioni_servente impostazioni_guarda() {
  impostazioni_servente impostazioni;
  impostazioni.nome = "guarda";
  impostazioni.intestazioni = {{"Cache-Control", "no-store"},
                               {"X-Content-Type-Options", "nosniff"},
                               {"Referrer-Policy", "no-referrer"}};
  impostazioni.flussi = flussi_massimi;
  return impostazioni;
}

// A port that does not exist, or a file that cannot be read at all, is a
// mistake in the command (later, a file that cannot be read is a problem
// shown on the page): the message, or nothing. Only regular files are
// read: a pipe would hold the reading for ever.
std::string sbaglio_di_richiesta(const richiesta_guarda& richiesta) {
  if (richiesta.porta < 0 || richiesta.porta > 65535)
    return fmt::format("guarda: la porta {} non esiste (da 1 a 65535, 0 una libera)",
                       richiesta.porta);
  for (const std::string& nome : {richiesta.linea, richiesta.treno}) {
    std::string byte;
    if (Stato s = leggi_file_regolare(nome, byte, byte_massimi_descrizione); !s.riuscito())
      return visibile(s.messaggio());
  }
  return "";
}

// Until an interrupt: the files read again aside after each change, each
// state read published and told on `uscita`. `in_corso` is left with the
// reading still going, if any.
void segui_i_file(const richiesta_guarda& richiesta, const fine_chiesta& fine,
                  sorveglianza_file& sorveglianza,
                  const std::function<void(const stato_guarda&)>& pubblica, stato_guarda& ultimo,
                  std::optional<lettura_a_parte>& in_corso, std::ostream& uscita) {
  bool di_nuovo = false;  // a change seen while a reading was going on
  while (!fine.chiesta()) {
    std::this_thread::sleep_for(100ms);
    // Out of memory (or of threads) here costs a turn, never the serving:
    // the state served stays the last one, and the reading is tried again.
    try {
      if (sorveglianza.cambiati()) di_nuovo = true;
      if (in_corso && in_corso->finita()) {
        std::string guasto;
        std::optional<stato_guarda> letto = in_corso->prendi(guasto);
        in_corso.reset();
        if (letto) {
          ultimo = std::move(*letto);
          pubblica(ultimo);
          uscita << riga_lettura(ultimo) << '\n' << std::flush;
        } else {
          uscita << ora_locale() << " lettura non riuscita: " << visibile(guasto) << '\n'
                 << std::flush;
        }
      }
      if (in_corso || !di_nuovo) continue;
      // An editor may write a file in more than one step: the reading waits
      // for a moment of quiet, and a change within it is seen at the next
      // turn.
      std::this_thread::sleep_for(50ms);
      sorveglianza.cambiati();
      in_corso.emplace(richiesta, ultimo);
      di_nuovo = false;
    } catch (const std::exception& e) {
      in_corso.reset();
      di_nuovo = true;
      const bool memoria = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
      uscita << ora_locale()
             << " lettura non riuscita: " << (memoria ? memoria_esaurita : visibile(e.what()))
             << '\n'
             << std::flush;
      std::this_thread::sleep_for(1s);
    }
  }
}

}  // namespace

int guarda(const richiesta_guarda& richiesta, std::ostream& uscita, std::ostream& errori) {
  const fine_chiesta fine;
  if (const std::string sbaglio = sbaglio_di_richiesta(richiesta); !sbaglio.empty()) {
    errori << sbaglio << '\n';
    return uscita_fallita;
  }

  stato_servito servito;
  long porta = richiesta.porta;
  servente_http servente(impostazioni_guarda(), [&servito, &porta](const richiesta_http& q) {
    return rispondi(q, servito, porta);
  });
  int avuta = 0;
  if (!servente.ascolta("127.0.0.1", static_cast<int>(porta), avuta).riuscito()) {
    errori << (richiesta.porta == 0
                   ? std::string("guarda: nessuna porta libera su 127.0.0.1")
                   : fmt::format("guarda: la porta {} di 127.0.0.1 non si può avere (è già "
                                 "in uso?)",
                                 richiesta.porta))
           << '\n';
    return uscita_fallita;
  }
  porta = avuta;
  // The same port on the IPv6 loopback, where the host has one.
  int avuta6 = 0;
  (void)servente.ascolta("::1", avuta, avuta6);

  // The rolling-stock file too, given or beside the train description,
  // whether or not it is there yet.
  const std::string file_rotabile =
      richiesta.rotabile.empty() ? rotabile_accanto(richiesta.treno) : richiesta.rotabile;
  sorveglianza_file sorveglianza({richiesta.linea, richiesta.treno, file_rotabile});
  auto pubblica = [&](const stato_guarda& s) {
    servito.metti(s);
    servente.pubblica("event: stato\ndata: " + s.json + "\n\n");
  };
  // Waits for a reading, an interrupt ending the wait.
  auto attendi = [&](lettura_a_parte& l) {
    while (!l.finita()) {
      if (fine.chiesta()) finisci_ora(uscita, errori);
      std::this_thread::sleep_for(20ms);
    }
  };

  stato_guarda ultimo;
  {
    lettura_a_parte prima(richiesta, stato_guarda{});
    attendi(prima);
    std::string guasto;
    std::optional<stato_guarda> letto = prima.prendi(guasto);
    if (!letto) {
      errori << "guarda: " << visibile(guasto) << '\n';
      return uscita_fallita;
    }
    ultimo = std::move(*letto);
  }
  pubblica(ultimo);
  servente.avvia();

  const std::string indirizzo = fmt::format("http://127.0.0.1:{}/", porta);
  uscita << indirizzo << '\n';
  if (richiesta.rotabile.empty() && esiste(file_rotabile))
    uscita << "rotabile: " << visibile(file_rotabile) << " (accanto alla descrizione del treno)\n";
  uscita << riga_lettura(ultimo) << '\n' << std::flush;
  if (richiesta.apri)
    if (Stato s = apri_nel_browser(indirizzo); !s.riuscito())
      errori << "guarda: " << visibile(s.messaggio()) << '\n' << std::flush;

  std::optional<lettura_a_parte> in_corso;
  segui_i_file(richiesta, fine, sorveglianza, pubblica, ultimo, in_corso, uscita);

  servente.ferma();
  if (in_corso && !in_corso->finita()) finisci_ora(uscita, errori);
  uscita << "guarda: fine\n" << std::flush;
  return uscita_riuscita;
}

}  // namespace scen
