// The rules every record follows whatever its kind: where it stands in its
// lines, its numbers and texts, the order of the records of a kind.
#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/avvisi_stato.h"
#include "check/controlli_avvisi.h"
#include "check/verifica_testi.h"
#include "read/campi.h"
#include "read/costruttori_treno.h"
#include "read/guasto.h"

namespace scen {

// A keyword field with the words of more than one kind reads them all.
void controlli::record_con_piu_parole(const descrizione_vista& d, size_t i, file_verificato f) {
  std::vector<std::string> nomi;
  for (size_t j = i; j < d.record.size() && d.record[j].chiave.inizio == d.record[i].chiave.inizio;
       ++j)
    nomi.emplace_back(nome_record(d.record[j].tipo, d.record[j].quale));
  if (nomi.size() < 2) return;
  avviso(f, d.record[i].chiave,
         fmt::format("il campo {} contiene le parole chiave di {} record ({}): si leggono tutti, "
                     "uno dopo l'altro, con i valori che seguono",
                     cita(d.record[i].chiave.testo), nomi.size(), fmt::join(nomi, ", ")));
}

// A keyword field that is not its keyword alone: something written for a
// comment, or an old record kept beside the new, is read all the same.
void controlli::parola_con_altro(const descrizione_vista& d, size_t i, file_verificato f) {
  const record_visto& r = d.record[i];
  if (i + 1 < d.record.size() && d.record[i + 1].chiave.inizio == r.chiave.inizio) return;
  const std::string_view campo = senza_spazi_finali(r.chiave.testo);
  const std::string nome(nome_record(r.tipo, r.quale));
  if (comincia_come_commento(campo)) {
    avviso(f, r.chiave,
           fmt::format("{} comincia come un commento, ma le descrizioni non hanno commenti: il "
                       "campo contiene la parola chiave, e il record {} viene letto",
                       cita(campo), nome));
    return;
  }
  // The curves' and the repetition's own checks tell their keyword fields.
  if (r.tipo == specie::curva || r.tipo == specie::ripetizione) return;
  const auto parole = parole_scritte(d.linea);
  if (std::find(parole.begin(), parole.end(), minuscolo(campo)) != parole.end()) return;
  avviso(f, r.chiave,
         fmt::format("il campo {} non è la sola parola chiave {}, ma la contiene: il record viene "
                     "letto; le descrizioni non hanno commenti, e la parola chiave si scrive "
                     "sola nel suo campo",
                     cita(campo), cita(nome)));
}

// Where a record stands in its lines: one record per line.
void controlli::disposizione(const descrizione_vista& d, const record_visto& r, file_verificato f) {
  const std::string nome(nome_record(r.tipo, r.quale));
  if (r.a_meta_riga) {
    const record_visto& prima = d.record[r.record_prima];
    avviso(f, r.chiave,
           fmt::format("un record {} comincia a metà riga, dopo i campi del record {}{}: ogni "
                       "record va su una riga sua",
                       nome, nome_record(prima.tipo, prima.quale),
                       con_testo(prima.tipo) && !prima.valori.empty() && prima.valori.back().virgola
                           ? " (una virgola nel suo testo lo ha spezzato)"
                           : ""));
    return;
  }
  size_t sulla_riga = 0;
  const campo_visto* altrove = nullptr;
  for (const campo_visto& c : r.valori) {
    if (c.riga == r.chiave.riga)
      ++sulla_riga;
    else if (!altrove)
      altrove = &c;
  }
  if (!altrove || !r.intero) return;
  const size_t servono = numeri_del_record(r.tipo) + (con_testo(r.tipo) ? 1 : 0);
  avviso(f, r.chiave,
         fmt::format("{}: {} {} sulla sua riga, ne servono {}: {} si prende dalla riga {}", nome,
                     sulla_riga, sulla_riga == 1 ? "valore" : "valori", servono,
                     campo_in_parole(r.tipo, sulla_riga + 1), altrove->riga));
}

// The rules of each record by itself.
void controlli::record(const record_visto& r, file_verificato f) {
  const std::string nome(nome_record(r.tipo, r.quale));
  if (con_posizione(r.tipo)) posizione(r, nome, f);
  switch (r.tipo) {
    case specie::lunghezza:
      if (r.valore(1) <= 0)
        avviso(f, r, 1,
               fmt::format("{}: la lunghezza vale {}: si attende la lunghezza della linea in "
                           "metri, maggiore di 0",
                           nome, r.valore(1)));
      break;
    case specie::progressiva:
      segno_0_1(r, 3, nome, f, ": solo 1 fa decrescere la progressiva");
      break;
    case specie::ripetizione:
      ripetizione(r, nome, f);
      break;
    case specie::curva:
      curva(r, f);
      break;
    case specie::montagna:
      valore_montagna(r, f);
      break;
    case specie::indicatore:
      indicatore(r, f);
      break;
    case specie::cartello:
      testo_cartello(r, f);
      break;
    case specie::vetture:
    case specie::massa_frenata:
      if (r.valore(1) <= 0)
        avviso(f, r, 1,
               fmt::format("{}: {} vale {}: si attende un numero maggiore di 0", nome,
                           campo_in_parole(r.tipo, 1), r.valore(1)));
      break;
    case specie::orologio:
      ora(r, 1, nome, f);
      break;
    case specie::velocita:
      velocita(r, f);
      break;
    case specie::aderenza:
      if (r.valore(2) < 0 || r.valore(2) > 255)
        avviso(f, r, 2,
               fmt::format("aderenza: l'aderenza vale {}: le celle ne tengono solo gli 8 bit "
                           "bassi, {}; si attende da 0 a 255",
                           r.valore(2), otto_bit(r.valore(2))));
      break;
    case specie::segnale:
      segnale(r, f);
      break;
    case specie::rallentamento:
      rallentamento(r, f);
      break;
    case specie::stazione:
      stazione(r, f);
      break;
    default:
      break;
  }
}

// Whether the reader takes the record: all its values read and, with a
// length known, its position within the range test. Those it does not
// take are errors of the reading, not ours to warn about.
bool controlli::letto(const record_visto& r) const {
  if (!r.intero) return false;
  if (!con_posizione(r.tipo) || !lunghezza_) return true;
  return nel_campo(r.valore(1), ultima_cella_di(*lunghezza_),
                   r.tipo == specie::stazione ? margine_stazione : margine_record);
}

// A number written with a blank between its thousands, "10 000": the
// number ends at the blank and the rest becomes the next field. Field `n`
// (from 1) of the record, when it is such a number: what is written, and the
// group of three digits after the blank.
static std::optional<std::pair<std::string_view, std::string_view>> migliaia_in(
    const descrizione_vista& d, const record_visto& r, size_t n) {
  const campo_visto& c = r.campo(n);
  if (!c.spezzato) return std::nullopt;
  std::string_view resto = d.testo.substr(c.inizio + c.testo.size());
  resto = resto.substr(0, resto.find_first_of(",\r\n"));
  const std::string_view scritto =
      senza_spazi_finali(d.testo.substr(c.inizio, c.testo.size() + resto.size()));
  while (!resto.empty() && resto.front() == ' ') resto.remove_prefix(1);
  const std::string_view gruppo = resto.substr(0, resto.find(' '));
  if (gruppo.size() != 3 || !solo_cifre(gruppo)) return std::nullopt;
  return std::pair{scritto, gruppo};
}

// Whether a field of the record is such a number: what follows from the
// number cut short (a stray field, an order) is that one mistake, told once.
bool controlli::con_migliaia(const descrizione_vista& d, const record_visto& r) {
  for (size_t n = 1; n <= r.valori.size(); ++n)
    if (migliaia_in(d, r, n)) return true;
  return false;
}

void controlli::migliaia(const descrizione_vista& d, const record_visto& r, file_verificato f) {
  for (size_t n = 1; n <= r.valori.size(); ++n) {
    const auto m = migliaia_in(d, r, n);
    if (!m) continue;
    const auto [scritto, gruppo] = *m;
    const campo_visto& c = r.campo(n);
    avviso(f, c,
           fmt::format("{}: {} {} ha uno spazio tra le cifre: si legge {}, e {} passa al campo "
                       "dopo; i numeri si scrivono senza separatori delle migliaia",
                       nome_record(r.tipo, r.quale), campo_in_parole(r.tipo, n), cita(scritto),
                       c.valore, cita(gruppo)));
  }
}

void controlli::posizione(const record_visto& r, const std::string& nome, file_verificato f) {
  const Long p = r.valore(1);
  if (p < 0) {
    avviso(f, r, 1,
           fmt::format("{}: {} vale {}: le posizioni si contano in metri dall'origine della "
                       "linea, da 0",
                       nome, campo_in_parole(r.tipo, 1), p));
    return;
  }
  if (lunghezza_ && p > *lunghezza_)
    avviso(f, r, 1,
           fmt::format("{}: {} {} è oltre la fine della linea, lunga {} m", nome,
                       campo_in_parole(r.tipo, 1), p, *lunghezza_));
}

void controlli::segno_0_1(const record_visto& r, size_t n, const std::string& nome,
                          file_verificato f, std::string_view perche) {
  const Long v = r.valore(n);
  if (v != 0 && v != 1)
    avviso(f, r, n,
           fmt::format("{}: {} vale {}: si attende 0 o 1{}", nome, campo_in_parole(r.tipo, n), v,
                       perche));
}

void controlli::ora(const record_visto& r, size_t n, const std::string& nome, file_verificato f) {
  for (size_t k = 0; k < massimi_ora.size(); ++k) {
    const Long v = r.valore(n + k);
    if (!parte_ora_valida(k, v))
      avviso(f, r, n + k,
             fmt::format("{}: {} valgono {}: si attende da 0 a {}", nome,
                         campo_in_parole(r.tipo, n + k), v, massimi_ora[k]));
  }
}

void controlli::testo_utf8(const record_visto& r, size_t n, const std::string& nome,
                           file_verificato f) {
  const std::string_view testo = r.campo(n).testo;
  if (!utf8_ && sembra_utf8(testo))
    avviso(f, r, n,
           fmt::format("{}: {} {} sembra scritto in UTF-8 ({}): il file va scritto in "
                       "Windows-1252, oppure letto con --utf8",
                       nome, campo_in_parole(r.tipo, n), cita(testo), cita_utf8(testo)));
  if (con_controlli(testo))
    avviso(f, r, n,
           fmt::format("{}: {} {} contiene un carattere di controllo, che passa così nei file "
                       "compilati",
                       nome, campo_in_parole(r.tipo, n), cita(testo)));
}

// A profile (gradient, speed, adhesion): ascending positions, one record
// per 50 m cell; speed and adhesion from position 0.
void controlli::ordine_profilo(const descrizione_vista& d, specie tipo, file_verificato f) {
  const record_visto* prima = nullptr;
  const std::string nome(nome_record(tipo));
  for (const record_visto& r : d.record) {
    if (r.tipo != tipo || !letto(r) || con_migliaia(d, r)) continue;
    const Long p = r.valore(1);
    if (!prima && tipo != specie::pendenza && cella_di(p) > 0)
      avviso(f, r, 1,
             fmt::format("{}: il primo record è alla posizione {}: prima, dalla posizione 0, "
                         "le celle hanno {} 0; si attende un primo record alla posizione 0",
                         nome, p, tipo == specie::velocita ? "la velocità" : "l'aderenza"));
    if (prima) {
      const Long q = prima->valore(1);
      if (p < q)
        avviso(f, r, 1,
               fmt::format("{}: la posizione {} viene prima di quella della riga {}, {}: {} "
                           "vanno in ordine crescente di posizione",
                           nome, p, prima->chiave.riga, q, plurale(tipo)));
      else if (p == q)
        avviso(f, r, 1,
               fmt::format("{}: due record alla posizione {} (l'altro alla riga {}): se ne "
                           "scrive uno per posizione",
                           nome, p, prima->chiave.riga));
      else if (cella_di(p) == cella_di(q))
        avviso(f, r, 1,
               fmt::format("{}: la posizione {} cade nella stessa cella di {} m di quella della "
                           "riga {}, {}: le celle tengono un valore ciascuna, e uno dei due non "
                           "vale dove è scritto",
                           nome, p, metri_cella, prima->chiave.riga, q));
    }
    prima = &r;
  }
}

// Signals, slowdowns, code reductions: ascending, as the formats list them.
void controlli::ordine_semplice(const descrizione_vista& d, specie tipo, file_verificato f) {
  const record_visto* prima = nullptr;
  for (const record_visto& r : d.record) {
    if (r.tipo != tipo || !letto(r) || con_migliaia(d, r)) continue;
    if (prima && r.valore(1) < prima->valore(1))
      avviso(f, r, 1,
             fmt::format("{}: la posizione {} viene prima di quella della riga {}, {}: {} vanno "
                         "in ordine crescente di posizione",
                         nome_record(tipo), r.valore(1), prima->chiave.riga, prima->valore(1),
                         plurale(tipo)));
    prima = &r;
  }
}

// A general record given twice: the last one counts.
void controlli::doppioni(const descrizione_vista& d, file_verificato f) {
  std::map<std::pair<specie, int>, const record_visto*> visti;
  for (const record_visto& r : d.record) {
    if (!generale(r.tipo)) continue;
    auto [voce, nuovo] = visti.try_emplace({r.tipo, r.quale}, &r);
    if (!nuovo)
      avviso(f, r, 0,
             fmt::format("{} è già alla riga {}: vale quest'ultimo", nome_record(r.tipo, r.quale),
                         voce->second->chiave.riga));
    voce->second = &r;
  }
}
}  // namespace scen
