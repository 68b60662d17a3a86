#!/usr/bin/env python3
"""Makes a corpus of description pairs for comparing what two builds print
and write: the small test pair and the carried pair, each whole and with
seeded mutations (lines dropped, doubled or swapped, numbers and keywords
changed, blanks and tabs, commas, line ends, cuts). Deterministic for a seed.

  genera.py SMALL_HEADER CARRIED_DIR OUT_DIR [N_SMALL] [N_CARRIED] [SEED]
"""
import os
import random
import re
import sys


def pair_from_header(path):
    text = open(path, encoding="utf-8").read()
    out = {}
    for name in ("linea_prova", "treno_prova"):
        block = re.search(name + r" = righe\(\{(.*?)\}\);", text, re.S).group(1)
        lines = re.findall(r'"((?:[^"\\]|\\.)*)"', block)
        out[name] = "".join(l + "\r\n" for l in lines).encode("cp1252")
    return out["linea_prova"], out["treno_prova"]


NUMS = [b"-1", b"0", b"99999999999", b"12.000", b"12 000", b"1\t2", b"", b"+5",
        b"2147483648", b"-2147483649", b"1000000", b"50", b"75", b"1250", b"7000",
        b"255", b"256", b"24", b"60", b"1,5", b"abc", b"  7", b"\t7", b"100000"]
WORDS = [b"pendenza", b"curvas1", b"curvad6", b"Curva", b"montagna", b"indicatori_vmax",
         b"cartello_indicatore", b"velocita", b"aderenza", b"stazione", b"segnale",
         b"rallentamento", b"abbattimento", b"orologio", b"sabbia", b"numero vetture",
         b"percentuale massa frenata", b"lunghezza percorso", b"LUNGHEZZA percorso",
         b"progressiva chilometrica due", b"sfondo tre", b"ripetizione segnali 4 codici",
         b"pendenze", b"stazzione", b"#pendenza", b"-", b"[generale]", b"[curve]",
         b"velocita vecchia", b"curva", b"curvas14", b"-- pendenza", b";rallentamento"]


def split_lines(data):
    return data.split(b"\r\n")


def mutate(data, rnd):
    lines = split_lines(data)
    k = rnd.randrange(16)
    i = rnd.randrange(len(lines))
    if k == 0:
        del lines[i]
    elif k == 1:
        lines.insert(i, lines[i])
    elif k == 2:
        j = rnd.randrange(len(lines))
        lines[i], lines[j] = lines[j], lines[i]
    elif k in (3, 4, 5):
        fields = lines[i].split(b",")
        f = rnd.randrange(len(fields))
        if f == 0 and len(fields) > 1:
            f = 1
        fields[f] = b"  " + rnd.choice(NUMS)
        lines[i] = b",".join(fields)
    elif k == 6:
        fields = lines[i].split(b",")
        fields[0] = rnd.choice(WORDS)
        lines[i] = b",".join(fields)
    elif k == 7:
        fields = lines[i].split(b",")
        f = rnd.randrange(len(fields))
        fields[f] = b"\t" + fields[f]
        lines[i] = b",".join(fields)
    elif k == 8:
        pos = lines[i].find(b",")
        if pos >= 0:
            lines[i] = lines[i][:pos] + lines[i][pos + 1:]
    elif k == 9:
        lines[i] = lines[i] + b", 7"
    elif k == 10:
        lines[i] = lines[i].upper()
    elif k == 11:
        lines.insert(i, rnd.choice(WORDS) + b", " + rnd.choice(NUMS) + b", " + rnd.choice(NUMS))
    elif k == 12:
        lines[i] = rnd.choice([b"#", b"-", b"//", b";", b"'", b"- "]) + lines[i]
    elif k == 13:
        fields = lines[i].split(b",")
        if len(fields) > 1:
            del fields[rnd.randrange(1, len(fields))]
        lines[i] = b",".join(fields)
    elif k == 14:
        lines[i] = lines[i] + rnd.choice([b" Citt\xe0", b"\xc3\xa0", b"\x01", b"   ", b",", b" \t"])
    else:
        fields = lines[i].split(b",")
        if len(fields) > 1:
            f = rnd.randrange(1, len(fields))
            try:
                v = int(fields[f].strip())
                fields[f] = b"  " + str(v + rnd.choice([-50, -1, 1, 25, 50, 100, 1200, -1200])).encode()
            except ValueError:
                fields[f] = fields[f] + b"x"
        lines[i] = b",".join(fields)
    data = b"\r\n".join(lines)
    return data


def finish(data, rnd):
    r = rnd.randrange(40)
    if r == 0:
        data = data.replace(b"\r\n", b"\n")
    elif r == 1:
        data = data.replace(b"\r\n", b"\r")
    elif r == 2:
        data = data[: rnd.randrange(len(data) + 1)]
    elif r == 3:
        data = b""
    elif r == 4:
        data = b"\xef\xbb\xbf" + data
    return data


def main():
    header, carried, out = sys.argv[1:4]
    n_small = int(sys.argv[4]) if len(sys.argv) > 4 else 400
    n_carried = int(sys.argv[5]) if len(sys.argv) > 5 else 40
    seed = int(sys.argv[6]) if len(sys.argv) > 6 else 1
    rnd = random.Random(seed)
    small = pair_from_header(header)
    big = (open(os.path.join(carried, "Vela_Nuro_linea.txt"), "rb").read(),
           open(os.path.join(carried, "Vela_Nuro_IC 731-.txt"), "rb").read())
    os.makedirs(out, exist_ok=True)

    def write(name, pair):
        d = os.path.join(out, name)
        os.makedirs(d, exist_ok=True)
        open(os.path.join(d, "linea.txt"), "wb").write(pair[0])
        open(os.path.join(d, "treno.txt"), "wb").write(pair[1])

    write("p0000", small)
    write("c0000", big)
    write("s0000", (small[1], small[0]))  # swapped
    write("d0000", (small[0], small[0]))  # line twice
    for n in range(1, n_small + 1):
        pair = list(small)
        for _ in range(rnd.randint(1, 3)):
            w = rnd.randrange(2)
            pair[w] = mutate(pair[w], rnd)
        w = rnd.randrange(2)
        pair[w] = finish(pair[w], rnd)
        write("p%04d" % n, pair)
    for n in range(1, n_carried + 1):
        pair = list(big)
        for _ in range(rnd.randint(1, 4)):
            w = rnd.randrange(2)
            pair[w] = mutate(pair[w], rnd)
        write("c%04d" % n, pair)


main()
