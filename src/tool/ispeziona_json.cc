// The facts of `scenario ispeziona` as JSON.
#include <string_view>
#include <variant>

#include "inspect/esame_compilati.h"
#include "platform/windows1252.h"
#include "tool/ispeziona_uscita.h"

namespace scen {

namespace {

using json = documento_json;

std::string utf8(std::string_view testo_1252) { return da_1252_a_utf8(testo_1252); }

json chiavi_json(const chiavi_nome& c) {
  return {{"percorso", utf8(c.percorso)}, {"treno", utf8(c.treno)}};
}

json chiavi_o_niente(const std::optional<chiavi_nome>& c) {
  return c ? chiavi_json(*c) : json(nullptr);
}

json codice_json(const confronto_codice& c) {
  json f = {{"valore", c.valore}};
  f["chiavi_del_nome"] = chiavi_o_niente(c.chiavi_del_nome);
  f["atteso"] = c.chiavi_del_nome ? json(c.atteso) : json(nullptr);
  f["corrisponde"] = c.corrisponde();
  return f;
}

json stazione_json(const stazione_compilata& s) {
  const registro& r = s.dati;
  return {{"registro", s.indice},
          {"nome", utf8(r.nome)},
          {"tipo", r.tipo},
          {"posizione", r.progressiva},
          {"inizio", r.inizio},
          {"fine", r.fine},
          {"fermata", r.fermata},
          {"orario", r.orario == 0 ? json(nullptr) : json(ora(r.orario))},
          {"orario_secondi", r.orario},
          {"prolungamento", r.prolungamento},
          {"campo_4", r.campo_4},
          {"campo_5", r.campo_5},
          {"campo_7", r.campo_7},
          {"campo_8", r.campo_8},
          {"campo_9", r.campo_9},
          {"campo_10", r.campo_10},
          {"campo_11", r.campo_11},
          {"campo_12", r.campo_12}};
}

json cella_json(const cella_scelta& s) {
  const cella& c = s.dati;
  return {{"cella", s.indice},      {"metri", metri_cella * s.indice},
          {"codice", c.codice},     {"oggetto", oggetto_cella(c.codice)},
          {"valore_1", c.valore_1}, {"valore_2", c.valore_2},
          {"valore_3", c.valore_3}, {"valore_4", c.valore_4},
          {"valore_5", c.valore_5}, {"avvicinamento", c.avvicinamento},
          {"montagna", c.montagna}, {"vel_limite", c.vel_limite},
          {"pendenza", c.pendenza}, {"aderenza", c.aderenza}};
}

json json_di(const fatti_treno& t) {
  json f = {{"file", t.file}, {"tipo", "treno"}, {"byte", t.byte}, {"registri", t.registri}};
  f["chiavi_nei_registri"] = chiavi_json(t.chiavi_nei_registri);
  f["chiavi_del_nome"] = chiavi_o_niente(t.chiavi_del_nome);
  f["chiavi_concordano"] = t.chiavi_concordano();
  f["segno"] = {
      {"registro", indice_registro::generali_linea}, {"campo", "campo_7"}, {"valore", t.segno}};
  f["codice_gara_st"] = codice_json(t.codice_gara_st);
  f["lunghezza_percorso"] = t.lunghezza_percorso;
  f["numero_vetture"] = t.numero_vetture;
  f["percentuale_massa_frenata"] = t.percentuale_massa_frenata;
  json progressive = json::array();
  for (const progressiva_compilata& p : t.progressive)
    progressive.push_back({{"nome", p.nome},
                           {"registro", p.registro},
                           {"inizio", p.inizio},
                           {"scostamento", p.scostamento},
                           {"decrescente", p.decrescente}});
  f["progressive"] = std::move(progressive);
  f["sfondi"] = {{"uno", t.sfondo_uno}, {"due", t.sfondo_due}, {"tre", t.sfondo_tre}};
  f["ripetizione_segnali"] = {{"inizio", t.ripetizione_inizio},
                              {"fine", t.ripetizione_fine},
                              {"codici", t.ripetizione_codici}};
  f["orologio"] = {{"ore", t.ore}, {"minuti", t.minuti}, {"secondi", t.secondi}};
  f["sabbia"] = t.sabbia;
  json stazioni = json::array();
  for (const stazione_compilata& s : t.stazioni) stazioni.push_back(stazione_json(s));
  f["stazioni"] = std::move(stazioni);
  json cartelli = json::array();
  for (const cartello_compilato& c : t.cartelli) {
    json cartello = {{"registro", c.registro}, {"testo", utf8(c.testo)}};
    if (c.cella) {
      cartello["cella"] = *c.cella;
      cartello["metri"] = metri_cella * *c.cella;
    }
    cartelli.push_back(std::move(cartello));
  }
  f["cartelli"] = std::move(cartelli);
  return f;
}

json json_di(const fatti_celle& c) {
  json f = {{"file", c.file}, {"tipo", "celle"}, {"byte", c.byte}, {"celle", c.celle}};
  f["ultima_cella"] = c.ultima_cella;
  f["lunghezza_percorso_circa"] = c.lunghezza_percorso_circa();
  f["chiavi_del_nome"] = chiavi_o_niente(c.chiavi_del_nome);
  f["segno"] = {{"cella", 1}, {"campo", "valore_1"}, {"valore", c.segno}};
  f["codice_gara_og"] = codice_json(c.codice_gara_og);
  json censimento = json::array();
  for (const conteggio_codice& k : c.censimento)
    censimento.push_back({{"codice", k.codice},
                          {"oggetto", oggetto_cella(static_cast<Byte>(k.codice))},
                          {"celle", k.celle}});
  f["censimento"] = std::move(censimento);
  json cartelli = json::array();
  for (const cella_cartello& k : c.cartelli)
    cartelli.push_back(
        {{"cella", k.cella}, {"metri", metri_cella * k.cella}, {"registro", k.registro}});
  f["cartelli"] = std::move(cartelli);
  if (c.scelte) {
    json elenco = json::array();
    for (const cella_scelta& s : c.scelte->celle) elenco.push_back(cella_json(s));
    f["celle_scelte"] = {
        {"da", c.scelte->chieste.da}, {"a", c.scelte->chieste.a}, {"celle", std::move(elenco)}};
  }
  return f;
}

json json_di(const fatti_linea& l) {
  const esame_tracciato& e = l.tracciato;
  json f = {{"file", l.file}, {"tipo", "linea"}, {"byte", l.byte}};
  f["metri"] = e.ultimo_metro + 1;
  f["ultimo_metro"] = e.ultimo_metro;
  f["lunghezza_percorso"] = l.lunghezza_percorso();
  f["metri_pieni"] = e.metri_pieni;
  f["primo_vuoto"] = e.primo_vuoto ? json(*e.primo_vuoto) : json(nullptr);
  f["ultimo_pieno"] = e.ultimo_pieno;
  if (e.ultimo_pieno < 0) {
    f["lunghezza_retta"] = nullptr;
    f["lunghezza_lungo_la_linea"] = nullptr;
    f["riquadro"] = nullptr;
    return f;
  }
  f["lunghezza_retta"] = e.lunghezza_retta;
  f["lunghezza_lungo_la_linea"] = e.lunghezza_lungo;
  f["riquadro"] = {{"x_min", e.x_min}, {"x_max", e.x_max}, {"y_min", e.y_min}, {"y_max", e.y_max}};
  return f;
}

json json_di(const file_illeggibile& f) { return {{"file", f.file}, {"errore", f.errore}}; }

}  // namespace

documento_json json_fatti(const fatti_file& f) {
  return std::visit([](const auto& fatti) { return json_di(fatti); }, f);
}

}  // namespace scen
