#!/usr/bin/env bash
# vornika-transcribe as a user runs it: WAV files of many encodings through a
# scripted model, its exit codes for bad input, bad models and rejected takes.
#   transcribe-cli.sh RUNNER TRANSCRIBE MAKE_TEST_MODEL   (RUNNER may be "")
set -uo pipefail
runner=$1 transcribe=$2 make_model=$3
. "$(dirname "$0")/cli-checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

sentence='Assalomu alaykum, oʻzbek tilida gʻalaba — ajoyib 😀'
printf '%s' "$sentence" > script.txt
run "$make_model" --script-file script.txt scripted.bin || { echo "FAIL: make-test-model"; exit 1; }
run "$make_model" --silence silence.bin || { echo "FAIL: make-test-model --silence"; exit 1; }

transcribe_case() {  # NAME EXPECTED_CODE EXPECTED_STDOUT MODEL WAV [extra args]
  local name=$1 code=$2 want=$3 model=$4 wav=$5
  shift 5
  local out rc
  # Two threads keep the test quick on small machines; one case below runs
  # with the program's own count.
  out=$(run "$transcribe" --threads 2 --model "$model" "$@" "$wav" 2>"$name.err")
  rc=$?
  check "$name exit code" "$code" "$rc"
  check "$name output" "$want" "$out"
}

sox -n -r 48000 -c 2 -b 32 -e floating-point f32.wav synth 2 sine 300 vol 0.5
sox -n -r 44100 -c 1 -b 16 s16.wav synth 1.5 sine 440 vol 0.3
sox -n -r 22050 -c 8 -b 24 s24x8.wav synth 1.2 sine 200 vol 0.4
sox -n -r 16000 -c 1 -b 64 -e floating-point f64.wav synth 1.1 sine 500 vol 0.6
sox -n -r 96000 -c 2 -b 32 -e signed-integer s32.wav synth 1.3 sine 700 vol 0.2
sox -n -r 48000 -c 2 -b 16 quiet.wav synth 3 sine 300 vol 0.003
sox -n -r 48000 -c 1 -b 16 short.wav synth 0.5 sine 300 vol 0.5
sox -n -r 8000 -c 1 -b 8 -e unsigned-integer u8.wav synth 1.5 sine 300 vol 0.5
head -c 100 f32.wav > truncated.wav
echo 'not audio' > text.wav
printf 'lmgg\x01\x02' > bad-model.bin

for wav in f32 s16 s24x8 f64 s32; do
  transcribe_case "$wav" 0 "$sentence" scripted.bin "$wav.wav"
done
transcribe_case silence-model 0 "" silence.bin f32.wav
transcribe_case quiet 4 "" scripted.bin quiet.wav
check "quiet verdict" 1 "$(grep -c '^verdict: silent' quiet.err | tr -d '\r')"
transcribe_case short 4 "" scripted.bin short.wav
check "short verdict" 1 "$(grep -c '^verdict: too short' short.err | tr -d '\r')"
transcribe_case eight-bit 2 "" scripted.bin u8.wav
transcribe_case truncated 2 "" scripted.bin truncated.wav
transcribe_case not-wav 2 "" scripted.bin text.wav
transcribe_case missing-input 2 "" scripted.bin nothing.wav
transcribe_case missing-model 3 "" nothing.bin f32.wav
transcribe_case bad-model 3 "" bad-model.bin f32.wav
# The user's text on every platform; the engine's reason reaches the log,
# whose debugger output is standard error only in the native build.
check "bad model text" yes "$(grep -q "Model yuklanmadi. Fayl buzilgan bo'lishi mumkin" bad-model.err && echo yes)"
check "missing model text" yes "$(grep -q "Model fayli topilmadi. Ilovani qayta o'rnating." missing-model.err && echo yes)"
if [ -z "$runner" ]; then
  check "bad model reason" yes "$(grep -q 'XATO: velto_load = 1 (invalid model file: header truncated)' bad-model.err && echo yes)"
fi

# The text options style the output as the program's text settings do.
transcribe_case cyrillic 0 'Ассалому алайкум, ўзбек тилида ғалаба — ажойиб 😀' scripted.bin f32.wav --script cyrillic
transcribe_case ascii-apostrophes 0 "Assalomu alaykum, o'zbek tilida g'alaba — ajoyib 😀 " scripted.bin f32.wav \
  --apostrophe=ascii --trailing-space
transcribe_case bad-text-option 2 "" scripted.bin f32.wav --script greek

out=$(run "$transcribe" --model scripted.bin f32.wav 2>program-threads.err)
check "program's thread count" "$sentence" "$out"
check "program's thread count reported" 1 "$(grep -c ', [0-9]* threads,' program-threads.err | tr -d '\r')"

# The saved take is what the engine hears: 16 kHz mono float, the input's length.
transcribe_case save-take 0 "$sentence" scripted.bin f32.wav --save-take take.wav
check "take rate" 16000 "$(soxi -r take.wav)"
check "take channels" 1 "$(soxi -c take.wav)"
check "take encoding" "Floating Point PCM" "$(soxi -e take.wav)"
check "take length" 32000 "$(soxi -s take.wav)"
peak=$(sox take.wav -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p')
check "take levelled to 0.95" 0.95 "$(printf '%.2f' "$peak")"

report
