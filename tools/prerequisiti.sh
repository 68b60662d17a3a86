#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and run the programs
# (./run.sh), and with --prove also what the tests need (./test.sh).
#   tools/prerequisiti.sh [--prove]
set -euo pipefail
# Building and running: the compilers' tools and the libraries the programs
# use (PROJ and libxml2 for the import of GPS tracks, libosmium and GDAL for
# the import of OpenStreetMap extracts and elevation tiles).
pacchetti=(cmake ninja-build g++ libfmt-dev libcli11-dev nlohmann-json3-dev libproj-dev libxml2-dev
  pkg-config)
# Installed without their recommended packages, which the import does not
# need (GDAL would bring a hundred more).
leggeri=(libosmium2-dev libgdal-dev)
if [ "${1:-}" = --prove ]; then
  # The tests: GoogleTest, Clang with its sanitizers' runtime and its
  # formatter, the benchmarks' library, and what shows the drawing as a person
  # sees it.
  pacchetti+=(clang libclang-rt-14-dev clang-format libgtest-dev googletest libbenchmark-dev
    util-linux librsvg2-bin chromium python3)
  # The Debian package (tools/prova_debian.sh): dpkg-shlibdeps, which finds
  # its Depends, and file, with which CPack finds the programs to give it;
  # groff reads its manual page.
  leggeri+=(dpkg-dev file groff-base)
  # The Windows build and its checks under Wine (tools/prova_windows.sh): the
  # cross compiler, Wine with its fonts, a headless X server, a hand on its
  # keyboard, screenshots and the reading of their text, and curl, which
  # fetches the page that scenario.exe serves; and Python-Markdown, which
  # makes the reference's HTML pages of the zip (tools/md_html.py). Also
  # without their recommended packages.
  leggeri+=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xdotool imagemagick tesseract-ocr
    tesseract-ocr-eng curl python3-markdown)
fi

mancanti() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t mancano < <(mancanti "${pacchetti[@]}")
mapfile -t mancano_leggeri < <(mancanti "${leggeri[@]}")
if ((${#mancano[@]} + ${#mancano_leggeri[@]})); then
  echo "Installo: ${mancano[*]} ${mancano_leggeri[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  if ((${#mancano[@]})); then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${mancano[@]}" >/dev/null
  fi
  if ((${#mancano_leggeri[@]})); then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
      "${mancano_leggeri[@]}" >/dev/null
  fi
fi
