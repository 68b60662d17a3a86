#!/usr/bin/env bash
# The Debian package, made from a build and installed into a scratch root.
#
#   tools/prova_debian.sh [CARTELLA_BUILD [CARTELLA_PACCHETTI]]
#
# Makes the package with tools/pacchetto_debian.sh (into CARTELLA_PACCHETTI,
# default cmake-build/pacchetti/), then checks:
#   - its name, version and contents: the three programs, the README, the
#     reference and scenario's manual page, which man reads without a warning;
#   - its Depends: every library that a program loads belongs to a package
#     that Depends names;
#   - installed with dpkg into a scratch root (--root, no system touched),
#     whose status holds the host's entries for the packages it depends on,
#     so that dpkg checks its Depends (with their versions) as apt would:
#     scenario --version and compilatore --versione name the build's version,
#     scenario-importa starts, and compilatore copied from the root into an
#     empty folder writes there the six files that the build's compilatore
#     writes, byte for byte.
# Without dpkg-dev or file it says so and is skipped (status 77).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-cmake-build/release}" && pwd)
pacchetti=${2:-$PWD/cmake-build/pacchetti}

for comando in dpkg dpkg-deb dpkg-shlibdeps file readelf; do
  if ! command -v "$comando" >/dev/null; then
    echo "debian: manca $comando: prova saltata (tools/prerequisiti.sh --prove lo installa)"
    exit 77
  fi
done

guasti=0
fallito() {
  echo "debian: $*" >&2
  guasti=$((guasti + 1))
}

inizio=$SECONDS
deb=$(tools/pacchetto_debian.sh "$build" "$pacchetti")
echo "debian: $deb fatto in $((SECONDS - inizio)) s"

lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT

# Name and version: those of the build.
versione=$("$build/scenario" --version | sed 's/^scenario //')
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "compilatore-scenari_${versione}_${arch}.deb" ] ||
  fallito "il pacchetto si chiama $(basename "$deb"), non compilatore-scenari_${versione}_${arch}.deb"
[ "$(dpkg-deb -f "$deb" Package)" = compilatore-scenari ] || fallito "Package: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$versione" ] || fallito "Version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fallito "Architecture: $(dpkg-deb -f "$deb" Architecture)"
dipende=$(dpkg-deb -f "$deb" Depends)
[ -n "$dipende" ] || fallito "il pacchetto non dichiara Depends"

# Its files, and no others.
doc=usr/share/doc/compilatore-scenari
programmi=(compilatore scenario)
# scenario-importa where the build has the import.
[ -x "$build/scenario-importa" ] && programmi+=(scenario-importa)
atteso=$(printf '%s\n' "${programmi[@]/#/usr/bin/}" "$doc/README.md" "$doc/descrizioni.md" \
  "$doc/file_compilati.md" usr/share/man/man1/scenario.1.gz | sort)
trovato=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
[ "$trovato" = "$atteso" ] || fallito "i file del pacchetto sono:
$trovato
invece di:
$atteso"

# Installed into a scratch root. Its status holds the host's entries for the
# packages that Depends names, and each has its (empty) list of files: dpkg
# then checks the Depends, versions too, against what the host has, and
# installs nothing but the package.
radice=$lavoro/radice
amministrazione=$radice/var/lib/dpkg
mkdir -p "$amministrazione/info" "$amministrazione/updates" "$amministrazione/triggers"
: >"$amministrazione/available"
: >"$amministrazione/status"
nomi_dipende=$(tr ',|' '\n\n' <<<"$dipende" | sed 's/(.*)//; s/:.*//; s/ //g' | grep -v '^$' | sort -u)
for nome in $nomi_dipende; do
  if voce=$(dpkg-query -s "$nome" 2>/dev/null); then
    printf '%s\n\n' "$voce" >>"$amministrazione/status"
    arch_voce=$(dpkg-query -W -f='${Architecture}' "$nome")
    : >"$amministrazione/info/$nome.list"
    : >"$amministrazione/info/$nome:$arch_voce.list"
  fi
done
forza=()
[ "$(id -u)" -eq 0 ] || forza=(--force-not-root)
if ! dpkg --root="$radice" --log=/dev/null "${forza[@]}" -i "$deb" >"$lavoro/dpkg.log" 2>&1; then
  fallito "dpkg -i nella radice di prova non riesce: $(cat "$lavoro/dpkg.log")"
fi
[ "$(dpkg-query --admindir="$amministrazione" -W -f='${Status}' compilatore-scenari 2>/dev/null)" = \
  "install ok installed" ] || fallito "dopo dpkg -i il pacchetto non risulta installato"
