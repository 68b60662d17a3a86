#!/usr/bin/env python3
"""Writes doc/esempio/valle.osm and doc/esempio/valle_quote.asc, the example
OpenStreetMap extract of the README and its elevation tile.

The line is the one of tools/esempio_gpx.py (19.6 km up an invented Apennine
valley), mapped as OpenStreetMap maps a railway: nodes every 25 m with a
metre of mapping noise, ways cut where the speed limit changes, at a tunnel
and a bridge and here and there, some of them drawn the other way, listed
in no order; a route relation; the stations beside the track; signals on
it, a few facing the other way; kilometre posts counting from km 12.4 with
a jump of 350 m; a siding beside Pieve di Fonte and a branch at Sassomarro
with a station of its own. The tile is an ESRI ASCII grid of 3 arc-seconds
(a text form that GDAL reads, as it reads SRTM .hgt and GeoTIFF): the
rail's height, a hill over the tunnel, a valley under the bridge, and a
metre of noise in whole metres. The seed is fixed: the files are always the
same.

    tools/esempio_osm.py [CARTELLA]
"""

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import esempio_gpx as valle  # noqa: E402

SEME = 11
PASSO = 25.0
RUMORE_PIANO = 1.0
RUMORE_QUOTA = 1.0
PIXEL = 3.0 / 3600  # degrees

# Speed limits along the line: (from metre, km/h).
LIMITI = [(0, 80), (1200, 100), (6300, 85), (9000, 70), (15600, 90)]
GALLERIA = (5200, 6150, "Galleria del Monte Orsaro")
PONTE = (10050, 10300, "Ponte sul Rio Freddo")
# The kilometre count: km 12.4 at the start, and a jump of 350 m at 8,000 m.
SALTO = (8000, 350)
# Signals: (metre, facing the line's direction).
SEGNALI = [(1225, True), (1700, True), (5500, True), (6000, False), (7400, True),
           (11200, True), (13900, True), (15625, True), (16100, False), (18400, True)]


def conta(s):
    return 12400 + s + (SALTO[1] if s >= SALTO[0] else 0)


def limite(s):
    return [v for da, v in LIMITI if s >= da][-1]


