#!/usr/bin/env bash
# The release as a user gets it, in a Wine prefix of its own, with a display
# and a virtual microphone: installs it silently with a scripted model, lets
# the installed program dictate, uninstalls it and checks what stays, then
# runs the zip's program from a folder with Cyrillic letters in its path.
#   release-check.sh RELEASE_DIR MAKE_TEST_MODEL RELEASE_TESTS_EXE
set -euo pipefail
release=$(readlink -f "$1") make_model=$(readlink -f "$2") tests=$(readlink -f "$3")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'VORNIKA_WINEPREFIX=$work/prefix WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export VORNIKA_WINEPREFIX=$work/prefix
winpath() { printf 'Z:%s' "${1//\//\\}"; }

setup=$(ls "$release"/Vornika-*-setup.exe)
zip=$(ls "$release"/Vornika-*-win64.zip)
"$make_model" --script "O'rnatilgan Vornika" "$work/model.bin" >/dev/null
unzipped=$work/Программы
mkdir -p "$unzipped"
(cd "$unzipped" && unzip -q "$zip")
unpacked=$(ls -d "$unzipped"/Vornika-*)
cp "$work/model.bin" "$unpacked/models/ggml-veltostt.bin"
export VORNIKA_UNZIPPED
VORNIKA_UNZIPPED=$(winpath "$unpacked")

model_tool=$(winpath "$unpacked/vornika-model.exe")
unzipped_model=$(winpath "$unpacked/models/ggml-veltostt.bin")

cat >"$work/steps.sh" <<STEPS
set -e
run() { "$root/scripts/wine-run" "\$@"; }
echo "== installing silently"
run "$(winpath "$setup")" /S /MODEL="$(winpath "$work/model.bin")"
run "$tests" --gtest_brief=1 --gtest_filter='Installed.*'
echo "== uninstalling silently"
folder=\$(run cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\\\Programs\\\\Vornika
run "\$folder\\\\uninstall.exe" /S
unix_folder=\$(VORNIKA_PRINT_PREFIX=1 "$root/scripts/wine-run")/drive_c/users/\$(id -un)/AppData/Local/Programs/Vornika
for _ in \$(seq 1 150); do [ -e "\$unix_folder" ] || break; sleep 0.2; done
run "$tests" --gtest_brief=1 --gtest_filter='Uninstalled.*'
echo "== the zip, from a Cyrillic folder"
run "$tests" --gtest_brief=1 --gtest_filter='Unzipped.*'
echo "== the model tool from the zip"
run "$model_tool" info "$unzipped_model" | tr -d '\r' | grep -qx 'type f16'
STEPS
bash "$root/tests/harness/session.sh" --audio --display bash "$work/steps.sh"
