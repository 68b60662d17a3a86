#!/usr/bin/env python3
"""Opens every page the tool makes, from descriptions whose texts would break
a page that wrote them as they are, in a headless Chromium driven through its
remote debugging protocol (tools/prova_guarda.py's client): station names and
signposts' texts that open a comment or a script, close the element they
stand in or add an element with a handler, and a file name with such
characters and U+2028. Each page (`disegna --uscita x.html`, `marcia --uscita
x.html`, the page `guarda` serves) must run its own script to the end and no
other, write nothing on its console (a script its policy refused included),
hold no element that the texts would add, and show each text as written.

Then the page of `guarda` loses its stream twice: the program refuses it (all
its streams held by others) and the program ends and starts again on the same
port. Both times the page must say that it waits and follow the state again
by itself, without being loaded again. Without chromium it is skipped
(exit 77).

    tools/prova_pagine_ostili.py SCENARIO OUTDIR
"""
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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import prova_guarda  # noqa: E402


def fallita(messaggio):
    print("prova_pagine_ostili: " + messaggio, file=sys.stderr)
    sys.exit(1)


prova_guarda.fallita = fallita

# The texts (no comma: each may be a station's name or a signpost's text).
OSTILI = [
    "<!--<script>",
    "</script><script>document.body.dataset.preso='si'</script>",
    "\"><img src=x onerror=document.body.dataset.preso='si'>",
    "'><svg onload=document.body.dataset.preso='si'>",
    "]]></text></svg><script>document.body.dataset.preso='si'</script>",
    "&amp; &lt; &#x3c; \\u003c </SCRIPT >",
]
# A file name: no "/", and a character that the descriptions cannot hold.
NOME_OSTILE = "<!--<script>\"'><img src=x onerror=document.body.dataset.preso=1>\u2028&amp;"

# What a page must be once its script has run: its own two script elements,
# its script at the end, nothing added by the texts.
CONTROLLO = """(() => JSON.stringify({
  script: document.scripts.length,
  pronto: document.body.dataset.pronto || "",
  preso: document.body.dataset.preso || "",
  estranei: document.querySelectorAll("img, iframe, object, embed, svg script, [onload], [onerror]").length,
  testi: Array.from(document.querySelectorAll("#disegno svg text, #disegno svg title")).map((e) => e.textContent)
}))()"""


def salva(percorso, testo):
    nuovo = percorso + ".nuovo"
    with open(nuovo, "w", encoding="utf-8", newline="") as f:
        f.write(testo)
    os.replace(nuovo, percorso)


def descrizioni_ostili(scenario, cartella):
    """The carried pair, in UTF-8, with the texts as stations' names and
    signposts' texts; gives the paths and the stations' names."""
    os.makedirs(cartella)
    subprocess.run([scenario, "descrivi", cartella, "--utf8"], check=True, stdout=subprocess.DEVNULL)
    linea = os.path.join(cartella, "Vela_Nuro_linea.txt")
    treno = os.path.join(cartella, "Vela_Nuro_IC 731-.txt")
    nomi = []

    def stazione(m):
        nome = OSTILI[len(nomi) % len(OSTILI)] + (f" {len(nomi)}" if len(nomi) >= len(OSTILI) else "")
        nomi.append(nome)
        return m.group(1) + nome

    with open(treno, encoding="utf-8", newline="") as f:
        testo = re.sub(r"(?m)^(stazione,(?:[^,\r\n]*,){16} )[^\r\n]*", stazione, f.read())
    salva(treno, testo)
    cartelli = iter(range(1000))
    with open(linea, encoding="utf-8", newline="") as f:
        testo = re.sub(r"(?m)^(cartello_indicatore,\s*\d+,\s*)[^\r\n]*",
                       lambda m: m.group(1) + OSTILI[next(cartelli) % len(OSTILI)], f.read())
    salva(linea, testo)
    if len(nomi) < len(OSTILI):
        fallita(f"solo {len(nomi)} stazioni rinominate")
    return linea, treno, nomi


class Browser:
    def __init__(self, uscita):
        chromium = shutil.which("chromium")
        self.profilo = tempfile.mkdtemp(prefix="profilo.", dir=uscita)
        self.processo = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--disable-default-apps", "--disable-extensions",
             "--no-default-browser-check",
             "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
             f"--user-data-dir={self.profilo}", "--remote-debugging-port=0",
             "--window-size=1400,1000", "about:blank"],
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
        for dominio in ("Runtime", "Log", "Page"):
            self.pagina.chiedi(dominio + ".enable")

    def chiudi(self):
        self.processo.terminate()
        try:
            self.processo.wait(20)
        except subprocess.TimeoutExpired:
            self.processo.kill()
            self.processo.wait()
        shutil.rmtree(self.profilo, ignore_errors=True)


