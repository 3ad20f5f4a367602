#!/usr/bin/env bash
# vornika-model as a user runs it: a checkpoint folder with a Cyrillic name
# converted and recognised, the two ways to a q8_0 file giving the same
# bytes, info's lines, and every failure's exit code with nothing left behind.
#   model-cli.sh RUNNER MODEL_TOOL TRANSCRIBE MAKE_TEST_MODEL WRITE_CHECKPOINT   (RUNNER may be "")
set -uo pipefail
runner=$1 tool=$2 transcribe=$3 make_model=$4 write_checkpoint=$5
. "$(dirname "$0")/cli-checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

leftovers() { find . -name '*.part' | wc -l | tr -d ' '; }

sentence='Assalomu alaykum, oʻzbek tilida gʻalaba'
printf '%s' "$sentence" > script.txt
run "$make_model" --script-file script.txt scripted.bin || { echo "FAIL: make-test-model"; exit 1; }
sox -n -r 16000 -c 1 -b 16 tone.wav synth 1.5 sine 300 vol 0.5

folder='Модель ўзбек'
run "$write_checkpoint" scripted.bin "$folder" f16 2 || { echo "FAIL: write-test-checkpoint"; exit 1; }
mkdir -p 'Натижа'
run "$tool" convert "$folder" 'Натижа/ggml-veltostt.bin' 2>convert.err
check "convert exit code" 0 $?
cp 'Натижа/ggml-veltostt.bin' q8-direct.bin
check "converted model's text" "$sentence" "$(run "$transcribe" --threads 2 --model q8-direct.bin tone.wav 2>/dev/null)"
check "converted model's type" "type q8_0" "$(run "$tool" info q8-direct.bin | tr -d '\r' | grep '^type ')"

run "$tool" convert "$folder" f16.bin --type f16 2>/dev/null
check "convert f16 exit code" 0 $?
run "$tool" quantize f16.bin q8-two-steps.bin q8_0 >/dev/null 2>&1
check "quantize exit code" 0 $?
check "one step and two steps give the same bytes" yes "$(cmp -s q8-direct.bin q8-two-steps.bin && echo yes)"
run "$tool" quantize f16.bin q5.bin q5_0 >/dev/null 2>&1
check "q5_0 model's text" "$sentence" "$(run "$transcribe" --threads 2 --model q5.bin tone.wav 2>/dev/null)"

info=$(run "$tool" info f16.bin | tr -d '\r' | cut -d' ' -f1 | tr '\n' ' ')
check "info's names" "size type layers mel_bins vocabulary multilingual file_bytes memory_bytes " "$info"
check "info's file bytes" "file_bytes $(stat -c %s f16.bin)" "$(run "$tool" info f16.bin | tr -d '\r' | grep '^file_bytes ')"

# Failures: the exit code, a message naming the file, no part file, and the
# existing target as it was.
echo 'the model in use' > target.bin
fails() {  # NAME CODE MESSAGE_PART ARGS...
  local name=$1 code=$2 message=$3
  shift 3
  run "$tool" "$@" 2>"$name.err" >/dev/null
  check "$name exit code" "$code" $?
  check "$name message" yes "$(grep -qF -- "$message" "$name.err" && echo yes)"
  check "$name target untouched" 'the model in use' "$(cat target.bin)"
  check "$name leaves no part file" 0 "$(leftovers)"
}
cp -r "$folder" pickle && mv pickle/model-00001-of-00002.safetensors pickle/pytorch_model.bin && rm pickle/model.safetensors.index.json
fails pickle 2 "download the .safetensors files instead" convert pickle target.bin
fails missing-folder 2 "config.json: cannot be read" convert nothing target.bin
fails f32 2 "f32 output is not supported" convert "$folder" target.bin --type f32
fails requantize 2 "already quantized" quantize q8-direct.bin target.bin q5_0
fails not-a-model 2 "not a whisper model file" info script.txt
fails cannot-write 3 "cannot be created" convert "$folder" no/such/folder/target.bin
fails usage 2 "usage: vornika-model" frobnicate

# Ctrl+C in the middle: a signal to the native tool, which stops between two
# tensors (Wine does not turn a signal into a console event). Under
# AddressSanitizer writing the base-size checkpoint alone takes minutes; the
# plain native run covers the case.
if [ -z "$runner" ] && ! ldd "$tool" 2>/dev/null | grep -q libasan; then
  run "$make_model" --preset base --random large.bin
  run "$write_checkpoint" large.bin large f32 1
  "$tool" convert large target.bin --type q5_0 2>/dev/null &
  pid=$!
  for _ in $(seq 200); do [ -e target.bin.part ] && break; sleep 0.05; done
  kill -INT "$pid"
  wait "$pid"
  check "stopped exit code" 130 $?
  check "stopped target untouched" 'the model in use' "$(cat target.bin)"
  check "stopped leaves no part file" 0 "$(leftovers)"
fi

report
