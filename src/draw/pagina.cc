#include "draw/pagina.h"

#include <nlohmann/json.hpp>

#include "draw/politica_pagina.h"
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
  for (const stazione_scena& x : s.stazioni) st.push_back({x.posizione, x.nome, x.fermata});
  j["stazioni"] = st;
  nlohmann::json r = nlohmann::json::array();
  for (const rallentamento_scena& x : s.rallentamenti) r.push_back({x.inizio, x.fine, x.velocita});
  j["rallentamenti"] = r;
  nlohmann::json p = nlohmann::json::array();
  for (const punto_pianta& x : d.pianta.percorso)
    p.push_back({x.metro, std::round(x.p.x * 10) / 10, std::round(x.p.y * 10) / 10});
  j["percorso"] = p;
  return json_in_pagina(j);
}

}  // namespace

std::string dati_pagina(const scena& s, const disegno& d) { return dati_json(s, d); }

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
  h += "#comandi{position:sticky;top:0;z-index:1;display:flex;gap:8px;align-items:center;"
       "padding:8px 16px;background:rgba(255,255,255,.96);border-bottom:1px solid #e4e7eb;"
       "font-size:13px;}\n";
  h += "#comandi button{font:inherit;min-width:32px;padding:3px 10px;border:1px solid #c3c8cf;"
       "border-radius:4px;background:#f6f7f9;color:inherit;cursor:pointer;}\n";
  h += "#comandi button:hover{background:#e4e7eb;}\n";
  h += "#lettura{margin-left:12px;font-variant-numeric:tabular-nums;color:#4b5563;white-space:"
       "nowrap;overflow:hidden;text-overflow:ellipsis;}\n";
  h += "#disegno svg{display:block;width:100%;height:auto;touch-action:none;}\n";
  h += "#disegno svg.trascina{cursor:grabbing;}\n";
  h += "</style>\n</head>\n<body>\n<main>\n";
  h += "<div id=\"comandi\"><button id=\"piu\" title=\"ingrandisci\">+</button>"
       "<button id=\"meno\" title=\"riduci\">&#8722;</button>"
       "<button id=\"tutto\" title=\"tutta la linea\">tutta la linea</button>"
       "<span id=\"lettura\">Rotella o pulsanti per ingrandire il profilo, trascinalo per "
       "scorrerlo; sotto il puntatore: posizione, pendenza, velocità, aderenza.</span></div>\n";
  h += "<div id=\"disegno\">\n" + d.svg + "</div>\n</main>\n";
  h += "<script type=\"application/json\" id=\"dati-scenario\">" + dati_json(s, d) + "</script>\n";
  h += "<script>" + script + "</script>\n</body>\n</html>\n";
  return h;
}

}  // namespace scen
