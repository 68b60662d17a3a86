#include "check/verifica_letture.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/celle_occupate.h"
#include "compile/file_compilati.h"
#include "compile/memorizza_percorso.h"
#include "compile/riduzione_codici.h"
#include "content/chiavi_portate.h"
#include "model/esiti.h"
#include "read/accesso.h"
#include "read/campi.h"
#include "read/costruttori_treno.h"
#include "read/diagnosi.h"
#include "read/guasto.h"
#include "read/lettore_linea.h"
#include "read/lettore_treno.h"
#include "read/lettura.h"

namespace scen {

namespace {

// The names under which the readers know the two copies: the diagnoses name
// the file by them.
const std::string nome_linea(file_linea);
const std::string nome_treno(file_treno);

std::unique_ptr<modello> modello_nuovo() {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = chiave_percorso_portata;
  m->chiave_treno = chiave_treno_portata;
  m->con_tracciato = 1;
  m->registri[indice_registro::generali_linea].nome = m->chiave_percorso;
  m->registri[indice_registro::generali_ripetizione].nome = m->chiave_treno;
  return m;
}

// How one reading of a file ended.
struct tentativo {
  bool fermato = false;          // on an outcome or a failure
  bool senza_via = false;        // nothing after this stop can be read: no line length, no
                                 // "[generale]", a file as a whole
  bool senza_lunghezza = false;  // the line's length was not read
  diagnosi_lettura diagnosi;
  long riga_record = 0;  // the line of the keyword field of the record being read
};

// A read failure as the diagnosis tells it, where it lies; after a failure
// tied to the whole file or to the missing line length nothing more can be
// read.
void segna_guasto(tentativo& t, const guasto_lettura& g, const posizione_lettura& p) {
  t.senza_via = g.dove == guasto_lettura::luogo::file || g.dove == guasto_lettura::luogo::lunghezza;
  t.senza_lunghezza = g.dove == guasto_lettura::luogo::lunghezza;
  diagnosi_del_guasto(t.diagnosi, g, p);
}

class letture {
 public:
  letture(std::string& linea, std::string& treno, const nomi_verificati& nomi, long massimi,
          elenco_problemi& problemi)
      : linea_(linea), treno_(treno), nomi_(nomi), massimi_(massimi), p_(problemi) {}

  lettura_verificata leggi() {
    lettura_verificata r = leggi_tutto();
    r.messe_da_parte = std::move(messe_da_parte_);
    return r;
  }

 private:
  lettura_verificata leggi_tutto() {
    lettura_verificata r;
    std::unique_ptr<modello> dopo_linea;
    esito_linea linea;
    if (!leggi_linea(dopo_linea, linea, r.interruzione)) return r;
    r.avvisi_lettore = avvisi_;
    progressive(*dopo_linea, linea);
    if (dopo_linea->celle.size() < 2) {
      problema e{gravita::errore,
                 nome_linea,
                 ultima_linea_.generale.riga,
                 ultima_linea_.generale.colonna,
                 std::string(senza_lunghezza),
                 {}};
      if (ultima_linea_.del_treno.riga != 0)
        e.note.push_back({gravita::nota,
                          nome_linea,
                          ultima_linea_.del_treno.riga,
                          ultima_linea_.del_treno.colonna,
                          nota_scambiati(ultima_linea_),
                          {}});
      p_.aggiungi(std::move(e));
      r.interruzione =
          "verifica interrotta: senza la lunghezza della linea il treno non si può leggere";
      return r;
    }
    leggi_treno(*dopo_linea, linea, r);
    return r;
  }

  // The line description, again and again until it goes through: the model
  // it leaves, without the trace, which the train does not use.
  bool leggi_linea(std::unique_ptr<modello>& dopo, esito_linea& linea, std::string& perche) {
    for (;;) {
      if (!sotto_il_limite(perche)) return false;
      auto m = modello_nuovo();
      campi f(linea_);
      posizione_lettura p;
      p.file = nome_linea;
      tentativo t;
      try {
        linea = scen::leggi_linea(*m, f, p, t.diagnosi);
        t.fermato = m->errore_codice != esito::nessuno;
        if (m->errore_codice == esito::generale_assente) t.senza_via = true;
        if (m->errore_codice == esito::lunghezza_eccessiva) t.senza_via = true;
      } catch (const guasto_lettura& g) {
        m->errore_codice = esito::errore_di_lettura;
        t.fermato = true;
        segna_guasto(t, g, p);
      }
      t.riga_record = p.campo(0).riga;
      ultima_linea_ = p;
      if (!t.fermato) {
        avvisi_del_lettore(t.diagnosi, avvisi_);
        for (auto& componente : m->tracciato) componente_tracciato().swap(componente);
        dopo = std::move(m);
        return true;
      }
      if (!dopo_lo_stop(t, *m, nome_linea, linea_, messe_da_parte_[0], perche)) return false;
    }
  }

