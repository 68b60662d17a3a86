#include "tool/guarda_stato.h"

#include <fmt/format.h>

#include <array>
#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "check/causa_unica.h"
#include "check/verifica_problemi.h"
#include "content/chiavi_portate.h"
#include "draw/disegno.h"
#include "draw/pagina.h"
#include "draw/scena.h"
#include "draw/testo_sicuro.h"
#include "marcia/rotabile_scelto.h"
#include "model/esiti.h"
#include "platform/file.h"
#include "read/diagnosi.h"
#include "read/formato.h"
#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "text/da_utf8.h"
#include "tool/disegna.h"
#include "tool/guarda.h"
#include "tool/verifica.h"

namespace scen {

namespace {

using json = nlohmann::ordered_json;

// Line by line, the position of the record that stands there (its first
// value), for the records that have one.
std::map<long, long> posizioni_per_riga(const descrizione_vista& v) {
  std::map<long, long> posizioni;
  for (const record_visto& r : v.record) {
    if (!con_posizione(r.tipo) || r.valori.empty()) continue;
    const campo_visto& primo = r.valori.front();
    if (!primo.numero || !primo.valido || primo.fine_file || primo.oltre_32_bit) continue;
    const long metro = static_cast<long>(primo.valore);
    posizioni.emplace(r.chiave.riga, metro);
    for (const campo_visto& c : r.valori) posizioni.emplace(c.riga, metro);
  }
  return posizioni;
}

// A file name need not be UTF-8: its bytes that are not become U+FFFD. The
// page reads the text with JSON.parse, but as text that could stand in a
// script it risks nothing wherever it lands.
std::string testo_json(const json& j) { return json_in_pagina(j); }

}  // namespace

std::string ora_locale() {
  const std::time_t adesso = std::time(nullptr);
  char testo[16] = "";
  if (const std::tm* t = std::localtime(&adesso)) std::strftime(testo, sizeof testo, "%H:%M:%S", t);
  return testo;
}

bool host_ammesso(std::string_view host, long porta) {
  const std::string coda = fmt::format(":{}", porta);
  for (std::string_view nome : {"127.0.0.1", "[::1]", "localhost"})
    if (host.size() == nome.size() + coda.size() && host.starts_with(nome) && host.ends_with(coda))
      return true;
  return false;
}

bool origine_ammessa(std::string_view origine, std::string_view sito, long porta) {
  if (sito == "cross-site" || sito == "same-site") return false;
  if (origine.empty()) return true;
  constexpr std::string_view schema = "http://";
  return origine.starts_with(schema) && host_ammesso(origine.substr(schema.size()), porta);
}

namespace {

// The state as the page and its stream take it: the counts, the times,
// the files, where reading stopped and the list.
std::string json_dello_stato(const stato_guarda& stato, const richiesta_guarda& richiesta,
                             const std::vector<std::string>& lettura, json j, json problemi) {
  j["lettura"] = stato.lettura;
  j["disegno"] = stato.disegno;
  j["disegno_attuale"] = stato.disegno_attuale;
  j["errori"] = stato.errori;
  j["avvisi"] = stato.avvisi;
  j["millisecondi"] = stato.millisecondi;
  j["ora"] = stato.ora;
  j["file"] = {richiesta.linea, richiesta.treno};
  if (!stato.guasto.empty()) j["guasto"] = stato.guasto;
  j["ferma"] = lettura;
  j["problemi"] = std::move(problemi);
  return testo_json(j);
}

// The list's entries: each problem as verifica's JSON gives it, with its
// line as the terminal shows it and the metre its record stands at (null
// where the text did not convert, or the record has no place).
void voci_dei_problemi(const problemi_trovati& trovati,
                       const std::array<std::optional<std::string>, 2>& testi,
                       const nomi_verificati& nomi, json& problemi) {
  json documento = json::parse(json_problemi(trovati.ordinati, nomi, trovati.errori, trovati.avvisi,
                                             trovati.interruzione, trovati.seguono));
  std::array<std::map<long, long>, 2> posizioni;
  if (testi[0]) posizioni[0] = posizioni_per_riga(vedi_linea(*testi[0]));
  if (testi[1]) posizioni[1] = posizioni_per_riga(vedi_treno(*testi[1]));
  for (size_t k = 0; k < trovati.ordinati.size(); ++k) {
    const problema& p = trovati.ordinati[k];
    json voce = std::move(documento["problemi"][k]);
    voce["testo"] = righe_problema(p, nomi, false).front();
    const auto& righe = posizioni[static_cast<size_t>(parte_di(p.file))];
    const auto trovata = righe.find(p.riga);
    voce["metro"] = trovata == righe.end() ? json() : json(trovata->second);
    problemi.push_back(std::move(voce));
  }
}

// The drawing of the texts read (none where one did not convert from
// UTF-8), with the run of `treno`; where reading stops, the outcome and
// its place go to `lettura` and the last drawing stays.
void disegna_lettura(std::array<std::optional<std::string>, 2> testi, const nomi_verificati& nomi,
                     const rotabile* treno, stato_guarda& stato,
                     std::vector<std::string>& lettura) {
  if (testi[0] && testi[1]) {
    auto m = std::make_unique<modello>();
    m->chiave_percorso = chiave_percorso_portata;
    m->chiave_treno = chiave_treno_portata;
    m->con_tracciato = 1;
    const std::string testo_linea = *testi[0];
    const std::string testo_treno = *testi[1];
    const diagnosi_lettura diagnosi =
        leggi_descrizioni(*m, std::move(*testi[0]), std::move(*testi[1]), {nomi[0], nomi[1]});
    scena s;
    if (m->errore_codice != esito::nessuno) {
      lettura.push_back(" Errore n. " + testo_esito(m->errore_codice, m->errore_posizione));
      for (std::string& riga : righe_diagnosi(diagnosi)) lettura.push_back(std::move(riga));
    } else if (Stato fatta = scena_da_modello(*m, s); !fatta.riuscito()) {
      lettura.push_back("disegna: " + fatta.messaggio());
    } else {
      completa_dalle_descrizioni(*m, testo_linea, testo_treno, s, treno);
      const disegno d = disegna_scena(s);
      stato.disegno = stato.lettura;
      stato.disegno_attuale = true;
      std::string parti = d.svg_profilo + d.svg_pianta;
      const std::string dati = dati_pagina(s, d);
      json nuovo;
      nuovo["disegno"] = stato.disegno;
      nuovo["svg"] = parti;
      nuovo["dati"] = json::parse(dati);
      stato.disegno_json = testo_json(nuovo);
      stato.disegno_svg = parti;
      stato.disegno_dati = dati;
    }
  } else {
    lettura.push_back("le descrizioni non si convertono da UTF-8: nessun disegno");
  }
}

}  // namespace

stato_guarda leggi_stato(const richiesta_guarda& richiesta, const stato_guarda& prima) {
  const auto inizio = std::chrono::steady_clock::now();
  stato_guarda stato;
  stato.lettura = prima.lettura + 1;
  stato.disegno = prima.disegno;
  stato.disegno_json = prima.disegno_json;
  stato.disegno_svg = prima.disegno_svg;
  stato.disegno_dati = prima.disegno_dati;

  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  json j;
  std::string guasto;
  std::array<std::string, 2> byte;
  std::size_t illeggibile = 0;
  for (size_t i = 0; i < 2 && guasto.empty(); ++i)
    // Only a regular file: a pipe put in its place would hold the reading
    // for ever, a device would never end.
    if (Stato s = leggi_file_regolare(nomi[i], byte[i], byte_massimi_descrizione); !s.riuscito()) {
      guasto = s.messaggio();
      illeggibile = i;
    }

  json problemi = json::array();
  std::vector<std::string> lettura;
  if (!guasto.empty()) {
    // The file that could not be read is the one problem of the list.
    const std::string& file = nomi[illeggibile];
    const std::string causa = "il file non si legge: " + guasto;
    problemi.push_back({{"file", file},
                        {"riga", 0},
                        {"colonna", 0},
                        {"gravita", "errore"},
                        {"causa", causa},
                        {"testo", file + ": errore: " + causa},
                        {"metro", nullptr}});
  }
  if (guasto.empty()) {
    // The texts as the readers take them, for the drawing and the places.
    std::array<std::optional<std::string>, 2> testi;
    for (size_t i = 0; i < 2; ++i) {
      if (!richiesta.utf8) {
        testi[i] = byte[i];
      } else if (std::string convertito;
                 descrizione_da_utf8(byte[i], nomi[i], convertito).riuscito()) {
        testi[i] = std::move(convertito);
      }
    }
    // The train of the run, read afresh at each reading as the descriptions.
    rotabile_scelto scelto;
    if (Stato r = scegli_rotabile(richiesta.rotabile, richiesta.treno, scelto); !r.riuscito())
      lettura.push_back(r.messaggio() + " (la marcia è del treno incorporato)");
    problemi_trovati trovati = trova_problemi(byte, nomi, richiesta.utf8, scelto.se_dato());
    riduci_alla_causa(trovati, byte, nomi, richiesta.utf8, scelto.se_dato());
    // What one mistake explains is held back, and said as one line.
    if (trovati.seguono > 0) lettura.push_back(problemi_che_seguono(trovati.seguono));
    voci_dei_problemi(trovati, testi, nomi, problemi);
    if (!trovati.interruzione.empty()) j["interruzione"] = trovati.interruzione;

    disegna_lettura(std::move(testi), nomi, scelto.se_dato(), stato, lettura);
  }

  // The counts are those of the list, whatever it holds.
  for (const json& p : problemi) {
    stato.errori += p["gravita"] == "errore";
    stato.avvisi += p["gravita"] == "avviso";
  }
  stato.ora = ora_locale();
  stato.millisecondi = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - inizio)
                                             .count());
  stato.guasto = guasto;
  stato.json = json_dello_stato(stato, richiesta, lettura, std::move(j), std::move(problemi));
  return stato;
}

}  // namespace scen
