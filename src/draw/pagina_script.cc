// The script of the page: zoom and pan along the distance axis, and the
// readout under the pointer. It works on the two SVG documents as the drawing
// wrote them (the profile, "disegno-profilo", and the plan, "disegno-pianta",
// where it marks the point read): the groups of class "dati" are scaled along
// x, the texts with "data-m" and the station names are placed anew, the
// signposts' texts shown where the one before leaves room, and the axis is
// written again. The timetable's band spans the stretch of the day of the
// view: its path scaled in y too, its hour lines written again, the
// scheduled times ("data-t") placed anew.
#include "draw/pagina.h"

namespace scen {

const std::string_view script_pagina = R"js("use strict";
(function () {
  const NS = "http://www.w3.org/2000/svg";
  const D = JSON.parse(document.getElementById("dati-scenario").textContent);
  const svg = document.getElementById("disegno-profilo");
  const pianta = document.getElementById("disegno-pianta");
  const lettura = document.getElementById("lettura");
  const L = D.lunghezza, X0 = D.x0, W = D.x1 - D.x0;
  const zoomMassimo = Math.max(1, L / 1500);
  let z = 1, t = 0;

  const pxDiM = (m) => X0 + (W * m / L) * z + t;
  const mDiPx = (x) => ((x - X0 - t) / (W * z)) * L;
  const km = (m, d) => (m / 1000).toFixed(d).replace(".", ",");

  // The texts placed at a metre, with their offset from it at full view.
  const testi = Array.from(svg.querySelectorAll("#profilo text[data-m]:not([data-t]):not([data-w])")).map((e) => {
    const m = Number(e.dataset.m);
    return { e, m, dx: Number(e.getAttribute("x")) - (X0 + (W * m) / L) };
  });
  const nomi = Array.from(svg.querySelectorAll("#nomi-profilo g.nome")).map((g) => {
    const testo = g.querySelector("text");
    const tr = /translate\(([-\d.]+) ([-\d.]+)\)/.exec(testo.getAttribute("transform"));
    return { g, m: Number(g.dataset.m), testo, guida: g.querySelector("path"), base: Number(tr[2]) };
  });
  const gruppi = Array.from(svg.querySelectorAll("#profilo g.dati"));
  // Signposts' texts: each where the one before has ended.
  const cartelli = Array.from(svg.querySelectorAll("#testi-cartelli text")).map((e) => ({ e, m: Number(e.dataset.m), w: Number(e.dataset.w) }));
  // The timetable's band: its path, its hour lines and the scheduled
  // times span the stretch of the day that the view shows.
  const O = D.orario;
  const serieOrario = svg.querySelector("#serie-orario");
  const grigliaOrario = svg.querySelector("#griglia-orario");
  const grigliaIntera = grigliaOrario ? grigliaOrario.innerHTML : "";
  const puntiOrario = Array.from(svg.querySelectorAll("#orari-descrizione [data-t]")).map((e) => ({ e, m: Number(e.dataset.m), t: Number(e.dataset.t), cerchio: e.tagName === "circle" }));
  const asse = svg.querySelector("#asse-km");
  const yAsse = D.yAsse;

  // Marks of width `passo` wanted at `voluti`, in order, spread where they
  // crowd: the same rule as the drawing's.
  function inFila(voluti, passo, lo, hi) {
    const n = voluti.length, posti = new Array(n);
    if (n === 0) return posti;
    if (passo * (n - 1) > hi - lo) {
      const p = n > 1 ? (hi - lo) / (n - 1) : 0;
      for (let i = 0; i < n; i++) posti[i] = lo + p * i;
      return posti;
    }
    const inizio = (g) => {
      const est = passo * (g.n - 1);
      return Math.min(Math.max(g.s / g.n - est / 2, lo), hi - est);
    };
    const gr = [];
    for (let i = 0; i < n; i++) {
      gr.push({ i, n: 1, s: voluti[i] });
      while (gr.length > 1) {
        const b = gr[gr.length - 1], a = gr[gr.length - 2];
        if (inizio(b) >= inizio(a) + passo * (a.n - 1) + passo) break;
        a.n += b.n; a.s += b.s; gr.pop();
      }
    }
    for (const g of gr) { const s = inizio(g); for (let k = 0; k < g.n; k++) posti[g.i + k] = s + passo * k; }
    return posti;
  }

  function passoKm(pxPerKm) {
    for (const p of [0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500]) if (p * pxPerKm >= 60) return p;
    return 1000;
  }

  function scriviAsse() {
    while (asse.childNodes.length > 0) asse.removeChild(asse.lastChild);
    const linea = document.createElementNS(NS, "line");
    for (const [k, v] of [["x1", X0], ["x2", X0 + W], ["y1", yAsse], ["y2", yAsse], ["stroke", "#6b7280"], ["stroke-width", "0.8"]]) linea.setAttribute(k, v);
    asse.appendChild(linea);
    const passo = passoKm((W * z) / (L / 1000));
    const da = Math.max(0, mDiPx(X0)), a = Math.min(L, mDiPx(X0 + W));
    const dec = passo < 1 ? 1 : 0;
    for (let k = Math.ceil(da / 1000 / passo) * passo; k * 1000 <= a + 1e-6; k += passo) {
      const x = pxDiM(k * 1000);
      const tacca = document.createElementNS(NS, "line");
      for (const [n, v] of [["x1", x], ["x2", x], ["y1", yAsse], ["y2", yAsse + 4], ["stroke", "#6b7280"], ["stroke-width", "0.8"]]) tacca.setAttribute(n, v);
      asse.appendChild(tacca);
      const testo = document.createElementNS(NS, "text");
      testo.setAttribute("x", x); testo.setAttribute("y", yAsse + 15);
      testo.textContent = km(k * 1000, dec);
      asse.appendChild(testo);
    }
    const nota = document.createElementNS(NS, "text");
    nota.setAttribute("x", X0 + W); nota.setAttribute("y", yAsse + 27); nota.setAttribute("text-anchor", "end");
    nota.setAttribute("fill", "#6b7280");
    nota.textContent = z > 1 ? "km dall'origine (" + km(da, 1) + "–" + km(a, 1) + ")" : "km dall'origine della linea";
    asse.appendChild(nota);
  }

  // The time of day at metre m of the timetable's path: the earliest (on
  // arrival, where it waits) or the latest (on departure).
  function tempo(m, tardi) {
    const p = O.percorso;
    if (p.length === 0) return O.da;
    let lo = 0, hi = p.length;
    while (lo < hi) { const mid = (lo + hi) >> 1; if (tardi ? p[mid][0] <= m : p[mid][0] < m) lo = mid + 1; else hi = mid; }
    if (lo === 0) return p[0][1];
    if (lo >= p.length) return p[p.length - 1][1];
    const a = p[lo - 1], b = p[lo];
    return b[0] === a[0] ? (tardi ? a[1] : b[1]) : a[1] + ((b[1] - a[1]) * (m - a[0])) / (b[0] - a[0]);
  }
  const ora = (s) => String(Math.floor(s / 3600) % 24).padStart(2, "0") + ":" + String(Math.floor(s / 60) % 60).padStart(2, "0");

  function applicaOrario(da, a) {
    let lo = O.da, hi = O.a;
    if (z > 1.0001) {
      lo = tempo(da, false); hi = tempo(a, true);
      for (const p of puntiOrario) if (p.m >= da && p.m <= a) { lo = Math.min(lo, p.t); hi = Math.max(hi, p.t); }
      if (hi - lo < 60) { const c = (lo + hi) / 2; lo = c - 30; hi = c + 30; }
    }
    const y = (s) => O.y0 + ((s - lo) / (hi - lo)) * (O.y1 - O.y0);
    if (serieOrario) {
      const k = (O.a - O.da) / (hi - lo), b = O.y0 - O.y0 * k - ((lo - O.da) / (hi - lo)) * (O.y1 - O.y0);
      serieOrario.setAttribute("transform", "translate(" + (X0 * (1 - z) + t) + " " + b + ") scale(" + z + " " + k + ")");
    }
    if (grigliaOrario) {
      if (z <= 1.0001) grigliaOrario.innerHTML = grigliaIntera;
      else {
        while (grigliaOrario.childNodes.length > 0) grigliaOrario.removeChild(grigliaOrario.lastChild);
        let passo = 7200;
        for (const p of [60, 120, 300, 600, 900, 1800, 3600]) if ((hi - lo) / p <= 5) { passo = p; break; }
        for (let s = Math.floor(lo / passo) * passo + passo; s < hi; s += passo) {
          crea("line", { x1: X0, x2: X0 + W, y1: y(s), y2: y(s), stroke: "#e4e7eb", "stroke-width": "0.8" }, grigliaOrario);
          crea("text", { x: X0 - 6, y: y(s) + 3.5, "text-anchor": "end" }, grigliaOrario).textContent = ora(s);
        }
      }
    }
    for (const p of puntiOrario) {
      const px = pxDiM(p.m);
      p.e.style.display = px < X0 - 1 || px > X0 + W + 1 ? "none" : "";
      if (p.cerchio) { p.e.setAttribute("cx", px); p.e.setAttribute("cy", y(p.t)); }
      else {
        const destra = px - 32 < X0;
        p.e.setAttribute("x", destra ? px + 5 : px - 5); p.e.setAttribute("y", y(p.t) + 12);
        p.e.setAttribute("text-anchor", destra ? "start" : "end");
      }
    }
  }

  function applica() {
    t = Math.min(0, Math.max(t, W - W * z));
    const tr = "translate(" + (X0 * (1 - z) + t) + " 0) scale(" + z + " 1)";
    for (const g of gruppi) g.setAttribute("transform", tr);
    for (const x of testi) {
      const px = pxDiM(x.m);
      x.e.setAttribute("x", px + x.dx);
      x.e.style.display = px < X0 - 1 || px > X0 + W + 1 ? "none" : "";
    }
    let libero = X0;
    for (const c of cartelli) {
      const x = pxDiM(c.m) + 3, posto = x >= libero && x + c.w <= X0 + W + 1 && x >= X0;
      if (posto) libero = x + c.w + 6;
      c.e.setAttribute("x", x);
      c.e.style.display = posto ? "inline" : "none";
    }
    if (O) applicaOrario(Math.max(0, mDiPx(X0)), Math.min(L, mDiPx(X0 + W)));
    const visibili = nomi.filter((n) => { const px = pxDiM(n.m); return px >= X0 - 0.5 && px <= X0 + W + 0.5; });
    const corpo = 10.5;
    const posti = inFila(visibili.map((n) => pxDiM(n.m)), corpo + 2, X0 + 5, X0 + W - 2);
    for (const n of nomi) n.g.style.display = "none";
    visibili.forEach((n, i) => {
      const xv = pxDiM(n.m), xl = posti[i];
      n.g.style.display = "";
      n.testo.setAttribute("transform", "translate(" + (xl + corpo * 0.36) + " " + n.base + ") rotate(-90)");
      n.guida.setAttribute("d", "M" + xv + " " + (D.yNomi - 4) + "V" + (D.yNomi - 7) + "L" + xl + " " + (n.base + 3));
    });
    scriviAsse();
  }

  function zoom(fattore, xCentro) {
    const m = mDiPx(xCentro);
    z = Math.min(zoomMassimo, Math.max(1, z * fattore));
    t = xCentro - X0 - (W * m / L) * z;
    applica();
  }

  // The value of a series of steps at metre m.
  function valore(serie, m) {
    let lo = 0, hi = serie.length - 1;
    if (hi < 0) return null;
    while (lo < hi) { const mid = (lo + hi + 1) >> 1; if (serie[mid][0] <= m) lo = mid; else hi = mid - 1; }
    return serie[lo][1];
  }
  function quota(m) {
    const q = D.quote;
    for (let i = 1; i < q.length; i++) if (q[i][0] >= m) {
      const [ma, ha] = q[i - 1], [mb, hb] = q[i];
      return mb === ma ? hb : ha + ((hb - ha) * (m - ma)) / (mb - ma);
    }
    return q.length ? q[q.length - 1][1] : 0;
  }
  function inPianta(m) {
    const p = D.percorso;
    if (p.length === 0) return null;
    let lo = 0, hi = p.length - 1;
    while (lo < hi) { const mid = (lo + hi + 1) >> 1; if (p[mid][0] <= m) lo = mid; else hi = mid - 1; }
    if (lo + 1 >= p.length) return [p[lo][1], p[lo][2]];
    const a = p[lo], b = p[lo + 1], f = b[0] === a[0] ? 0 : (m - a[0]) / (b[0] - a[0]);
    return [a[1] + (b[1] - a[1]) * f, a[2] + (b[2] - a[2]) * f];
  }
  function dove(m) {
    let prima = null, dopo = null;
    for (const s of D.stazioni) { if (s[0] <= m) prima = s; else if (dopo === null) dopo = s; }
    // At a station, its scheduled time where the description gives one.
    const a = (s) => "a " + s[1] + (s[3] > 0 ? " (orario " + ora(s[3]) + ":" + String(s[3] % 60).padStart(2, "0") + ")" : "");
    if (prima && Math.abs(prima[0] - m) < 300) return a(prima);
    if (dopo && Math.abs(dopo[0] - m) < 300) return a(dopo);
    if (prima && dopo) return "tra " + prima[1] + " e " + dopo[1];
    if (prima) return "dopo " + prima[1];
    if (dopo) return "prima di " + dopo[1];
    return "";
  }

  function crea(nome, attributi, padre) {
    const e = document.createElementNS(NS, nome);
    for (const k in attributi) e.setAttribute(k, attributi[k]);
    padre.appendChild(e);
    return e;
  }
  const cursore = crea("line", { y1: D.yNomi - 4, y2: D.yAsse, stroke: "#2b3038", "stroke-width": "0.8", "stroke-dasharray": "3 2", visibility: "hidden", "pointer-events": "none" }, svg);
  const marca = crea("circle", { r: "6", fill: "none", stroke: "#d9822b", "stroke-width": "2.5", visibility: "hidden", "pointer-events": "none" }, pianta || svg);

  function puntoSvg(ev) {
    const p = svg.createSVGPoint();
    p.x = ev.clientX; p.y = ev.clientY;
    return p.matrixTransform(svg.getScreenCTM().inverse());
  }

  // The readout and the marks of metre m, at x in the picture.
  function mostra(m, x) {
    cursore.setAttribute("x1", x); cursore.setAttribute("x2", x);
    cursore.setAttribute("visibility", "visible");
    const q = inPianta(m);
    if (q) { marca.setAttribute("cx", q[0]); marca.setAttribute("cy", q[1]); marca.setAttribute("visibility", "visible"); }
    const g = valore(D.pendenza, m), v = valore(D.velocita, m), a = valore(D.aderenza, m), mo = valore(D.montagna, m);
    let rallentamento = "";
    for (const r of D.rallentamenti) if (m >= r[0] && m <= r[1]) rallentamento = " · rallentamento " + r[2] + " km/h";
    const h = Math.round(quota(m));
    const c = valore(D.curvatura, m);
    const curva = c ? " · curva a " + (c > 0 ? "destra" : "sinistra") + " R " + Math.round(1e5 / Math.abs(c)) + " m" : "";
    lettura.textContent = "km " + km(m, 3) + " · pendenza " + (g > 0 ? "+" : "") + g + " ‰ · velocità " + v +
      " km/h · aderenza " + a + (mo ? " · montagna " + mo : "") + curva + rallentamento + " · quota " + (h > 0 ? "+" : "") + h + " m" + (D.stazioni.length ? " · " + dove(m) : "");
  }

  function leggi(ev) {
    const p = puntoSvg(ev);
    if (p.x < X0 || p.x > X0 + W || p.y < D.yNomi - 120 || p.y > D.yAsse + 30) {
      cursore.setAttribute("visibility", "hidden"); marca.setAttribute("visibility", "hidden");
      return;
    }
    mostra(Math.round(Math.min(L, Math.max(0, mDiPx(p.x)))), p.x);
  }

  let trascina = null;
  svg.addEventListener("pointerdown", (ev) => {
    const p = puntoSvg(ev);
    if (p.y < D.yNomi - 120 || p.x < X0 || p.x > X0 + W) return;
    trascina = { x: p.x, t };
    svg.classList.add("trascina");
    svg.setPointerCapture(ev.pointerId);
  });
  svg.addEventListener("pointermove", (ev) => {
    if (trascina) { t = trascina.t + (puntoSvg(ev).x - trascina.x); applica(); }
    leggi(ev);
  });
  const fine = () => { trascina = null; svg.classList.remove("trascina"); };
  svg.addEventListener("pointerup", fine);
  svg.addEventListener("pointercancel", fine);
  svg.addEventListener("pointerleave", () => { cursore.setAttribute("visibility", "hidden"); marca.setAttribute("visibility", "hidden"); });
  svg.addEventListener("wheel", (ev) => {
    const p = puntoSvg(ev);
    if (p.y < D.yNomi - 120 || p.x < X0 || p.x > X0 + W) return;
    ev.preventDefault();
    zoom(Math.pow(1.0015, -ev.deltaY), p.x);
  }, { passive: false });
  svg.addEventListener("dblclick", () => { z = 1; t = 0; applica(); });
  document.getElementById("piu").addEventListener("click", () => zoom(2, X0 + W / 2));
  document.getElementById("meno").addEventListener("click", () => zoom(0.5, X0 + W / 2));
  document.getElementById("tutto").addEventListener("click", () => { z = 1; t = 0; applica(); });

  // A view given in the address: #km=100-150, and a point to read at:
  // #punto=291.9 (km).
  const richiesta = /km=([\d.,]+)-([\d.,]+)/.exec(decodeURIComponent(location.hash));
  if (richiesta) {
    const da = Number(richiesta[1].replace(",", ".")) * 1000, a = Number(richiesta[2].replace(",", ".")) * 1000;
    if (a > da) {
      z = Math.min(zoomMassimo, Math.max(1, L / (a - da)));
      t = -(W * da / L) * z;
    }
  }
  const vista = { z, t };
  applica();
  // Zoom in and out once, as a check that every piece moves, then back to
  // the whole line.
  zoom(4, X0 + W / 2);
  z = vista.z; t = vista.t;
  applica();
  const punto = /punto=([\d.,]+)/.exec(decodeURIComponent(location.hash));
  if (punto) {
    const m = Math.round(Math.min(L, Math.max(0, Number(punto[1].replace(",", ".")) * 1000)));
    mostra(m, pxDiM(m));
  }
  document.body.dataset.pronto = "si";
})();
)js";

}  // namespace scen