  // The train description on what the line left, again and again.
  bool leggi_treno(const modello& dopo_linea, const esito_linea& linea, lettura_verificata& r) {
    for (;;) {
      if (!sotto_il_limite(r.interruzione)) return false;
      auto m = std::make_unique<modello>(dopo_linea);
      campi f(treno_);
      posizione_lettura p;
      p.file = nome_treno;
      tentativo t;
      try {
        scen::leggi_treno(*m, f, linea, p, t.diagnosi);
        t.fermato = m->errore_codice != esito::nessuno;
      } catch (const guasto_lettura& g) {
        m->errore_codice = esito::errore_di_lettura;
        t.fermato = true;
        segna_guasto(t, g, p);
      }
      t.riga_record = p.campo(0).riga;
      if (!t.fermato) {
        avvisi_del_lettore(t.diagnosi, r.avvisi_lettore);
        r.letto = std::move(m);
        return true;
      }
      if (!dopo_lo_stop(t, *m, nome_treno, treno_, messe_da_parte_[1], r.interruzione))
        return false;
    }
  }

  bool sotto_il_limite(std::string& perche) const {
    if (p_.errori() < massimi_) return true;
    perche = fmt::format(
        "verifica interrotta dopo {} errori: corretti questi, la verifica va "
        "ripetuta",
        massimi_);
    return false;
  }

  // Notes the stop in the file `nome`, whose text is `testo`, and sets its
  // record aside: false when nothing more can be read after it.
  bool dopo_lo_stop(const tentativo& t, const modello& m, const std::string& nome,
                    std::string& testo, std::vector<std::string>& da_parte, std::string& perche) {
    const diagnosi_lettura& d = t.diagnosi;
    // A length record set aside for an error of its own leaves the line
    // without a length: that error has been told already.
    if (t.senza_lunghezza && std::any_of(da_parte.begin(), da_parte.end(), [](const auto& riga) {
          return chiama(formato_di(specie::lunghezza), riga);
        })) {
      perche =
          "verifica interrotta: messa da parte la lunghezza della linea per il suo errore, la "
          "descrizione della linea non si legge oltre, e quella del treno non si legge";
      return false;
    }
    // The readers' own error, with its notes and without the warnings.
    problema e = d;
    e.causa = fmt::format("{} (esito {})", d.causa, numero_esito(m.errore_codice));
    std::erase_if(e.note, [](const diagnostica& n) { return n.livello != gravita::nota; });
    // Records beyond the cells by the score: the first such error says
    // that the line's length may be what is wrong.
    if (m.errore_codice == esito::fuori_dalle_celle && !nota_lunghezza_data_) {
      nota_lunghezza_data_ = true;
      if (std::optional<problema> n = nota_lunghezza(vedi_linea(linea_), vedi_treno(treno_)))
        e.note.push_back(std::move(*n));
    }
    // A taken cell: who holds it, and where the record could go instead.
    if (esito_di_cella_occupata(m.errore_codice))
      for (problema& n :
           note_cella_occupata(m, vedi_linea(linea_), vedi_treno(treno_), parte_di(d.file), d.riga))
        e.note.push_back(std::move(n));
    p_.aggiungi(std::move(e));
    const std::string dove = luogo(d);
    if (t.senza_via) {
      perche = fmt::format("verifica interrotta: dopo l'errore di {} {}", dove,
                           d.file == nome_treno
                               ? "la descrizione del treno non si legge oltre"
                               : "la descrizione della linea non si legge oltre, e quella del "
                                 "treno non si legge");
      return false;
    }
    // The line that the error names, or else the record's.
    std::string tolta;
    if ((d.file == nome && svuota_riga(testo, d.riga, &tolta)) ||
        svuota_riga(testo, t.riga_record, &tolta)) {
      da_parte.push_back(std::move(tolta));
      return true;
    }
    perche =
        fmt::format("verifica interrotta: la lettura si ferma sempre a {} e non va oltre", dove);
    return false;
  }

