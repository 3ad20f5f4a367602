#!/usr/bin/env bash
# Where an installed copy looks for its files, from unusual install folders:
# a folder path longer than 260 characters, and a Cyrillic folder holding
# the model in its models folder (and a folder named like the model beside
# the executable, which must not count).
#   paths-cli.sh RUNNER VORNIKA_PATHS   (RUNNER may be "")
set -uo pipefail
runner=$1 tool=$2
. "$(dirname "$0")/cli-checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$tool")
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"

value() { sed -n "s/^$1: //p" | tr -d '\r'; }
# How the program names a folder of this machine: Wine shows / as Z:\.
program_path() { if [ -n "$runner" ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi; }

deep="$work"
for part in $(seq 1 6); do deep="$deep/install-folder-with-a-long-name-number-$part-of-six"; done
mkdir -p "$deep" && cp "$tool" "$deep/"
out=$(cd "$deep" && run "./$name")
exe=$(value exe <<<"$out")
check "long exe path" "$(program_path "$deep/$name")" "$exe"
check "long exe path is over 260" yes "$([ "${#exe}" -gt 260 ] && echo yes)"
check "long exe folder" "$(program_path "$deep")" "$(value 'exe folder' <<<"$out")"
check "no model" "" "$(value model <<<"$out")"

cyrillic="$work/Программы/Vornika"
# A folder named like the model in the first place looked at does not count.
mkdir -p "$cyrillic/models/ggml-veltostt.bin" && cp "$tool" "$cyrillic/"
printf 'model' > "$cyrillic/ggml-veltostt.bin"
out=$(cd "$cyrillic" && run "./$name")
model=$(value model <<<"$out")
short=$(value 'model for the engine' <<<"$out")
if [ -n "$runner" ]; then
  check "cyrillic model" "$(program_path "$cyrillic")\\ggml-veltostt.bin" "$model"
  check "short form is ASCII" yes "$(LC_ALL=C grep -q '^[ -~]*$' <<<"$short" && [ -n "$short" ] && echo yes)"
  check "short form on the same drive" yes "$([[ "$short" == 'Z:\'* ]] && echo yes)"
else
  check "cyrillic model" "$cyrillic/ggml-veltostt.bin" "$model"
  check "no short names natively" "" "$short"
fi

report
