#include "inspect/esame_compilati.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "compile/codici_gara.h"
#include "model/minimo.h"

namespace scen {

esame_tracciato esamina_tracciato(const std::array<componente_tracciato, 2>& tracciato) {
  esame_tracciato e;
  const size_t metri = std::min(tracciato[0].size(), tracciato[1].size());
  e.ultimo_metro = static_cast<Long>(metri) - 1;
  bool primo = true;
  double x0 = 0, y0 = 0, xp = 0, yp = 0;
  for (size_t metro = 0; metro < metri; ++metro) {
    const std::optional<double> x = valore_se_pieno(tracciato[0][metro]);
    const std::optional<double> y = valore_se_pieno(tracciato[1][metro]);
    if (!x || !y) {
      if (!e.primo_vuoto) e.primo_vuoto = static_cast<Long>(metro);
      continue;
    }
    ++e.metri_pieni;
    if (e.primo_vuoto) continue;
    if (primo) {
      x0 = xp = e.x_min = e.x_max = *x;
      y0 = yp = e.y_min = e.y_max = *y;
      primo = false;
    } else {
      e.lunghezza_lungo += std::hypot(*x - xp, *y - yp);
      xp = *x;
      yp = *y;
    }
    e.x_min = std::min(e.x_min, *x);
    e.x_max = std::max(e.x_max, *x);
    e.y_min = std::min(e.y_min, *y);
    e.y_max = std::max(e.y_max, *y);
    e.ultimo_pieno = static_cast<Long>(metro);
  }
  if (!primo) e.lunghezza_retta = std::hypot(xp - x0, yp - y0);
  return e;
}

std::string_view oggetto_cella(Byte codice) {
  switch (codice) {
    case codice_cella::vuota:
      return "niente";
    case codice_cella::segnale:
      return "segnale";
    case codice_cella::fine_rallentamento:
      return "fine rallentamento";
    case codice_cella::inizio_rallentamento:
      return "inizio rallentamento";
    case codice_cella::avviso_rallentamento:
      return "avviso di rallentamento";
    case codice_cella::avvicinamento_avviso:
      return "avvicinamento all'avviso";
    case codice_cella::indicatore_velocita:
      return "indicatore di velocità";
    case codice_cella::fermata:
      return "segno di fermata";
    case codice_cella::segnale_montagna:
      return "segnale di montagna";
    case codice_cella::abbattimento:
      return "abbattimento con valore";
    case codice_cella::abbattimento_senza_valore:
      return "abbattimento senza valore";
    case codice_cella::cartello:
      return "cartello";
    default:
      return "";
  }
}

std::array<size_t, 256> censimento_codici(const std::vector<cella>& celle) {
  std::array<size_t, 256> conteggio{};
  for (const cella& c : celle) ++conteggio[c.codice];
  return conteggio;
}

parti_registri parti(const std::array<registro, indice_registro::numero>& registri) {
  const registro vuoto{};
  parti_registri p;
  while (p.stazioni + 1 < indice_registro::primo_cartello + 1 &&
         registri[static_cast<size_t>(p.stazioni + 1)] != vuoto)
    ++p.stazioni;
  p.primo_cartello = indice_registro::primo_cartello + 1;
  while (p.primo_cartello - 1 > p.stazioni &&
         registri[static_cast<size_t>(p.primo_cartello - 1)] != vuoto)
    --p.primo_cartello;
  return p;
}

std::string ora(Long secondi) {
  const long s = secondi;
  return fmt::format("{:02}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
}

std::vector<chiavi_nome> divisioni_nome(std::string_view radice) {
  std::vector<chiavi_nome> divisioni;
  for (size_t i = radice.find('_'); i != std::string_view::npos; i = radice.find('_', i + 1))
    divisioni.push_back({std::string(radice.substr(0, i)), std::string(radice.substr(i + 1))});
  return divisioni;
}

namespace {

modello con_chiavi(const chiavi_nome& chiavi) {
  modello m;
  m.registri[indice_registro::generali_linea].nome = chiavi.percorso;
  m.registri[indice_registro::generali_ripetizione].nome = chiavi.treno;
  return m;
}

}  // namespace

Integer codice_og_di(const chiavi_nome& chiavi) {
  modello m = con_chiavi(chiavi);
  return codice_gara_og(m);
}

Long codice_st_di(const chiavi_nome& chiavi) {
  modello m = con_chiavi(chiavi);
  return codice_gara_st(m);
}

}  // namespace scen