  // A place of a diagnosis, as the problem lines give it: "linea.txt:12:5".
  std::string luogo(const diagnosi_lettura& d) const {
    const std::string& file = nomi_[static_cast<size_t>(parte_di(d.file))];
    if (d.riga == 0) return file;
    if (d.colonna == 0) return fmt::format("{}:{}", file, d.riga);
    return fmt::format("{}:{}:{}", file, d.riga, d.colonna);
  }

  // The warnings that the readers themselves give.
  static void avvisi_del_lettore(const diagnosi_lettura& d, std::vector<problema>& avvisi) {
    for (const diagnostica& n : d.note)
      if (n.livello == gravita::avviso) avvisi.push_back(n);
  }

  // Outcome 2 belongs to the line, though the train half finds it after the
  // train description: noted here, and the progressives then cleared so that
  // the train's reading does not stop on it again.
  void progressive(modello& m, const esito_linea& linea) {
    bool fuori = false;
    for (int i : {indice_registro::progressiva_tre, indice_registro::progressiva_due,
                  indice_registro::progressiva_uno}) {
      const registro& r = m.registri[static_cast<size_t>(i)];
      if (r.inizio % metri_cella != 0 || r.fine % metri_cella != 0) fuori = true;
    }
    if (!fuori) return;
    std::string causa(descrizione_esito(esito::progressiva_non_multipla));
    if (!linea.progressiva.dettaglio.empty()) causa += ": " + linea.progressiva.dettaglio;
    p_.errore(file_verificato::linea, linea.progressiva.punto.riga, linea.progressiva.punto.colonna,
              fmt::format("{} (esito {})", causa, numero_esito(esito::progressiva_non_multipla)));
    for (int i : {indice_registro::progressiva_tre, indice_registro::progressiva_due,
                  indice_registro::progressiva_uno}) {
      registro& r = m.registri[static_cast<size_t>(i)];
      r.inizio = 0;
      r.fine = 0;
    }
  }

  std::string& linea_;
  std::string& treno_;
  const nomi_verificati& nomi_;
  const long massimi_;
  elenco_problemi& p_;
  posizione_lettura ultima_linea_;  // where the last reading of the line got to
  std::vector<problema> avvisi_;    // the line reader's, from the reading that went through
  std::array<std::vector<std::string>, 2> messe_da_parte_;
  bool nota_lunghezza_data_ = false;
};

// ---- After reading ----

// A code outside the cell codes: a cell that is taken and that the pass does
// not look at.
constexpr Byte codice_spento = 255;

// An outcome of the code-reduction pass and the cell whose slowdown met it:
// the warning point (code 4) or the start (code 3).
struct esito_passaggio {
  esito numero = esito::nessuno;
  Long posizione = 0;
  Long cella = 0;
  Byte codice = 0;
  // Before the pass, for a start: the cells of each of its three groups
  // that had no free cell.
  std::vector<std::pair<Long, Long>> gruppi_pieni;
  // For outcome 11: what the two cells before the signal hold.
  std::string prima_del_segnale;
};

// The pass, once for each warning point and start, in the pass's order, with
// the others switched off: each comes back with the outcome it met, if any.
// The cells come out as the whole pass leaves them; when they do not (the
// pass looks further than this expects), nothing is returned and only the
// whole pass's outcome is told.
std::optional<std::vector<esito_passaggio>> passaggio_per_rallentamento(const modello& m,
                                                                        const modello& intero) {
  modello lavoro;
  lavoro.celle = m.celle;
  lavoro.ultima_cella = m.ultima_cella;
  std::vector<std::pair<Long, Byte>> inneschi;
  const auto n = static_cast<Long>(lavoro.celle.size());
  for (Long i = 1; i <= n - 3; ++i) {
    const Byte c = lavoro.celle[static_cast<size_t>(i)].codice;
    if (c == codice_cella::avviso_rallentamento || c == codice_cella::inizio_rallentamento) {
      inneschi.emplace_back(i, c);
      lavoro.celle[static_cast<size_t>(i)].codice = codice_spento;
    }
  }
  std::vector<esito_passaggio> esiti;
  for (const auto& [i, codice] : inneschi) {
    cella& innesco = lavoro.celle[static_cast<size_t>(i)];
    esito_passaggio e;
    e.cella = i;
    e.codice = codice;
    if (codice == codice_cella::inizio_rallentamento) {
      for (const auto& gruppo : gruppi_prima_dell_inizio) {
        if (i <= gruppo[2]) continue;
        bool libera = false;
        for (Long d : gruppo)
          libera = libera || cella_libera(lavoro.celle[static_cast<size_t>(i - d)]);
        if (!libera) e.gruppi_pieni.emplace_back(i - gruppo[2], i - gruppo[0]);
      }
    }
    innesco.codice = codice;
    lavoro.errore_codice = esito::nessuno;
    riduzione_codici(lavoro);
    innesco.codice = codice_spento;
    // The groups before a start are each filled by themselves, from the cells
    // as they were: a full one is outcome 12 whatever the walk after it meets.
    if (!e.gruppi_pieni.empty()) {
      esito_passaggio gruppi = e;
      gruppi.numero = esito::riduzione_prima_di_inizio;
      gruppi.posizione = i * metri_cella;
      esiti.push_back(std::move(gruppi));
    }
    if (lavoro.errore_codice == esito::nessuno) continue;
    if (lavoro.errore_codice == esito::riduzione_prima_di_inizio && !e.gruppi_pieni.empty())
      continue;
    e.numero = lavoro.errore_codice;
    e.posizione = lavoro.errore_posizione;
    if (e.numero == esito::riduzione_prima_di_segnale) {
      const Long s = e.posizione / metri_cella;
      if (s >= 2)
        e.prima_del_segnale =
            fmt::format("{}, {}", contenuto_cella(lavoro.celle[static_cast<size_t>(s - 1)]),
                        contenuto_cella(lavoro.celle[static_cast<size_t>(s - 2)]));
    }
    esiti.push_back(std::move(e));
  }
  for (const auto& [i, codice] : inneschi) lavoro.celle[static_cast<size_t>(i)].codice = codice;
  if (lavoro.celle != intero.celle) return std::nullopt;
  return esiti;
}

class dopo_lettura {
 public:
  dopo_lettura(const descrizione_vista& linea, const descrizione_vista& treno,
               elenco_problemi& problemi)
      : linea_(linea), treno_(treno), p_(problemi) {}

