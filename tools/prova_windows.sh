#!/usr/bin/env bash
# The Windows programs, checked under Wine against the Linux build.
#
#   tools/prova_windows.sh [CARTELLA_LINUX]
#
# Cross-builds the preset "windows" (MinGW-w64), then, headless under Xvfb and
# in a temporary folder:
#   - compilatore.exe writes its six files byte for byte as the Linux
#     compilatore does, also when two of them run at once in one folder;
#   - scenario.exe descrivi and compila, on the carried descriptions as bytes
#     and as UTF-8, and with keys beyond ASCII, write what the Linux scenario
#     writes;
#   - scenario.exe guarda serves its page and its state on a free port of
#     127.0.0.1, follows a file changed, keeps its port from a second one,
#     and ends on Ctrl-C;
#   - the host layer converts Windows-1252 and lowers case through the system
#     exactly as the Linux tables do, and its file layer behaves: among the
#     rest, the temporary files and private folders named for a process still
#     running stay, those named for an ended one go;
#   - a screenshot taken while compilatore.exe runs shows the window "Form1"
#     with "Attendere";
#   - prova_ospite.exe errore 1250 shows the message box " Errore n. 1250"
#     with its OK button; once OK is pressed the program has ended, with
#     status 1 and no code after the error report run;
#   - the zip that goes out (tools/pacchetto_windows.sh, made here into
#     cmake-build/pacchetti/ from these programs), unpacked into an empty
#     folder: every DLL its programs load is in it or is Windows' own,
#     compilatore.exe writes there the six files of the Linux compilatore,
#     scenario.exe verifica and disegna on its example answer as the Linux
#     scenario does, and scenario.exe --version and both programs' version
#     resources name the build's version.
# CARTELLA_LINUX holds the Linux compilatore, scenario and prova_ospite
# (default cmake-build/release). Without the cross toolchain or Wine it says
# so and does nothing. Screenshots stay in cmake-build/windows/schermate/.
set -euo pipefail
cd "$(dirname "$0")/.."
radice=$PWD
linux=$(cd "${1:-cmake-build/release}" && pwd)

for comando in x86_64-w64-mingw32-g++-posix wine Xvfb xdotool import tesseract; do
  if ! command -v "$comando" >/dev/null; then
    echo "windows: manca $comando: prova saltata (tools/prerequisiti.sh --prove lo installa)"
    exit 0
  fi
done

inizio=$SECONDS
cmake --preset windows --no-warn-unused-cli >/dev/null
cmake --build --preset windows --target compilatore scenario prova_ospite >/dev/null
finestre=$radice/cmake-build/windows
echo "windows: programmi costruiti in $((SECONDS - inizio)) s"

# The zip that goes out, made from the programs just built.
inizio=$SECONDS
zip=$(tools/pacchetto_windows.sh "$finestre" "$linux" "$radice/cmake-build/pacchetti")
echo "windows: $(basename "$zip") fatto in $((SECONDS - inizio)) s"

schermate=$finestre/schermate
rm -rf "$schermate"
mkdir -p "$schermate"
lavoro=$(mktemp -d)
xvfb_pid=""
export WINEPREFIX=$finestre/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fine() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$lavoro"
}
trap fine EXIT

# The text in a picture, enlarged by PERCENTO: leggi FILE PERCENTO MODO.
leggi() {
  convert "$1" -resize "$2%" -colorspace Gray png:- | tesseract - - --psm "$3" 2>/dev/null || true
}

guasti=0
fallito() {
  echo "windows: $*" >&2
  guasti=$((guasti + 1))
}

# A display of its own: Xvfb writes the number it took.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$lavoro/schermo" >"$lavoro/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$lavoro/schermo" ] && break
  sleep 0.1
done
[ -s "$lavoro/schermo" ] || {
  echo "windows: Xvfb non parte: $(cat "$lavoro/xvfb.log")" >&2
  exit 1
}
export DISPLAY=:$(head -1 "$lavoro/schermo")

inizio=$SECONDS
# Windows that Wine frames itself: with no window manager the title shows.
wineboot --init >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
echo "windows: Wine pronto in $((SECONDS - inizio)) s"

# The six files of compilatore.
mkdir "$lavoro/linux" "$lavoro/windows"
cp "$linux/compilatore" "$lavoro/linux/"
cp "$finestre/compilatore.exe" "$lavoro/windows/"
(cd "$lavoro/linux" && ./compilatore >/dev/null)

