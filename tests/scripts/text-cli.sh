#!/usr/bin/env bash
# vornika-text as a user runs it: a Latin text to Cyrillic, a Cyrillic text to
# Latin with ASCII apostrophes, apostrophes made standard, the bytes of a
# text left as recognised, and a bad option's exit code and usage line.
#   text-cli.sh RUNNER TOOL   (RUNNER may be "")
set -uo pipefail
runner=$1 tool=$2
. "$(dirname "$0")/cli-checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

printf '%s' "Bugun yanvarda o'zbek kompyuterlarini ko'rdik." | run "$tool" --script cyrillic > cyrillic.txt
check "to Cyrillic exit code" 0 $?
check "to Cyrillic" "Бугун январда ўзбек компьютерларини кўрдик." "$(cat cyrillic.txt)"

printf '%s' "Шаҳар маъноси ғалаба" | run "$tool" --script=latin --apostrophe ascii > latin.txt
check "to Latin" "Shahar ma'nosi g'alaba" "$(cat latin.txt)"

printf '%s' "O'zbekiston, ta'lim va 'so'z'" | run "$tool" --apostrophe standard --trailing-space > standard.txt
check "standard apostrophes" "Oʻzbekiston, taʼlim va 'soʻz' " "$(cat standard.txt)"

printf 'Salom\r\ndunyo' | run "$tool" > same.txt
check "bytes kept" yes "$(printf 'Salom\r\ndunyo' | cmp -s - same.txt && echo yes)"

run "$tool" --script greek </dev/null >/dev/null 2>usage.err
check "bad value exit code" 2 $?
check "usage line" yes "$(grep -q '^usage: vornika-text' usage.err && echo yes)"
run "$tool" --frobnicate </dev/null >/dev/null 2>/dev/null
check "unknown option exit code" 2 $?

report
