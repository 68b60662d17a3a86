#include "tool/disegna.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <memory>
#include <ostream>

#include "check/rallentamenti_sovrapposti.h"
#include "content/chiavi_portate.h"
#include "draw/disegno.h"
#include "draw/marcia_scena.h"
#include "draw/pagina.h"
#include "draw/scena.h"
#include "inspect/cartella_compilata.h"
#include "marcia/marcia_modello.h"
#include "marcia/rotabile_scelto.h"
#include "model/esiti.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "platform/windows1252.h"
#include "read/accesso.h"
#include "read/costruttori_treno.h"
#include "read/diagnosi.h"
#include "read/memorizza_dati.h"
#include "read/vista.h"
#include "tool/cartella_uscita.h"
#include "tool/descrizioni_date.h"

namespace scen {

namespace {

enum class formato { svg, html };

bool finisce_con(const std::string& testo, std::string_view coda) {
  if (testo.size() < coda.size()) return false;
  for (std::size_t i = 0; i < coda.size(); ++i) {
    char c = testo[testo.size() - coda.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != coda[i]) return false;
  }
  return true;
}

// The name without its folder and its last extension.
std::string radice(const std::string& percorso) {
  std::string nome = percorso;
  while (nome.size() > 1 && nome.back() == '/') nome.pop_back();
  if (const auto barra = nome.rfind('/'); barra != std::string::npos) nome = nome.substr(barra + 1);
  if (const auto punto = nome.rfind('.'); punto != std::string::npos && punto > 0)
    nome.resize(punto);
  return nome.empty() || nome == "." || nome == ".." ? "scenario" : nome;
}

// Both descriptions read from memory, as the compile step reads them from
// their files, into a model with the carried keys and the trace.
Stato leggi_coppia(const richiesta_disegna& r, modello& m, std::ostream& errori, bool& fermata,
                   std::string& linea, std::string& treno) {
  fermata = false;
  std::array<std::string, 2> byte;
  if (Stato stato = leggi_descrizioni_date({r.ingressi[0], r.ingressi[1]}, r.utf8, byte);
      !stato.riuscito())
    return stato;
  linea = byte[0];
  treno = byte[1];
  m.chiave_percorso = chiave_percorso_portata;
  m.chiave_treno = chiave_treno_portata;
  m.con_tracciato = 1;
  const diagnosi_lettura diagnosi =
      leggi_descrizioni(m, std::move(byte[0]), std::move(byte[1]), {r.ingressi[0], r.ingressi[1]});
  if (m.errore_codice == esito::nessuno) return Stato::ok();
  fermata = true;
  errori << " Errore n. " << testo_esito(m.errore_codice, m.errore_posizione) << '\n';
  for (const std::string& riga : righe_diagnosi(diagnosi)) errori << riga << '\n';
  return Stato::errore(
      "la lettura si è fermata: nessun disegno scritto (scenario verifica "
      "elenca tutti i problemi)");
}

// Slowdowns that overlap share their cells, from which the picture cannot
// tell one from the other: drawn from their records instead, where each
// stands whole.
void rallentamenti_dai_record(const std::string& treno, scena& s) {
  const descrizione_vista v = vedi_treno(treno);
  if (rallentamenti_sovrapposti(v).empty()) return;
  s.rallentamenti.clear();
  for (const record_visto& r : v.record) {
    if (r.tipo != specie::rallentamento || !r.intero) continue;
    const largo p = r.valore(1);
    // Where the cells place each point, as the picture of the cells shows it.
    auto in_cella = [](largo metri) { return static_cast<long>(metri_cella * cella_di(metri)); };
    s.rallentamenti.push_back({con_punto_di_avviso(p) ? in_cella(p - distanza_avviso) : -1,
                               in_cella(p), in_cella(p + r.valore(3)),
                               static_cast<int>(r.valore(2))});
  }
  std::stable_sort(s.rallentamenti.begin(), s.rallentamenti.end(),
                   [](const auto& a, const auto& b) { return a.inizio < b.inizio; });
}

std::string uscita_predefinita(const richiesta_disegna& richiesta, const std::string& chiave) {
  if (richiesta.ingressi.size() == 1)
    return (chiave.empty() ? radice(richiesta.ingressi[0]) : chiave) + ".svg";
  return radice(richiesta.ingressi.front()) + ".svg";
}

}  // namespace

void completa_dalle_descrizioni(const modello& m, const std::string& testo_linea,
                                const std::string& testo_treno, scena& s, const rotabile* treno,
                                double margine) {
  rallentamenti_dai_record(testo_treno, s);
  const descrizione_vista vista = vedi_linea(testo_linea);
  marcia_in_scena(marcia_del_modello(m, &vista, treno, margine), s);
}

Stato richiesta_disegna_valida(const richiesta_disegna& richiesta) {
  if (richiesta.ingressi.empty() || richiesta.ingressi.size() > 2)
    return Stato::errore(fmt::format("disegna: servono CARTELLA, oppure LINEA e TRENO (dati {})",
                                     richiesta.ingressi.size()));
  if (!richiesta.uscita.empty() && !finisce_con(richiesta.uscita, ".svg") &&
      !finisce_con(richiesta.uscita, ".html"))
    return Stato::errore(
        fmt::format("disegna: il disegno \"{}\" deve finire in .svg o .html", richiesta.uscita));
  if (richiesta.utf8 && richiesta.ingressi.size() == 1)
    return Stato::errore("disegna: --utf8 vale solo per LINEA e TRENO");
  return Stato::ok();
}

int disegna(const richiesta_disegna& richiesta, std::ostream& uscita, std::ostream& errori) {
  const formato f = finisce_con(richiesta.uscita, ".html") ? formato::html : formato::svg;

  // The train: the one given, or the one of a rolling-stock file.
  rotabile_scelto scelto;
  const rotabile* treno_corsa = richiesta.treno;
  if (!treno_corsa) {
    const std::string accanto = richiesta.ingressi.size() == 2 ? richiesta.ingressi[1] : "";
    if (Stato stato = scegli_rotabile(richiesta.file_rotabile, accanto, scelto);
        !stato.riuscito()) {
      errori << visibile(stato.messaggio()) << '\n';
      return uscita_fallita;
    }
    treno_corsa = scelto.se_dato();
    if (const std::string detto = riga_rotabile_accanto(scelto); !detto.empty())
      uscita << detto << '\n';
  }

  auto m = std::make_unique<modello>();
  std::string chiave;
  std::string linea, treno;
  if (richiesta.ingressi.size() == 2) {
    bool fermata = false;
    Stato stato = leggi_coppia(richiesta, *m, errori, fermata, linea, treno);
    if (!stato.riuscito()) {
      errori << visibile(stato.messaggio()) << '\n';
      return fermata ? uscita_esito : uscita_fallita;
    }
  } else {
    // A set left half replaced is read as the next run would leave it.
    if (Stato stato = riprendi_cartella_letta(richiesta.ingressi[0], errori); !stato.riuscito())
      errori << stato.messaggio() << '\n';
    if (Stato stato = leggi_cartella_compilata(richiesta.ingressi[0], *m); !stato.riuscito()) {
      errori << visibile(stato.messaggio()) << '\n';
      return uscita_fallita;
    }
    chiave = da_1252_a_utf8(m->chiave_percorso);
  }

  scena s;
  if (Stato stato = scena_da_modello(*m, s); !stato.riuscito()) {
    errori << "disegna: " << visibile(stato.messaggio()) << '\n';
    return uscita_esito;
  }
  if (richiesta.ingressi.size() == 2)
    completa_dalle_descrizioni(*m, linea, treno, s, treno_corsa, richiesta.margine);
  else
    marcia_in_scena(marcia_del_modello(*m, nullptr, treno_corsa, richiesta.margine), s);
  const disegno d = disegna_scena(s);
  const std::string nome =
      richiesta.uscita.empty() ? uscita_predefinita(richiesta, chiave) : richiesta.uscita;
  const std::string contenuto = f == formato::html ? pagina_html(s, d) : d.svg;
  if (Stato stato = sostituisci_file(nome, contenuto); !stato.riuscito()) {
    errori << visibile(stato.messaggio()) << '\n';
    return uscita_fallita;
  }
  uscita << fmt::format(
      "{}: {}, {} stazioni ({} nominate sulla pianta), {} segnali, {} rallentamenti\n",
      visibile(nome), km_italiani(s.lunghezza), s.stazioni.size(), d.pianta.stazioni_nominate,
      s.segnali.size(), s.rallentamenti.size());
  return uscita_riuscita;
}

}  // namespace scen
