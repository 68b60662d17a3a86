#!/usr/bin/env python3
"""Looks at the page of `scenario guarda` on two screens, 1366x768 and
1600x1000, in a headless Chromium driven through its remote debugging
protocol (tools/prova_guarda.py's client), as a person opens it:

- the page as served holds the drawing, its scheduled times and the problems,
  and shows them with JavaScript disabled too;
- the profile's box lies within the first screen, without scrolling;
- the header's count is that of the list, and "letto alle" says the time of
  the program's reading, the one its state gives;
- the scheduled times are points on the timetable's band, which spans the
  stretch of the day of a zoomed view, and a station read out says its own;
- a file deleted: the count and the list agree, and the list says why.

Screenshots of each screen, with and without scripts, stay in OUTDIR to be
looked at. Without chromium it is skipped (exit 77).

    tools/prova_guarda_schermi.py SCENARIO OUTDIR
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import prova_guarda  # noqa: E402

SCHERMI = [(1366, 768), (1600, 1000)]
# The stations of the carried train with a scheduled time.
ORARI = 8


def fallita(messaggio):
    print("prova_guarda_schermi: " + messaggio, file=sys.stderr)
    sys.exit(1)


prova_guarda.fallita = fallita


def leggi(indirizzo):
    with urllib.request.urlopen(indirizzo, timeout=10) as r:
        return r.read().decode("utf-8")


def conteggio(errori, avvisi):
    return (f"{errori} {'errore' if errori == 1 else 'errori'}, "
            f"{avvisi} {'avviso' if avvisi == 1 else 'avvisi'}")


def controlla_servita(html, stato, cosa):
    """The page as served, before any script: the drawing, its times, the
    problems, the counts of the list and the program's time."""
    if 'id="disegno-profilo"' not in html or 'id="disegno-pianta"' not in html:
        fallita(f"{cosa}: la pagina servita non ha il disegno")
    if len(re.findall(r'<circle class="orario"', html)) != ORARI:
        fallita(f"{cosa}: la pagina servita non ha i {ORARI} orari della descrizione")
    voci = re.findall(r'<li class="(errore|avviso)', html)
    atteso = conteggio(voci.count("errore"), voci.count("avviso"))
    m = re.search(r'<span id="conteggio">([^<]*)</span>', html)
    if not m or m.group(1) != atteso:
        fallita(f"{cosa}: il conteggio servito è {m and m.group(1)!r}, l'elenco dice {atteso!r}")
    m = re.search(r'<span id="ora">letto alle (\d\d:\d\d:\d\d) in', html)
    if not m or m.group(1) != stato["ora"]:
        fallita(f"{cosa}: la pagina servita dice {m and m.group(1)!r}, la lettura "
                f"{stato['ora']!r}")


def scatola(p, selettore):
    """The box of the element on the page (x, y, width, height), through the
    DOM domain: no script of the page's needed."""
    try:
        radice = p.chiedi("DOM.getDocument", depth=0)["root"]["nodeId"]
        nodo = p.chiedi("DOM.querySelector", nodeId=radice, selector=selettore)["nodeId"]
        if not nodo:
            return None
        q = p.chiedi("DOM.getBoxModel", nodeId=nodo)["model"]["border"]
    except RuntimeError:
        # The document changed meanwhile (a page still loading).
        return None
    xs, ys = q[0::2], q[1::2]
    return min(xs), min(ys), max(xs) - min(xs), max(ys) - min(ys)


def nel_primo_schermo(p, larghezza, altezza, cosa):
    b = scatola(p, "#disegno-profilo")
    if b is None:
        fallita(f"{cosa}: nessun profilo")
    x, y, w, h = b
    if w < 0.5 * larghezza or h < 300 or y < 0 or y + h > altezza + 0.5 or x < 0 or x + w > larghezza:
        fallita(f"{cosa}: il profilo sta in {b}, fuori dal primo schermo {larghezza}x{altezza}")
    return b