  void esegui(const modello& letto) {
    const modello intero = passaggio(letto);
    casella_riservata(intero);
    testi_lunghi();
  }

  // Outcomes 11 to 13 of the code-reduction pass, each at its record: the
  // cells as the pass leaves them.
  modello passaggio(const modello& letto) {
    modello intero;
    intero.celle = letto.celle;
    intero.registri = letto.registri;
    intero.ultima_cella = letto.ultima_cella;
    riduzione_codici(intero);
    if (intero.errore_codice != esito::nessuno) {
      if (auto esiti = passaggio_per_rallentamento(letto, intero))
        for (const esito_passaggio& e : *esiti) esito_del_passaggio(e);
      else
        esito_del_passaggio({intero.errore_codice, intero.errore_posizione, 0, 0, {}, {}});
    }
    return intero;
  }

 private:
  // The record of `tipo` in the train whose cell (`dopo`: the cell after its
  // position) is `cella`; for a slowdown, `punto` says which of its cells.
  // The first such record in the file: the records of a kind are indexed by
  // their cell the first time that kind is asked for, so that many outcomes
  // over many records take no longer than one look each.
  const record_visto* record_in_cella(specie tipo, largo cella, int punto = 0) {
    auto [indice, nuovo] = per_cella_.try_emplace({tipo, punto});
    if (nuovo)
      for (const record_visto& r : treno_.record) {
        if (r.tipo != tipo || !r.intero) continue;
        const largo p = r.valore(1);
        largo c = cella_dopo(p);
        if (tipo == specie::abbattimento) c = cella_di(p);
        if (tipo == specie::rallentamento && punto == 1) c = cella_avviso_rallentamento(p);
        indice->second.try_emplace(c, &r);
      }
    const auto trovato = indice->second.find(cella);
    return trovato == indice->second.end() ? nullptr : trovato->second;
  }

  void errore_in(const record_visto* r, file_verificato f, size_t campo, std::string causa) {
    if (!r) {
      p_.errore(f, 0, 0, std::move(causa));
      return;
    }
    const campo_visto& c = campo == 0 ? r->chiave : r->campo(campo);
    p_.errore(f, c.riga, c.colonna, std::move(causa));
  }

