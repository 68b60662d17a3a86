#include "check/celle_occupate.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "read/accesso.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// How far along the line, in cells, a free place is looked for either way.
constexpr largo celle_cercate = 400;

// The cells that the record `r` takes when it stands at `p`. For a
// slowdown, only those that `numero` checks: the warning point, the start,
// the end or the approach cells.
std::vector<largo> celle_del_record(const record_visto& r, largo p, esito numero) {
  switch (r.tipo) {
    case specie::indicatore:
    case specie::cartello:
    case specie::segnale:
      return {cella_dopo(p)};
    case specie::abbattimento:
      return {cella_di(p)};
    case specie::rallentamento: {
      const largo lunghezza = r.valore(3);
      std::vector<largo> celle;
      if (numero == esito::avvicinamento_su_cella_occupata) {
        for (largo d = 0; d < celle_avvicinamento; ++d) celle.push_back(cella_avvicinamento(p) - d);
        return celle;
      }
      if (con_punto_di_avviso(p)) celle.push_back(cella_avviso_rallentamento(p));
      celle.push_back(cella_inizio_rallentamento(p));
      celle.push_back(cella_fine_rallentamento(p, lunghezza));
      return celle;
    }
    default:
      return {};
  }
}

// The cells that `r` takes when it stands at `p`; a station, its stop mark.
std::vector<largo> celle_a(const record_visto& r, largo p) {
  switch (r.tipo) {
    case specie::rallentamento: {
      std::vector<largo> celle = celle_del_record(r, p, esito::nessuno);
      if (con_punto_di_avviso(p) && r.valore(5) != 0)
        for (largo c : celle_del_record(r, p, esito::avvicinamento_su_cella_occupata))
          celle.push_back(c);
      return celle;
    }
    case specie::stazione: {
      if (r.valore(2) >= 25) return {};
      const largo t =
          cella_fermata(estensione_di(p, r.valore(2), r.valore(3), r.valore(6) != 0).fine);
      if (t <= ultima_cella_senza_fermata) return {};
      return {t};
    }
    default:
      return celle_del_record(r, p, esito::nessuno);
  }
}

std::string nome_record(const record_visto& r) {
  switch (r.tipo) {
    case specie::indicatore:
      return "l'indicatore di velocità";
    case specie::cartello:
      return "il cartello indicatore";
    case specie::segnale:
      return "il segnale";
    case specie::abbattimento:
      return "l'abbattimento";
    case specie::rallentamento:
      return "il rallentamento";
    case specie::stazione:
      return "il segno di fermata della stazione";
    default:
      return "il record";
  }
}

struct occupante {
  const record_visto* record = nullptr;
  file_verificato file = file_verificato::linea;
};

// The record read last, before `fermo`, that took cell `cella`: the line's
// records come first, then the train's up to the stopped one.
occupante chi_tiene(largo cella, const descrizione_vista& linea, const descrizione_vista& treno,
                    const record_visto* fermo) {
  occupante trovato;
  for (const descrizione_vista* d : {&linea, &treno}) {
    for (const record_visto& r : d->record) {
      if (&r == fermo) return trovato;
      if (!r.intero || !con_posizione(r.tipo)) continue;
      for (largo c : celle_a(r, r.valore(1)))
        if (c == cella)
          trovato = {&r, d == &linea ? file_verificato::linea : file_verificato::treno};
    }
  }
  return trovato;
}

// The cells that the records read after `fermo` would take: a place that
// is free only until one of them is read is no way out.
std::set<largo> prese_dopo(const descrizione_vista& linea, const descrizione_vista& treno,
                           const record_visto* fermo) {
  std::set<largo> prese;
  bool dopo = false;
  for (const descrizione_vista* d : {&linea, &treno})
    for (const record_visto& r : d->record) {
      if (&r == fermo) {
        dopo = true;
        continue;
      }
      if (!dopo || !r.intero || !con_posizione(r.tipo)) continue;
      for (largo c : celle_a(r, r.valore(1))) prese.insert(c);
    }
  return prese;
}

