#!/usr/bin/env python3
"""`scenario guarda` under hostile clients, for a bounded time: 200 clients
that drip their requests a header line a second (and come back when ended),
and 500 that open the event stream and drop it, again and again, for 25 s.
Meanwhile a normal client asks for the page four times a second: each answer
must come whole within 1 s, and the server's memory must stay under 64 MiB.
Then Ctrl-C, with the load still on, must end it within 1 s.

    tools/prova_carico_guarda.py SCENARIO OUTDIR
"""
import asyncio
import multiprocessing
import os
import random
import re
import resource
import shutil
import signal
import socket
import subprocess
import sys
import time

LENTI = 200
VOLANTI = 500
DURATA = 25.0
ATTESA_PAGINA = 1.0
MEMORIA_KIB = 64 * 1024
ATTESA_FINE = 1.0


def fallita(messaggio):
    print("prova_carico_guarda: " + messaggio, file=sys.stderr)
    sys.exit(1)


async def lento(porta, fine, conti):
    """Begins a request, then sends a header line a second, never ending it."""
    while time.monotonic() < fine:
        try:
            lettore, scrittore = await asyncio.open_connection("127.0.0.1", porta)
            conti[0] += 1
            scrittore.write(f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{porta}\r\n".encode())
            riga = 0
            while time.monotonic() < fine and not lettore.at_eof():
                await scrittore.drain()
                try:
                    dati = await asyncio.wait_for(lettore.read(4096), 1.0)
                    if not dati:
                        break
                except asyncio.TimeoutError:
                    pass
                riga += 1
                scrittore.write(f"X-Goccia-{riga}: 1\r\n".encode())
            scrittore.close()
        except OSError:
            await asyncio.sleep(0.2)


async def volante(porta, fine, conti):
    """Opens the event stream, takes its first bytes, and drops it."""
    while time.monotonic() < fine:
        try:
            lettore, scrittore = await asyncio.open_connection("127.0.0.1", porta)
            scrittore.write(f"GET /eventi HTTP/1.1\r\nHost: 127.0.0.1:{porta}\r\n\r\n".encode())
            await scrittore.drain()
            if await asyncio.wait_for(lettore.read(4096), 2.0):
                conti[1] += 1
            scrittore.close()
        except (OSError, asyncio.TimeoutError):
            pass
        await asyncio.sleep(random.uniform(0, 0.1))


def carico(porta, fine, conti):
    """The hostile clients, in a process of their own; `conti` counts the
    slow connections made and the streams answered."""
    _, duro = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(duro, 8192), duro))

    async def tutti():
        await asyncio.gather(*([lento(porta, fine, conti) for _ in range(LENTI)] +
                               [volante(porta, fine, conti) for _ in range(VOLANTI)]))
    asyncio.run(tutti())


def pagina(porta):
    """The page, as a normal client asks for it: the seconds it took."""
    inizio = time.monotonic()
    with socket.create_connection(("127.0.0.1", porta), timeout=5) as s:
        s.sendall(f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{porta}\r\nConnection: close\r\n\r\n"
                  .encode())
        dati = b""
        while True:
            pezzo = s.recv(65536)
            if not pezzo:
                break
            dati += pezzo
    if not dati.startswith(b"HTTP/1.1 200 ") or not dati.rstrip().endswith(b"</html>"):
        raise RuntimeError("risposta incompleta: " + repr(dati[:200]))
    return time.monotonic() - inizio


def memoria(pid):
    """The server's resident memory now, in KiB."""
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def main():
    if len(sys.argv) != 3:
        fallita("uso: prova_carico_guarda.py SCENARIO OUTDIR")
    scenario = os.path.realpath(sys.argv[1])
    uscita = sys.argv[2]
    shutil.rmtree(uscita, ignore_errors=True)
    os.makedirs(uscita)
    subprocess.run([scenario, "descrivi", uscita, "--utf8"], check=True, stdout=subprocess.DEVNULL)
    guarda = subprocess.Popen([scenario, "guarda", "Vela_Nuro_linea.txt", "Vela_Nuro_IC 731-.txt",
                               "--utf8"], cwd=uscita, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    clienti = None
    try:
        indirizzo = guarda.stdout.readline().strip()
        m = re.fullmatch(r"http://127\.0\.0\.1:(\d+)/", indirizzo)
        if not m:
            fallita(f"scenario guarda non dice il suo indirizzo: {indirizzo!r}")
        porta = int(m.group(1))
        pagina(porta)

        fine = time.monotonic() + DURATA
        conti = multiprocessing.Array("l", 2)
        clienti = multiprocessing.Process(target=carico, args=(porta, fine + 5, conti), daemon=True)
        clienti.start()
        time.sleep(2)  # the load comes up
        tempi, picco = [], 0
        while time.monotonic() < fine:
            try:
                tempi.append(pagina(porta))
            except (OSError, RuntimeError) as e:
                fallita(f"la pagina non arriva sotto carico: {e}")
            picco = max(picco, memoria(guarda.pid))
            time.sleep(0.25)
        peggiore = max(tempi)
        print(f"prova_carico_guarda: {conti[0]} connessioni lente, {conti[1]} flussi aperti e "
              f"lasciati; {len(tempi)} pagine sotto carico, la più lenta in {peggiore:.3f} s; "
              f"memoria al massimo {picco // 1024} MiB")
        if conti[0] < LENTI or conti[1] < VOLANTI:
            fallita("il carico non è arrivato al server")
        if peggiore > ATTESA_PAGINA:
            fallita(f"una pagina è arrivata dopo {peggiore:.3f} s (più di {ATTESA_PAGINA} s)")
        if picco > MEMORIA_KIB:
            fallita(f"il server ha tenuto {picco // 1024} MiB (più di {MEMORIA_KIB // 1024})")

        # Ctrl-C with the load still on.
        inizio = time.monotonic()
        guarda.send_signal(signal.SIGINT)
        try:
            stato = guarda.wait(10)
        except subprocess.TimeoutExpired:
            fallita("scenario guarda non finisce con Ctrl-C sotto carico")
        durata = time.monotonic() - inizio
        print(f"prova_carico_guarda: finito {durata:.3f} s dopo Ctrl-C, con stato {stato}")
        if stato != 0 or durata > ATTESA_FINE:
            fallita(f"Ctrl-C: stato {stato} dopo {durata:.3f} s (voluti 0 entro {ATTESA_FINE} s)")
    finally:
        if guarda.poll() is None:
            guarda.kill()
            guarda.wait()
        if clienti is not None and clienti.is_alive():
            clienti.terminate()
            clienti.join(10)


if __name__ == "__main__":
    main()
