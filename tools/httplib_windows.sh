#!/usr/bin/env bash
# The whole header of cpp-httplib for the Windows build, which Debian builds
# only for Linux (as a library): taken from Debian's source package of the
# same version, checked against its pinned checksum, and kept in
# cmake-build/intestazioni/httplib/, where the preset "windows" looks for it.
#   tools/httplib_windows.sh
# Prints the folder. Does nothing when the header is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
versione=0.11.4
archivio=cpp-httplib_${versione}+ds.orig.tar.xz
indirizzo=https://deb.debian.org/debian/pool/main/c/cpp-httplib/$archivio
impronta=8b1a5df569003b6a4f24c68489bbda5c64aec94697bdc9ebba5d79408b2ae7eb
cartella=$PWD/cmake-build/intestazioni/httplib

if [ ! -s "$cartella/httplib.h" ]; then
  mkdir -p "$cartella"
  lavoro=$(mktemp -d)
  trap 'rm -rf "$lavoro"' EXIT
  curl -fsSL --max-time 120 --retry 2 -o "$lavoro/$archivio" "$indirizzo"
  echo "$impronta  $lavoro/$archivio" | sha256sum -c --quiet - >&2
  tar -xJf "$lavoro/$archivio" -C "$lavoro" --wildcards --no-anchored httplib.h
  intestazione=$(find "$lavoro" -name httplib.h -type f | head -1)
  [ -n "$intestazione" ] || {
    echo "httplib_windows: $archivio non ha httplib.h" >&2
    exit 1
  }
  grep -q "#define CPPHTTPLIB_VERSION \"$versione\"" "$intestazione" || {
    echo "httplib_windows: httplib.h di $archivio non è la versione $versione" >&2
    exit 1
  }
  cp "$intestazione" "$cartella/httplib.h.nuovo"
  mv "$cartella/httplib.h.nuovo" "$cartella/httplib.h"
fi
echo "$cartella"
