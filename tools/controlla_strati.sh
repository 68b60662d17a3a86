#!/usr/bin/env bash
# Checks that every #include under src/ points down the layers, never up:
#
#   platform  <  model  <  text, content  <  read  <  compile, marcia
#             <  documents, describe, draw, import, inspect, check  <  run, tool
#
# A folder includes from itself or from a lower layer only; two folders of the
# same layer include nothing from each other, so run/ and tool/, the two tops,
# stay apart. testing/ holds the tests' helpers and the host's test program:
# only tests (*_test.cc) include it, and it includes anything below the tops.
# Prints every include that breaks the order as FILE:LINE: reason and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A strato=(
  [platform]=0 [model]=1 [text]=2 [content]=2 [read]=3 [compile]=4 [marcia]=4
  [documents]=5 [describe]=5 [draw]=5 [import]=5 [inspect]=5 [check]=5 [run]=6 [tool]=6 [testing]=6
)

guasti=0
while IFS= read -r file; do
  cartella=${file#src/}
  cartella=${cartella%%/*}
  if [[ -z ${strato[$cartella]+x} ]]; then
    echo "$file: la cartella '$cartella' non ha un posto nell'ordine degli strati"
    guasti=$((guasti + 1))
    continue
  fi
  while IFS=: read -r riga incluso; do
    verso=${incluso%%/*}
    [[ $verso == "$cartella" ]] && continue
    motivo=""
    if [[ -z ${strato[$verso]+x} ]]; then
      motivo="'$verso' non ha un posto nell'ordine degli strati"
    elif [[ $verso == testing ]]; then
      [[ $file == *_test.cc ]] || motivo="testing/ serve solo ai test"
    elif [[ $cartella == testing ]]; then
      ((strato[$verso] < strato[testing])) || motivo="testing/ non include i programmi ($verso/)"
    elif ((strato[$verso] >= strato[$cartella])); then
      motivo="$cartella/ non include da $verso/, che non sta sotto di lei"
    fi
    if [[ -n $motivo ]]; then
      echo "$file:$riga: include \"$incluso\": $motivo"
      guasti=$((guasti + 1))
    fi
  done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+"' "$file" |
             sed -E 's/^([0-9]+):.*"([^"]+)"$/\1:\2/')
done < <(find src -name '*.cc' -o -name '*.h' | sort)

if ((guasti > 0)); then
  echo "strati: $guasti include contro l'ordine degli strati"
  exit 1
fi
echo "strati: ogni include punta verso il basso"
