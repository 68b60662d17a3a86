#!/usr/bin/env bash
# A short fuzzing run: builds the fuzz targets (Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) with the fuzz preset and runs each for a bounded
# time on a copy of its seed corpus: leggi_fuzz on fuzz/seed, pagina_fuzz on
# fuzz/seed_pagina. Exits non-zero when a target crashes, leaks or reports;
# the crashing input is then kept in cmake-build/PRESET/guasti/.
#   FUZZ_SECONDI   how long to fuzz leggi_fuzz (default 30)
#   FUZZ_SECONDI_PAGINA  how long to fuzz pagina_fuzz (default 10)
#   FUZZ_PRESET    the preset that builds it (default fuzz; the asan preset
#                  builds it beside the tests, which spares ./test.sh a build)
set -euo pipefail
cd "$(dirname "$0")/.."

secondi="${FUZZ_SECONDI:-30}"
secondi_pagina="${FUZZ_SECONDI_PAGINA:-10}"
preset="${FUZZ_PRESET:-fuzz}"
corpus="$(mktemp -d)"
registro="$(mktemp)"
trap 'rm -rf "$corpus" "$registro"' EXIT

if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target leggi_fuzz pagina_fuzz; } >"$registro" 2>&1; then
  cat "$registro" >&2
  echo "fuzz: impossibile costruire leggi_fuzz e pagina_fuzz con il preset $preset" >&2
  exit 1
fi

guasti=cmake-build/$preset/guasti
mkdir -p "$guasti"

# Runs target $1 for $2 seconds on a copy of the seeds in $3, inputs up to
# $4 bytes.
prova() {
  local nome=$1 durata=$2 semi_da=$3 massimo=$4
  rm -rf "${corpus:?}"/*
  cp "$semi_da"/* "$corpus"/
  local semi
  semi=$(ls "$semi_da" | wc -l)
  local stato=0
  "cmake-build/$preset/fuzz/$nome" -max_total_time="$durata" -rss_limit_mb=2048 -timeout=20 \
    -max_len="$massimo" -artifact_prefix="$guasti/" "$corpus" >"$registro" 2>&1 || stato=$?
  local esecuzioni
  esecuzioni=$(grep -Eo 'Done [0-9]+ runs' "$registro" | grep -Eo '[0-9]+' || echo "?")
  if [ "$stato" -ne 0 ]; then
    tail -n 60 "$registro" >&2
    echo "fuzz: $nome ha trovato un guasto (stato $stato); l'input che lo provoca è in $guasti/" >&2
    exit 1
  fi
  echo "fuzz: $nome per ${durata} s su una copia di ${semi} semi di $semi_da: ${esecuzioni} esecuzioni, nessun guasto"
}

prova leggi_fuzz "$secondi" fuzz/seed 4096
prova pagina_fuzz "$secondi_pagina" fuzz/seed_pagina 1024
