#!/usr/bin/env python3
"""Looks at the page of `scenario guarda` as an author would, in a headless
Chromium driven through its remote debugging protocol (on the loopback, with
the standard library only): the page opens with nothing on its console and
shows the drawing and the problems of the carried scenario; then the files
change as an editor saves them (a station renamed, a record broken, the record
mended) and the page must follow each change without being loaded again,
keeping its zoom, and a problem clicked must show its place. Screenshots
before, during and after stay in OUTDIR. Without chromium it is skipped
(exit 77).

    tools/prova_guarda.py SCENARIO OUTDIR
"""
import base64
import json
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request

# How long the page may take to show a save: the program reads within a
# second (scen_test holds it to that); here the browser shares two cores with
# the build, and the program may run under the sanitizers.
ATTESA_SALVATAGGIO = 5.0


def fallita(messaggio):
    print("prova_guarda: " + messaggio, file=sys.stderr)
    sys.exit(1)


class Presa:
    """A WebSocket client, enough for the debugging protocol: text frames."""

    def __init__(self, indirizzo):
        m = re.match(r"ws://([^/:]+):(\d+)(/.*)", indirizzo)
        self.s = socket.create_connection((m.group(1), int(m.group(2))), timeout=30)
        chiave = base64.b64encode(os.urandom(16)).decode()
        self.s.sendall(
            (f"GET {m.group(3)} HTTP/1.1\r\nHost: {m.group(1)}:{m.group(2)}\r\n"
             "Upgrade: websocket\r\nConnection: Upgrade\r\n"
             f"Sec-WebSocket-Key: {chiave}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode())
        risposta = b""
        while b"\r\n\r\n" not in risposta:
            pezzo = self.s.recv(1)
            if not pezzo:
                raise EOFError("connessione chiusa")
            risposta += pezzo
        if b" 101 " not in risposta.split(b"\r\n")[0]:
            raise RuntimeError("websocket rifiutato: " + risposta.decode(errors="replace"))
        self.resto = b""

    def manda(self, testo):
        dati = testo.encode()
        maschera = os.urandom(4)
        testa = bytearray([0x81])
        n = len(dati)
        if n < 126:
            testa.append(0x80 | n)
        elif n < 65536:
            testa.append(0x80 | 126)
            testa += struct.pack(">H", n)
        else:
            testa.append(0x80 | 127)
            testa += struct.pack(">Q", n)
        testa += maschera
        self.s.sendall(bytes(testa) + bytes(b ^ maschera[i % 4] for i, b in enumerate(dati)))

    def _leggi(self, n):
        while len(self.resto) < n:
            pezzo = self.s.recv(1 << 16)
            if not pezzo:
                raise EOFError("connessione chiusa")
            self.resto += pezzo
        dati, self.resto = self.resto[:n], self.resto[n:]
        return dati

    def ricevi(self):
        messaggio = b""
        while True:
            b0, b1 = self._leggi(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._leggi(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._leggi(8))[0]
            maschera = self._leggi(4) if b1 & 0x80 else None
            dati = self._leggi(n)
            if maschera:
                dati = bytes(b ^ maschera[i % 4] for i, b in enumerate(dati))
            codice = b0 & 0x0F
            if codice == 8:
                raise EOFError("connessione chiusa")
            if codice in (9, 10):
                continue
            messaggio += dati
            if b0 & 0x80:
                return messaggio.decode()


class Pagina:
    """A page of the browser: commands, and the events it tells meanwhile."""

    def __init__(self, indirizzo):
        self.presa = Presa(indirizzo)
        self.numero = 0
        self.eventi = []

    def chiedi(self, metodo, **parametri):
        self.numero += 1
        self.presa.manda(json.dumps({"id": self.numero, "method": metodo, "params": parametri}))
        while True:
            r = json.loads(self.presa.ricevi())
            if r.get("id") == self.numero:
                if "error" in r:
                    raise RuntimeError(f"{metodo}: {r['error']}")
                return r["result"]
            if "method" in r:
                self.eventi.append(r)

    def valuta(self, espressione):
        r = self.chiedi("Runtime.evaluate", expression=espressione, returnByValue=True)
        if "exceptionDetails" in r:
            raise RuntimeError(f"{espressione}: {r['exceptionDetails']}")
        return r["result"].get("value")

    def attendi(self, espressione, limite, cosa):
        inizio = time.monotonic()
        while True:
            # Before the page is there, the expression may find nothing.
            if self.valuta(f"(() => {{ try {{ return {espressione}; }} catch (e) {{ return false; }} }})()"):
                return time.monotonic() - inizio
            if time.monotonic() - inizio > limite:
                stato = self.valuta("JSON.stringify({dati: document.body && document.body.dataset, "
                                    "indirizzo: location.href, ora: document.getElementById('ora') "
                                    "&& document.getElementById('ora').textContent})")
                fallita(f"dopo {limite} s la pagina non mostra {cosa}: {stato}; console: "
                        + json.dumps(self.console())[:3000])
            time.sleep(0.03)

    def fotografa(self, file):
        r = self.chiedi("Page.captureScreenshot", format="png")
        with open(file, "wb") as f:
            f.write(base64.b64decode(r["data"]))
        if os.path.getsize(file) < 50000:
            fallita(f"{file} è quasi vuota ({os.path.getsize(file)} byte)")

    def console(self):
        """What the page wrote on its console, or threw."""
        return [e for e in self.eventi
                if e["method"] in ("Runtime.consoleAPICalled", "Runtime.exceptionThrown",
                                   "Log.entryAdded")]


def salva(percorso, testo):
    """As editors save: the whole file written beside it and renamed over it."""
    nuovo = percorso + ".nuovo"
    with open(nuovo, "w", encoding="utf-8", newline="") as f:
        f.write(testo)
    os.replace(nuovo, percorso)


def main():
    if len(sys.argv) != 3:
        fallita("uso: prova_guarda.py SCENARIO OUTDIR")
    scenario = os.path.realpath(sys.argv[1])
    uscita = sys.argv[2]
    chromium = shutil.which("chromium")
    if not chromium:
        print("prova_guarda: chromium non c'è: prova saltata (tools/prerequisiti.sh --prove lo "
              "installa)")
        sys.exit(77)
    shutil.rmtree(uscita, ignore_errors=True)
    os.makedirs(uscita)
    uscita = os.path.realpath(uscita)
    cartella = os.path.join(uscita, "descrizioni")
    os.makedirs(cartella)
    subprocess.run([scenario, "descrivi", cartella, "--utf8"], check=True, stdout=subprocess.DEVNULL)
    linea = os.path.join(cartella, "Vela_Nuro_linea.txt")
    treno = os.path.join(cartella, "Vela_Nuro_IC 731-.txt")
    with open(linea, encoding="utf-8", newline="") as f:
        linea_buona = f.read()
    with open(treno, encoding="utf-8", newline="") as f:
        treno_buono = f.read()
    prima_fuori = sorted(os.listdir(cartella))

    # As an author starts it, in the folder of the descriptions.
    guarda = subprocess.Popen([scenario, "guarda", os.path.basename(linea), os.path.basename(treno),
                               "--utf8"], cwd=cartella, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    profilo = tempfile.mkdtemp(prefix="profilo.", dir=uscita)
    browser = None
    try:
        indirizzo = guarda.stdout.readline().strip()
        if not re.fullmatch(r"http://127\.0\.0\.1:\d+/", indirizzo):
            fallita(f"scenario guarda non dice il suo indirizzo: {indirizzo!r} "
                    f"{guarda.stderr.read() if guarda.poll() is not None else ''}")

        browser = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--disable-default-apps", "--disable-extensions",
             "--no-default-browser-check", "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
             f"--user-data-dir={profilo}", "--remote-debugging-port=0",
             "--window-size=1400,1000", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        inizio = time.monotonic()
        porta_browser = None
        while porta_browser is None:
            riga = browser.stderr.readline()
            if not riga or time.monotonic() - inizio > 60:
                fallita("chromium non apre la sua porta di debug")
            m = re.search(r"DevTools listening on ws://127\.0\.0\.1:(\d+)/", riga)
            if m:
                porta_browser = int(m.group(1))
        with urllib.request.urlopen(f"http://127.0.0.1:{porta_browser}/json/list", timeout=10) as r:
            schede = [s for s in json.load(r) if s["type"] == "page"]
        p = Pagina(schede[0]["webSocketDebuggerUrl"])
        for dominio in ("Runtime", "Log", "Page"):
            p.chiedi(dominio + ".enable")
        p.chiedi("Page.navigate", url=indirizzo)

        # The drawing and the problem of the carried scenario.
        p.attendi("document.body.dataset.disegno === '1' && document.body.dataset.pronto === 'si'",
                  30, "il disegno")
        p.attendi("document.querySelectorAll('#problemi li.avviso').length === 1", 5,
                  "l'avviso dello scenario portato")
        if "Vela San Rocco" not in p.valuta("document.querySelector('#disegno svg').textContent"):
            fallita("il disegno non nomina Vela San Rocco")
        # Zoomed in twice; a mark that a reload would lose.
        p.valuta("document.getElementById('piu').click(); document.getElementById('piu').click();"
                 "window.segnoProva = 42; true")
        scala = "document.querySelector('#serie-velocita').getAttribute('transform')"
        ingrandita = p.valuta(scala)
        if "scale(4 1)" not in ingrandita:
            fallita(f"il profilo non si ingrandisce: {ingrandita}")
        p.fotografa(os.path.join(uscita, "prima.png"))

        # A station renamed.
        salva(treno, treno_buono.replace("Vela San Rocco", "Vela Santa Rosa", 1))
        tempo = p.attendi("document.querySelector('#disegno svg').textContent.includes("
                          "'Vela Santa Rosa') && Number(document.body.dataset.disegno) > 1",
                          ATTESA_SALVATAGGIO, "la stazione rinominata")
        print(f"prova_guarda: la stazione rinominata si vede dopo {tempo:.2f} s")
        if p.valuta("window.segnoProva") != 42:
            fallita("la pagina è stata ricaricata")
        if p.valuta(scala) != ingrandita:
            fallita(f"l'ingrandimento non è rimasto: {p.valuta(scala)} invece di {ingrandita}")

        # A record broken: the last drawing stays, marked, with the errors on top.
        rotta, quante = re.subn(r"(?m)^(pendenza,\s*)\d+", r"\g<1>999999", linea_buona, count=1)
        if quante != 1:
            fallita("nessuna pendenza da rompere")
        salva(linea, rotta)
        tempo = p.attendi("!document.getElementById('ferma').hidden && "
                          "!document.getElementById('vecchio').hidden && "
                          "document.querySelectorAll('#problemi li.errore').length > 0",
                          ATTESA_SALVATAGGIO, "l'errore del record rotto")
        print(f"prova_guarda: il record rotto si vede dopo {tempo:.2f} s")
        if "Vela Santa Rosa" not in p.valuta("document.querySelector('#disegno svg').textContent"):
            fallita("con il record rotto il disegno di prima non c'è più")
        p.fotografa(os.path.join(uscita, "rotta.png"))
        disegno_rotto = int(p.valuta("document.body.dataset.disegno"))

        # The record mended.
        salva(linea, linea_buona)
        tempo = p.attendi("document.getElementById('ferma').hidden && "
                          "document.getElementById('vecchio').hidden && "
                          "document.querySelectorAll('#problemi li.errore').length === 0 && "
                          f"Number(document.body.dataset.disegno) > {disegno_rotto}",
                          ATTESA_SALVATAGGIO, "il record riparato")
        print(f"prova_guarda: il record riparato si vede dopo {tempo:.2f} s")
        if p.valuta("window.segnoProva") != 42:
            fallita("la pagina è stata ricaricata")
        p.fotografa(os.path.join(uscita, "dopo.png"))

        # A problem clicked shows its place: the stretch around it, read out.
        p.valuta("document.querySelector('#problemi li.avviso.con-metro').click(); true")
        p.attendi("/punto=/.test(location.hash) && "
                  "/^km \\d+,\\d{3} · pendenza/.test(document.getElementById('lettura').textContent)",
                  2, "il punto del problema")
        p.fotografa(os.path.join(uscita, "punto.png"))

        parole = p.console()
        if parole:
            fallita("la pagina scrive sulla console: " + json.dumps(parole)[:2000])
    finally:
        if browser is not None:
            browser.terminate()
            try:
                browser.wait(20)
            except subprocess.TimeoutExpired:
                browser.kill()
                browser.wait()
        shutil.rmtree(profilo, ignore_errors=True)
        if guarda.poll() is None:
            guarda.send_signal(signal.SIGINT)
    try:
        stato = guarda.wait(10)
    except subprocess.TimeoutExpired:
        guarda.kill()
        fallita("scenario guarda non finisce con Ctrl-C")
    resto = guarda.stdout.read()
    if stato != 0 or not resto.endswith("guarda: fine\n"):
        fallita(f"scenario guarda finisce con {stato}: {resto} {guarda.stderr.read()}")
    if sorted(os.listdir(cartella)) != prima_fuori:
        fallita(f"nella cartella delle descrizioni: {sorted(os.listdir(cartella))}")
    print(f"prova_guarda: la pagina segue ogni salvataggio; immagini in {uscita}")


if __name__ == "__main__":
    main()
