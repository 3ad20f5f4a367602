#!/usr/bin/env bash
# vornika-model download against a local hub (test-hub.py, on 127.0.0.1)
# serving checkpoint folders the tests' writer makes from a scripted model:
# the model downloaded, checked, converted and recognised; a download cut
# half-way resumed; a rate limit waited out; every refusal and failure with
# its exit code.
#   model-download.sh RUNNER MODEL_TOOL TRANSCRIBE MAKE_TEST_MODEL WRITE_CHECKPOINT
set -uo pipefail
runner=$1 tool=$2 transcribe=$3 make_model=$4 write_checkpoint=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/cli-checks.sh"

work=$(mktemp -d)
hub_pid=
trap '[ -n "$hub_pid" ] && kill "$hub_pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

sentence='Toshkentda bahor keldi'
printf '%s' "$sentence" > script.txt
run "$make_model" --script-file script.txt scripted.bin || { echo "FAIL: make-test-model"; exit 1; }
sox -n -r 16000 -c 1 -b 16 tone.wav synth 1.5 sine 300 vol 0.5

mkdir -p repos/uz
run "$write_checkpoint" scripted.bin repos/uz/single f16 1 >/dev/null || { echo "FAIL: write-test-checkpoint"; exit 1; }
run "$write_checkpoint" scripted.bin repos/uz/sharded f16 2 >/dev/null || { echo "FAIL: write-test-checkpoint"; exit 1; }
cp -r repos/uz/single repos/uz/cut && touch repos/uz/cut/.cut-once
touch repos/uz/sharded/.rate-limit-once
cp -r repos/uz/single repos/uz/gated && touch repos/uz/gated/.gated
mkdir repos/uz/pickle && cp repos/uz/single/config.json repos/uz/single/vocab.json repos/uz/pickle/ \
  && echo pickle > repos/uz/pickle/pytorch_model.bin

python3 "$here/test-hub.py" repos ports &
hub_pid=$!
for _ in $(seq 50); do [ -s ports ] && break; sleep 0.1; done
read -r port _ < ports || { echo "FAIL: the local hub did not start"; exit 1; }
hub="http://127.0.0.1:$port"

downloaded() {  # NAME REPO: downloaded, converted, and says the sentence
  run "$tool" download "$2" "$1.bin" --hub "$hub" 2>"$1.err"
  check "$1 exit code" 0 $?
  check "$1 model's text" "$sentence" "$(run "$transcribe" --threads 2 --model "$1.bin" tone.wav 2>/dev/null)"
}
downloaded single uz/single
downloaded cut uz/cut
downloaded sharded uz/sharded
check "a cut download resumes, fetching nothing twice" no "$(grep -q 'fetched twice' cut.err && echo yes || echo no)"
check "the cut file asked again from where it stopped" 1 "$(grep -c '^206 /uz/cut/model.safetensors bytes=' repos/requests.log)"
check "the rate limit answered once, then waited out" 1 "$(grep -c '^429 /api/models/uz/sharded/' repos/requests.log)"

run "$tool" download uz/single kept.bin --hub "$hub" --keep-checkpoint 'Папка' --type f16 2>/dev/null
check "keep-checkpoint exit code" 0 $?
check "the kept checkpoint" "config.json listing.json model.safetensors vocab.json" "$(ls 'Папка' | tr '\n' ' ' | sed 's/ $//')"

fails() {  # NAME CODE MESSAGE_PART ARGS...
  local name=$1 code=$2 message=$3
  shift 3
  run "$tool" download "$@" "$name.bin" 2>"$name.err"
  check "$name exit code" "$code" $?
  check "$name message" yes "$(grep -qF -- "$message" "$name.err" && echo yes)"
  check "$name writes no model" no "$([ -e "$name.bin" ] && echo yes || echo no)"
}
fails pickle 2 "cannot give a whisper model" uz/pickle --hub "$hub"
fails gated 2 "gated or private" uz/gated --hub "$hub"
fails missing 2 "no such repository" uz/nothing --hub "$hub"
fails bad-name 2 "not a repository name" ../etc --hub "$hub"
fails plain-http 2 "must be an https address" uz/single --hub http://example.com
kill "$hub_pid" && wait "$hub_pid" 2>/dev/null
hub_pid=
fails no-hub 4 "no answer from the hub" uz/other --hub "$hub"
report
