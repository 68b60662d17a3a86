#include "draw/pagina.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "draw/politica_pagina.h"
#include "draw/profilo_bande.h"
#include "draw/stile.h"
#include "draw/svg.h"
#include "draw/testo_sicuro.h"

namespace scen {

namespace {

nlohmann::json serie_json(const serie& s) {
  nlohmann::json a = nlohmann::json::array();
  for (const gradino& g : s) a.push_back({g.da, g.valore});
  return a;
}

// The data the script reads: where the profile lies, and what it shows.
std::string dati_json(const scena& s, const disegno& d) {
  nlohmann::json j;
  j["lunghezza"] = s.lunghezza;
  j["x0"] = d.profilo.x0;
  j["x1"] = d.profilo.x1;
  j["y0"] = d.profilo.y0;
  j["y1"] = d.profilo.y1;
  j["yNomi"] = d.profilo.y_nomi;
  j["yAsse"] = d.profilo.y_asse;
  j["pendenza"] = serie_json(s.pendenza);
  j["velocita"] = serie_json(s.velocita);
  j["aderenza"] = serie_json(s.aderenza);
  j["montagna"] = serie_json(s.montagna);
  j["curvatura"] = serie_json(s.curvatura);
  nlohmann::json q = nlohmann::json::array();
  for (punto p : quote(s)) q.push_back({p.x, std::round(p.y * 10) / 10});
  j["quote"] = q;
  nlohmann::json st = nlohmann::json::array();
  for (const stazione_scena& x : s.stazioni)
    st.push_back({x.posizione, x.nome, x.fermata, x.orario});
  j["stazioni"] = st;
  nlohmann::json r = nlohmann::json::array();
  for (const rallentamento_scena& x : s.rallentamenti) r.push_back({x.inizio, x.fine, x.velocita});
  j["rallentamenti"] = r;
  nlohmann::json p = nlohmann::json::array();
  for (const punto_pianta& x : d.pianta.percorso)
    p.push_back({x.metro, std::round(x.p.x * 10) / 10, std::round(x.p.y * 10) / 10});
  j["percorso"] = p;
  if (const auto ore = bande_profilo::ore_della_banda(s)) {
    // The timetable's path, a point every 500 m and both ends of every
    // wait: enough to find the stretch of the day that a zoomed view spans.
    nlohmann::json o = nlohmann::json::array();
    const std::vector<punto>& c = s.marcia.percorso;
    for (std::size_t i = 0; i < c.size(); ++i) {
      const bool fermo =
          (i > 0 && c[i - 1].x == c[i].x) || (i + 1 < c.size() && c[i + 1].x == c[i].x);
      if (i == 0 || i + 1 == c.size() || fermo ||
          std::floor(c[i - 1].x / 500) != std::floor(c[i].x / 500))
        o.push_back({std::lround(c[i].x), std::lround(c[i].y)});
    }
    j["orario"] = {{"y0", d.profilo.y_orario0},
                   {"y1", d.profilo.y_orario1},
                   {"da", ore->da},
                   {"a", ore->a},
                   {"percorso", std::move(o)}};
  }
  return json_in_pagina(j);
}

}  // namespace

std::string dati_pagina(const scena& s, const disegno& d) { return dati_json(s, d); }

std::string comandi_pagina(std::string_view aiuto) {
  std::string h;
  for (const char* vista : {"entrambi", "profilo", "pianta"})
    h += fmt::format("<input type=\"radio\" class=\"vista\" name=\"vista\" id=\"vista-{}\"{}>",
                     vista, std::string_view(vista) == "entrambi" ? " checked" : "");
  h +=
      "\n<div id=\"comandi\"><span id=\"viste\">"
      "<label for=\"vista-entrambi\" title=\"il profilo, sotto la pianta\">profilo e pianta</label>"
      "<label for=\"vista-profilo\">profilo</label>"
      "<label for=\"vista-pianta\">pianta</label></span>"
      "<button id=\"piu\" title=\"ingrandisci\">+</button>"
      "<button id=\"meno\" title=\"riduci\">&#8722;</button>"
      "<button id=\"tutto\" title=\"tutta la linea\">tutta la linea</button>"
      "<span id=\"lettura\">" +
      xml_testo(aiuto) + "</span></div>\n";
  return h;
}

std::string parti_pagina(const disegno& d) {
  return "<div id=\"disegno\">\n" + d.svg_profilo + d.svg_pianta + "</div>\n";
}

std::string senza_script() {
  return "<noscript><style>#piu,#meno,#tutto,#lettura{display:none;}</style></noscript>\n";
}

std::string stile_disegno(int sopra) {
  std::string c;
  c += ".vista{position:absolute;width:1px;height:1px;margin:0;opacity:0;pointer-events:none;}\n";
  c += fmt::format(
      "#comandi{{position:sticky;top:{}px;z-index:1;display:flex;gap:8px;align-items:center;"
      "padding:8px 16px;background:rgba(255,255,255,.96);border-bottom:1px solid #e4e7eb;"
      "font-size:13px;}}\n",
      std::max(0, sopra - 44));
  c += "#comandi button,#viste label{font:inherit;min-width:32px;padding:3px 10px;border:1px "
       "solid #c3c8cf;border-radius:4px;background:#f6f7f9;color:inherit;cursor:pointer;"
       "white-space:nowrap;}\n";
  c += "#comandi button:hover,#viste label:hover{background:#e4e7eb;}\n";
  c += "#viste{display:flex;margin-right:8px;}\n";
  c += "#viste label{border-radius:0;margin-left:-1px;}\n";
  c += "#viste label:first-child{border-radius:4px 0 0 4px;margin-left:0;}\n";
  c += "#viste label:last-child{border-radius:0 4px 4px 0;}\n";
  c += "#vista-entrambi:checked~#comandi label[for=vista-entrambi],#vista-profilo:checked~#comandi "
       "label[for=vista-profilo],#vista-pianta:checked~#comandi label[for=vista-pianta]{"
       "background:#2b3038;border-color:#2b3038;color:#fff;}\n";
  c += ".vista:focus-visible~#comandi #viste{outline:2px solid #3568a0;outline-offset:2px;}\n";
  c += "#vista-profilo:checked~#disegno #disegno-pianta,#vista-pianta:checked~#disegno "
       "#disegno-profilo{display:none;}\n";
  c += "#comandi>*{flex:none;}\n";
  c += "#comandi>#lettura{flex:1 1 auto;min-width:0;margin-left:12px;font-variant-numeric:"
       "tabular-nums;color:#4b5563;white-space:nowrap;overflow:hidden;text-overflow:ellipsis;}\n";
  c += fmt::format(
      "#disegno svg{{display:block;width:100%;height:auto;max-height:calc(100vh - {}px);"
      "touch-action:none;}}\n",
      sopra + 8);
  c += "#disegno svg.trascina{cursor:grabbing;}\n";
  return c;
}

std::string pagina_html(const scena& s, const disegno& d) {
  std::string titolo;
  if (!s.stazioni.empty()) titolo = s.stazioni.front().nome + " – " + s.stazioni.back().nome;
  // The script as the page holds it, which its digest in the policy names.
  std::string script = "\n";
  script += script_pagina;
  std::string h;
  h += "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n";
  h += "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
       xml_testo(politica_pagina(script, false)) + "\">\n";
  h += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  h += "<title>" + xml_testo(titolo.empty() ? "Scenario" : titolo) + "</title>\n";
  h += "<style>\n";
  h += "body{margin:0;background:#eceef1;color:#2b3038;font-family:" +
       std::string(stile::carattere) + ";}\n";
  h += "main{max-width:1200px;margin:0 auto 24px;background:#fff;box-shadow:0 1px 4px "
       "rgba(0,0,0,.12);}\n";
  h += stile_disegno(44);
  h += "</style>\n" + senza_script() + "</head>\n<body>\n<main>\n";
  h += comandi_pagina(
      "Rotella o pulsanti per ingrandire il profilo, trascinalo per scorrerlo; sotto il "
      "puntatore: posizione, pendenza, velocità, aderenza.");
  h += parti_pagina(d) + "</main>\n";
  h += "<script type=\"application/json\" id=\"dati-scenario\">" + dati_json(s, d) + "</script>\n";
  h += "<script>" + script + "</script>\n</body>\n</html>\n";
  return h;
}

}  // namespace scen