def controlla(p, cosa, nomi, script):
    """The page's own script ran, no other, nothing added, the names shown."""
    stato = json.loads(p.valuta(CONTROLLO))
    if stato["script"] != script:
        fallita(f"{cosa}: {stato['script']} script invece di {script}")
    if stato["pronto"] != "si":
        fallita(f"{cosa}: lo script della pagina non è arrivato in fondo")
    if stato["preso"] or stato["estranei"]:
        fallita(f"{cosa}: un testo è diventato codice o elementi: {stato}")
    testi = stato["testi"]
    for nome in nomi:
        if nome not in testi:
            fallita(f"{cosa}: il nome {nome!r} non si vede com'è scritto")
    parole = p.console()
    if parole:
        fallita(f"{cosa}: la pagina scrive sulla console: " + json.dumps(parole)[:2000])


def flussi_rifiutati(porta, limite=80):
    """Opens streams until the program refuses one; gives the open ones, or
    None when it refused none."""
    prese = []
    for _ in range(limite):
        s = socket.create_connection(("127.0.0.1", porta), timeout=5)
        s.sendall(f"GET /eventi HTTP/1.1\r\nHost: 127.0.0.1:{porta}\r\n\r\n".encode())
        risposta = b""
        while b"\r\n" not in risposta:
            pezzo = s.recv(4096)
            if not pezzo:
                break
            risposta += pezzo
        if b" 200 " not in risposta.split(b"\r\n")[0]:
            s.close()
            return prese
        prese.append(s)
    for s in prese:
        s.close()
    return None


def chiudi_subito(prese):
    for s in prese:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        s.close()