  void esito_del_passaggio(const esito_passaggio& e) {
    const std::string descrizione(descrizione_esito(e.numero));
    const long numero = numero_esito(e.numero);
    const file_verificato treno = file_verificato::treno;
    if (e.cella == 0) {
      // Only the whole pass's outcome: placed by its position alone.
      errore_in(nullptr, treno, 0,
                fmt::format("{}, alla posizione {} (esito {})", descrizione, e.posizione, numero));
      return;
    }
    const bool avviso = e.codice == codice_cella::avviso_rallentamento;
    const record_visto* rallentamento =
        record_in_cella(specie::rallentamento, e.cella, avviso ? 1 : 0);
    const std::string di_quale =
        rallentamento
            ? fmt::format("del rallentamento della riga {}", rallentamento->chiave.riga)
            : fmt::format("del rallentamento che inizia nella {}", cella_in_parole(e.cella));
    switch (e.numero) {
      case esito::riduzione_prima_di_segnale: {
        const Long s = e.posizione / metri_cella;
        errore_in(
            record_in_cella(specie::segnale, s), treno, 1,
            fmt::format("{}: il segnale sta nella {}, meno di 1000 m prima del punto di "
                        "avviso {}, e le due celle prima di esso, dove il compilatore mette "
                        "un abbattimento, sono occupate{} (esito {})",
                        descrizione, cella_in_parole(s), di_quale,
                        e.prima_del_segnale.empty() ? std::string()
                                                    : fmt::format(" ({})", e.prima_del_segnale),
                        numero));
        break;
      }
      case esito::riduzione_prima_di_inizio: {
        std::string gruppi;
        for (const auto& [da, a] : e.gruppi_pieni)
          gruppi += fmt::format("{}da {} a {} (da {} a {} m)", gruppi.empty() ? "" : " e ", da, a,
                                da * metri_cella, (a + 1) * metri_cella);
        errore_in(
            rallentamento, treno, 1,
            fmt::format("{}: il compilatore mette un abbattimento in ciascun gruppo di celle "
                        "da 5 a 7, da 11 a 13 e da 18 a 20 celle prima dell'inizio, ma {} "
                        "(esito {})",
                        descrizione,
                        gruppi.empty() ? std::string("un gruppo è tutto occupato")
                                       : fmt::format("le celle {} sono tutte occupate", gruppi),
                        numero));
        break;
      }
      default:
        errore_in(rallentamento, treno, 1,
                  fmt::format("{}: nella {} e nelle due accanto, dove il compilatore mette un "
                              "abbattimento ogni 400 m del rallentamento, o nelle due celle prima "
                              "del primo segnale dopo la fine, non c'è una cella libera (esito {})",
                              descrizione, cella_in_parole(e.posizione / metri_cella), numero));
        break;
    }
  }

  void casella_riservata(const modello& m) {
    if (std::optional<problema> e = errore_casella_riservata(m, linea_, treno_))
      p_.aggiungi(std::move(*e));
  }

  // A text longer than the compiled files hold.
  void testi_lunghi() {
    for (const descrizione_vista* d : {&linea_, &treno_})
      for (const record_visto& r : d->record)
        if (r.intero && con_testo(r.tipo) && r.valori.back().testo.size() > lunghezza_testo_massima)
          errore_in(&r, d->linea ? file_verificato::linea : file_verificato::treno, r.valori.size(),
                    fmt::format("il testo è lungo {} byte, oltre i {} che i file compilati "
                                "tengono: nessun file compilato verrebbe scritto",
                                r.valori.back().testo.size(), lunghezza_testo_massima));
  }

