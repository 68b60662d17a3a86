#include "draw/scena.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <set>
#include <variant>

#include "model/minimo.h"
#include "platform/windows1252.h"
#include "read/costruttori_linea.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// An object placed on a cell stands in the cell after its position.
long posizione_oggetto(std::size_t i) { return metri_cella * (static_cast<long>(i) - 1); }

template <class Valore>
serie serie_di(const std::vector<cella>& celle, std::size_t n, Valore&& valore_di) {
  serie s;
  for (std::size_t i = 0; i < n; ++i) {
    const int v = valore_di(celle[i]);
    if (s.empty() || s.back().valore != v) s.push_back({metri_cella * static_cast<long>(i), v});
  }
  return s;
}

// The heading at metre i (of the step to metre i + 1), clockwise from Y.
double rotta(const std::vector<punto>& t, std::size_t i) {
  return std::atan2(t[i + 1].x - t[i].x, t[i + 1].y - t[i].y);
}

serie curvatura_di(const std::vector<punto>& t, std::size_t n) {
  serie s;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t a = metri_cella * i, b = metri_cella * (i + 1);
    int v = 0;
    if (b + 1 < t.size()) {
      double giro = rotta(t, b) - rotta(t, a);
      if (giro > std::numbers::pi) giro -= 2 * std::numbers::pi;
      if (giro < -std::numbers::pi) giro += 2 * std::numbers::pi;
      v = static_cast<int>(std::lround(giro / metri_cella * 1e5));
    }
    if (s.empty() || s.back().valore != v) s.push_back({metri_cella * static_cast<long>(i), v});
  }
  return s;
}

// The objects the cells hold: signals, speed indicators, slowdowns (each
// with its warning point) and signposts; the records the signposts name.
std::set<long> oggetti_delle_celle(const modello& m, scena& s) {
  std::set<long> cartelli;
  rallentamento_scena aperto;
  bool in_corso = false;
  // Warning points not yet paired with their slowdown: each stands 1200 m
  // before its start, so one slowdown's may come after an earlier one's
  // start.
  std::vector<long> avvisi;
  for (std::size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const long p = posizione_oggetto(i);
    switch (c.codice) {
      case codice_cella::segnale:
        s.segnali.push_back(p);
        break;
      case codice_cella::indicatore_velocita:
        s.indicatori.push_back(p);
        break;
      case codice_cella::avviso_rallentamento:
        avvisi.push_back(p);
        break;
      case codice_cella::inizio_rallentamento: {
        const auto suo = std::find_if(avvisi.begin(), avvisi.end(), [&](long a) {
          return std::abs(a - (p - distanza_avviso)) <= metri_cella;
        });
        aperto = {suo == avvisi.end() ? -1 : *suo, p, p, c.valore_1};
        if (suo != avvisi.end()) avvisi.erase(suo);
        in_corso = true;
        break;
      }
      case codice_cella::fine_rallentamento:
        if (in_corso) {
          aperto.fine = p;
          s.rallentamenti.push_back(aperto);
          in_corso = false;
        }
        break;
      case codice_cella::cartello:
        if (c.valore_1 > 0 && c.valore_1 < indice_registro::numero) {
          cartelli.insert(c.valore_1);
          s.cartelli.push_back(
              {p, da_1252_a_utf8(m.registri[static_cast<std::size_t>(c.valore_1)].nome)});
        }
        break;
      default:
        break;
    }
  }
  return cartelli;
}

}  // namespace

Stato scena_da_modello(const modello& m, scena& s) {
  s = {};
  const long lunghezza = m.registri[indice_registro::generali_treno].fine;
  if (m.celle.empty()) return Stato::errore("la linea non ha celle: manca la sua lunghezza");
  if (lunghezza <= 0)
    return Stato::errore(
        fmt::format("la lunghezza della linea è {} m: non c'è nulla da disegnare", lunghezza));
  // The cells that cover the line: the last one begins before its end.
  const std::size_t n = static_cast<std::size_t>((lunghezza + metri_cella - 1) / metri_cella);
  if (n > m.celle.size())
    return Stato::errore(fmt::format("la linea è lunga {} m ma le celle ne coprono solo {}",
                                     lunghezza, metri_cella * static_cast<long>(m.celle.size())));
  s.lunghezza = lunghezza;

  const auto& x = m.tracciato[0];
  const auto& y = m.tracciato[1];
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    const std::optional<double> px = valore_se_pieno(x[i]), py = valore_se_pieno(y[i]);
    if (!px || !py) break;
    s.tracciato.push_back({*px, *py});
  }

  const std::set<long> cartelli = oggetti_delle_celle(m, s);

  for (int i = 1; i <= indice_registro::primo_cartello; ++i) {
    const registro& r = m.registri[static_cast<std::size_t>(i)];
    if (cartelli.count(i) || r == registro{}) continue;
    s.stazioni.push_back(
        {da_1252_a_utf8(r.nome), r.progressiva, r.inizio, r.fine, r.fermata != 0, r.orario});
  }

  // Records 83, 82, 81 hold them in order of start.
  for (int i : {indice_registro::progressiva_uno, indice_registro::progressiva_due,
                indice_registro::progressiva_tre}) {
    const registro& r = m.registri[static_cast<std::size_t>(i)];
    s.progressive.push_back({r.inizio, scostamento_scritto(r), r.progressiva == 1});
  }

  s.pendenza = serie_di(m.celle, n, [](const cella& c) { return pendenza_di_cella(c.pendenza); });
  s.velocita = serie_di(m.celle, n, [](const cella& c) { return 5 * int{c.vel_limite}; });
  s.aderenza = serie_di(m.celle, n, [](const cella& c) { return int{c.aderenza}; });
  s.montagna = serie_di(m.celle, n, [](const cella& c) { return int{c.montagna}; });
  if (s.tracciato.size() > 2) s.curvatura = curvatura_di(s.tracciato, n);
  return Stato::ok();
}

}  // namespace scen
