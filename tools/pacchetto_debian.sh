#!/usr/bin/env bash
# The Debian package of a Linux build: compilatore, scenario and
# scenario-importa in /usr/bin, the README and the reference in
# /usr/share/doc/compilatore-scenari/, scenario's manual page; its Depends
# found by dpkg-shlibdeps in the programs.
#
#   tools/pacchetto_debian.sh [CARTELLA_BUILD [CARTELLA_PACCHETTI]]
#
# Packages the build as it is (default cmake-build/release, built with its
# default target, which makes the manual page): nothing is built again.
# Writes CARTELLA_PACCHETTI/compilatore-scenari_VERSIONE_ARCH.deb (default
# cmake-build/pacchetti/) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-cmake-build/release}" && pwd)
pacchetti=${2:-$PWD/cmake-build/pacchetti}
mkdir -p "$pacchetti"
pacchetti=$(cd "$pacchetti" && pwd)

for comando in cpack dpkg-deb dpkg-shlibdeps file; do
  command -v "$comando" >/dev/null || {
    echo "pacchetto debian: manca $comando (tools/prerequisiti.sh --prove lo installa)" >&2
    exit 2
  }
done
[ -f "$build/generato/scenario.1.gz" ] || {
  echo "pacchetto debian: $build non è costruita (manca la pagina di manuale)" >&2
  exit 2
}

# CPack's work goes into a folder of its own, which then goes: only the
# package stays.
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$lavoro" >"$lavoro/cpack.log" 2>&1; then
  cat "$lavoro/cpack.log" >&2
  echo "pacchetto debian: cpack non riesce" >&2
  exit 1
fi
deb=$(find "$lavoro" -maxdepth 1 -name '*.deb')
[ -n "$deb" ] || {
  cat "$lavoro/cpack.log" >&2
  exit 1
}
mv "$deb" "$pacchetti/"
echo "$pacchetti/$(basename "$deb")"
