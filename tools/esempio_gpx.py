#!/usr/bin/env python3
"""Writes doc/esempio/valle.gpx, the example track of the README.

An invented mountain line up an Apennine valley: straights and circular arcs
of the radii such a line has (340 m to 1,000 m), a profile of gradients up
to 22 per mille, a point every 20 m with its height, a little GPS noise
(fixed seed, so the file is always the same) and a named waypoint at each
station. The plan is laid in a local metric plane (X east, Y north) and
turned into degrees with a plain local approximation, which is all example
data needs.

    tools/esempio_gpx.py [FILE]
"""

import math
import random
import sys

# Where the line starts, and the radius of the Earth used for the conversion.
LATITUDINE_0 = 44.2172
LONGITUDINE_0 = 10.5318
RAGGIO_TERRA = 6371000.0
DIREZIONE_0 = 20.0  # degrees east of north

PASSO = 20.0  # metres between track points
RUMORE_PIANO = 1.5  # metres, standard deviation across and along
RUMORE_QUOTA = 0.3  # metres
SEME = 7

# The plan: ("retta", length) or ("arco", radius, degrees, "s" left / "d" right).
PIANTA = [
    ("retta", 900),
    ("arco", 500, 25, "s"),
    ("retta", 700),
    ("arco", 400, 40, "d"),
    ("retta", 450),
    ("arco", 350, 60, "s"),
    ("retta", 600),
    ("arco", 1000, 15, "d"),
    ("retta", 1600),
    ("arco", 450, 70, "d"),
    ("retta", 400),
    ("arco", 350, 165, "s"),
    ("retta", 650),
    ("arco", 600, 45, "d"),
    ("retta", 900),
    ("arco", 400, 35, "s"),
    ("retta", 500),
    ("arco", 340, 80, "d"),
    ("retta", 1500),
    ("arco", 800, 30, "s"),
    ("retta", 700),
    ("arco", 380, 55, "d"),
    ("retta", 450),
    ("arco", 500, 50, "s"),
    ("retta", 600),
    ("arco", 700, 25, "d"),
    ("retta", 900),
    ("arco", 450, 60, "s"),
    ("retta", 800),
    ("arco", 360, 90, "d"),
    ("retta", 1500),
]

QUOTA_0 = 412.0
# The profile: (length, per mille); the last one runs to the end.
PROFILO = [
    (600, 0),
    (2400, 16),
    (1500, 21),
    (1700, 12),
    (700, 2),
    (2600, 22),
    (2000, 18),
    (1200, 9),
    (700, 0),
    (2200, 20),
    (1200, -6),
    (10**9, 1),
]

# The stations: name and distance along the line (m).
STAZIONI = [
    ("Valdorsa", 250),
    ("Pieve di Fonte", 6550),
    ("Sassomarro", 15050),
]
# The last station stands this far before the end.
ULTIMA = ("Colle Rupina", 350)


def pianta_campionata(passo):
    """Points (x, y) of the plan every `passo` metres and the total length."""
    x, y = 0.0, 0.0
    direzione = math.radians(DIREZIONE_0)  # from north, clockwise
    punti = [(0.0, x, y)]
    percorso = 0.0
    prossimo = passo
    for tratto in PIANTA:
        if tratto[0] == "retta":
            lunghezza, curvatura = float(tratto[1]), 0.0
        else:
            _, raggio, gradi, lato = tratto
            lunghezza = raggio * math.radians(gradi)
            curvatura = (1.0 if lato == "d" else -1.0) / raggio
        # Walk the stretch in small steps, keeping a point at every `passo`.
        fatto = 0.0
        while fatto < lunghezza:
            ds = min(0.5, lunghezza - fatto)
            meta = direzione + curvatura * ds / 2
            x += ds * math.sin(meta)
            y += ds * math.cos(meta)
            direzione += curvatura * ds
            fatto += ds
            percorso += ds
            if percorso >= prossimo - 1e-9:
                punti.append((percorso, x, y))
                prossimo += passo
    if punti[-1][0] < percorso - 1e-6:
        punti.append((percorso, x, y))
    return punti, percorso


def quota(s):
    h = QUOTA_0
    for lunghezza, pendenza in PROFILO:
        tratto = min(lunghezza, s)
        h += tratto * pendenza / 1000.0
        s -= tratto
        if s <= 0:
            break
    return h


def in_gradi(x, y):
    lat = LATITUDINE_0 + math.degrees(y / RAGGIO_TERRA)
    lon = LONGITUDINE_0 + math.degrees(x / (RAGGIO_TERRA * math.cos(math.radians(LATITUDINE_0))))
    return lat, lon


def punto_a(punti, s):
    """The plan's point nearest to distance `s` among the sampled ones."""
    return min(punti, key=lambda p: abs(p[0] - s))


def main():
    uscita = sys.argv[1] if len(sys.argv) > 1 else "doc/esempio/valle.gpx"
    caso = random.Random(SEME)
    punti, totale = pianta_campionata(PASSO)
    punti_fini = pianta_campionata(1.0)[0]
    stazioni = STAZIONI + [(ULTIMA[0], totale - ULTIMA[1])]

    righe = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<gpx version="1.1" creator="esempio_gpx.py" xmlns="http://www.topografix.com/GPX/1/1">',
        "  <metadata><name>Linea della valle (esempio)</name></metadata>",
    ]
    for nome, s in stazioni:
        _, x, y = punto_a(punti_fini, s)
        lat, lon = in_gradi(x, y)
        righe.append(f'  <wpt lat="{lat:.7f}" lon="{lon:.7f}"><ele>{quota(s):.1f}</ele>'
                     f"<name>{nome}</name></wpt>")
    righe.append("  <trk><name>Valdorsa - Colle Rupina</name><trkseg>")
    for s, x, y in punti:
        lat, lon = in_gradi(x + caso.gauss(0, RUMORE_PIANO), y + caso.gauss(0, RUMORE_PIANO))
        h = quota(s) + caso.gauss(0, RUMORE_QUOTA)
        righe.append(f'    <trkpt lat="{lat:.7f}" lon="{lon:.7f}"><ele>{h:.1f}</ele></trkpt>')
    righe.append("  </trkseg></trk>")
    righe.append("</gpx>")
    with open(uscita, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(righe) + "\n")
    print(f"{uscita}: {len(punti)} punti, {totale:.0f} m, da {quota(0):.0f} m a {quota(totale):.0f} m")


if __name__ == "__main__":
    main()
