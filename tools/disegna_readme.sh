#!/usr/bin/env bash
# Rebuilds the pictures that the README shows: doc/vela_nuro.svg,
# `scenario disegna` on the compiled files of the carried scenario, and
# doc/valle.svg, the same on the scenario made from the example track
# doc/esempio/valle.gpx by `scenario importa` and `scenario compila`, and
# doc/valle_osm.svg, on the one made from the example extract
# doc/esempio/valle.osm with its tile doc/esempio/valle_quote.asc. With
# --controlla SCENARIO it only checks, with that program, that the pictures in
# doc/ are the ones it draws now (a test runs it so). A program built without
# `importa` checks the first picture only.
#
#   tools/disegna_readme.sh
#   tools/disegna_readme.sh --controlla cmake-build/release/scenario
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --controlla ]]; then
  scenario=$(realpath "$2")
else
  cmake --preset release >/dev/null
  cmake --build --preset release --target scenario >/dev/null
  scenario=$PWD/cmake-build/release/scenario
fi

lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT

# The carried scenario.
mkdir "$lavoro/compilati"
"$scenario" descrivi "$lavoro" >/dev/null
"$scenario" compila "$lavoro/Vela_Nuro_linea.txt" "$lavoro/Vela_Nuro_IC 731-.txt" \
  "$lavoro/compilati" >/dev/null
"$scenario" disegna "$lavoro/compilati" --uscita "$lavoro/vela_nuro.svg" >/dev/null
immagini=(vela_nuro.svg)

# The scenario of the example track, where the program can import.
mkdir -p "$lavoro/valle/uscita"
if "$scenario" importa doc/esempio/valle.gpx --uscita "$lavoro/valle/linea.txt" \
  --treno "$lavoro/valle/treno.txt" >/dev/null 2>"$lavoro/valle/errori"; then
  "$scenario" compila "$lavoro/valle/linea.txt" "$lavoro/valle/treno.txt" "$lavoro/valle/uscita" \
    --chiave-percorso Valle --chiave-treno "R 1" >/dev/null
  "$scenario" disegna "$lavoro/valle/uscita" --uscita "$lavoro/valle.svg" >/dev/null
  mkdir -p "$lavoro/osm/uscita"
  "$scenario" importa doc/esempio/valle.osm --relazione 400001 --quote doc/esempio/valle_quote.asc \
    --uscita "$lavoro/osm/linea.txt" --treno "$lavoro/osm/treno.txt" >/dev/null
  "$scenario" compila "$lavoro/osm/linea.txt" "$lavoro/osm/treno.txt" "$lavoro/osm/uscita" \
    --chiave-percorso Valle --chiave-treno "R 2" >/dev/null
  "$scenario" disegna "$lavoro/osm/uscita" --uscita "$lavoro/valle_osm.svg" >/dev/null
  immagini+=(valle.svg valle_osm.svg)
elif grep -q "senza l'importazione" "$lavoro/valle/errori"; then
  echo "disegna_readme: questo scenario non ha importa: doc/valle.svg resta com'è" >&2
  [[ ${1:-} == --controlla ]] || exit 1
else
  cat "$lavoro/valle/errori" >&2
  exit 1
fi

if [[ ${1:-} == --controlla ]]; then
  diverse=0
  for immagine in "${immagini[@]}"; do
    if ! cmp -s "$lavoro/$immagine" "doc/$immagine"; then
      echo "disegna_readme: doc/$immagine non è il disegno di oggi: rifarlo con tools/disegna_readme.sh" >&2
      diverse=1
    else
      echo "disegna_readme: doc/$immagine è aggiornato"
    fi
  done
  exit "$diverse"
fi
for immagine in "${immagini[@]}"; do
  cp "$lavoro/$immagine" "doc/$immagine"
  echo "disegna_readme: scritto doc/$immagine"
done
