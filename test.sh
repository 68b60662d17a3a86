#!/usr/bin/env bash
# Checks the layers and the format, builds everything, runs a short fuzzing
# pass, then every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/prerequisiti.sh
tools/controlla_strati.sh
tools/controlla_formato.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -x fuzz/breve.sh ]; then fuzz/breve.sh; fi
ctest --preset release
