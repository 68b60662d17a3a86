#!/usr/bin/env bash
# Times two whole programs, each side by side with its floor (bench/pavimento:
# a program that only writes the same bytes the same durable way):
#  1. the build run, `compilatore` in a folder of its own (six files);
#  2. `scenario compila` on the generated 1,000,000 m descriptions (three
#     files, 20 MB).
# Prints for each the median time of a whole run, the ratio to the floor and
# the peak memory, against the targets. RIPETIZIONI (default 21) runs of each.
# Not part of test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
ripetizioni=${RIPETIZIONI:-21}

w=$(mktemp -d)
trap 'rm -rf "$w"' EXIT
cmake --preset bench >/dev/null
cmake --build --preset bench >"$w/build.log" || { cat "$w/build.log"; exit 1; }
b=$(pwd)/cmake-build/bench

# The files a program leaves in `cartella`, in the order it writes them.
file_scritti() { (cd "$1" && ls -tr --time=ctime | grep -v -x -e compilatore -e linea.txt -e treno.txt); }
uguali() {
  local nome
  while IFS= read -r nome; do cmp -s "$1/$nome" "$2/$nome" || { echo "run.sh: $2/$nome diverso" >&2; exit 1; }; done < <(file_scritti "$1")
}

echo "Build run (compilatore, percorso portato), $ripetizioni esecuzioni per parte:"
mkdir "$w/build" "$w/build_pav" "$w/build_rif"
cp "$b/compilatore" "$w/build_rif/"
(cd "$w/build_rif" && ./compilatore >/dev/null && rm compilatore)
cp "$b/compilatore" "$w/build/"
mapfile -t nomi < <(file_scritti "$w/build_rif")
"$b/bench/confronta" "$ripetizioni" 1.15 16 \
  "$w/build" -- "$w/build/compilatore" -- \
  "$w/build_pav" -- "$b/bench/pavimento" "$w/build_rif" "$w/build_pav" "${nomi[@]}"
uguali "$w/build_rif" "$w/build"
uguali "$w/build_rif" "$w/build_pav"

echo "scenario compila, linea di 1.000.000 m, $ripetizioni esecuzioni per parte:"
mkdir -p "$w/milione/uscita" "$w/milione_pav" "$w/milione_rif" "$w/tmp"
"$b/bench/genera_descrizioni" "$w/milione"
(cd "$w/milione" && TMPDIR="$w/tmp" "$b/scenario" compila linea.txt treno.txt "$w/milione_rif" >/dev/null)
mapfile -t nomi < <(file_scritti "$w/milione_rif")
TMPDIR="$w/tmp" "$b/bench/confronta" "$ripetizioni" 1.15 40 \
  "$w/milione" -- "$b/scenario" compila linea.txt treno.txt uscita -- \
  "$w/milione_pav" -- "$b/bench/pavimento" "$w/milione_rif" "$w/milione_pav" "${nomi[@]}"
uguali "$w/milione_rif" "$w/milione/uscita"
uguali "$w/milione_rif" "$w/milione_pav"
