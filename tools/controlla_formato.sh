#!/usr/bin/env bash
# Checks that every C++ file of the tree is formatted with the repository's
# .clang-format (clang-format 14): prints each file that is not, with the
# first lines that differ, and fails. `tools/controlla_formato.sh --correggi`
# formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

formattatore=""
for candidato in clang-format-14 clang-format; do
  if command -v "$candidato" >/dev/null && "$candidato" --version | grep -q 'version 14\.'; then
    formattatore=$candidato
    break
  fi
done
if [[ -z $formattatore ]]; then
  echo "formato: serve clang-format 14 (tools/prerequisiti.sh --prove lo installa)" >&2
  exit 1
fi

mapfile -t sorgenti < <(git ls-files --cached --others --exclude-standard -- '*.cc' '*.h' 2>/dev/null ||
                          find src bench fuzz -name '*.cc' -o -name '*.h')

if [[ ${1:-} == --correggi ]]; then
  "$formattatore" -i "${sorgenti[@]}"
  exit 0
fi

fuori=0
for file in "${sorgenti[@]}"; do
  [[ -f $file ]] || continue
  if ! "$formattatore" "$file" | cmp -s - "$file"; then
    echo "$file non è formattato:"
    "$formattatore" "$file" | diff -u "$file" - | sed -n '3,12p'
    fuori=$((fuori + 1))
  fi
done
if ((fuori > 0)); then
  echo "formato: $fuori file da formattare (tools/controlla_formato.sh --correggi)"
  exit 1
fi
echo "formato: ${#sorgenti[@]} file formattati con .clang-format"
