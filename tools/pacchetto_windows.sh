#!/usr/bin/env bash
# The zip of the Windows programs, from the cross build as it is.
#
#   tools/pacchetto_windows.sh [CARTELLA_WINDOWS [CARTELLA_LINUX [CARTELLA_PACCHETTI]]]
#
# Writes CARTELLA_PACCHETTI/compilatore-scenari-VERSIONE-windows-x64.zip
# (default cmake-build/pacchetti/) and prints its path. In it, under the
# folder of the same name:
#   compilatore.exe, scenario.exe   the programs of CARTELLA_WINDOWS (default
#                                   cmake-build/windows), stripped, with
#                                   every DLL they load that is not Windows'
#                                   own (none, since they are linked
#                                   statically: checked here)
#   README.txt                      README.md, with CR LF
#   doc/descrizioni.html, doc/file_compilati.html
#                                   the reference (tools/md_html.py)
#   esempio/                        the carried scenario's descriptions and
#                                   documents, from `scenario descrivi` (of
#                                   CARTELLA_LINUX, default cmake-build/release,
#                                   which writes the same bytes as scenario.exe)
# Nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."
finestre=$(cd "${1:-cmake-build/windows}" && pwd)
linux=$(cd "${2:-cmake-build/release}" && pwd)
pacchetti=${3:-$PWD/cmake-build/pacchetti}
mkdir -p "$pacchetti"
pacchetti=$(cd "$pacchetti" && pwd)

/usr/bin/python3 -c 'import markdown' 2>/dev/null || {
  echo "pacchetto windows: manca python3-markdown (tools/prerequisiti.sh --prove lo installa)" >&2
  exit 2
}
versione=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$finestre/CMakeCache.txt")
[ -n "$versione" ] || {
  echo "pacchetto windows: nessuna versione in $finestre/CMakeCache.txt" >&2
  exit 2
}
nome=compilatore-scenari-$versione-windows-x64
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
cartella=$lavoro/$nome
mkdir -p "$cartella/doc" "$cartella/esempio"

# The DLLs that Windows has itself: system32's, and the API sets.
di_windows() {
  grep -qiE '^(api-ms-win-.*|kernel32|user32|gdi32|advapi32|bcrypt|shell32|ws2_32|msvcrt|ucrtbase|ntdll|ole32|oleaut32|comctl32|comdlg32|shlwapi|crypt32|secur32|userenv|version|winmm|iphlpapi|dbghelp|mswsock)\.dll$' <<<"$1"
}
# The DLLs a program or DLL imports, one per line.
importate() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}
# Where the cross toolchain keeps the DLLs it could link to.
cerca_dll() {
  find /usr/lib/gcc/x86_64-w64-mingw32 /usr/x86_64-w64-mingw32/lib /usr/x86_64-w64-mingw32/bin \
    -iname "$1" 2>/dev/null | sort | head -1
}

for programma in compilatore.exe scenario.exe; do
  [ -f "$finestre/$programma" ] || {
    echo "pacchetto windows: manca $finestre/$programma" >&2
    exit 2
  }
  # Without its symbols, which only a debugger reads.
  x86_64-w64-mingw32-strip -o "$cartella/$programma" "$finestre/$programma"
done
# Each DLL that a program (or a DLL it brings) loads and Windows does not
# have goes beside it.
da_guardare=("$cartella/compilatore.exe" "$cartella/scenario.exe")
while ((${#da_guardare[@]})); do
  file=${da_guardare[0]}
  da_guardare=("${da_guardare[@]:1}")
  for dll in $(importate "$file"); do
    di_windows "$dll" && continue
    [ -e "$cartella/$dll" ] && continue
    trovata=$(cerca_dll "$dll")
    [ -n "$trovata" ] || {
      echo "pacchetto windows: $(basename "$file") carica $dll, che non si trova" >&2
      exit 1
    }
    cp "$trovata" "$cartella/$dll"
    da_guardare+=("$cartella/$dll")
  done
done

sed 's/$/\r/' README.md >"$cartella/README.txt"
for pagina in descrizioni file_compilati; do
  /usr/bin/python3 tools/md_html.py "doc/$pagina.md" "$cartella/doc/$pagina.html"
done
"$linux/scenario" descrivi "$cartella/esempio" >/dev/null

# The zip: its entries in order, all with one time.
zip=$pacchetti/$nome.zip
rm -f "$zip"
(cd "$lavoro" && find "$nome" -type f | LC_ALL=C sort >elenco &&
  cmake -E tar cf "$zip" --format=zip "--mtime=2000-01-01 00:00:00 UTC" --files-from=elenco)
echo "$zip"
