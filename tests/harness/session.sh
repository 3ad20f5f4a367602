#!/usr/bin/env bash
# Runs a command (usually a Windows test program under scripts/wine-run) in
# a private world of its own, for as long as the command runs:
#   --audio    a PulseAudio daemon of its own that Wine's audio driver uses:
#              a null sink ("Stereo Mix"), a virtual microphone remapped from
#              the sink's monitor ("Mikrofon (USB Audio)", the default source),
#              a second one named like a Bluetooth headset, and the keeper
#              recorder that keeps the monitor's clock running;
#   --display  an X server (Xvfb, no key repeat) for programs with windows.
# Every process it starts is stopped by its PID when the run ends, also on
# failure. Wine itself runs in the project's private prefix (scripts/wine-run).
#
# With --audio, a control folder takes requests while the command runs: the
# command writes a file there, the harness carries it out and removes it.
#   play    (content: a sound name: tone-half-s, tone-1s, tone-3s, speech,
#           speech-2min, phrases-70s) plays it into the microphone; the request is done
#           when the sound has been played
#   play-async  the same, done as soon as the sound starts
#   unplug  unloads the microphone and cuts off its recording streams (as when
#           it is pulled out); replug loads it again
#   suspend / resume  stop and restart the flow of audio from the microphone
#
#   session.sh [--audio] [--display] COMMAND...
# The command sees VORNIKA_AUDIO_CONTROL (the control folder as a Windows
# path under Wine's Z: drive), VORNIKA_AUDIO_SOUNDS (the sounds' folder) and
# VORNIKA_DISPLAY (the X display, which scripts/wine-run passes on).
set -uo pipefail

work=$(mktemp -d)
declare -a pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

audio=false display=false
while [ $# -gt 0 ]; do
  case $1 in
    --audio) audio=true ;;
    --display) display=true ;;
    *) break ;;
  esac
  shift
done

# Wine's desktop process belongs to the server and keeps the display the
# server started with: a server already running without one (or with
# another) would leave windows nowhere. Restart it on this display, and stop
# it again afterwards, when this display goes away.
wine_prefix=$(VORNIKA_PRINT_PREFIX=1 "$(dirname "$0")/../../scripts/wine-run")
restart_wine_server() { WINEPREFIX=$wine_prefix wineserver -k >/dev/null 2>&1 || true; }

if $display; then
  restart_wine_server
  trap 'restart_wine_server; cleanup' EXIT
  for number in $(seq 70 99); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
  done
  Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp -r </dev/null >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done
  [ -e "/tmp/.X11-unix/X$number" ] || { echo "session: Xvfb did not start"; exit 1; }
  export VORNIKA_DISPLAY=":$number"
fi

run_command() {
  "$@" &
  command_pid=$!
  pids+=("$command_pid")
  wait "$command_pid"
}
$audio || { run_command "$@"; exit $?; }

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
mic_args="source_name=vmic master=vsink.monitor source_properties=\"device.description='Mikrofon (USB Audio)'\""
cat >"$work/pa.pa" <<PA
load-module module-native-protocol-unix
load-module module-cli-protocol-unix
load-module module-null-sink sink_name=vsink rate=48000 channels=2 sink_properties="device.description='Stereo Mix'"
load-module module-remap-source $mic_args
load-module module-remap-source source_name=vheadset master=vsink.monitor source_properties="device.description='Headset (Hands-Free AG Audio)'"
set-default-sink vsink
set-default-source vmic
PA
pulseaudio --daemonize=no --exit-idle-time=-1 -n -F "$work/pa.pa" --log-target=file:"$work/pa.log" \
  </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl list short sources 2>/dev/null | grep -q '^[0-9]*[[:space:]]vmic[[:space:]]' \
  || { echo "session: PulseAudio did not start with the virtual microphone"; cat "$work/pa.log"; exit 1; }
# Without a reader on the monitor the first packet comes about 1.6 s late.
pacat --record -d vsink.monitor --latency-msec=10 --raw >/dev/null 2>&1 </dev/null &
keeper_pid=$!
pids+=("$keeper_pid")

sounds=$work/sounds
mkdir -p "$sounds"
sox -n -r 48000 -c 2 -b 32 -e floating-point "$sounds/tone-half-s.wav" synth 0.5 sine 440 vol 0.5
sox -n -r 48000 -c 2 -b 32 -e floating-point "$sounds/tone-1s.wav" synth 1 sine 440 vol 0.5
sox -n -r 48000 -c 2 -b 32 -e floating-point "$sounds/tone-3s.wav" synth 3 sine 440 vol 0.5
espeak-ng -v uz "Salom dunyo, bu sinov" -w "$sounds/speech.wav" 2>/dev/null
# Two minutes of it, for long dictations.
sox "$sounds/speech.wav" -r 48000 -c 2 -b 32 -e floating-point "$sounds/speech-2min.wav" repeat 80 trim 0 120
# 70 s of the phrase, each followed by a second of silence: a take cut at its pauses.
sox "$sounds/speech.wav" -r 48000 -c 2 -b 32 -e floating-point "$sounds/phrases-70s.wav" pad 0 1 repeat 30 trim 0 70

control=$work/control
mkdir -p "$control"
export VORNIKA_AUDIO_CONTROL="Z:${control//\//\\}" VORNIKA_AUDIO_SOUNDS=$sounds

mic_module() { pactl list short modules | awk '$2 == "module-remap-source" && $3 ~ /source_name=vmic/ {print $1}'; }
# PulseAudio moves the recording streams of a removed source to another
# one; a pulled-out microphone ends them instead. The keeper stays.
cut_off_recorders() {
  local keeper output
  keeper=$(pactl list source-outputs | awk '/^Source Output #/ {id = substr($3, 2)}
    /application.process.id = "'"$keeper_pid"'"/ {print id}')
  for output in $(pactl list short source-outputs | awk '$4 == "protocol-native.c" {print $1}'); do
    [ "$output" != "$keeper" ] && pacmd kill-source-output "$output" >/dev/null
  done
}
play_sound() {  # play_sound NAME: plays the sound to its end
  paplay --latency-msec=20 -d vsink "$sounds/$1.wav" </dev/null >/dev/null 2>&1
}
carry_out() {  # carry_out REQUEST-FILE
  local request=$1
  case $(basename "$request") in
    play) play_sound "$(tr -d '\r\n' <"$request")" ;;
    play-async) local sound
                sound=$(tr -d '\r\n' <"$request")  # read before the request goes
                play_sound "$sound" & pids+=($!) ;;
    unplug) pactl unload-module "$(mic_module)"; cut_off_recorders ;;
    replug) pactl load-module module-remap-source "$mic_args" >/dev/null
            pactl set-default-source vmic ;;
    suspend) pactl suspend-source vmic 1 ;;
    resume) pactl suspend-source vmic 0 ;;
  esac
  rm -f "$request"
}

"$@" &
command_pid=$!
pids+=("$command_pid")
while kill -0 "$command_pid" 2>/dev/null; do
  for request in "$control"/*; do
    [ -e "$request" ] && [[ $request != *.writing ]] && carry_out "$request"
  done
  sleep 0.01
done
wait "$command_pid"
