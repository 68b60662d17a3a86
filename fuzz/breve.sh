#!/usr/bin/env bash
# A short fuzzing run: builds the fuzz target (Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) with the fuzz preset and runs it for a bounded
# time on a copy of the seed corpus in fuzz/seed. Exits non-zero when the
# target crashes, leaks or reports; the crashing input is then kept in
# cmake-build/PRESET/guasti/.
#   FUZZ_SECONDI   how long to fuzz (default 30)
#   FUZZ_PRESET    the preset that builds it (default fuzz; the asan preset
#                  builds it beside the tests, which spares ./test.sh a build)
set -euo pipefail
cd "$(dirname "$0")/.."

secondi="${FUZZ_SECONDI:-30}"
preset="${FUZZ_PRESET:-fuzz}"
corpus="$(mktemp -d)"
registro="$(mktemp)"
trap 'rm -rf "$corpus" "$registro"' EXIT

if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target leggi_fuzz; } >"$registro" 2>&1; then
  cat "$registro" >&2
  echo "fuzz: impossibile costruire leggi_fuzz con il preset $preset" >&2
  exit 1
fi

bersaglio=cmake-build/$preset/fuzz/leggi_fuzz
guasti=cmake-build/$preset/guasti
mkdir -p "$guasti"
cp fuzz/seed/* "$corpus"/
semi=$(ls fuzz/seed | wc -l)

stato=0
"$bersaglio" -max_total_time="$secondi" -rss_limit_mb=2048 -timeout=20 -max_len=4096 \
  -artifact_prefix="$guasti/" "$corpus" >"$registro" 2>&1 || stato=$?

esecuzioni=$(grep -Eo 'Done [0-9]+ runs' "$registro" | grep -Eo '[0-9]+' || echo "?")
if [ "$stato" -ne 0 ]; then
  tail -n 60 "$registro" >&2
  echo "fuzz: leggi_fuzz ha trovato un guasto (stato $stato); l'input che lo provoca è in $guasti/" >&2
  exit 1
fi
echo "fuzz: leggi_fuzz per ${secondi} s su una copia di ${semi} semi di fuzz/seed: ${esecuzioni} esecuzioni, nessun guasto"
