#!/usr/bin/env bash
# Builds the two programs, puts them in out/ and runs compilatore there.
set -euo pipefail
cd "$(dirname "$0")"
tools/prerequisiti.sh
cmake --preset release >/dev/null
cmake --build --preset release --target compilatore scenario
mkdir -p out
cp cmake-build/release/compilatore cmake-build/release/scenario out/
# scenario hands `importa` to the program beside it, when the build has it.
if [ -x cmake-build/release/scenario-importa ]; then cp cmake-build/release/scenario-importa out/; fi
(cd out && ./compilatore)
echo
echo "I file dello scenario sono in $(pwd)/out:"
ls -l out | grep -v -E ' (compilatore|scenario|scenario-importa)$' | tail -n +2
