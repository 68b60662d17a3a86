#include "check/avvisi_marcia.h"

#include <fmt/format.h>

#include <cmath>
#include <vector>

#include "marcia/tabella_marcia.h"
#include "read/accesso.h"

namespace scen {

namespace {

// A number with one decimal and a decimal comma, without ",0".
std::string cifra(double x) {
  std::string s = fmt::format("{:.1f}", std::round(x * 10) / 10);
  if (s.ends_with(".0")) s.resize(s.size() - 2);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

// The record of the line where the train stopped with its head at `x`:
// the steepest gradient record in force under the train (from `x - lunghezza`
// to `x`), or the curve under the head when no gradient there climbs.
const record_visto* record_del_fermo(const descrizione_vista& linea, long x, long lunghezza) {
  std::vector<const record_visto*> pendenze;
  const record_visto* curva = nullptr;
  for (const record_visto& r : linea.record) {
    if (!r.intero || r.valori.size() < 2) continue;
    if (r.tipo == specie::pendenza) pendenze.push_back(&r);
    if (r.tipo == specie::curva && r.valore(1) <= x && x < r.valore(1) + r.valore(2)) curva = &r;
  }
  const record_visto* ripida = nullptr;
  for (size_t i = 0; i < pendenze.size(); ++i) {
    const long da = pendenze[i]->valore(1);
    const long a = i + 1 < pendenze.size() ? pendenze[i + 1]->valore(1) : x + 1;
    if (da > x || a <= x - lunghezza) continue;
    if (!ripida || pendenze[i]->valore(2) > ripida->valore(2)) ripida = pendenze[i];
  }
  if (curva && (!ripida || ripida->valore(2) <= 0)) return curva;
  return ripida;
}

void fermo(const marcia_modello& m, const descrizione_vista& linea, elenco_problemi& problemi) {
  const fermo_corsa& f = *m.c.fermo;
  const std::string causa = fmt::format(
      "il treno «{}» non ce la fa: a {} m si ferma, con una pendenza media sotto il treno di {} "
      "per mille; gli mancano {} kN per ripartire. La marcia si ferma qui: gli orari non si "
      "controllano e la scheda treno non ha i tempi della marcia",
      m.treno.nome, f.posizione, cifra(f.pendenza),
      cifra(std::ceil(f.forza_mancante_kN * 10) / 10));
  const long lunghezza = static_cast<long>(std::ceil(m.treno.lunghezza_m));
  if (const record_visto* r = record_del_fermo(linea, f.posizione, lunghezza)) {
    const bool pendenza = r->tipo == specie::pendenza;
    problemi.avviso(file_verificato::linea, r->chiave.riga,
                    pendenza ? r->campo(2).colonna : r->chiave.colonna,
                    (pendenza ? fmt::format("pendenza di {} per mille: ", r->valore(2))
                              : std::string("curva: ")) +
                        causa);
  } else {
    problemi.avviso(file_verificato::linea, 1, 1, causa);
  }
}

// A braked-mass percentage of no train: a typing slip (12 for 120).
void massa_frenata(const marcia_modello& m, const descrizione_vista& treno,
                   elenco_problemi& problemi) {
  using namespace rotabile_incorporato_dati;
  for (const record_visto& r : treno.record) {
    if (r.tipo != specie::massa_frenata || !r.intero || r.valori.empty()) continue;
    const double p = static_cast<double>(r.valore(1));
    if (p >= massa_frenata_plausibile_minima && p <= massa_frenata_plausibile_massima) continue;
    problemi.avviso(
        file_verificato::treno, r.chiave.riga, r.campo(1).colonna,
        fmt::format("percentuale massa frenata {}%: nessun treno frena così (da {}% a {}%){}", p,
                    massa_frenata_plausibile_minima, massa_frenata_plausibile_massima,
                    m.incorporato ? fmt::format("; il treno incorporato frena allora a {} m/s²",
                                                con_virgola(m.treno.decelerazione_frenatura_ms2, 2))
                                  : std::string()));
  }
}

// A stop value at the last station: the run ends there, so its dwell
// counts for nothing.
void sosta_all_arrivo(const marcia_modello& m, const descrizione_vista& treno,
                      elenco_problemi& problemi) {
  if (m.linea.stazioni.size() < 2) return;
  const stazione_marcia& ultima = m.linea.stazioni.back();
  if (ultima.sosta == 0) return;
  size_t n = 0;
  for (const record_visto& r : treno.record) {
    if (r.tipo != specie::stazione || !r.intero) continue;
    if (static_cast<long>(++n) != ultima.registro) continue;
    problemi.avviso(file_verificato::treno, r.chiave.riga, r.campo(13).colonna,
                    fmt::format("stazione «{}»: sosta di {} s all'arrivo: la corsa finisce qui, "
                                "e la sosta non entra in nessun tempo",
                                ultima.nome, ultima.sosta));
    return;
  }
}

// A climb steeper than the train can start on: at rest its effort, within
// adhesion there, does not overcome its resistance and the gradient.
void salite_senza_partenza(const marcia_modello& m, const descrizione_vista& linea,
                           elenco_problemi& problemi) {
  const rotabile& t = m.treno;
  const double peso_kN = t.massa_t * gravita_ms2;
  for (const record_visto& r : linea.record) {
    if (r.tipo != specie::pendenza || !r.intero || r.valori.size() < 2) continue;
    const long x = r.valore(1);
    const long cella = x / metri_cella;
    const int aderenza = cella >= 0 && static_cast<size_t>(cella) < m.linea.aderenza.size()
                             ? m.linea.aderenza[static_cast<size_t>(cella)]
                             : 0;
    const double sforzo = std::min(sforzo_a(t, 0), sforzo_aderenza(t, aderenza));
    const double serve = resistenza_a(t, 0) + peso_kN * static_cast<double>(r.valore(2)) / 1000;
    if (sforzo >= serve) continue;
    problemi.avviso(
        file_verificato::linea, r.chiave.riga, r.campo(2).colonna,
        fmt::format("pendenza di {} per mille: il treno «{}» non vi riparte da fermo: lo sforzo "
                    "che l'aderenza gli lascia è {} kN, ne servono {}",
                    r.valore(2), t.nome, cifra(sforzo), cifra(serve)));
  }
}

}  // namespace

void controlla_marcia(const marcia_modello& corsa_fatta, const descrizione_vista& linea,
                      const descrizione_vista& treno, elenco_problemi& problemi) {
  if (corsa_fatta.c.fermo) fermo(corsa_fatta, linea, problemi);
  massa_frenata(corsa_fatta, treno, problemi);
  sosta_all_arrivo(corsa_fatta, treno, problemi);
  salite_senza_partenza(corsa_fatta, linea, problemi);
}

}  // namespace scen