def main():
    cartella = sys.argv[1] if len(sys.argv) > 1 else "doc/esempio"
    caso = random.Random(SEME)
    fini, totale = valle.pianta_campionata(1.0)
    stazioni = valle.STAZIONI + [(valle.ULTIMA[0], totale - valle.ULTIMA[1])]

    def xy(s):
        return fini[min(len(fini) - 1, int(round(s)))][1:]

    def direzione(s):
        (x0, y0), (x1, y1) = xy(max(0, s - 5)), xy(min(totale, s + 5))
        return math.atan2(x1 - x0, y1 - y0)

    def accanto(s, d):
        x, y = xy(s)
        a = direzione(s)
        return x + d * math.cos(a), y - d * math.sin(a)

    # The line's nodes, every 25 m and at each place where a way must end or
    # a signal stands.
    fissi = {0.0, totale} | {float(da) for da, _ in LIMITI} | {float(s) for s, _ in SEGNALI}
    fissi |= {float(GALLERIA[0]), float(GALLERIA[1]), float(PONTE[0]), float(PONTE[1])}
    posti = sorted(set(s * PASSO for s in range(int(totale // PASSO) + 1)) | fissi)
    nodi = []  # (id, s, lat, lon)
    for i, s in enumerate(posti):
        x, y = xy(s)
        lat, lon = valle.in_gradi(x + caso.gauss(0, RUMORE_PIANO), y + caso.gauss(0, RUMORE_PIANO))
        nodi.append((100000 + i, s, lat, lon))
    id_di = {s: n for n, s, _, _ in nodi}

    # Where the ways end: the fixed places, and some more at random.
    tagli = {0.0, totale} | {float(da) for da, _ in LIMITI}
    tagli |= {float(GALLERIA[0]), float(GALLERIA[1]), float(PONTE[0]), float(PONTE[1])}
    tagli = sorted(tagli | {posti[caso.randrange(len(posti))] for _ in range(6)})
    vie = []
    for k in range(len(tagli) - 1):
        da, a = tagli[k], tagli[k + 1]
        if a - da < 1:
            continue
        ids = [id_di[s] for s in posti if da <= s <= a]
        tag = {"railway": "rail", "usage": "main", "gauge": "1435", "electrified": "contact_line"}
        rovescia = caso.random() < 0.3
        v = limite(da)
        if k % 5 == 3:
            tag["maxspeed:backward" if rovescia else "maxspeed:forward"] = str(v)
            tag["maxspeed:forward" if rovescia else "maxspeed:backward"] = "60"
        else:
            tag["maxspeed"] = str(v)
        if (da, a) == (GALLERIA[0], GALLERIA[1]):
            tag.update({"tunnel": "yes", "layer": "-1", "name": GALLERIA[2]})
        if (da, a) == (PONTE[0], PONTE[1]):
            tag.update({"bridge": "yes", "layer": "1", "bridge:name": PONTE[2]})
        if rovescia:
            ids.reverse()
        vie.append((200000 + k, ids, tag, rovescia))
    caso.shuffle(vie)

    altri = []  # (id, lat, lon, tags)
    prossimo = [300000]

    def nodo(x, y, tag=None):
        prossimo[0] += 1
        lat, lon = valle.in_gradi(x, y)
        altri.append((prossimo[0], lat, lon, tag or {}))
        return prossimo[0]

    for i, (nome, s) in enumerate(stazioni):
        x, y = accanto(s, 30 if i % 2 else -35)
        nodo(x, y, {"railway": "station" if i % 3 else "halt", "public_transport": "station",
                    "name": nome})
    # Kilometre posts, 3 m beside the track, at each whole kilometre of the count.
    s = 0.0
    while s <= totale:
        c = conta(s)
        if abs(c / 1000 - round(c / 1000)) < 1e-9:
            x, y = accanto(s, 3)
            km = f"{c / 1000:.1f}"
            nodo(x, y, {"railway": "milestone",
                        "railway:position": km.replace(".", ",") if int(s) % 3000 == 0 else km})
        s += 50.0
    sensi = {}
    for _, ids, _, rovescia in vie:
        for n in ids:
            sensi[n] = rovescia
    segnali = {}
    for s, nostro in SEGNALI:
        avanti = nostro != sensi[id_di[float(s)]]
        segnali[id_di[float(s)]] = "forward" if avanti else "backward"

    # A siding beside Pieve di Fonte, joined at both ends.
    pieve = dict(stazioni)["Pieve di Fonte"]
    binario = [id_di[pieve - 300]] + [nodo(*accanto(pieve + d, 5)) for d in range(-250, 275, 25)]
    binario.append(id_di[pieve + 300])
    vie.append((290001, binario, {"railway": "rail", "service": "siding"}, False))
    # A branch at Sassomarro, 3 km away to a quarry with its station.
    sasso = dict(stazioni)["Sassomarro"]
    x0, y0 = xy(sasso + 400)
    a = direzione(sasso + 400) + 0.6
    ramo = [id_di[sasso + 400]] + [nodo(x0 + d * math.sin(a), y0 + d * math.cos(a))
                                   for d in range(25, 3025, 25)]
    vie.append((290002, ramo, {"railway": "rail", "usage": "branch", "maxspeed": "40"}, False))
    nodo(x0 + 2000 * math.sin(a) + 30, y0 + 2000 * math.cos(a), {"railway": "station",
                                                                  "name": "Cava di Sassomarro"})

    righe = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<osm version="0.6" generator="esempio_osm.py">']
    for n, _, lat, lon in nodi:
        if n in segnali:
            righe.append(f'  <node id="{n}" version="1" lat="{lat:.7f}" lon="{lon:.7f}">'
                         '<tag k="railway" v="signal"/><tag k="railway:signal:direction" '
                         f'v="{segnali[n]}"/><tag k="railway:signal:main" v="IT-FS:1a"/></node>')
        else:
            righe.append(f'  <node id="{n}" version="1" lat="{lat:.7f}" lon="{lon:.7f}"/>')
    for n, lat, lon, tag in altri:
        dentro = "".join(f'<tag k="{k}" v="{v}"/>' for k, v in tag.items())
        righe.append(f'  <node id="{n}" version="1" lat="{lat:.7f}" lon="{lon:.7f}">{dentro}</node>'
                     if dentro else f'  <node id="{n}" version="1" lat="{lat:.7f}" lon="{lon:.7f}"/>')
    for w, ids, tag, _ in vie:
        righe.append(f'  <way id="{w}" version="1">')
        righe += [f'    <nd ref="{n}"/>' for n in ids]
        righe += [f'    <tag k="{k}" v="{v}"/>' for k, v in tag.items()]
        righe.append("  </way>")
    righe.append('  <relation id="400001" version="1">')
    for w, _, tag, _ in vie:
        if tag.get("usage") == "main":
            righe.append(f'    <member type="way" ref="{w}" role=""/>')
    for tag in [{"type": "route"}, {"route": "train"}, {"name": "Valdorsa - Colle Rupina"},
                {"from": stazioni[0][0]}, {"to": stazioni[-1][0]}]:
        righe += [f'    <tag k="{k}" v="{v}"/>' for k, v in tag.items()]
    righe.append("  </relation>")
    righe.append("</osm>")
    osm = os.path.join(cartella, "valle.osm")
    with open(osm, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(righe) + "\n")

    # The tile: the ground's height at the centre of each pixel.
    lats = [lat for _, _, lat, _ in nodi]
    lons = [lon for _, _, _, lon in nodi]
    sud = math.floor(min(lats) / PIXEL) * PIXEL - 40 * PIXEL
    ovest = math.floor(min(lons) / PIXEL) * PIXEL - 40 * PIXEL
    righe_n = int((max(lats) - sud) / PIXEL) + 41
    colonne = int((max(lons) - ovest) / PIXEL) + 41
    campioni = [(s, *xy(s)) for s in range(0, int(totale) + 1, 20)]
    secchi = {}
    for c in campioni:
        secchi.setdefault((int(c[1] // 500), int(c[2] // 500)), []).append(c)
    coslat = math.cos(math.radians(valle.LATITUDINE_0))

    def suolo(s, distanza):
        h = valle.quota(s)
        for da, a, segno, alto in ((GALLERIA[0], GALLERIA[1], 1, 60), (PONTE[0], PONTE[1], -1, 25)):
            if da < s < a:
                h += segno * alto * math.sin(math.pi * (s - da) / (a - da))
        return h + 0.04 * max(0.0, distanza - 20)

    valori = []
    for r in range(righe_n):
        lat = sud + (righe_n - 1 - r) * PIXEL
        riga = []
        for c in range(colonne):
            lon = ovest + c * PIXEL
            y = math.radians(lat - valle.LATITUDINE_0) * valle.RAGGIO_TERRA
            x = math.radians(lon - valle.LONGITUDINE_0) * valle.RAGGIO_TERRA * coslat
            migliore = None
            raggio = 0
            while migliore is None or raggio <= 2:
                for i in range(-raggio, raggio + 1):
                    for j in range(-raggio, raggio + 1):
                        for s, px, py in secchi.get((int(x // 500) + i, int(y // 500) + j), ()):
                            d = math.hypot(px - x, py - y)
                            if migliore is None or d < migliore[0]:
                                migliore = (d, s)
                raggio += 1
                if raggio > 60:
                    break
            riga.append(str(int(round(suolo(migliore[1], migliore[0]) + caso.gauss(0, RUMORE_QUOTA)))))
        valori.append(" ".join(riga))
    asc = os.path.join(cartella, "valle_quote.asc")
    with open(asc, "w", encoding="ascii", newline="\n") as f:
        f.write(f"ncols {colonne}\nnrows {righe_n}\n")
        f.write(f"xllcorner {ovest - PIXEL / 2:.9f}\nyllcorner {sud - PIXEL / 2:.9f}\n")
        f.write(f"cellsize {PIXEL:.12f}\nNODATA_value -9999\n")
        f.write("\n".join(valori) + "\n")
    print(f"{osm}: {len(nodi) + len(altri)} nodi, {len(vie)} vie; {asc}: {colonne} × {righe_n}")


if __name__ == "__main__":
    main()
