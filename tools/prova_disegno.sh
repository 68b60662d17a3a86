#!/usr/bin/env bash
# Looks at the picture of the carried scenario as a person would, with the
# programs of Debian's packages: rsvg-convert turns the SVG into PNG, and a
# headless Chromium, with no network, opens the page, zoomed out and zoomed
# in. The page must load with nothing on its console and its script must mark
# the document as ready; the screenshots must show a drawing, not a blank
# page. Everything goes into OUTDIR (the screenshots stay there to be looked
# at). Without chromium or rsvg-convert the check is skipped (exit 77).
#
#   tools/prova_disegno.sh SCENARIO OUTDIR
set -euo pipefail
scenario=$(realpath "$1")
uscita=$2

for programma in chromium rsvg-convert; do
  if ! command -v "$programma" >/dev/null; then
    echo "prova_disegno: $programma non c'è: prova saltata (tools/prerequisiti.sh --prove lo installa)"
    exit 77
  fi
done

rm -rf "$uscita"
mkdir -p "$uscita"
uscita=$(realpath "$uscita")
cd "$uscita"

fallita() {
  echo "prova_disegno: $*" >&2
  exit 1
}

# Bytes of a file.
dimensione() { stat -c %s "$1"; }

"$scenario" descrivi . >/dev/null
"$scenario" disegna Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" --uscita disegno.svg
"$scenario" disegna Vela_Nuro_linea.txt "Vela_Nuro_IC 731-.txt" --uscita pagina.html

# The SVG as an image: rendered without a word from the renderer.
timeout 60 rsvg-convert -w 1000 disegno.svg -o disegno.png 2>rsvg.log ||
  fallita "rsvg-convert non disegna disegno.svg: $(cat rsvg.log)"
[[ ! -s rsvg.log ]] || fallita "rsvg-convert ha da ridire: $(cat rsvg.log)"
(($(dimensione disegno.png) > 60000)) ||
  fallita "disegno.png è quasi vuoto ($(dimensione disegno.png) byte)"

chromium_senza_rete() {
  local profilo
  profilo=$(mktemp -d "$uscita/profilo.XXXXXX")
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --disable-default-apps --disable-extensions --no-default-browser-check \
    --host-resolver-rules="MAP * ~NOTFOUND" --user-data-dir="$profilo" \
    --enable-logging=stderr --v=0 "$@"
  local stato=$?
  rm -rf "$profilo"
  return $stato
}

for vista in intera zoom; do
  indirizzo="file://$uscita/pagina.html"
  [[ $vista == zoom ]] && indirizzo+="#km=280-320&punto=292.1"
  chromium_senza_rete --dump-dom "$indirizzo" >"dom_$vista.html" 2>"chromium_dom_$vista.log" ||
    fallita "chromium non carica la pagina ($vista): $(tail -5 "chromium_dom_$vista.log")"
  chromium_senza_rete --window-size=1200,1500 --screenshot="$uscita/pagina_$vista.png" \
    "$indirizzo" >/dev/null 2>"chromium_$vista.log" ||
    fallita "chromium non fotografa la pagina ($vista): $(tail -5 "chromium_$vista.log")"
  # Whatever the page writes on its console (an error, an uncaught exception)
  # is a fault: its script writes nothing there.
  if grep -h 'CONSOLE' "chromium_dom_$vista.log" "chromium_$vista.log"; then
    fallita "la pagina ($vista) scrive sulla console"
  fi
  grep -q '<body data-pronto="si">' "dom_$vista.html" ||
    fallita "lo script della pagina ($vista) non è arrivato in fondo"
  [[ -s pagina_$vista.png ]] || fallita "nessuna fotografia della pagina ($vista)"
  (($(dimensione "pagina_$vista.png") > 60000)) ||
    fallita "la fotografia della pagina ($vista) è quasi vuota ($(dimensione "pagina_$vista.png") byte)"
done

# Zoomed in, the profile's groups are scaled along the distance axis and the
# axis counts in the kilometres asked for.
grep -q 'class="dati" id="serie-velocita" transform="translate([-0-9.e]* 0) scale(8.35 1)"' \
  dom_zoom.html || fallita "la vista da 280 a 320 km non ingrandisce il profilo"
grep -q 'km dall.origine (280,0–320,0)' dom_zoom.html ||
  fallita "l'asse della vista ingrandita non va da 280 a 320 km"

# The readout of the point asked for: in the first slowdown, between two
# stations.
lettura='km 292,100 · pendenza -5 ‰ · velocità 115 km/h · aderenza 92 · rallentamento 60 km/h · quota +812 m · tra Campo Vela e Nuro Ponente'
grep -q "<span id=\"lettura\">$lettura" dom_zoom.html ||
  fallita "la lettura al km 292,1 non è quella attesa: $(grep -o '<span id="lettura">[^<]*' dom_zoom.html)"

echo "prova_disegno: disegno.svg, pagina.html (intera e da 280 a 320 km) a posto; immagini in $uscita"
