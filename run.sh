#!/usr/bin/env bash
# Builds compilatore and runs it in out/, where the scenario's six files then
# stand; then builds scenario (and scenario-importa) and puts it beside them.
set -euo pipefail
cd "$(dirname "$0")"
tools/prerequisiti.sh
cmake --preset release >/dev/null
cmake --build --preset release --target compilatore
mkdir -p out
cp cmake-build/release/compilatore out/
stato=0
(cd out && ./compilatore) || stato=$?
cmake --build --preset release --target scenario
cp cmake-build/release/scenario out/
# scenario hands `importa` to the program beside it, when the build has it.
if [ -x cmake-build/release/scenario-importa ]; then cp cmake-build/release/scenario-importa out/; fi
echo
echo "I file dello scenario sono in $(pwd)/out:"
ls -l out | grep -v -E ' (compilatore|scenario|scenario-importa)$' | tail -n +2
exit "$stato"
