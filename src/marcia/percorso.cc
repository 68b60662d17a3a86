#include "marcia/percorso.h"

#include <cmath>
#include <set>

#include "model/minimo.h"
#include "platform/windows1252.h"
#include "read/campi.h"
#include "read/costruttori_linea.h"
#include "read/formato.h"
#include "read/passo_tracciato.h"

namespace scen {

double resistenza_curva(double raggio) {
  if (!(raggio > 0)) return 0;
  if (raggio >= 300) return 650 / (raggio - 55);
  if (raggio > 30) return 500 / (raggio - 30);
  return 500;
}

double raggio_classe(int classe) {
  const std::optional<double> k = curvatura_classe(classe);
  return k ? 1 / *k : 0;
}

namespace {

// The curve records as the reader drew them.
std::vector<curva_marcia> curve_dai_record(const descrizione_vista& linea) {
  std::vector<curva_marcia> curve;
  for (const record_visto& c : linea.record) {
    if (c.tipo != specie::curva || !c.intero || c.valori.size() < 2) continue;
    const int classe = classe_curva(c.chiave.testo);
    if (classe == 0) continue;
    curve.push_back({c.valore(1), c.valore(2), raggio_classe(classe)});
  }
  return curve;
}

// The class whose curvature is nearest to `k` (per metre, either side); 0
// for a straight metre (under half the gentlest class).
int classe_vicina(double k) {
  const double a = std::abs(k);
  if (a < *curvatura_classe(1) / 2) return 0;
  int migliore = 1;
  for (int c = 2; c <= 6; ++c)
    if (std::abs(std::log(a / *curvatura_classe(c))) <
        std::abs(std::log(a / *curvatura_classe(migliore))))
      migliore = c;
  return migliore;
}

// The curves of the plan trace: each step is the one before turned by k
// times it turned a right angle, so the cross product of two steps over the
// square of the first gives k; runs of metres of one class make a curve.
std::vector<curva_marcia> curve_dal_tracciato(const modello& m) {
  std::vector<curva_marcia> curve;
  const auto& tx = m.tracciato[0];
  const auto& ty = m.tracciato[1];
  const size_t n = std::min(tx.size(), ty.size());
  std::vector<double> x, y;
  for (size_t i = 0; i < n; ++i) {
    const std::optional<double> px = valore_se_pieno(tx[i]), py = valore_se_pieno(ty[i]);
    if (!px || !py) break;
    x.push_back(*px);
    y.push_back(*py);
  }
  long inizio = 0;
  int classe = 0;
  for (size_t i = 0; i + 2 < x.size(); ++i) {
    const double dx0 = x[i + 1] - x[i], dy0 = y[i + 1] - y[i];
    const double dx1 = x[i + 2] - x[i + 1], dy1 = y[i + 2] - y[i + 1];
    const double q = dx0 * dx0 + dy0 * dy0;
    const int c = q > 0 ? classe_vicina((dy0 * dx1 - dx0 * dy1) / q) : 0;
    if (c == classe) continue;
    const long qui = static_cast<long>(i) + 1;  // the metre whose step turned
    if (classe != 0) curve.push_back({inizio, qui - inizio, raggio_classe(classe)});
    inizio = qui;
    classe = c;
  }
  if (classe != 0)
    curve.push_back({inizio, static_cast<long>(x.size()) - 1 - inizio, raggio_classe(classe)});
  return curve;
}

}  // namespace

percorso_marcia percorso_da_modello(const modello& m, const descrizione_vista* linea) {
  percorso_marcia p;
  p.lunghezza = std::max<Long>(m.lunghezza_percorso(), 0);
  const size_t n = static_cast<size_t>((p.lunghezza + metri_cella - 1) / metri_cella);
  p.limite.assign(n, 0);
  p.pendenza.assign(n, 0);
  p.aderenza.assign(n, 0);
  for (size_t i = 0; i < n && i < m.celle.size(); ++i) {
    p.limite[i] = 5 * int{m.celle[i].vel_limite};
    p.pendenza[i] = pendenza_di_cella(m.celle[i].pendenza);
    p.aderenza[i] = int{m.celle[i].aderenza};
  }

  // A slowdown's cells stand in the cell after each of its points.
  std::set<long> cartelli;
  bool aperto = false;
  rallentamento_marcia r;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const long punto = metri_cella * (static_cast<long>(i) - 1);
    if (c.codice == codice_cella::inizio_rallentamento) {
      r = {punto, punto, c.valore_1, c.valore_3 == 1};
      aperto = true;
    } else if (c.codice == codice_cella::fine_rallentamento && aperto) {
      r.fine = punto;
      p.rallentamenti.push_back(r);
      aperto = false;
    } else if (c.codice == codice_cella::cartello && c.valore_1 > 0 &&
               c.valore_1 < indice_registro::numero) {
      cartelli.insert(c.valore_1);
    }
  }

  for (int i = 1; i <= indice_registro::primo_cartello; ++i) {
    const registro& s = m.registri[static_cast<size_t>(i)];
    if (cartelli.count(i) || s == registro{}) continue;
    p.stazioni.push_back(
        {da_1252_a_utf8(senza_spazi_finali(s.nome)), s.progressiva, s.orario, s.fermata, i});
  }

  const registro& g = m.registri[indice_registro::generali_ripetizione];
  p.orologio = (long{g.campo_10} * 60 + g.campo_11) * 60 + g.campo_12;

  p.curve = linea ? curve_dai_record(*linea) : curve_dal_tracciato(m);
  return p;
}

}  // namespace scen
