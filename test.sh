#!/usr/bin/env bash
# Builds everything, runs a short fuzzing pass, then every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/prerequisiti.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -x fuzz/breve.sh ]; then fuzz/breve.sh; fi
ctest --preset release
