#!/usr/bin/env bash
# A short fuzzing run: builds the fuzz target (Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) with the fuzz preset and runs it for a bounded
# time on a copy of the seed corpus in fuzz/seed. Exits non-zero when the
# target crashes, leaks or reports; the crashing input is then kept in
# cmake-build/fuzz/guasti/.
#   FUZZ_SECONDI   how long to fuzz (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."

secondi="${FUZZ_SECONDI:-30}"
corpus="$(mktemp -d)"
registro="$(mktemp)"
trap 'rm -rf "$corpus" "$registro"' EXIT

if ! { cmake --preset fuzz && cmake --build --preset fuzz --target leggi_fuzz; } >"$registro" 2>&1; then
  cat "$registro" >&2
  echo "fuzz: impossibile costruire leggi_fuzz con il preset fuzz" >&2
  exit 1
fi

bersaglio=cmake-build/fuzz/fuzz/leggi_fuzz
guasti=cmake-build/fuzz/guasti
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
