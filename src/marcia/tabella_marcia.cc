#include "marcia/tabella_marcia.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "platform/visibile.h"

namespace scen {

namespace {

// Seconds as "+1:30" or "-0:45".
std::string differenza(long secondi) {
  const long a = std::labs(secondi);
  return fmt::format("{}{}:{:02}", secondi < 0 ? "-" : "+", a / 60, a % 60);
}

double decimi(double x) { return std::round(x * 10) / 10; }

std::string csv_testo(const std::string& t) {
  std::string r = "\"";
  for (char c : t) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

// The rows of the posts where the limit falls, between the first station
// and the last.
std::vector<riga_marcia> righe_cippi(const marcia_modello& m, const descrizione_vista& treno,
                                     const std::function<std::string(long)>& km_di) {
  const corsa& c = m.c;
  const orario_marcia& o = m.orario;
  std::vector<riga_marcia> cippi;
  long prima = -1;
  int valore_prima = 0;
  for (const record_visto& v : treno.record) {
    if (v.tipo != specie::velocita || !v.intero) continue;
    const long p = v.valore(1);
    const int kmh = static_cast<int>(v.valore(2));
    if (prima >= 0 && kmh < valore_prima && p > c.da && p < c.a) {
      riga_marcia r;
      r.stazione = false;
      r.posizione = p;
      r.km = km_di(p);
      r.nome = "Cippo Km " + r.km;
      const long j = p - c.da;
      r.velocita = c.velocita_a(j);
      r.limite = c.limite(j);
      r.corsa_minima = c.tempo_a(j);
      r.energia = c.energia_a(j);
      // The recovery lumped at the stations before it.
      double recuperi = 0;
      for (size_t i = 0; i < m.linea.stazioni.size() && m.linea.stazioni[i].posizione <= p; ++i)
        recuperi += static_cast<double>(o.stazioni[i].recupero);
      r.arrivo = r.partenza =
          mezzo_minuto(static_cast<double>(o.partenza) + r.corsa_minima + recuperi);
      cippi.push_back(std::move(r));
    }
    prima = p;
    valore_prima = kmh;
  }
  return cippi;
}

}  // namespace

std::string con_virgola(double x, int decimali) {
  std::string s = fmt::format("{:.{}f}", x, decimali);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::vector<riga_marcia> righe_marcia(const marcia_modello& m, const descrizione_vista& treno,
                                      const std::function<std::string(long)>& km_di) {
  const corsa& c = m.c;
  std::vector<riga_marcia> righe;
  const size_t n = m.linea.stazioni.size();
  if (!m.riuscita() || m.orario.stazioni.size() != n) return righe;
  for (size_t i = 0; i < n; ++i) {
    const stazione_marcia& s = m.linea.stazioni[i];
    const orario_stazione& os = m.orario.stazioni[i];
    riga_marcia r;
    r.nome = s.nome;
    r.posizione = s.posizione;
    r.km = km_di(s.posizione);
    const long j = s.posizione - c.da;
    r.velocita = c.stazioni[i].velocita;
    r.limite = c.limite(j);
    r.corsa_minima = c.stazioni[i].arrivo;
    r.energia = c.energia_a(j);
    r.arrivo = os.arrivo;
    r.partenza = os.partenza;
    r.fermata = c.stazioni[i].fermata;
    r.recupero = os.recupero;
    r.descritto = s.orario;
    r.prima = i == 0;
    r.ultima = i + 1 == n;
    r.confronto = r.prima || r.fermata ? os.partenza : os.arrivo;
    righe.push_back(std::move(r));
  }
  std::vector<riga_marcia> cippi = righe_cippi(m, treno, km_di);
  std::vector<riga_marcia> tutte;
  size_t k = 0;
  for (riga_marcia& r : righe) {
    while (k < cippi.size() && cippi[k].posizione < r.posizione) tutte.push_back(cippi[k++]);
    tutte.push_back(std::move(r));
  }
  while (k < cippi.size()) tutte.push_back(cippi[k++]);
  return tutte;
}

std::string riga_energia(const corsa& c) {
  return fmt::format("energia: {} kWh alla ruota, {} kWh al pantografo (rendimento {}%)",
                     con_virgola(c.energia_ruota_kWh, 1), con_virgola(c.energia_pantografo_kWh, 1),
                     std::lround(rendimento_trazione * 100));
}

std::string testo_marcia(const marcia_modello& m, const std::vector<riga_marcia>& righe) {
  const rotabile& treno = m.treno;
  const corsa& c = m.c;
  const double margine = m.orario.margine;
  std::string t;
  // The names come from the files: their control characters written out.
  t += fmt::format("treno: {}: {} t, {} m, {} km/h, frenatura {} m/s²\n", visibile(treno.nome),
                   con_virgola(treno.massa_t, 1), con_virgola(treno.lunghezza_m, 1),
                   con_virgola(treno.velocita_massima_kmh, 0),
                   con_virgola(treno.decelerazione_frenatura_ms2, 2));
  const long tot = std::lround(c.totale);
  t += fmt::format(
      "corsa più veloce: {}:{:02}:{:02} da {} a {}; margine {}%, recuperi alle fermate e "
      "all'arrivo\n",
      tot / 3600, tot / 60 % 60, tot % 60, visibile(m.linea.stazioni.front().nome),
      visibile(m.linea.stazioni.back().nome),
      con_virgola(margine, margine == std::floor(margine) ? 0 : 1));
  t += riga_energia(c) + "\n";
  t += fmt::format("{:>9} {:>9} {:>4} {:>4} {:>8} {:>8} {:>8} {:>4} {:>8} {:>6}  {}\n", "posizione",
                   "km", "lim.", "vel.", "corsa", "arrivo", "partenza", "rec.", "previsto", "diff.",
                   "località");
  for (const riga_marcia& r : righe) {
    const long corsa_s = std::lround(r.corsa_minima);
    const bool con_arrivo = !r.prima;
    const bool con_partenza = r.stazione && !r.ultima && (r.prima || r.fermata);
    t += fmt::format("{:>9} {:>9} {:>4.0f} {:>4.0f} {:>8} {:>8} {:>8} {:>4} {:>8} {:>6}  {}\n",
                     r.posizione, r.km, r.limite, r.velocita,
                     fmt::format("{}:{:02}:{:02}", corsa_s / 3600, corsa_s / 60 % 60, corsa_s % 60),
                     con_arrivo ? ora_testo(r.arrivo) : "",
                     con_partenza ? ora_testo(r.partenza) : "",
                     r.recupero ? con_virgola(static_cast<double>(r.recupero) / 60, 1) : "",
                     r.descritto ? ora_testo(r.descritto) : "",
                     r.descritto ? differenza(r.descritto - r.confronto) : "", visibile(r.nome));
  }
  return t;
}

std::string json_marcia(const marcia_modello& m, const std::vector<riga_marcia>& righe) {
  const rotabile& treno = m.treno;
  nlohmann::ordered_json j;
  j["treno"] = {
      {"nome", treno.nome},
      {"massa_t", decimi(treno.massa_t)},
      {"lunghezza_m", decimi(treno.lunghezza_m)},
      {"velocita_massima_kmh", decimi(treno.velocita_massima_kmh)},
      {"decelerazione_frenatura_ms2", std::round(treno.decelerazione_frenatura_ms2 * 1000) / 1000}};
  j["margine_percento"] = m.orario.margine;
  j["partenza_s"] = m.orario.partenza;
  j["corsa_minima_s"] = decimi(m.c.totale);
  j["energia_ruota_kWh"] = decimi(m.c.energia_ruota_kWh);
  j["energia_pantografo_kWh"] = decimi(m.c.energia_pantografo_kWh);
  j["rendimento_trazione"] = rendimento_trazione;
  nlohmann::ordered_json stazioni = nlohmann::ordered_json::array();
  nlohmann::ordered_json cippi = nlohmann::ordered_json::array();
  for (const riga_marcia& r : righe) {
    nlohmann::ordered_json e;
    e["nome"] = r.nome;
    e["posizione_m"] = r.posizione;
    e["km"] = r.km;
    e["velocita_kmh"] = decimi(r.velocita);
    e["limite_kmh"] = decimi(r.limite);
    e["corsa_minima_s"] = decimi(r.corsa_minima);
    e["energia_ruota_kWh"] = decimi(r.energia);
    if (r.stazione) {
      e["fermata"] = r.fermata;
      e["orario_s"] = r.prima ? r.partenza : r.arrivo;
      e["partenza_s"] =
          r.ultima ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.partenza);
      e["recupero_s"] = r.recupero;
      if (r.descritto != 0) {
        e["orario_descritto_s"] = r.descritto;
        e["differenza_s"] = r.descritto - r.confronto;
      } else {
        e["orario_descritto_s"] = nullptr;
        e["differenza_s"] = nullptr;
      }
      stazioni.push_back(std::move(e));
    } else {
      e["orario_s"] = r.arrivo;
      cippi.push_back(std::move(e));
    }
  }
  j["stazioni"] = std::move(stazioni);
  j["cippi"] = std::move(cippi);
  return j.dump(2) + "\n";
}

std::string csv_marcia(const std::vector<riga_marcia>& righe) {
  std::string t =
      "tipo,nome,posizione_m,km,velocita_kmh,limite_kmh,corsa_minima_s,arrivo,partenza,"
      "recupero_min,orario_descritto,differenza_s,energia_ruota_kWh,energia_pantografo_kWh\n";
  for (const riga_marcia& r : righe) {
    const bool con_arrivo = !r.prima;
    const bool con_partenza = r.stazione && !r.ultima && (r.prima || r.fermata);
    t += fmt::format("{},{},{},{},{:.1f},{:.0f},{:.1f},{},{},{},{},{},{:.1f},{:.1f}\n",
                     r.stazione ? (r.fermata ? "fermata" : "stazione") : "cippo",
                     csv_testo(visibile(r.nome)), r.posizione, r.km, decimi(r.velocita), r.limite,
                     decimi(r.corsa_minima), con_arrivo ? ora_testo(r.arrivo) : "",
                     con_partenza ? ora_testo(r.partenza) : "",
                     r.recupero ? fmt::format("{:g}", static_cast<double>(r.recupero) / 60) : "",
                     r.descritto ? ora_testo(r.descritto) : "",
                     r.descritto ? fmt::format("{}", r.descritto - r.confronto) : "",
                     decimi(r.energia), decimi(r.energia / rendimento_trazione));
  }
  return t;
}

}  // namespace scen