# While compilatore.exe runs: once its window is on the screen, the program is
# held still for each screenshot and let go after it, until one shows the
# window painted with its label.
stato_compilatore=""
titolo=""
preso=""
for tentativo in 1 2 3; do
  rm -f "$lavoro/windows/"*.{txt,dat,sim}
  (cd "$lavoro/windows" && exec wine compilatore.exe) &
  pid=$!
  while [ -z "$preso" ] && kill -0 "$pid" 2>/dev/null; do
    finestra=$(xdotool search --name '^Form1$' 2>/dev/null | head -1 || true)
    [ -n "$finestra" ] || continue
    kill -STOP "$pid" 2>/dev/null || break
    if titolo=$(xdotool getwindowname "$finestra" 2>/dev/null) &&
      geometria=$(xdotool getwindowgeometry --shell "$finestra" 2>/dev/null) &&
      import -window root "$schermate/compilatore.png" 2>/dev/null; then
      eval "$geometria"
      convert "$schermate/compilatore.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
        "$schermate/compilatore_finestra.png"
      testo=$(leggi "$schermate/compilatore_finestra.png" 300 3)
      ! grep -q Attendere <<<"$testo" || preso=$finestra
    fi
    kill -CONT "$pid"
    [ -n "$preso" ] || sleep 0.02
  done
  stato_compilatore=0
  wait "$pid" || stato_compilatore=$?
  [ -n "$preso" ] && break
done
[ "$stato_compilatore" = 0 ] || fallito "compilatore.exe esce con stato $stato_compilatore"
for file in "$lavoro/linux/"*; do
  nome=$(basename "$file")
  [ "$nome" = compilatore ] && continue
  cmp -s "$file" "$lavoro/windows/$nome" || fallito "compilatore.exe: \"$nome\" differisce"
done
nuovi=$(cd "$lavoro/windows" && ls | grep -v '^compilatore.exe$' | wc -l)
[ "$nuovi" = 6 ] || fallito "compilatore.exe lascia $nuovi file invece di 6"

if [ -z "$preso" ]; then
  fallito "nessuna schermata di compilatore.exe con la sua finestra dipinta"
else
  colori=$(convert "$schermate/compilatore_finestra.png" -format %k info:)
  ((colori >= 8)) || fallito "la finestra di compilatore.exe è vuota ($colori colori)"
  [ "$titolo" = Form1 ] || fallito "la finestra si chiama \"$titolo\" invece di Form1"
fi

# The zip, unpacked into an empty folder and used there.
inizio=$SECONDS
versione=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$finestre/CMakeCache.txt")
mkdir "$lavoro/zip"
(cd "$lavoro/zip" && cmake -E tar xf "$zip") || fallito "$zip non si apre"
pacco=$lavoro/zip/$(basename "$zip" .zip)
for file in compilatore.exe scenario.exe README.txt doc/descrizioni.html doc/file_compilati.html \
  esempio/Vela_Nuro_linea.txt "esempio/Vela_Nuro_IC 731-.txt"; do
  [ -s "$pacco/$file" ] || fallito "lo zip non ha $file"
