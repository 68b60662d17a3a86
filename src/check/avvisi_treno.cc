// The checks proper to the train description: speed limits, signals,
// slowdowns, stations, the general section and the stop marks.
#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "check/avvisi_stato.h"
#include "check/controlli_avvisi.h"
#include "check/rallentamenti_sovrapposti.h"
#include "check/verifica_testi.h"
#include "read/campi.h"
#include "read/costruttori_treno.h"
#include "read/formato.h"
#include "read/guasto.h"

namespace scen {

void controlli::velocita(const record_visto& r, file_verificato f) {
  const Long v = r.valore(2);
  if (v == 0)
    avviso(f, r, 2,
           "velocita: la velocità vale 0 km/h: si attende il limite di velocità della linea, "
           "in km/h");
  else if (v > 0 && v % kmh_per_quinto != 0)
    avviso(f, r, 2,
           fmt::format("velocita: la velocità {} non è un multiplo di {}: le celle la tengono "
                       "come {} km/h; si scrivono limiti a passi di {}",
                       v, kmh_per_quinto, kmh_per_quinto * static_cast<Long>(quinti_di(v)),
                       kmh_per_quinto));
}

void controlli::segnale(const record_visto& r, file_verificato f) {
  for (size_t n = 3; n <= 10; ++n) {
    const Long v = r.valore(n);
    if (v < 0 || v > 9)
      avviso(f, r, n,
             fmt::format("segnale: {} vale {}: si attende una cifra da 0 a 9",
                         campo_in_parole(r.tipo, n), v));
  }
  const largo tipo = 3 * static_cast<largo>(r.valore(2)) + r.valore(7);
  if (tipo > 9 && tipo <= 25)
    avviso(f, r, 2,
           fmt::format("segnale: il tipo del segnale, 3 × la classe + il campo 7, vale {}: si "
                       "attende da 0 a 9, perché si tiene come cifra delle unità accanto al "
                       "campo 6",
                       tipo));
  const Long extra = r.valore(11);
  if (r.valore(2) == classe_con_extra && extra_da_alzare(extra))
    avviso(f, r, 11,
           fmt::format("segnale: il valore extra {} si legge come {}: si attende 0 (nessuno) "
                       "oppure da {} a 255",
                       extra, extra_letto(extra), extra_alzato));
  if (r.valore(2) != classe_con_extra && extra != 0)
    avviso(f, r, 11,
           fmt::format("segnale: il valore extra {} non viene letto: vale solo per la classe 2, "
                       "e questo segnale è di classe {}",
                       extra, r.valore(2)));
}

void controlli::rallentamento(const record_visto& r, file_verificato f) {
  const std::string nome = "rallentamento";
  if (r.valore(2) <= 0)
    avviso(f, r, 2,
           fmt::format("rallentamento: la velocità vale {}: si attende la velocità da tenere, in "
                       "km/h, maggiore di 0",
                       r.valore(2)));
  const Long lunghezza = r.valore(3);
  if (lunghezza <= 0)
    avviso(f, r, 3,
           fmt::format("rallentamento: la lunghezza vale {}: si attende una lunghezza in metri, "
                       "maggiore di 0",
                       lunghezza));
  else if (cella_dopo(r.valore(1)) == cella_dopo(static_cast<largo>(r.valore(1)) + lunghezza))
    avviso(f, r, 3,
           fmt::format("rallentamento: la lunghezza {} m è troppo breve: inizio e fine cadono "
                       "nella stessa cella di {} m, che resta un inizio senza fine",
                       lunghezza, metri_cella));
  segno_0_1(r, 4, nome, f);
  if (r.valore(5) != 0 && !con_punto_di_avviso(r.valore(1)))
    avviso(f, r, 5,
           fmt::format("rallentamento: {} vale {} ma non ha effetto: un rallentamento che "
                       "inizia a {} m o meno non ha punto di avviso né celle di avvicinamento",
                       campo_in_parole(r.tipo, 5), r.valore(5), inizio_con_avviso));
}

void controlli::stazione(const record_visto& r, file_verificato f) {
  const std::string nome = "stazione";
  const bool prima = !prima_stazione_trovata_;
  prima_stazione_trovata_ = true;
  for (size_t n : {4, 5, 6}) segno_0_1(r, n, nome, f);
  const Long tipo = r.valore(2);
  const Long estensione = r.valore(3);
  if (estensione <= 0)
    avviso(f, r, 3,
           fmt::format("stazione: l'estensione vale {}: si attende una lunghezza in metri, "
                       "multipla di 100, maggiore di 0",
                       estensione));
  if (r.valore(5) != 0 && (!estensione_tiene_campo_5(estensione) || prima))
    avviso(f, r, 5,
           fmt::format("stazione: il campo 5 vale {} ma non viene registrato: vale solo con "
                       "un'estensione di {} m o più, e non per la prima stazione",
                       r.valore(5), estensione_con_campo_5));
  if (r.valore(6) != 0 && !tipo_con_prolungamento(tipo))
    avviso(f, r, 6,
           fmt::format("stazione: il campo 6 (prolungamento) vale {} ma non ha effetto per il "
                       "tipo {}: vale solo per i tipi diversi da 5, 6, 7 e 8",
                       r.valore(6), tipo));
  if (r.valore(14) != 0 || r.valore(15) != 0 || r.valore(16) != 0)
    ora(r, 14, nome, f);
  else if (r.valore(13) != 0)
    avviso(f, r, 14,
           fmt::format("stazione: una fermata, con una sosta di {} s, senza orario (campi 14, 15 "
                       "e 16 a 0): la scheda treno di scenario documenti ne prende l'orario dalla "
                       "marcia calcolata, e con --senza-marcia ne lascia vuota la cella",
                       r.valore(13)));
  if (senza_spazi_finali(r.campo(17).testo).empty()) avviso(f, r, 17, "stazione: il nome è vuoto");
  testo_utf8(r, 17, nome, f);
}

// The train: its "[generale]", some records, and the values without which
// the train makes no sense.
void controlli::generale_treno(const descrizione_vista& d) {
  const file_verificato f = file_verificato::treno;
  doppioni(d, f);
  for (const sovrapposizione& s : rallentamenti_sovrapposti(d)) {
    if (!letto(*s.primo) || !letto(*s.secondo)) continue;
    const Long inizio = s.secondo->valore(1);
    const largo fine_primo = static_cast<largo>(s.primo->valore(1)) + s.primo->valore(3);
    const largo fine_secondo = static_cast<largo>(inizio) + s.secondo->valore(3);
    avviso(f, *s.secondo, 1,
           fmt::format("rallentamento: l'inizio {} cade dentro il rallentamento della riga {}, da "
                       "{} a {} m: i due si sovrappongono da {} a {} m, le celle tengono i due "
                       "inizi e le due fini e non dicono quale velocità valga nel tratto comune; "
                       "si scrive un rallentamento per tratto",
                       inizio, s.primo->chiave.riga, s.primo->valore(1), fine_primo, inizio,
                       std::min(fine_primo, fine_secondo)));
  }
  if (std::optional<problema> e = treno_vuoto(linea_, d, gravita::errore)) {
    if (d.messe_da_parte.empty() || !d.con_generale) p_.aggiungi(std::move(*e));
    return;
  }
  // A kind of which no record is read, nor set aside for an error (a line
  // set aside counts when it holds the kind's keyword words).
  auto manca = [&](specie tipo) {
    const formato_record& formato = formato_di(tipo);
    return std::none_of(d.record.begin(), d.record.end(),
                        [&](const record_visto& r) { return r.tipo == tipo; }) &&
           !da_parte(d, [&](std::string_view riga) { return chiama(formato, riga); });
  };
  if (manca(specie::vetture))
    avviso(f, d.generale, "manca il record numero vetture: il treno ha 0 vetture");
  if (manca(specie::massa_frenata))
    avviso(f, d.generale,
           "manca il record percentuale massa frenata: la percentuale di massa frenata è 0");
  if (manca(specie::velocita))
    avviso(f, d.generale,
           "nessun record velocita: il limite di velocità è 0 su tutta la linea, e la "
           "marcia va alla velocità massima del treno");
  if (manca(specie::aderenza))
    avviso(f, d.generale,
           "nessun record aderenza: l'aderenza è 0 su tutta la linea, e la marcia la "
           "prende per rotaia asciutta");
  // The timetable runs from the first station to the last (with none, the
  // documents' check says so).
  const auto stazioni =
      std::count_if(d.record.begin(), d.record.end(),
                    [](const record_visto& r) { return r.tipo == specie::stazione; }) +
      std::count_if(d.messe_da_parte.begin(), d.messe_da_parte.end(), [](const std::string& riga) {
        return chiama(formato_di(specie::stazione), riga);
      });
  if (stazioni == 1)
    avviso(f, d.generale,
           "una sola stazione: il treno non ha orario, che va da una stazione di partenza a una "
           "di arrivo; servono almeno due stazioni");
}

// A station's stop mark takes its cell whatever the cell holds: an object
// read before it there (a signpost or speed indicator of the line, a
// signal, slowdown or code reduction earlier in the train) is lost.
void controlli::segni_di_fermata() {
  std::map<largo, std::string> occupate;
  auto occupa = [&](largo cella, std::string cosa) { occupate.insert_or_assign(cella, cosa); };
  if (linea_)
    for (const record_visto& r : linea_->record) {
      if (!letto(r)) continue;
      if (r.tipo == specie::indicatore)
        occupa(cella_dopo(r.valore(1)),
               fmt::format("l'indicatore di velocità della riga {}", r.chiave.riga));
      if (r.tipo == specie::cartello)
        occupa(cella_dopo(r.valore(1)),
               fmt::format("il cartello indicatore della riga {}", r.chiave.riga));
    }
  for (const record_visto& r : treno_->record) {
    if (!letto(r)) continue;
    const largo p = r.valore(1);
    switch (r.tipo) {
      case specie::segnale:
        occupa(cella_dopo(p), fmt::format("il segnale della riga {}", r.chiave.riga));
        break;
      case specie::abbattimento:
        occupa(cella_di(p), fmt::format("l'abbattimento della riga {}", r.chiave.riga));
        break;
      case specie::rallentamento: {
        const std::string cosa = fmt::format("il rallentamento della riga {}", r.chiave.riga);
        occupa(cella_inizio_rallentamento(p), cosa);
        occupa(cella_fine_rallentamento(p, r.valore(3)), cosa);
        if (con_punto_di_avviso(p)) {
          occupa(cella_avviso_rallentamento(p), cosa);
          if (r.valore(5) != 0)
            for (largo k = 0; k < celle_avvicinamento; ++k)
              occupa(cella_avvicinamento(p) - k, cosa);
        }
        break;
      }
      case specie::stazione: {
        if (!stazione_con_segni(r.valore(2))) break;
        const largo t = cella_fermata(
            estensione_di(r.valore(1), r.valore(2), r.valore(3), r.valore(6) != 0).fine);
        if (t <= 1) break;
        if (auto c = occupate.find(t); c != occupate.end())
          avviso(file_verificato::treno, r, 1,
                 fmt::format("stazione: il segno di fermata cade nella {}, dove c'è {}, e lo "
                             "cancella",
                             cella_in_parole(t), c->second));
        occupa(t, fmt::format("il segno di fermata della stazione della riga {}", r.chiave.riga));
        break;
      }
      default:
        break;
    }
  }
}

std::optional<problema> treno_vuoto(const descrizione_vista* linea, const descrizione_vista& treno,
                                    gravita livello) {
  if (treno.con_generale && !treno.record.empty()) return std::nullopt;
  problema e{livello, nome_di_parte(file_verificato::treno), 1, 1, {}, {}};
  const std::string_view vuoto = "il treno viene letto vuoto, senza stazioni né limiti di velocità";
  if (!treno.con_generale) {
    const bool solo_spazi = std::all_of(treno.testo.begin(), treno.testo.end(), [](char c) {
      return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    });
    e.causa = solo_spazi ? fmt::format("il file è vuoto: {}", vuoto)
                         : fmt::format(
                               "nessun campo \"[generale]\": {}; il file comincia con "
                               "[generale]",
                               vuoto);
    return e;
  }
  e.riga = treno.generale.riga;
  e.colonna = treno.generale.colonna;
  const bool della_linea =
      std::any_of(treno.ignorati.begin(), treno.ignorati.end(), [](const campo_ignorato& g) {
        return parola_di(sezione_formato::generale_linea, g.campo.testo) ||
               parola_di(sezione_formato::record_linea, g.campo.testo);
      });
  if (linea && linea->testo == treno.testo)
    e.causa = fmt::format("il file ha il testo della descrizione della linea: {}", vuoto);
  else if (della_linea)
    e.causa = fmt::format(
        "nessun record del treno dopo [generale], ma record della descrizione della linea: è "
        "forse il file della linea? {}",
        vuoto);
  else
    e.causa = fmt::format("nessun record dopo [generale]: {}", vuoto);
  return e;
}

}  // namespace scen
