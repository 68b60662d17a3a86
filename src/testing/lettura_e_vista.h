// Holds the readers and the view of a description to each other: the same
// bytes are read to build a model and only to look, each telling a listener
// what it sees; what the reading told must be what the look told, field for
// field, up to where reading stopped, and all of it when reading went
// through.
#pragma once

#include <fmt/format.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/chiavi_portate.h"
#include "describe/descrizioni.h"
#include "model/esiti.h"
#include "model/modello.h"
#include "read/campi.h"
#include "read/diagnosi.h"
#include "read/guasto.h"
#include "read/lettore_linea.h"
#include "read/lettore_treno.h"
#include "read/lettura.h"
#include "read/osservatore.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"

namespace scen::prova {

// Every event as one line of text, places and bytes included.
class eventi_lettura final : public osservatore_lettura {
 public:
  std::vector<std::string> eventi;

  void ignorato(const campo_visto& c, parte_file parte, bool trattino) override {
    eventi.push_back(
        fmt::format("ignorato {} {} {}", static_cast<int>(parte), trattino ? "-" : "", luogo(c)));
  }
  void generale(const campo_visto& c) override {
    eventi.push_back(fmt::format("generale {}", luogo(c)));
  }
  void chiusura_generale(const campo_visto& c) override {
    eventi.push_back(fmt::format("chiusura {}", luogo(c)));
  }
  void record(const campo_visto& c, const formato_record& f) override {
    eventi.push_back(fmt::format("record {} {}", nome_record(f.tipo, f.quale), luogo(c)));
  }
  void valore(const campo_visto& c) override {
    eventi.push_back(fmt::format("valore {}", luogo(c)));
  }
  void interrotto() override { eventi.push_back("interrotto"); }

 private:
  static std::string luogo(const campo_visto& c) {
    std::string testo;
    for (char b : c.testo) testo += (b >= 0x20 && b < 0x7f) ? b : '?';
    return fmt::format("{}:{} @{} \"{}\" {}{}{}{}{}{} {}", c.riga, c.colonna, c.inizio, testo,
                       c.a_inizio_riga ? "i" : "", c.virgola ? "v" : "", c.numero ? "n" : "",
                       c.spezzato ? "s" : "", c.valido ? "" : "x", c.oltre_32_bit ? "o" : "",
                       c.valore);
  }
};

inline modello modello_di_prova() {
  modello m;
  m.chiave_percorso = chiave_percorso_portata;
  m.chiave_treno = chiave_treno_portata;
  m.con_tracciato = 1;
  return m;
}

// What reading `testo` (the line description, or the train description after
// the small line of the tests) tells, and whether it went through.
struct lettura_raccontata {
  std::vector<std::string> eventi;
  bool fino_in_fondo = false;
};

inline lettura_raccontata racconta_lettura(std::string_view testo, bool linea) {
  lettura_raccontata r;
  eventi_lettura eventi;
  auto m = std::make_unique<modello>(modello_di_prova());
  diagnosi_lettura d;
  posizione_lettura p;
  try {
    esito_linea della_linea;
    if (!linea) {
      campi f{linea_prova};
      della_linea = leggi_linea(*m, f, p, d);
      p = {};
    }
    p.osservatore = &eventi;
    campi f{std::string(testo)};
    if (linea) {
      const esito_linea letta = leggi_linea(*m, f, p, d);
      r.fino_in_fondo = letta.prosegui && m->errore_codice == esito::nessuno;
    } else {
      leggi_treno(*m, f, della_linea, p, d);
      r.fino_in_fondo = m->errore_codice == esito::nessuno;
    }
  } catch (const guasto_lettura&) {
    r.fino_in_fondo = false;
  }
  r.eventi = std::move(eventi.eventi);
  return r;
}

inline std::vector<std::string> racconta_vista(std::string_view testo, bool linea) {
  eventi_lettura eventi;
  campi f = campi::su(testo);
  posizione_lettura p;
  p.osservatore = &eventi;
  if (linea)
    scorri_linea(f, p);
  else
    scorri_treno(f, p);
  return std::move(eventi.eventi);
}

// The carried descriptions, as their writers write them.
struct descrizioni_portate {
  std::string linea;
  std::string treno;
};

inline descrizioni_portate scrivi_descrizioni_portate() {
  CartellaTemporanea cartella;
  modello m = modello_di_prova();
  descrizioni_portate d;
  if (!dati_linea(m, cartella.percorso()).riuscito() ||
      !dati_treno(m, cartella.percorso()).riuscito())
    return d;
  d.linea = leggi(cartella.file("Vela_Nuro_linea.txt"));
  d.treno = leggi(cartella.file("Vela_Nuro_IC 731-.txt"));
  return d;
}

// Empty when the reading and the look agree; else where they part.
inline std::string divergenza_lettura_vista(std::string_view testo, bool linea) {
  const lettura_raccontata letta = racconta_lettura(testo, linea);
  const std::vector<std::string> vista = racconta_vista(testo, linea);
  for (size_t i = 0; i < letta.eventi.size(); ++i) {
    if (i >= vista.size())
      return fmt::format("la lettura va oltre la vista, all'evento {}: {}", i, letta.eventi[i]);
    if (letta.eventi[i] != vista[i])
      return fmt::format("evento {}: la lettura dice {}, la vista {}", i, letta.eventi[i],
                         vista[i]);
  }
  if (letta.fino_in_fondo && vista.size() != letta.eventi.size())
    return fmt::format("la lettura è andata fino in fondo con {} eventi, la vista ne ha {}: {}",
                       letta.eventi.size(), vista.size(), vista[letta.eventi.size()]);
  return {};
}

}  // namespace scen::prova
