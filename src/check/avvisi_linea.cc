// The checks proper to the line description: signal repetition, curves,
// mountain zones, speed indicators, signposts and the general section.
#include <fmt/format.h>

#include <string>

#include "check/avvisi_stato.h"
#include "check/verifica_testi.h"
#include "read/campi.h"
#include "read/costruttori_linea.h"
#include "read/guasto.h"

namespace scen {

void controlli::ripetizione(const record_visto& r, const std::string& nome, file_verificato f) {
  if (codici_ripetizione(r.chiave.testo) == 4 && contiene(r.chiave.testo, "9"))
    avviso(f, r, 0,
           fmt::format("{}: la parola chiave {} contiene sia \"4\" sia \"9\": vale 4 codici; "
                       "si scrive \"ripetizione segnali 4 codici\" o \"ripetizione segnali 9 "
                       "codici\"",
                       nome, cita(r.chiave.testo)));
  if (r.valore(2) != 0 && r.valore(2) < r.valore(1))
    avviso(f, r, 2,
           fmt::format("{}: la fine {} viene prima dell'inizio {} (una fine 0 vuol dire "
                       "nessuna ripetizione)",
                       nome, r.valore(2), r.valore(1)));
}

void controlli::curva(const record_visto& r, file_verificato f) {
  const std::string parola = minuscolo(senza_spazi_finali(r.chiave.testo));
  const int cifra = classe_curva(r.chiave.testo);
  const char classe = cifra == 0 ? 0 : static_cast<char>('0' + cifra);
  const char lato = curva_a_sinistra(r.chiave.testo) ? 's' : 'd';
  const bool esatta = parola.size() == 7 && parola.starts_with("curva") &&
                      (parola[5] == 's' || parola[5] == 'd') && parola[6] >= '1' &&
                      parola[6] <= '6';
  if (!esatta && classe != 0)
    avviso(f, r, 0,
           fmt::format("curva: la parola chiave {} si legge come curva{}{} (a {}, classe {}): "
                       "a sinistra se contiene una \"s\" in qualunque punto, e la classe è la "
                       "più bassa delle cifre da 1 a 6 che contiene; si scrive curvas1…6 o "
                       "curvad1…6",
                       cita(r.chiave.testo), lato, classe, lato == 's' ? "sinistra" : "destra",
                       classe));
  if (r.valore(2) <= 0)
    avviso(f, r, 2,
           fmt::format("curva: la lunghezza vale {}: la curva non viene tracciata", r.valore(2)));
}

void controlli::valore_montagna(const record_visto& r, file_verificato f) {
  const Long v = r.valore(3);
  const Long tenuto = valore_di_zona(v);
  if (tenuto < 0 || tenuto > 255)
    avviso(f, r, 3,
           fmt::format("montagna: il valore della zona {} dà {}, di cui le celle tengono solo "
                       "gli 8 bit bassi, {}; si attende da 0 a 255 (da 11 a 265 con i segnali "
                       "di zona)",
                       v, tenuto, otto_bit(tenuto)));
  if (cella_di(static_cast<largo>(r.valore(2)) - metri_cella) < cella_di(r.valore(1)))
    avviso(f, r, 2,
           fmt::format("montagna: la fine {} non supera di {} m l'inizio {}: la zona non copre "
                       "nessuna cella",
                       r.valore(2), metri_cella, r.valore(1)));
}

void controlli::indicatore(const record_visto& r, file_verificato f) {
  for (size_t n : {2, 3, 4, 6, 7, 8}) {
    const Long v = r.valore(n);
    if (v < 0)
      avviso(f, r, n,
             fmt::format("indicatori_vmax: {} vale {}: si attende una velocità in km/h, da 0",
                         campo_in_parole(r.tipo, n), v));
    else if (v % 5 != 0)
      avviso(f, r, n,
             fmt::format("indicatori_vmax: {} vale {}: si scrivono velocità a passi di 5 km/h, "
                         "perché le due velocità di una coppia si possano rileggere",
                         campo_in_parole(r.tipo, n), v));
  }
  for (size_t n : {5, 9}) {
    const Long v = r.valore(n);
    if (v < 0 || v > 9)
      avviso(f, r, n,
             fmt::format("indicatori_vmax: {} vale {}: si attende una cifra da 0 a 9, perché i "
                         "due codici si tengono come 10 × il primo + il secondo",
                         campo_in_parole(r.tipo, n), v));
  }
}

void controlli::testo_cartello(const record_visto& r, file_verificato f) {
  testo_utf8(r, 2, "cartello_indicatore", f);
  const std::string_view testo = senza_spazi_finali(r.campo(2).testo);
  // One or two parts, each in parentheses.
  size_t parti = 0;
  size_t i = 0;
  bool forma = true;
  while (forma && i < testo.size()) {
    const size_t chiusa = testo[i] == '(' ? testo.find(')', i) : std::string_view::npos;
    if (chiusa == std::string_view::npos ||
        testo.substr(i + 1, chiusa - i - 1).find('(') != std::string_view::npos) {
      forma = false;
      break;
    }
    ++parti;
    i = chiusa + 1;
  }
  if (!forma || parti == 0 || parti > 2)
    avviso(f, r, 2,
           fmt::format("cartello_indicatore: il testo {} non è fatto di una o due parti tra "
                       "parentesi, una per riga del cartello, come \"(  Cippo  )(Km 28+000)\"",
                       cita(testo)));
}

// Curves in ascending order of start, none inside the one before: the plan
// is drawn forward only.
void controlli::ordine_curve(const descrizione_vista& d, file_verificato f) {
  const record_visto* prima = nullptr;
  largo raggiunto = 0;  // the last metre the curves before have drawn
  for (const record_visto& r : d.record) {
    if (r.tipo != specie::curva || !letto(r) || con_migliaia(d, r)) continue;
    const largo inizio = r.valore(1);
    const largo fine = inizio + r.valore(2);
    if (prima) {
      const largo inizio_prima = prima->valore(1);
      if (inizio < inizio_prima)
        avviso(f, r, 1,
               fmt::format("curva: l'inizio {} viene prima di quello della curva della riga {}, "
                           "{}: le curve vanno in ordine crescente di inizio, e il tracciato non "
                           "torna indietro",
                           inizio, prima->chiave.riga, inizio_prima));
      else if (inizio < raggiunto)
        avviso(f, r, 1,
               fmt::format("curva: l'inizio {} cade dentro la curva della riga {}, che arriva al "
                           "metro {}: {}",
                           inizio, prima->chiave.riga, raggiunto,
                           fine <= raggiunto
                               ? std::string("questa curva non viene tracciata")
                               : fmt::format("il tracciato la disegna da lì, {} m più corta",
                                             raggiunto - inizio)));
    }
    raggiunto = std::max(raggiunto, fine);
    prima = &r;
  }
}

// Mountain zones in ascending order, each more than 150 m after the end of
// the one before, or it takes the value 3.
void controlli::ordine_montagne(const descrizione_vista& d, file_verificato f) {
  const record_visto* prima = nullptr;
  for (const record_visto& r : d.record) {
    if (r.tipo != specie::montagna || !letto(r) || con_migliaia(d, r)) continue;
    if (prima) {
      const largo inizio = r.valore(1);
      const largo distacco = inizio - prima->valore(2);
      const Long tenuto = valore_di_zona(r.valore(3));
      const std::string valore_3 = tenuto == valore_zona_vicina
                                       ? std::string()
                                       : fmt::format("; la lettura le dà il valore {} invece di {}",
                                                     valore_zona_vicina, tenuto);
      if (inizio < prima->valore(1))
        avviso(f, r, 1,
               fmt::format("montagna: l'inizio {} viene prima di quello della zona della riga "
                           "{}, {}: le zone vanno in ordine crescente{}",
                           inizio, prima->chiave.riga, prima->valore(1), valore_3));
      else if (distacco <= distanza_zone && tenuto != valore_zona_vicina)
        avviso(f, r, 1,
               fmt::format("montagna: la zona inizia {} la fine della zona della riga {}, a "
                           "{} m: a {} m o meno dalla zona prima la lettura le dà il valore {} "
                           "invece di {}",
                           distacco < 0 ? fmt::format("{} m prima del", -distacco)
                                        : fmt::format("{} m dopo", distacco),
                           prima->chiave.riga, prima->valore(2), distanza_zone, valore_zona_vicina,
                           tenuto));
    }
    prima = &r;
  }
}

// The line's general section: each record once, all three progressives,
// and progressives that the ordering keeps.
void controlli::generale_linea(const descrizione_vista& d) {
  const file_verificato f = file_verificato::linea;
  doppioni(d, f);
  std::array<const record_visto*, 3> progressive{};
  for (const record_visto& r : d.record)
    if (r.tipo == specie::progressiva && r.intero)
      progressive[static_cast<size_t>(r.quale - 1)] = &r;
  if (!d.con_generale) return;
  static constexpr std::string_view nomi[] = {"uno", "due", "tre"};
  for (size_t i = 0; i < 3; ++i)
    if (!progressive[i] && !da_parte(d, [&](std::string_view riga) {
          return contiene(riga, "progressiva") && contiene(riga, nomi[i]);
        }))
      avviso(f, d.generale,
             fmt::format("manca la progressiva chilometrica {}: vale 0, 0, 0; si scrivono "
                         "tutte e tre",
                         nomi[i]));
  azzeramento_progressive(progressive);
}

// The ordering of the progressives stores all three as 0, 0, 0 when no
// start is the latest alone (or, with starts that add up to 0, when no
// offset is above 0).
void controlli::azzeramento_progressive(const std::array<const record_visto*, 3>& pr) {
  std::array<largo, 3> inizio{}, scostamento{}, segno{};
  const record_visto* primo = nullptr;
  for (size_t i = 0; i < 3; ++i) {
    if (!pr[i]) continue;
    inizio[i] = pr[i]->valore(1);
    scostamento[i] = pr[i]->valore(2);
    segno[i] = pr[i]->valore(3);
    if (!primo || pr[i]->chiave.riga < primo->chiave.riga) primo = pr[i];
  }
  if (!primo) return;
  if (!progressive_azzerate(inizio[2], inizio[1], inizio[0], scostamento[2], scostamento[1],
                            scostamento[0]))
    return;
  const largo somma = inizio[0] + inizio[1] + inizio[2];
  const largo massimo = std::max({inizio[0], inizio[1], inizio[2]});
  const auto col_massimo = std::count(inizio.begin(), inizio.end(), massimo);
  // Told at the last of those that share the latest start.
  const record_visto* ultimo = nullptr;
  for (size_t i = 0; i < 3; ++i)
    if (pr[i] && inizio[i] == massimo && (!ultimo || pr[i]->chiave.riga > ultimo->chiave.riga))
      ultimo = pr[i];
  const bool tutte_zero =
      std::all_of(inizio.begin(), inizio.end(), [](largo v) { return v == 0; }) &&
      std::all_of(scostamento.begin(), scostamento.end(), [](largo v) { return v == 0; }) &&
      std::all_of(segno.begin(), segno.end(), [](largo v) { return v == 0; });
  if (tutte_zero) return;
  if (somma != 0 && col_massimo > 1 && ultimo)
    avviso(file_verificato::linea, *ultimo, 1,
           fmt::format("{} progressive hanno lo stesso inizio, {}, il più avanti: tutte e tre "
                       "vengono registrate come 0, 0, 0; si attendono tre inizi diversi",
                       col_massimo == 3 ? "tre" : "due", massimo));
  else if (somma == 0)
    avviso(file_verificato::linea, *primo, 1,
           "gli inizi delle progressive sommano a 0 e nessuno scostamento è maggiore di 0: "
           "tutte e tre vengono registrate come 0, 0, 0");
}
}  // namespace scen
