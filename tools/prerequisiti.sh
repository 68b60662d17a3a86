#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project.
set -euo pipefail
pacchetti=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format libfmt-dev libcli11-dev nlohmann-json3-dev libgtest-dev googletest libbenchmark-dev util-linux libproj-dev libxml2-dev librsvg2-bin chromium)
mancanti=()
for p in "${pacchetti[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || mancanti+=("$p")
done
if ((${#mancanti[@]})); then
  echo "Installo: ${mancanti[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${mancanti[@]}" >/dev/null
fi