  const descrizione_vista& linea_;
  const descrizione_vista& treno_;
  elenco_problemi& p_;
  std::map<std::pair<specie, int>, std::unordered_map<largo, const record_visto*>> per_cella_;
};

}  // namespace

// Cell 1 is stamped after reading: an object there makes the compiler stop
// with error 1250 (its first value) or 1251 (its second).
std::optional<problema> errore_casella_riservata(const modello& m, const descrizione_vista& linea,
                                                 const descrizione_vista& treno) {
  if (m.celle.size() < 2) return std::nullopt;
  const cella& c = m.celle[1];
  const esito_percorso presa = casella_riservata_presa(m);
  if (presa == esito_percorso::scritti) return std::nullopt;
  const int errore = presa == esito_percorso::errore_1250 ? 1250 : 1251;
  problema e{gravita::errore,
             nome_di_parte(file_verificato::treno),
             0,
             0,
             fmt::format("la cella 1 (da 50 a 100 m) è riservata: dopo la lettura il compilatore "
                         "vi scrive due segni suoi, ma vi trova {}, e non scrive nessun file "
                         "compilato; gli oggetti vanno posti a 75 m o più dall'origine (errore {})",
                         contenuto_cella(c), errore),
             {}};
  auto in = [&](const record_visto& r, file_verificato f) {
    e.file = nome_di_parte(f);
    e.riga = r.campo(1).riga;
    e.colonna = r.campo(1).colonna;
    return e;
  };
  // The record that placed it.
  for (const record_visto& r : linea.record)
    if (r.intero && (r.tipo == specie::indicatore || r.tipo == specie::cartello) &&
        cella_dopo(r.valore(1)) == 1)
      return in(r, file_verificato::linea);
  for (const record_visto& r : treno.record) {
    if (!r.intero) continue;
    const largo p = r.valore(1);
    bool qui = false;
    if (r.tipo == specie::segnale) qui = cella_dopo(p) == 1;
    if (r.tipo == specie::abbattimento) qui = cella_di(p) == 1;
    if (r.tipo == specie::rallentamento) {
      // Its start, its end, its warning point and the approach cells before
      // that; or the pass's code reductions up to 20 cells before its start.
      const largo avviso = cella_avvicinamento(p);
      qui = cella_inizio_rallentamento(p) == 1 || cella_fine_rallentamento(p, r.valore(3)) == 1 ||
            (con_punto_di_avviso(p) && cella_avviso_rallentamento(p) == 1) ||
            (con_punto_di_avviso(p) && r.valore(5) != 0 && avviso >= 1 &&
             avviso - (celle_avvicinamento - 1) <= 1) ||
            (c.codice == codice_cella::abbattimento && cella_dopo(p) <= 21);
    }
    if (qui) return in(r, file_verificato::treno);
  }
  return e;
}

std::optional<problema> nota_lunghezza(const descrizione_vista& linea,
                                       const descrizione_vista& treno) {
  const record_visto* lunghezza = nullptr;
  for (const record_visto& r : linea.record)
    if (r.tipo == specie::lunghezza && r.intero) lunghezza = &r;
  if (!lunghezza) return std::nullopt;
  const largo metri = lunghezza->valore(1);
  size_t con_posizione_letta = 0;
  size_t oltre = 0;
  largo ultima = 0;
  for (const descrizione_vista* d : {&linea, &treno})
    for (const record_visto& r : d->record) {
      if (!r.intero || !con_posizione(r.tipo)) continue;
      ++con_posizione_letta;
      if (r.valore(1) <= metri) continue;
      ++oltre;
      ultima = std::max(ultima, static_cast<largo>(r.valore(1)));
    }
  // One record astray is that record's mistake; half of them, the length's.
  if (oltre == 0 || 2 * oltre < con_posizione_letta) return std::nullopt;
  const campo_visto& c = lunghezza->campo(1);
  return problema{gravita::nota,
                  nome_di_parte(file_verificato::linea),
                  c.riga,
                  c.colonna,
                  fmt::format("la linea è lunga {} m, ma {} dei {} record con una posizione stanno "
                              "oltre, fino a {} m: la lunghezza si scrive in metri",
                              metri, oltre, con_posizione_letta, ultima),
                  {}};
}

lettura_verificata leggi_e_ripeti(std::string& linea, std::string& treno,
                                  const nomi_verificati& nomi, long errori_massimi,
                                  elenco_problemi& problemi) {
  return letture(linea, treno, nomi, errori_massimi, problemi).leggi();
}

bool svuota_riga(std::string& testo, long riga, std::string* tolta) {
  if (riga < 1) return false;
  size_t inizio = 0;
  for (long r = 1; r < riga; ++r) {
    const size_t fine = testo.find_first_of("\r\n", inizio);
    if (fine == std::string::npos) return false;
    inizio =
        fine + (testo[fine] == '\r' && fine + 1 < testo.size() && testo[fine + 1] == '\n' ? 2 : 1);
  }
  if (inizio >= testo.size()) return false;
  size_t fine = testo.find_first_of("\r\n", inizio);
  if (fine == std::string::npos) fine = testo.size();
  if (fine == inizio) return false;
  if (tolta) *tolta = testo.substr(inizio, fine - inizio);
  testo.erase(inizio, fine - inizio);
  return true;
}

void errori_del_passaggio(const modello& letto, const descrizione_vista& linea,
                          const descrizione_vista& treno, elenco_problemi& problemi) {
  dopo_lettura(linea, treno, problemi).passaggio(letto);
}

void errori_dopo_lettura(const modello& letto, const descrizione_vista& linea,
                         const descrizione_vista& treno, elenco_problemi& problemi) {
  dopo_lettura(linea, treno, problemi).esegui(letto);
}

}  // namespace scen