def main():
    if len(sys.argv) != 3:
        fallita("uso: prova_guarda_schermi.py SCENARIO OUTDIR")
    scenario = os.path.realpath(sys.argv[1])
    uscita = sys.argv[2]
    if not shutil.which("chromium"):
        print("prova_guarda_schermi: chromium non c'è: prova saltata (tools/prerequisiti.sh "
              "--prove lo installa)")
        sys.exit(77)
    shutil.rmtree(uscita, ignore_errors=True)
    os.makedirs(uscita)
    uscita = os.path.realpath(uscita)
    cartella = os.path.join(uscita, "descrizioni")
    os.makedirs(cartella)
    subprocess.run([scenario, "descrivi", cartella, "--utf8"], check=True, stdout=subprocess.DEVNULL)
    linea = "Vela_Nuro_linea.txt"
    treno = "Vela_Nuro_IC 731-.txt"
    with open(os.path.join(cartella, treno), encoding="utf-8", newline="") as f:
        treno_buono = f.read()

    guarda = subprocess.Popen([scenario, "guarda", linea, treno, "--utf8"], cwd=cartella,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    browser = None
    try:
        indirizzo = guarda.stdout.readline().strip()
        if not re.fullmatch(r"http://127\.0\.0\.1:\d+/", indirizzo):
            fallita(f"scenario guarda non dice il suo indirizzo: {indirizzo!r}")
        stato = json.loads(leggi(indirizzo + "stato"))
        controlla_servita(leggi(indirizzo), stato, "servita")

        browser = prova_guarda_browser(uscita)
        p = browser.pagina
        for dominio in ("Runtime", "Log", "Page", "DOM"):
            p.chiedi(dominio + ".enable")
        for larghezza, altezza in SCHERMI:
            schermo = f"{larghezza}x{altezza}"
            p.chiedi("Emulation.setDeviceMetricsOverride", width=larghezza, height=altezza,
                     deviceScaleFactor=1, mobile=False)

            # Without scripts: the page as served, laid out.
            p.chiedi("Emulation.setScriptExecutionDisabled", value=True)
            p.chiedi("Page.navigate", url=indirizzo)
            inizio = time.monotonic()
            while scatola(p, "#disegno-profilo") is None:
                if time.monotonic() - inizio > 20:
                    fallita(f"{schermo} senza script: nessun disegno")
                time.sleep(0.1)
            time.sleep(0.3)
            b = nel_primo_schermo(p, larghezza, altezza, f"{schermo} senza script")
            if scatola(p, "#orari-descrizione circle") is None:
                fallita(f"{schermo} senza script: nessun orario della descrizione")
            p.fotografa(os.path.join(uscita, f"senza_script_{schermo}.png"))
            print(f"prova_guarda_schermi: {schermo} senza script: il profilo sta in "
                  f"{tuple(round(v) for v in b)}")

            # With scripts: following the state.
            p.chiedi("Emulation.setScriptExecutionDisabled", value=False)
            p.eventi.clear()
            p.chiedi("Page.navigate", url=indirizzo)
            p.attendi("document.body.dataset.pronto === 'si' && document.body.dataset.collegato "
                      "=== 'si'", 30, f"il disegno ({schermo})")
            nel_primo_schermo(p, larghezza, altezza, schermo)
            letto = json.loads(p.valuta("""JSON.stringify({
              conteggio: document.getElementById('conteggio').textContent,
              ora: document.getElementById('ora').textContent,
              errori: document.querySelectorAll('#problemi li.errore').length,
              avvisi: document.querySelectorAll('#problemi li.avviso').length,
              punti: Array.from(document.querySelectorAll('#orari-descrizione circle'))
                .filter((c) => getComputedStyle(c).display !== 'none').length})"""))
            stato = json.loads(leggi(indirizzo + "stato"))
            if letto["conteggio"] != conteggio(letto["errori"], letto["avvisi"]):
                fallita(f"{schermo}: il conteggio {letto['conteggio']!r} non è quello dell'elenco")
            if not letto["ora"].startswith(f"letto alle {stato['ora']} in "):
                fallita(f"{schermo}: {letto['ora']!r}, ma la lettura è delle {stato['ora']}")
            if letto["punti"] != ORARI:
                fallita(f"{schermo}: {letto['punti']} orari della descrizione invece di {ORARI}")
            p.fotografa(os.path.join(uscita, f"intera_{schermo}.png"))

            # Zoomed in by 8 around the middle: the timetable's band spans the
            # stretch of the day of the view, its lines written for it, and
            # every point shown lies within it.
            griglia = p.valuta("document.getElementById('griglia-orario').textContent")
            p.valuta("for (let i = 0; i < 3; i++) document.getElementById('piu').click(); true")
            banda = json.loads(p.valuta("""JSON.stringify((() => {
              const D = JSON.parse(document.getElementById('dati-scenario').textContent);
              const punti = Array.from(document.querySelectorAll('#orari-descrizione circle'))
                .filter((c) => c.style.display !== 'none').map((c) => Number(c.getAttribute('cy')));
              return {y0: D.orario.y0, y1: D.orario.y1, punti,
                      griglia: document.getElementById('griglia-orario').textContent,
                      trasformata: document.getElementById('serie-orario').getAttribute('transform')};
            })())"""))
            if banda["griglia"] == griglia or not re.search(r"scale\(8 [\d.]+\)", banda["trasformata"]):
                fallita(f"{schermo}: l'orario non segue l'ingrandimento: {banda}")
            fattore = float(re.search(r"scale\(8 ([\d.]+)\)", banda["trasformata"]).group(1))
            if fattore < 3:
                fallita(f"{schermo}: ingrandito 8 volte, l'orario solo {fattore}: {banda}")
            for y in banda["punti"]:
                if not banda["y0"] - 0.5 <= y <= banda["y1"] + 0.5:
                    fallita(f"{schermo}: un orario fuori dalla sua banda: {banda}")
            p.fotografa(os.path.join(uscita, f"ingrandita_{schermo}.png"))

        # A station read out: its scheduled time with it.
        p.chiedi("Page.navigate", url="about:blank")
        p.attendi("location.href === 'about:blank'", 10, "la pagina vuota")
        p.chiedi("Page.navigate", url=indirizzo + "#km=90-110&punto=99.850")
        p.attendi("document.body.dataset.pronto === 'si' && document.getElementById('lettura')"
                  ".textContent.includes('a Valdimora (orario 14:00:30)')", 20,
                  "l'orario di Valdimora nella lettura")

        # The train's file deleted: the count is that of the list, which
        # says why; served as such too.
        os.remove(os.path.join(cartella, treno))
        p.attendi("document.getElementById('conteggio').textContent === '1 errore, 0 avvisi' && "
                  "document.querySelectorAll('#problemi li').length === 1 && "
                  "document.querySelector('#problemi li.errore').textContent.includes("
                  "'il file non si legge')", 10, "il file cancellato nell'elenco")
        p.fotografa(os.path.join(uscita, "cancellato.png"))
        stato = json.loads(leggi(indirizzo + "stato"))
        controlla_servita_cancellato = leggi(indirizzo)
        if len(re.findall(r"<li ", controlla_servita_cancellato)) != 1 or \
                '<span id="conteggio">1 errore, 0 avvisi</span>' not in controlla_servita_cancellato:
            fallita("il file cancellato: la pagina servita non ha un errore nell'elenco")
        with open(os.path.join(cartella, treno), "w", encoding="utf-8", newline="") as f:
            f.write(treno_buono)
        p.attendi("document.getElementById('conteggio').textContent === '0 errori, 1 avviso'", 10,
                  "il file di nuovo al suo posto")

        parole = p.console()
        if parole:
            fallita("la pagina scrive sulla console: " + json.dumps(parole)[:2000])
    finally:
        if browser is not None:
            browser.chiudi()
        if guarda.poll() is None:
            guarda.send_signal(signal.SIGINT)
        try:
            guarda.wait(10)
        except subprocess.TimeoutExpired:
            guarda.kill()
    print(f"prova_guarda_schermi: su {', '.join(f'{a}x{b}' for a, b in SCHERMI)} il profilo sta "
          f"nel primo schermo, con e senza script; immagini in {uscita}")


class prova_guarda_browser:
    """A headless Chromium with its first page."""

    def __init__(self, uscita):
        self.profilo = tempfile.mkdtemp(prefix="profilo.", dir=uscita)
        self.processo = subprocess.Popen(
            [shutil.which("chromium"), "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-quic", "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--disable-default-apps",
             "--disable-extensions", "--no-default-browser-check", "--hide-scrollbars",
             "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
             f"--user-data-dir={self.profilo}", "--remote-debugging-port=0",
             "--window-size=1600,1000", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        inizio = time.monotonic()
        porta = None
        while porta is None:
            riga = self.processo.stderr.readline()
            if not riga or time.monotonic() - inizio > 60:
                fallita("chromium non apre la sua porta di debug")
            m = re.search(r"DevTools listening on ws://127\.0\.0\.1:(\d+)/", riga)
            if m:
                porta = int(m.group(1))
        with urllib.request.urlopen(f"http://127.0.0.1:{porta}/json/list", timeout=10) as r:
            schede = [s for s in json.load(r) if s["type"] == "page"]
        self.pagina = prova_guarda.Pagina(schede[0]["webSocketDebuggerUrl"])

    def chiudi(self):
        self.processo.terminate()
        try:
            self.processo.wait(20)
        except subprocess.TimeoutExpired:
            self.processo.kill()
            self.processo.wait()
        shutil.rmtree(self.profilo, ignore_errors=True)


if __name__ == "__main__":
    main()
