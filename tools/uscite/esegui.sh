#!/usr/bin/env bash
# Runs one build's `scenario` over a corpus made by genera.py and keeps what
# it prints and writes, so that two builds can be compared with diff -r:
#   esegui.sh SCENARIO CORPUS OUT
# For each pair: verifica (text, --json, --utf8), compila (output and the
# files' checksums), documenti (output and checksums), disegna (checksum of
# the SVG), ispeziona of the compiled folder (text and --json).
set -uo pipefail
scenario=$(realpath "$1")
corpus=$(realpath "$2")
out=$(realpath -m "$3")
rm -rf "$out"
mkdir -p "$out"
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
uno() {
  local caso=$1 d=$corpus/$1 o=$out/$1
  local w=$lavoro/$caso
  mkdir -p "$o" "$w"
  cp "$d/linea.txt" "$d/treno.txt" "$w/"
  cd "$w"
  { "$scenario" verifica linea.txt treno.txt; echo "stato $?"; } >"$o/verifica" 2>&1
  { "$scenario" verifica --json linea.txt treno.txt; echo "stato $?"; } >"$o/verifica.json" 2>&1
  { "$scenario" verifica --utf8 linea.txt treno.txt; echo "stato $?"; } >"$o/verifica.utf8" 2>&1
  mkdir -p c
  { "$scenario" compila linea.txt treno.txt c; echo "stato $?"; } >"$o/compila" 2>&1
  (cd c && sha256sum * 2>/dev/null) >>"$o/compila"
  mkdir -p dd
  { "$scenario" documenti linea.txt treno.txt dd; echo "stato $?"; } >"$o/documenti" 2>&1
  (cd dd && sha256sum * 2>/dev/null) >>"$o/documenti"
  { "$scenario" disegna linea.txt treno.txt --uscita x.svg; echo "stato $?"; } >"$o/disegna" 2>&1
  [ -f x.svg ] && sha256sum x.svg >>"$o/disegna"
  if ls c/*.dat >/dev/null 2>&1; then
    { "$scenario" ispeziona c; echo "stato $?"; } >"$o/ispeziona" 2>&1
    { "$scenario" ispeziona --json c; echo "stato $?"; } 2>&1 | sha256sum >"$o/ispeziona.json"
  fi
  cd / && rm -rf "$w"
}
export -f uno
export scenario corpus out lavoro
ls "$corpus" | xargs -P 2 -I{} bash -c 'uno {}'
echo "esegui: $(ls "$out" | wc -l) casi in $out"