bin=$radice/usr/bin

# Every library a program loads, and the package it comes from: one that
# Depends names. The libraries' paths as the loader finds them, each also
# with and without /usr (the system's folders are merged): dpkg knows one.
declare -A percorsi=()
for programma in "${programmi[@]}"; do
  for libreria in $(readelf -d "$bin/$programma" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    percorsi[$libreria]=$(ldd "$bin/$programma" | awk -v l="$libreria" '$1 == l { print $3 }')
  done
done
candidati=()
for percorso in "${percorsi[@]}"; do
  candidati+=("$percorso" "${percorso#/usr}" "/usr$percorso" "$(readlink -f "$percorso")")
done
# One search for all of them (dpkg -S reads its whole database each time).
declare -A di_pacchetto=()
while IFS= read -r riga; do
  di_pacchetto[${riga#*: }]=${riga%%[:,]*}
done < <(dpkg -S "${candidati[@]}" 2>/dev/null || true)
for libreria in "${!percorsi[@]}"; do
  percorso=${percorsi[$libreria]}
  pacchetto=""
  for candidato in "$percorso" "${percorso#/usr}" "/usr$percorso" "$(readlink -f "$percorso")"; do
    pacchetto=${di_pacchetto[$candidato]:-}
    [ -n "$pacchetto" ] && break
  done
  if [ -z "$pacchetto" ]; then
    fallito "i programmi caricano $libreria ($percorso), che non è di nessun pacchetto"
  elif ! grep -qx "$pacchetto" <<<"$nomi_dipende"; then
    fallito "i programmi caricano $libreria del pacchetto $pacchetto, che Depends non nomina ($dipende)"
  fi
done

# The installed programs.
[ "$("$bin/scenario" --version)" = "scenario $versione" ] ||
  fallito "scenario --version installato: $("$bin/scenario" --version 2>&1)"
if [ -x "$build/scenario-importa" ]; then
  [ "$("$bin/scenario-importa" --version)" = "scenario $versione" ] ||
    fallito "scenario-importa --version installato: $("$bin/scenario-importa" --version 2>&1)"
fi
mkdir "$lavoro/installato" "$lavoro/build"
cp "$bin/compilatore" "$lavoro/installato/"
cp "$build/compilatore" "$lavoro/build/"
[ "$("$lavoro/installato/compilatore" --versione)" = "compilatore $versione" ] ||
  fallito "compilatore --versione installato: $("$lavoro/installato/compilatore" --versione 2>&1)"
(cd "$lavoro/build" && ./compilatore >/dev/null) || fallito "il compilatore della build non riesce"
(cd "$lavoro/installato" && ./compilatore >/dev/null) || fallito "il compilatore installato non riesce"
rm "$lavoro/installato/compilatore" "$lavoro/build/compilatore"
[ "$(ls "$lavoro/installato" | wc -l)" = 6 ] ||
  fallito "il compilatore installato scrive $(ls "$lavoro/installato" | wc -l) file invece di 6"
diff -r "$lavoro/build" "$lavoro/installato" >"$lavoro/diff" ||
  fallito "il compilatore installato scrive altro da quello della build: $(head -5 "$lavoro/diff")"

# The documents as they are in the sources, and the manual page as man reads
# it: without a warning, with every command.
for file in README.md doc/descrizioni.md doc/file_compilati.md; do
  cmp -s "$file" "$radice/$doc/$(basename "$file")" || fallito "$doc/$(basename "$file") differisce da $file"
done
pagina=$radice/usr/share/man/man1/scenario.1.gz
if command -v groff >/dev/null; then
  avvisi=$(zcat "$pagina" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$avvisi" ] || fallito "la pagina di manuale dà avvisi: $avvisi"
  testo=$(zcat "$pagina" | groff -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
  for comando in compila descrivi verifica documenti importa disegna ispeziona marcia guarda; do
    grep -q "^   scenario $comando\$" <<<"$testo" || fallito "la pagina di manuale non ha scenario $comando"
  done
  grep -q "^       scenario \(-\|‐\) strumenti per chi scrive scenari" <<<"$testo" ||
    fallito "la pagina di manuale non ha il suo nome"
fi

if ((guasti > 0)); then
  echo "debian: $guasti differenze" >&2
  exit 1
fi
echo "debian: $deb installato in una radice di prova: Depends ($dipende) soddisfatte, versione $versione, sei file identici alla build ($((SECONDS - inizio)) s)"
