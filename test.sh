#!/usr/bin/env bash
# Checks the layers and the format, builds everything, runs a short fuzzing
# pass and the tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (but the long numeric runs of the import, which repeat paths that shorter
# tests already take, the looks in a browser and the README's pictures: the
# asan test preset leaves them to the release build),
# then the Windows build under Wine (tools/prova_windows.sh) and every test of
# the release build, whose summary comes last.
set -euo pipefail
cd "$(dirname "$0")"
tools/prerequisiti.sh --prove
tools/controlla_strati.sh
tools/controlla_formato.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset asan >/dev/null
cmake --build --preset asan
if [ -x fuzz/breve.sh ]; then FUZZ_PRESET=asan fuzz/breve.sh; fi
ctest --preset asan --parallel 2 >cmake-build/asan/ctest.log 2>&1 || {
  cat cmake-build/asan/ctest.log
  echo "test.sh: i test sotto i sanitizer non passano" >&2
  exit 1
}
echo "asan: $(grep -E 'tests passed' cmake-build/asan/ctest.log)"
# The Windows programs, cross-built and run under Wine against this build.
timeout 720 tools/prova_windows.sh cmake-build/release
ctest --preset release --parallel 2