def avvia_guarda(scenario, cartella, linea, treno, porta=None):
    argomenti = [scenario, "guarda", os.path.basename(linea), os.path.basename(treno), "--utf8"]
    if porta is not None:
        argomenti += ["--porta", str(porta)]
    guarda = subprocess.Popen(argomenti, cwd=cartella, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    indirizzo = guarda.stdout.readline().strip()
    if not re.fullmatch(r"http://127\.0\.0\.1:\d+/", indirizzo):
        fallita(f"scenario guarda non dice il suo indirizzo: {indirizzo!r} "
                f"{guarda.stderr.read() if guarda.poll() is not None else ''}")
    return guarda, indirizzo


def ferma(guarda):
    if guarda.poll() is None:
        guarda.send_signal(signal.SIGINT)
    try:
        guarda.wait(10)
    except subprocess.TimeoutExpired:
        guarda.kill()
        guarda.wait()
        fallita("scenario guarda non finisce con Ctrl-C")


def main():
    if len(sys.argv) != 3:
        fallita("uso: prova_pagine_ostili.py SCENARIO OUTDIR")
    scenario = os.path.realpath(sys.argv[1])
    uscita = sys.argv[2]
    if not shutil.which("chromium"):
        print("prova_pagine_ostili: chromium non c'è: prova saltata (tools/prerequisiti.sh "
              "--prove lo installa)")
        sys.exit(77)
    shutil.rmtree(uscita, ignore_errors=True)
    os.makedirs(uscita)
    uscita = os.path.realpath(uscita)
    cartella = os.path.join(uscita, "descrizioni")
    linea, treno, nomi = descrizioni_ostili(scenario, cartella)

    # The written pages.
    disegno = os.path.join(uscita, "disegno.html")
    marcia = os.path.join(uscita, "marcia.html")
    subprocess.run([scenario, "disegna", linea, treno, "--utf8", "--uscita", disegno], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run([scenario, "marcia", linea, treno, "--utf8", "--uscita", marcia], check=True,
                   stdout=subprocess.DEVNULL)
    # The line's file under a name that the page of guarda shows.
    ostile = os.path.join(cartella, NOME_OSTILE + ".txt")
    os.rename(linea, ostile)
    linea = ostile

    browser = Browser(uscita)
    guarda = None
    prese = None
    try:
        p = browser.pagina
        for cosa, file in (("disegna", disegno), ("marcia", marcia)):
            p.eventi.clear()
            p.chiedi("Page.navigate", url="file://" + file)
            p.attendi("document.readyState === 'complete'", 30, f"la pagina di {cosa}")
            controlla(p, cosa, nomi, 2)
            titolo = p.valuta("document.title")
            if titolo != nomi[0] + " – " + nomi[-1]:
                fallita(f"{cosa}: il titolo è {titolo!r}")

        guarda, indirizzo = avvia_guarda(scenario, cartella, linea, treno)
        porta = int(indirizzo.rsplit(":", 1)[1].rstrip("/"))
        p.eventi.clear()
        p.chiedi("Page.navigate", url=indirizzo)
        p.attendi("document.body.dataset.disegno === '1' && document.body.dataset.pronto === 'si' "
                  "&& document.querySelectorAll('#problemi li.avviso').length > 1", 30,
                  "il disegno e gli avvisi")
        controlla(p, "guarda", nomi, 2)
        voce = json.loads(p.valuta("JSON.stringify({dove: document.querySelector('#problemi li "
                                   ".dove').textContent, titolo: document.querySelector("
                                   "'#problemi li').title})"))
        if not voce["dove"].startswith(NOME_OSTILE + ".txt:") or \
                not voce["titolo"].startswith(os.path.basename(linea) + ":"):
            fallita(f"guarda: il file del problema non si vede com'è scritto: {voce}")
        # The signposts' texts, quoted by the problems.
        citato = 'il testo "' + OSTILI[0] + '" non è fatto'
        if not p.valuta("Array.from(document.querySelectorAll('#problemi li')).some((e) => "
                        f"e.textContent.includes({json.dumps(citato)}))"):
            fallita(f"guarda: nessun problema dice {citato!r}")

        # Refused: every stream in use, the page opened again. The page
        # leaves first, so that its own stream is not the one that frees
        # room for it.
        p.chiedi("Page.navigate", url="about:blank")
        p.attendi("document.readyState === 'complete'", 10, "la pagina vuota")
        time.sleep(0.5)
        prese = flussi_rifiutati(porta)
        if prese is None:
            fallita("guarda non rifiuta mai un flusso")
        p.chiedi("Page.navigate", url=indirizzo)
        p.attendi("document.body.dataset.collegato === 'no' && /^collegamento perso: riprovo tra "
                  "\\d+ s/.test(document.getElementById('ora').textContent)", 10,
                  "che aspetta dopo il rifiuto")
        # Let go at once (a reset), and a save: the program writes to every
        # stream, finds them gone and has room again.
        chiudi_subito(prese)
        prese = None
        with open(treno, encoding="utf-8", newline="") as f:
            testo_treno = f.read()
        salva(treno, testo_treno.replace(nomi[1], "Vela Santa Rosa", 1))
        tempo = p.attendi("document.body.dataset.collegato === 'si' && "
                          "document.querySelector('#disegno svg').textContent.includes("
                          "'Vela Santa Rosa')", 30, "il flusso dopo il rifiuto")
        print(f"prova_pagine_ostili: dopo il rifiuto la pagina segue di nuovo dopo {tempo:.1f} s")
        p.valuta("window.segnoProva = 42; true")

        # Dropped: the program ends, and starts again on its port.
        ferma(guarda)
        p.attendi("document.body.dataset.collegato === 'no' && /^collegamento perso: riprovo tra "
                  "\\d+ s/.test(document.getElementById('ora').textContent)", 10,
                  "che aspetta dopo la caduta")
        guarda, _ = avvia_guarda(scenario, cartella, linea, treno, porta)
        tempo = p.attendi("document.body.dataset.collegato === 'si' && "
                          "document.body.dataset.disegno === '1' && "
                          "document.querySelector('#disegno svg').textContent.includes("
                          "'Vela Santa Rosa')", 10, "il flusso dopo la caduta")
        print(f"prova_pagine_ostili: dopo la caduta la pagina segue di nuovo dopo {tempo:.1f} s")
        if p.valuta("window.segnoProva") != 42:
            fallita("la pagina è stata ricaricata")
        # And it follows a save.
        salva(treno, testo_treno.replace(nomi[1], "Vela San Rocco", 1))
        p.attendi("Number(document.body.dataset.disegno) > 1 && document.querySelector('#disegno "
                  "svg').textContent.includes('Vela San Rocco')", 10, "il salvataggio")
        # What the page says meanwhile is its own: the losses logged nothing
        # but the refused stream's request.
        parole = [e for e in p.console()
                  if "eventi" not in json.dumps(e) and "ERR_CONNECTION_REFUSED" not in json.dumps(e)]
        if parole:
            fallita("guarda: la pagina scrive sulla console: " + json.dumps(parole)[:2000])
    finally:
        if prese:
            chiudi_subito(prese)
        browser.chiudi()
        if guarda is not None:
            ferma(guarda)
    print(f"prova_pagine_ostili: disegna, marcia e guarda mostrano i testi com'erano, con il solo "
          f"loro script; la pagina di guarda si ricollega da sé")


if __name__ == "__main__":
    main()
