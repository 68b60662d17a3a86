#include "marcia/percorso.h"

#include <set>

#include "platform/windows1252.h"
#include "read/campi.h"
#include "read/costruttori_linea.h"

namespace scen {

double resistenza_curva(double raggio) {
  if (!(raggio > 0)) return 0;
  if (raggio >= 300) return 650 / (raggio - 55);
  if (raggio > 30) return 500 / (raggio - 30);
  return 500;
}

percorso_marcia percorso_da_modello(const modello& m, const descrizione_vista* linea) {
  percorso_marcia p;
  p.lunghezza = std::max<Long>(m.registri[indice_registro::generali_treno].fine, 0);
  const size_t n = static_cast<size_t>((p.lunghezza + metri_cella - 1) / metri_cella);
  p.limite.assign(n, 0);
  p.pendenza.assign(n, 0);
  for (size_t i = 0; i < n && i < m.celle.size(); ++i) {
    p.limite[i] = 5 * int{m.celle[i].vel_limite};
    p.pendenza[i] = pendenza_di_cella(m.celle[i].pendenza);
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

  if (linea)
    for (const record_visto& c : linea->record) {
      if (c.tipo != specie::curva || !c.intero || c.valori.size() < 2) continue;
      const size_t classe = c.chiave.testo.find_first_of("123456");
      if (classe == std::string_view::npos) continue;
      p.curve.push_back({c.valore(1), c.valore(2), raggi_classi[c.chiave.testo[classe] - '1']});
    }
  return p;
}

}  // namespace scen