done
grep -q '</html>' "$pacco/doc/descrizioni.html" || fallito "doc/descrizioni.html non è una pagina intera"
# Each DLL a program or a DLL of the zip loads: beside it, or Windows' own
# (as Wine has them in system32).
for file in "$pacco"/*.exe "$pacco"/*.dll; do
  [ -e "$file" ] || continue
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    [ -n "$(find "$pacco" "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll" | head -1)" ] ||
      fallito "$(basename "$file") carica $dll, che né lo zip né Windows hanno"
  done
done
# The version, in each program's properties and from scenario.exe --version.
for programma in compilatore scenario; do
  risorse=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$pacco/$programma.exe" 2>&1 || true)
  grep -q "VALUE \"FileVersion\", \"$versione\"" <<<"$risorse" &&
    grep -q "VALUE \"OriginalFilename\", \"$programma.exe\"" <<<"$risorse" ||
    fallito "$programma.exe non ha la versione $versione nelle sue proprietà"
done
detta=$(cd "$pacco" && wine scenario.exe --version | tr -d '\r')
[ "$detta" = "scenario $versione" ] || fallito "scenario.exe --version dice \"$detta\", non \"scenario $versione\""
prima=$(cd "$pacco" && find . -type f | sort)
stato=0
(cd "$pacco" && wine compilatore.exe) || stato=$?
[ "$stato" = 0 ] || fallito "compilatore.exe dallo zip esce con stato $stato"
for file in "$lavoro/linux/"*; do
  nome=$(basename "$file")
  [ "$nome" = compilatore ] && continue
  cmp -s "$file" "$pacco/$nome" || fallito "compilatore.exe dallo zip: \"$nome\" differisce"
done
nuovi=$(cd "$pacco" && find . -type f | sort | comm -13 <(echo "$prima") - | wc -l)
[ "$nuovi" = 6 ] || fallito "compilatore.exe dallo zip lascia $nuovi file invece di 6"
# verifica and disegna on the example, as the Linux scenario does on it.
cp -r "$pacco/esempio" "$lavoro/esempio-linux"
for ospite in linux windows; do
  if [ "$ospite" = linux ]; then
    cartella=$lavoro/esempio-linux
    eseguito=("$linux/scenario")
  else
    cartella=$pacco/esempio
    eseguito=(wine ../scenario.exe)
  fi
  (
    cd "$cartella"
    stato=0
    "${eseguito[@]}" verifica Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" | tr -d '\r' >verifica.out || stato=$?
    echo "stato $stato" >>verifica.out
    stato=0
    "${eseguito[@]}" disegna Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" --uscita disegno.svg |
      tr -d '\r' >disegna.out || stato=$?
    echo "stato $stato" >>disegna.out
  )
done
grep -qx 'stato 0' "$pacco/esempio/verifica.out" || fallito "scenario.exe verifica sull'esempio: $(cat "$pacco/esempio/verifica.out")"
grep -qx 'stato 0' "$pacco/esempio/disegna.out" || fallito "scenario.exe disegna sull'esempio: $(cat "$pacco/esempio/disegna.out")"
diff -r "$lavoro/esempio-linux" "$pacco/esempio" >"$lavoro/diff" ||
  fallito "scenario.exe verifica e disegna sull'esempio dello zip: altro da Linux: $(head -5 "$lavoro/diff")"
echo "windows: zip provato in $((SECONDS - inizio)) s"

# Two runs at once in one folder take turns: the six files are those of one
# run, and nothing half written is left.
mkdir "$lavoro/insieme"
cp "$finestre/compilatore.exe" "$lavoro/insieme/"
(
  cd "$lavoro/insieme"
  wine compilatore.exe &
  primo=$!
  wine compilatore.exe &
  secondo=$!
  wait "$primo" && wait "$secondo"
) ||
  fallito "due compilatore.exe insieme non riescono"
for file in "$lavoro/linux/"*; do
  nome=$(basename "$file")
  [ "$nome" = compilatore ] && continue
  cmp -s "$file" "$lavoro/insieme/$nome" || fallito "due compilatore.exe insieme: \"$nome\" differisce"
done
nuovi=$(cd "$lavoro/insieme" && ls | grep -v '^compilatore.exe$' | wc -l)
[ "$nuovi" = 6 ] || fallito "due compilatore.exe insieme lasciano $nuovi file invece di 6"

# scenario.exe on the carried descriptions, as bytes and as UTF-8, and with
# keys beyond ASCII given on the command line.
cp "$finestre/scenario.exe" "$lavoro/"
scenario_su() {
  local ospite=$1
  shift
  if [ "$ospite" = linux ]; then
    "$linux/scenario" "$@"
  else
    wine "$lavoro/scenario.exe" "$@"
  fi
}
for modo in byte utf8; do
  opzione=()
  [ "$modo" = utf8 ] && opzione=(--utf8)
  for ospite in linux windows; do
    mkdir -p "$lavoro/$modo-$ospite/uscita" "$lavoro/$modo-$ospite/chiavi"
    (
      cd "$lavoro/$modo-$ospite"
      scenario_su "$ospite" descrivi . "${opzione[@]}" 2>descrivi.err | tr -d '\r' >descrivi.out
      scenario_su "$ospite" compila Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" uscita \
        "${opzione[@]}" | tr -d '\r' >compila.out
      scenario_su "$ospite" compila Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" chiavi \
        "${opzione[@]}" --senza-linea --chiave-percorso "Città" --chiave-treno "X 1" |
        tr -d '\r' >chiavi.out
    ) || fallito "scenario ($ospite, $modo) non riesce"
  done
  diff -r "$lavoro/$modo-linux" "$lavoro/$modo-windows" >"$lavoro/diff" ||
    fallito "scenario.exe ($modo) scrive altro da scenario: $(head -5 "$lavoro/diff")"
  [ "$(ls "$lavoro/$modo-windows/uscita" | wc -l)" = 3 ] ||
    fallito "scenario.exe compila ($modo) non scrive i tre file compilati"
  [ "$(ls "$lavoro/$modo-windows/chiavi" | wc -l)" = 2 ] ||
    fallito "scenario.exe compila ($modo) con la chiave \"Città\" non scrive i due file compilati"
done

# scenario.exe guarda: the page and its state fetched from here (Wine's
# sockets are the host's), a file changed and the state following it, the
# port kept from a second one, and the end asked as Ctrl-C asks it (SIGINT,
# which Wine turns into the console's Ctrl-C event).
mkdir "$lavoro/guarda"
cp "$lavoro/byte-windows/Vela_Nuro_linea.txt" "$lavoro/byte-windows/Vela_Nuro_IC 731-.txt" \
  "$lavoro/guarda/"
(cd "$lavoro/guarda" && exec timeout 120 wine ../scenario.exe guarda Vela_Nuro_linea.txt \
  "Vela_Nuro_IC 731-.txt" >guarda.out 2>guarda.err) &
guarda_pid=$!
for _ in $(seq 300); do
  grep -q '^http://' "$lavoro/guarda/guarda.out" 2>/dev/null && break
  kill -0 "$guarda_pid" 2>/dev/null || break
  sleep 0.1
done
indirizzo=$(head -1 "$lavoro/guarda/guarda.out" | tr -d '\r')
# A field of the state: campo NOME.
campo() {
  curl -fsS --max-time 10 "${indirizzo}stato" |
    python3 -c "import json, sys; print(json.load(sys.stdin)[sys.argv[1]])" "$1"
}
if [[ "$indirizzo" =~ ^http://127\.0\.0\.1:([0-9]+)/$ ]]; then
  porta=${BASH_REMATCH[1]}
  pagina=$(curl -fsS --max-time 10 "$indirizzo" || true)
  grep -q '</html>' <<<"$pagina" || fallito "scenario.exe guarda: la pagina non arriva"
  [ "$(campo lettura)" = 1 ] && [ "$(campo errori)" = 0 ] ||
    fallito "scenario.exe guarda: lo stato iniziale non è una lettura senza errori"
  # The train's file emptied: a second reading, with an error.
  : >"$lavoro/guarda/Vela_Nuro_IC 731-.txt"
  seguito=""
  for _ in $(seq 50); do
    if [ "$(campo lettura)" = 2 ]; then
      seguito=1
      break
    fi
    sleep 0.1
  done
  [ -n "$seguito" ] && [ "$(campo errori)" != 0 ] ||
    fallito "scenario.exe guarda: lo stato non segue il file cambiato entro 5 s"
  stato=0
  (cd "$lavoro/guarda" && timeout 60 wine ../scenario.exe guarda Vela_Nuro_linea.txt \
    "Vela_Nuro_IC 731-.txt" --porta "$porta" >seconda.out 2>seconda.err) || stato=$?
  [ "$stato" = 2 ] && grep -q "la porta $porta di 127.0.0.1 non si può avere" "$lavoro/guarda/seconda.err" ||
    fallito "scenario.exe guarda: una seconda sulla porta $porta esce con $stato ($(tr -d '\r' <"$lavoro/guarda/seconda.err"))"
else
  fallito "scenario.exe guarda non dà il suo indirizzo: $(tr -d '\r' <"$lavoro/guarda/guarda.err")"
fi
kill -INT "$guarda_pid" 2>/dev/null || true
stato=0
timeout 30 tail --pid="$guarda_pid" -f /dev/null || fallito "scenario.exe guarda non finisce con Ctrl-C"
wait "$guarda_pid" || stato=$?
[ "$stato" = 0 ] && [ "$(tail -1 "$lavoro/guarda/guarda.out" | tr -d '\r')" = "guarda: fine" ] ||
  fallito "scenario.exe guarda finisce con stato $stato: $(tr -d '\r' <"$lavoro/guarda/guarda.err")"

# The host layer on its own.
cp "$finestre/prova_ospite.exe" "$lavoro/"
(cd "$lavoro" && "$linux/prova_ospite" tabelle tabelle_linux.txt &&
  wine prova_ospite.exe tabelle tabelle_windows.txt) || fallito "prova_ospite tabelle non riesce"
cmp -s "$lavoro/tabelle_linux.txt" "$lavoro/tabelle_windows.txt" ||
  fallito "Windows-1252 e minuscole: il sistema differisce dalle tabelle di Linux"
(cd "$lavoro" && wine prova_ospite.exe file >file.out) ||
  fallito "prova_ospite.exe file: $(tr -d '\r' <"$lavoro/file.out")"

# What runs killed left goes, what running ones are writing stays: one
# prova_ospite.exe kept running, one ended, their ids as Windows gives them.
mkdir "$lavoro/processi"
(cd "$lavoro/processi" && exec wine ../prova_ospite.exe processo vivo 120000) &
vivo_pid=$!
for _ in $(seq 300); do
  [ -s "$lavoro/processi/vivo" ] && break
  sleep 0.1
done
(cd "$lavoro/processi" && wine ../prova_ospite.exe processo finito 0) ||
  fallito "prova_ospite.exe processo non riesce"
if [ -s "$lavoro/processi/vivo" ] && [ -s "$lavoro/processi/finito" ]; then
  vivo=$(tr -d '\r\n' <"$lavoro/processi/vivo")
  finito=$(tr -d '\r\n' <"$lavoro/processi/finito")
  (cd "$lavoro/processi" && wine ../prova_ospite.exe abbandonati "$vivo" "$finito" >abbandonati.out) ||
    fallito "prova_ospite.exe abbandonati $vivo $finito: $(tr -d '\r' <"$lavoro/processi/abbandonati.out")"
else
  fallito "prova_ospite.exe processo non scrive il suo numero"
fi
rm -f "$lavoro/processi/vivo"
timeout 30 tail --pid="$vivo_pid" -f /dev/null || fallito "prova_ospite.exe processo non finisce"
wait "$vivo_pid" || fallito "prova_ospite.exe processo vivo esce con errore"

# The error report: the box, then OK, then nothing more.
mkdir "$lavoro/errore"
(cd "$lavoro/errore" && exec wine ../prova_ospite.exe errore 1250) &
pid=$!
scatola=$(timeout 30 xdotool search --sync --name '^prova_ospite$' 2>/dev/null | head -1 || true)
if [ -z "$scatola" ]; then
  fallito "prova_ospite.exe errore 1250: nessuna finestra di messaggio"
  kill "$pid" 2>/dev/null || true
else
  sleep 0.5
  import -window root "$schermate/errore.png"
  eval "$(xdotool getwindowgeometry --shell "$scatola")"
  convert "$schermate/errore.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
    "$schermate/errore_scatola.png"
  testo=$(leggi "$schermate/errore_scatola.png" 400 11)
  grep -q 'Errore n. 1250' <<<"$testo" || fallito "la scatola non mostra \"Errore n. 1250\" ($testo)"
  grep -qx 'OK' <<<"$testo" || fallito "la scatola non mostra il pulsante OK ($testo)"
  kill -0 "$pid" 2>/dev/null || fallito "prova_ospite.exe non aspetta OK"
  [ ! -e "$lavoro/errore/dopo_errore" ] || fallito "prova_ospite.exe va avanti prima di OK"
  # OK: the button has the focus, Return presses it.
  xdotool windowfocus --sync "$scatola" key Return
fi
stato=0
timeout 30 tail --pid="$pid" -f /dev/null || fallito "prova_ospite.exe non finisce dopo OK"
wait "$pid" || stato=$?
[ "$stato" = 1 ] || fallito "prova_ospite.exe errore 1250 esce con stato $stato invece di 1"
[ ! -e "$lavoro/errore/dopo_errore" ] || fallito "dopo l'errore il programma è andato avanti"

if ((guasti > 0)); then
  echo "windows: $guasti differenze; schermate in $schermate" >&2
  exit 1
fi
echo "windows: file identici a Linux, pagina di guarda servita, finestra e messaggio d'errore visti (schermate in $schermate); $zip provato"
