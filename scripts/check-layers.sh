#!/usr/bin/env bash
# Checks the include structure: every folder under src/ is one layer, and a file
# may include only its own layer or the layers below it. Below ui/ no file
# includes Qt. Inside devices/ and pages/ the shared files never include a
# device kind's folder, and one kind never includes another. The command-line
# tools stay on the devices' rank (no Qt, no user interface).
# Prints every offending include; exits 1 if there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

# Lowest first; folders on one line share a rank and may not include each other.
ranks=(
  "platform"
  "transport"
  "catalogue"
  "profiles updateclient"
  "devices"
  "ui"
  "editors"
  "pages update audio"
  "shell"
  "app"
)
declare -A rank
for i in "${!ranks[@]}"; do
  for folder in ${ranks[$i]}; do rank[$folder]=$i; done
done
ui_rank=${rank[ui]}

failures=0
fail() {
  echo "layer check: $1"
  failures=$((failures + 1))
}

# The kind folder of a path such as devices/keyboard/x.h ("" for devices/x.h).
kind_of() {
  local rest=${1#*/}
  if [[ "$rest" == */* ]]; then kind=${rest%%/*}; else kind=""; fi
}

quoted='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"'
qt='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z0-9]*|qt[A-Za-z0-9]*)(/[^>]*)?>'

while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  text=${rest#*:}
  kinds=yes
  case "$file" in
    src/*) path=${file#src/}; own=${path%%/*} ;;
    app/*) path=$file; own=app ;;
    tools/*) path=$file; own=devices; kinds=no ;;  # the tools may use every kind's device object
    *) continue ;;
  esac
  if [ -z "${rank[$own]+x}" ]; then
    fail "$file: folder src/$own has no place in the layer list of scripts/check-layers.sh"
    continue
  fi
  own_rank=${rank[$own]}
  if [[ "$text" =~ $qt ]]; then
    [ "$own_rank" -lt "$ui_rank" ] && fail "$file:$line includes Qt below ui/"
    continue
  fi
  [[ "$text" =~ $quoted ]] || continue
  target=${BASH_REMATCH[1]}
  folder=${target%%/*}
  [ "$folder" = "$target" ] && continue      # a header beside the file (tools, tests)
  [ -n "${rank[$folder]+x}" ] || continue    # not one of ours
  if [ "${rank[$folder]}" -gt "$own_rank" ] ||
     { [ "${rank[$folder]}" -eq "$own_rank" ] && [ "$folder" != "$own" ]; }; then
    fail "$file:$line: $own includes $target (a higher or parallel layer)"
    continue
  fi
  if [ "$kinds" = yes ] && [ "$folder" = "$own" ] && { [ "$own" = devices ] || [ "$own" = pages ]; }; then
    kind_of "$path"; from_kind=$kind
    kind_of "$target"; to_kind=$kind
    if [ -n "$to_kind" ] && [ "$from_kind" != "$to_kind" ]; then
      fail "$file:$line: ${from_kind:-the shared part of $own} includes $target (a kind's own folder)"
    fi
  fi
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include' src app tools --include='*.h' --include='*.cpp' | sort)

if [ "$failures" -ne 0 ]; then
  echo "layer check: $failures include(s) break the layer order"
  exit 1
fi
echo "layer check: every include points to its own or a lower layer"