// Whether every cell of `celle` is free in `m` and stays so, or is one of
// `proprie`: the stopped record's own cells, written before it stopped.
// Cell 1 is the compiler's, and the last cells are beyond the range test.
bool tutte_libere(const modello& m, const std::vector<largo>& celle,
                  const std::vector<largo>& proprie, const std::set<largo>& poi) {
  if (celle.empty()) return false;
  for (largo c : celle) {
    if (c <= 1 || c > static_cast<largo>(m.ultima_cella) - margine_record / metri_cella ||
        c >= static_cast<largo>(m.celle.size()) || poi.count(c) != 0)
      return false;
    if (cella_libera(m.celle[static_cast<size_t>(c)])) continue;
    if (std::find(proprie.begin(), proprie.end(), c) == proprie.end()) return false;
  }
  return true;
}

}  // namespace

bool esito_di_cella_occupata(esito e) {
  switch (e) {
    case esito::cartello_su_cella_occupata:
    case esito::abbattimento_su_cella_occupata:
    case esito::segnale_su_cella_occupata:
    case esito::avviso_su_cella_occupata:
    case esito::inizio_su_cella_occupata:
    case esito::fine_su_cella_occupata:
    case esito::avvicinamento_su_cella_occupata:
    case esito::indicatore_su_cella_occupata:
      return true;
    default:
      return false;
  }
}

std::vector<problema> note_cella_occupata(const modello& m, const descrizione_vista& linea,
                                          const descrizione_vista& treno, file_verificato file,
                                          long riga) {
  const esito numero = m.errore_codice;
  if (!esito_di_cella_occupata(numero)) return {};
  const descrizione_vista& d = file == file_verificato::linea ? linea : treno;
  const record_visto* fermo = nullptr;
  for (const record_visto& r : d.record)
    if (r.intero && con_posizione(r.tipo) && !celle_del_record(r, 0, numero).empty() &&
        (r.chiave.riga == riga || r.campo(1).riga == riga) && r.valore(1) == m.errore_posizione)
      fermo = &r;
  if (!fermo) return {};
  const largo p = fermo->valore(1);
  const std::vector<largo> volute = celle_del_record(*fermo, p, numero);
  largo presa = -1;
  for (largo c : volute)
    if (c >= 0 && c < static_cast<largo>(m.celle.size()) &&
        !cella_libera(m.celle[static_cast<size_t>(c)])) {
      presa = c;
      break;
    }
  if (presa < 0) return {};

  std::vector<problema> note;
  const occupante chi = chi_tiene(presa, linea, treno, fermo);
  if (chi.record) {
    const campo_visto& c = chi.record->campo(1);
    note.push_back({gravita::nota,
                    nome_di_parte(chi.file),
                    c.riga,
                    c.colonna,
                    fmt::format("{} della riga {} tiene già la {}, che {} della riga {}{} vuole",
                                nome_record(*chi.record), chi.record->chiave.riga,
                                cella_in_parole(presa), nome_record(*fermo), fermo->chiave.riga,
                                chi.file == file                 ? ""
                                : file == file_verificato::linea ? " della descrizione della linea"
                                                                 : " della descrizione del treno"),
                    {}});
  }

  // A slowdown that stops on an approach cell has written its other cells.
  std::vector<largo> proprie;
  if (numero == esito::avvicinamento_su_cella_occupata)
    proprie = celle_del_record(*fermo, p, esito::nessuno);
  const std::set<largo> poi = prese_dopo(linea, treno, fermo);
  const largo base = p - ((p % metri_cella) + metri_cella) % metri_cella;
  std::optional<largo> prima, dopo;
  for (largo k = 0; k <= celle_cercate && (!prima || !dopo); ++k) {
    const largo indietro = base - k * metri_cella;
    if (!prima && indietro < p && indietro >= 0 &&
        tutte_libere(m, celle_a(*fermo, indietro), proprie, poi))
      prima = indietro;
    const largo avanti = base + (k + 1) * metri_cella;
    if (!dopo && tutte_libere(m, celle_a(*fermo, avanti), proprie, poi)) dopo = avanti;
  }
  if (prima || dopo) {
    std::string posti;
    if (prima) posti = fmt::format("{} m", *prima);
    if (prima && dopo) posti += " oppure ";
    if (dopo) posti += fmt::format("{} m", *dopo);
    const campo_visto& c = fermo->campo(1);
    note.push_back({gravita::nota,
                    nome_di_parte(file),
                    c.riga,
                    c.colonna,
                    fmt::format("le posizioni più vicine sulla griglia di {} m dove {} trova "
                                "libere le sue celle: {}",
                                metri_cella, nome_record(*fermo), posti),
                    {}});
  }
  return note;
}

}  // namespace scen
