// The page of `scenario guarda`. As served it is whole: the counts, the
// reading's time, the problems and the drawing of the state at that moment,
// which a browser shows without running a script. Its script then follows
// the state (Server-Sent Events at /eventi) and, when the state names a
// drawing it has not shown, asks for the drawing (/disegno), which it puts
// in place and hands to the drawing's own script with the view on screen
// written in the address as that script reads it (#km=DA-A&punto=P), so
// that the zoom and the point read out stay where they were. A stream
// refused or lost it opens again by itself. Every text from the files goes
// into the document as text, never as markup (escaped here, set as text by
// the script); its one script is the one its policy names by digest.
#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <string>

#include "draw/pagina.h"
#include "draw/politica_pagina.h"
#include "draw/stile.h"
#include "draw/testo_sicuro.h"
#include "tool/guarda_stato.h"

namespace scen {

namespace {

constexpr std::string_view stile_pagina = R"css(
body{margin:0;background:#eceef1;color:#2b3038;}
#testata{position:sticky;top:0;z-index:2;display:flex;gap:14px;align-items:center;padding:8px 16px;background:#2b3038;color:#f3f4f6;font-size:13px;}
#testata strong{font-weight:600;}
#segno{width:10px;height:10px;border-radius:50%;background:#9ca3af;}
#segno.acceso{background:#22c55e;}
#ora{margin-left:auto;color:#d1d5db;font-variant-numeric:tabular-nums;}
#ferma{margin:0;max-height:30vh;overflow:auto;padding:10px 16px;background:#fdecea;color:#8a1c1c;border-bottom:1px solid #f3b7b0;font:13px/1.45 monospace;white-space:pre-wrap;}
#corpo{display:grid;grid-template-columns:minmax(0,1fr) 380px;gap:12px;padding:12px;align-items:start;}
main{background:#fff;box-shadow:0 1px 4px rgba(0,0,0,.12);min-width:0;}
#vecchio{padding:8px 16px;background:#fff7e0;color:#7a4b00;border-bottom:1px solid #f1d48a;font-size:13px;}
body.superato #disegno{opacity:.55;}
aside{position:sticky;top:46px;max-height:calc(100vh - 58px);overflow-y:auto;overflow-x:hidden;background:#fff;box-shadow:0 1px 4px rgba(0,0,0,.12);font-size:13px;}
aside h2{margin:0;padding:9px 14px;font-size:14px;border-bottom:1px solid #e4e7eb;}
#problemi{list-style:none;margin:0;padding:0;}
#problemi li{padding:7px 14px;border-bottom:1px solid #eef0f2;line-height:1.4;overflow-wrap:anywhere;}
#problemi li.con-metro{cursor:pointer;}
#problemi li.con-metro:hover{background:#f3f6fa;}
#problemi li.scelto{background:#e8f0fb;}
#problemi .dove{font-family:monospace;color:#4b5563;}
#problemi .gravita{display:inline-block;margin:0 6px;padding:0 5px;border-radius:3px;font-size:11px;font-weight:600;text-transform:uppercase;}
#problemi li.errore .gravita{background:#fbd5d0;color:#8a1c1c;}
#problemi li.avviso .gravita{background:#fdf0c4;color:#7a4b00;}
#problemi .nota{margin-top:3px;color:#6b7280;font-size:12px;}
#problemi li.nessuno{color:#6b7280;}
#nessun-disegno{margin:0;padding:24px 16px;color:#6b7280;font-size:13px;}
@media (max-width:1500px){#corpo{grid-template-columns:minmax(0,1fr) 320px;}}
)css";

constexpr std::string_view script_guarda = R"js("use strict";
(function () {
  const $ = (id) => document.getElementById(id);
  let mostrato = 0, voluto = 0, chiedendo = false, svgTesto = "", datiTesto = "";

  // The view on screen as the drawing's script reads it from the address.
  function vistaAttuale() {
    if (!datiTesto) return location.hash.slice(1);
    const D = JSON.parse(datiTesto), W = D.x1 - D.x0, L = D.lunghezza;
    let z = 1, t = 0;
    const g = document.querySelector("#disegno #profilo g.dati");
    const tr = g && /translate\(([-\d.e+]+) 0\) scale\(([-\d.e+]+) 1\)/.exec(g.getAttribute("transform") || "");
    if (tr) { z = Number(tr[2]); t = Number(tr[1]) - D.x0 * (1 - z); }
    const parti = [];
    if (z > 1.0001) {
      const da = Math.max(0, (-t / (W * z)) * L);
      parti.push("km=" + (da / 1000).toFixed(3) + "-" + ((da + L / z) / 1000).toFixed(3));
    }
    const c = document.querySelector("#disegno svg > line[stroke-dasharray]");
    if (c && c.getAttribute("visibility") === "visible") {
      const m = ((Number(c.getAttribute("x1")) - D.x0 - t) / (W * z)) * L;
      parti.push("punto=" + (Math.max(0, m) / 1000).toFixed(3));
    }
    return parti.join("&");
  }

  function ridisegna(vista) {
    history.replaceState(null, "", vista ? "#" + vista : location.pathname);
    $("disegno").innerHTML = svgTesto;
    $("dati-scenario").textContent = datiTesto;
    // The buttons anew, without the listeners of the drawing that was.
    for (const id of ["piu", "meno", "tutto"]) { const b = $(id); b.replaceWith(b.cloneNode(true)); }
    avviaDisegno();
    document.body.dataset.disegno = String(mostrato);
  }

  function chiediDisegno() {
    if (chiedendo || voluto <= mostrato) return;
    chiedendo = true;
    fetch("/disegno", { cache: "no-store" })
      .then((r) => { if (!r.ok) throw new Error("HTTP " + r.status); return r.json(); })
      .then((d) => {
        const vista = vistaAttuale();
        svgTesto = d.svg; datiTesto = JSON.stringify(d.dati); mostrato = d.disegno;
        ridisegna(vista);
        chiedendo = false;
        chiediDisegno();
      })
      .catch(() => { chiedendo = false; setTimeout(chiediDisegno, 500); });
  }

  // The drawing around metre m, read out at m.
  function vai(m) {
    if (!datiTesto) return;
    const L = JSON.parse(datiTesto).lunghezza, mezzo = Math.min(L / 2, 5000);
    const p = Math.min(L, Math.max(0, m));
    const a = Math.min(L, Math.max(0, p - mezzo) + 2 * mezzo), da = Math.max(0, a - 2 * mezzo);
    ridisegna("km=" + (da / 1000).toFixed(3) + "-" + (a / 1000).toFixed(3) + "&punto=" + (p / 1000).toFixed(3));
  }

  // FILE:RIGA:COLONNA, the file by its name alone (the whole line is the
  // item's title).
  function dove(f, riga, colonna) {
    const nome = f.slice(Math.max(f.lastIndexOf("/"), f.lastIndexOf("\\")) + 1);
    return nome + (riga > 0 ? ":" + riga + (colonna > 0 ? ":" + colonna : "") : "");
  }

  function elenca(s) {
    const elenco = $("problemi");
    elenco.textContent = "";
    for (const p of s.problemi) {
      const li = document.createElement("li");
      li.className = p.gravita;
      li.title = p.testo;
      const luogo = document.createElement("span");
      luogo.className = "dove"; luogo.textContent = dove(p.file, p.riga, p.colonna);
      const gravita = document.createElement("span");
      gravita.className = "gravita"; gravita.textContent = p.gravita;
      li.append(luogo, gravita, document.createTextNode(p.causa));
      for (const n of p.note || []) {
        const nota = document.createElement("div");
        nota.className = "nota"; nota.textContent = dove(n.file, n.riga, n.colonna) + ": " + n.testo;
        li.appendChild(nota);
      }
      if (p.metro !== null) {
        li.classList.add("con-metro");
        li.title += "\n(al km " + (p.metro / 1000).toFixed(3).replace(".", ",") + ": un clic lo mostra sul profilo e sulla pianta)";
        li.addEventListener("click", () => {
          for (const e of elenco.querySelectorAll(".scelto")) e.classList.remove("scelto");
          li.classList.add("scelto");
          vai(p.metro);
        });
      }
      elenco.appendChild(li);
    }
    if (s.problemi.length === 0 && !s.guasto) {
      const li = document.createElement("li");
      li.className = "nessuno"; li.textContent = "Nessun problema.";
      elenco.appendChild(li);
    }
  }

  function mostraStato(s) {
    // The counts of the list shown, the time of the program's reading.
    let errori = 0, avvisi = 0;
    for (const p of s.problemi) { if (p.gravita === "errore") errori++; else if (p.gravita === "avviso") avvisi++; }
    $("conteggio").textContent = errori + (errori === 1 ? " errore, " : " errori, ") +
      avvisi + (avvisi === 1 ? " avviso" : " avvisi");
    $("ora").textContent = "letto alle " + s.ora + " in " + s.millisecondi + " ms";
    const ferma = s.guasto ? [s.guasto] : s.ferma;
    $("ferma").hidden = ferma.length === 0;
    $("ferma").textContent = ferma.join("\n");
    $("vecchio").hidden = s.disegno_attuale || s.disegno === 0;
    document.body.classList.toggle("superato", !s.disegno_attuale && s.disegno > 0);
    elenca(s);
    document.body.dataset.lettura = String(s.lettura);
    voluto = s.disegno;
    chiediDisegno();
  }

  // The state's stream, opened again by the page whenever it is lost: when
  // the program refuses it (all its streams in use) or the connection drops.
  // The waits double from 1 s to 30 s and start again from 1 s once a state
  // arrives; the page says meanwhile how long it waits.
  let fonte = null, attesa = 1, conto = null, perso = false;
  function collega() {
    fonte = new EventSource("/eventi");
    fonte.addEventListener("stato", (e) => {
      attesa = 1;
      if (perso) {
        // The files may have changed meanwhile, or the program started
        // anew with its count from 1: the drawing is asked for again.
        perso = false;
        mostrato = 0;
      }
      $("segno").className = "acceso";
      document.body.dataset.collegato = "si";
      mostraStato(JSON.parse(e.data));
    });
    fonte.addEventListener("error", () => {
      fonte.close();
      perso = true;
      $("segno").className = "";
      document.body.dataset.collegato = "no";
      let resta = attesa;
      attesa = Math.min(30, attesa * 2);
      const dici = () => {
        $("ora").textContent = "collegamento perso: riprovo tra " + resta + " s (scenario guarda è ancora aperto?)";
      };
      dici();
      clearInterval(conto);
      conto = setInterval(() => {
        resta -= 1;
        if (resta > 0) { dici(); return; }
        clearInterval(conto);
        $("ora").textContent = "collegamento perso: riprovo ora…";
        collega();
      }, 1000);
    });
  }
  // The drawing that the page came with, as if it had been asked for.
  const venuto = Number(document.body.dataset.disegno || "0");
  if (venuto > 0) {
    mostrato = venuto;
    svgTesto = $("disegno").innerHTML;
    datiTesto = $("dati-scenario").textContent;
    avviaDisegno();
  }
  collega();
})();
)js";

}  // namespace

namespace {

// The page's one script, as it stands between <script> and </script>.
const std::string& script_intero() {
  static const std::string script = "\nfunction avviaDisegno() {\n" + std::string(script_pagina) +
                                    "}\n" + std::string(script_guarda);
  return script;
}

}  // namespace

std::string politica_guarda() {
  static const std::string politica = politica_pagina(script_intero(), true);
  return politica;
}

namespace {

using json = nlohmann::json;

// "2 errori, 1 avviso", as the script writes it.
std::string conteggio(long errori, long avvisi) {
  return fmt::format("{} {}, {} {}", errori, errori == 1 ? "errore" : "errori", avvisi,
                     avvisi == 1 ? "avviso" : "avvisi");
}

// FILE:RIGA:COLONNA with the file by its name alone, as the script writes it.
std::string dove(const json& voce) {
  const std::string f = voce.value("file", "");
  const auto barra = f.find_last_of("/\\");
  std::string t = barra == std::string::npos ? f : f.substr(barra + 1);
  const long riga = voce.value("riga", 0L), colonna = voce.value("colonna", 0L);
  if (riga > 0) t += fmt::format(":{}", riga);
  if (riga > 0 && colonna > 0) t += fmt::format(":{}", colonna);
  return t;
}

// The list of problems as the script writes it.
std::string elenco(const json& stato) {
  std::string h;
  const json& problemi = stato["problemi"];
  for (const json& p : problemi) {
    const std::string gravita = p.value("gravita", "");
    std::string titolo = p.value("testo", "");
    const bool con_metro = p.contains("metro") && p["metro"].is_number();
    if (con_metro) {
      std::string km = fmt::format("{:.3f}", p["metro"].get<double>() / 1000);
      for (char& c : km)
        if (c == '.') c = ',';
      titolo += "\n(al km " + km + ": un clic lo mostra sul profilo e sulla pianta)";
    }
    h += "<li class=\"" + xml_testo(gravita) + (con_metro ? " con-metro" : "") + "\" title=\"" +
         xml_testo(titolo) + "\"><span class=\"dove\">" + xml_testo(dove(p)) +
         "</span><span class=\"gravita\">" + xml_testo(gravita) + "</span>" +
         xml_testo(p.value("causa", ""));
    if (p.contains("note"))
      for (const json& n : p["note"])
        h += "<div class=\"nota\">" + xml_testo(dove(n) + ": " + n.value("testo", "")) + "</div>";
    h += "</li>";
  }
  if (problemi.empty() && !stato.contains("guasto"))
    h += "<li class=\"nessuno\">Nessun problema.</li>";
  return h;
}

}  // namespace

std::string pagina_guarda(const stato_guarda& s) {
  const json stato = json::parse(s.json);
  std::string ferma;
  if (!s.guasto.empty())
    ferma = s.guasto;
  else
    for (const json& riga : stato["ferma"]) {
      if (!ferma.empty()) ferma += '\n';
      ferma += riga.get<std::string>();
    }
  const bool superato = !s.disegno_attuale && s.disegno > 0;
  std::string h;
  h += "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n";
  h += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  h += "<link rel=\"icon\" href=\"data:,\">\n<title>scenario guarda</title>\n<style>";
  h += "body{font-family:" + std::string(stile::carattere) + ";}";
  h += std::string(stile_pagina) + stile_disegno(78) + "</style>\n" + senza_script() + "</head>\n";
  h += fmt::format("<body data-lettura=\"{}\" data-disegno=\"{}\"{}>\n", s.lettura,
                   s.disegno_svg.empty() ? 0 : s.disegno, superato ? " class=\"superato\"" : "");
  h += "<header id=\"testata\"><span id=\"segno\"></span><strong>scenario guarda</strong>"
       "<span id=\"conteggio\">" +
       conteggio(s.errori, s.avvisi) + "</span><span id=\"ora\">" +
       xml_testo(fmt::format("letto alle {} in {} ms", s.ora, s.millisecondi)) +
       "</span></header>\n";
  h += std::string("<pre id=\"ferma\"") + (ferma.empty() ? " hidden" : "") + ">" +
       xml_testo(ferma) + "</pre>\n<div id=\"corpo\">\n<main>\n";
  h += comandi_pagina(
      "Rotella o pulsanti per ingrandire il profilo, trascinalo per scorrerlo; un problema con "
      "la sua posizione, cliccato, si mostra sul profilo e sulla pianta.");
  h += std::string("<div id=\"vecchio\"") + (superato ? "" : " hidden") +
       ">Le descrizioni ora non si leggono fino in fondo: il disegno è quello dell'ultima "
       "lettura riuscita.</div>\n";
  if (s.disegno_svg.empty())
    h += "<div id=\"disegno\"><p id=\"nessun-disegno\">Ancora nessun disegno: le descrizioni "
         "non si sono mai lette fino in fondo.</p></div>\n";
  else
    h += "<div id=\"disegno\">" + s.disegno_svg + "</div>\n";
  h += "</main>\n<aside><h2>Problemi</h2><ol id=\"problemi\">" + elenco(stato) +
       "</ol></aside>\n</div>\n";
  h += "<script type=\"application/json\" id=\"dati-scenario\">" +
       (s.disegno_dati.empty() ? std::string("{}") : s.disegno_dati) + "</script>\n";
  h += "<script>" + script_intero() + "</script>\n</body>\n</html>\n";
  return h;
}

}  // namespace scen
