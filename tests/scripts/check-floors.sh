#!/usr/bin/env bash
# Every source folder includes only itself and the folders it stands on (the
# floors the README's Architecture section draws): nothing reaches upward.
#   check-floors.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
declare -A allowed=(
  [diag]=""
  [settings]="diag"
  [engine]="diag"
  [audio]="diag"
  [model]="engine diag"
  [insert]="engine settings diag"
  [ui]="insert engine settings audio model res diag"
  [app]="ui insert engine settings audio model text res diag"
  [text]=""
  [res]=""
)
status=0 checked=0
for folder in "${!allowed[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    checked=$((checked + 1))
    while read -r used; do
      [ "$used" = "$folder" ] && continue
      if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
        echo "FAIL: $file includes $used/, a floor above $folder/ or beside it"
        status=1
      fi
    done < <(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u)
  done
done
[ "$checked" -gt 0 ] || { echo "FAIL: no sources under $1"; exit 1; }
[ $status -eq 0 ] && echo "$checked files include only their own floor and those below"
exit $status
