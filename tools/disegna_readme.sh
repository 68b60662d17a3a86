#!/usr/bin/env bash
# Rebuilds the picture of the carried route that the README shows,
# doc/vela_nuro.svg: `scenario disegna` on the compiled files of the carried
# scenario. With --controlla SCENARIO it only checks, with that program, that
# the picture in doc/ is the one it draws now (a test runs it so).
#
#   tools/disegna_readme.sh
#   tools/disegna_readme.sh --controlla cmake-build/release/scenario
set -euo pipefail
cd "$(dirname "$0")/.."
immagine=doc/vela_nuro.svg

if [[ ${1:-} == --controlla ]]; then
  scenario=$(realpath "$2")
else
  cmake --preset release >/dev/null
  cmake --build --preset release --target scenario >/dev/null
  scenario=$PWD/cmake-build/release/scenario
fi

lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
mkdir "$lavoro/compilati"
"$scenario" descrivi "$lavoro"
"$scenario" compila "$lavoro/Vela_Nuro_linea.txt" "$lavoro/Vela_Nuro_IC 731-.txt" \
  "$lavoro/compilati" >/dev/null
"$scenario" disegna "$lavoro/compilati" --uscita "$lavoro/vela_nuro.svg" >/dev/null

if [[ ${1:-} == --controlla ]]; then
  if ! cmp -s "$lavoro/vela_nuro.svg" "$immagine"; then
    echo "disegna_readme: $immagine non è il disegno di oggi: rifarlo con tools/disegna_readme.sh" >&2
    exit 1
  fi
  echo "disegna_readme: $immagine è aggiornato"
  exit 0
fi
cp "$lavoro/vela_nuro.svg" "$immagine"
echo "disegna_readme: scritto $immagine"
