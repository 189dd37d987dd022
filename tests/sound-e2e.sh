#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sound end to end: the real program on a virtual X display plays through a real sound
# server (PulseAudio with a null sink, whose monitor is recorded), from the real shortcuts.
#   tests/sound-e2e.sh PROGRAM SOUNDPROBE
# Checks: with no sound server a message appears; Ctrl+4 with the default values sounds at
# 220, 440 and 660 Hz; Esc stops it; at pitch 55 Hz rows of frequency 8 and 8.1 beat about
# 5.5 times a second. Prints the time from the key to the first sound.
set -euo pipefail
program=$(realpath "$1")
probe=$(realpath "$2")
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
mkdir -m 700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM

start_program() {
    "$program" 2>"$work/program.log" &
    pids+=($!)
    window=$(timeout 20 xdotool search --sync --name '^Vibraton' | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 0.5
}
stop_program() {
    kill "${pids[-1]}" 2>/dev/null || true
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
}
# Records the null sink's monitor for a number of seconds into a file.
record() {
    timeout "$2" parec --device=vibraton.monitor --raw --format=s16le --rate=48000 \
        --channels=1 --latency-msec=5 >"$1" || true
}
value() { sed -n "s/^$1=//p" "$2"; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

echo "== no sound server"
export PULSE_SERVER=unix:$work/no-server
start_program
xdotool key ctrl+4
sleep 1
windows=$(xdotool search --name '^Vibraton$' | wc -l)
[ "$windows" -ge 2 ] || fail "no message box when there is no sound server"
stop_program

echo "== sound server"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    -L "module-null-sink sink_name=vibraton rate=48000" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse" 2>"$work/pulse.log" &
pids+=($!)
export PULSE_SERVER=unix:$work/pulse
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || fail "the sound server did not start"

start_program
# The null sink sends nothing to its monitor while nothing plays, so the recording's first
# bytes arrive when the first sound has reached the server.
record "$work/defaults.raw" 3 &
recorder=$!
sleep 0.5
key_at=$(date +%s%N)
xdotool key ctrl+4
sound_at=
for _ in $(seq 1000); do
    if [ -s "$work/defaults.raw" ]; then sound_at=$(date +%s%N); break; fi
    sleep 0.002
done
[ -n "$sound_at" ] || fail "no sound reached the server"
echo "key to sound: $(((sound_at - key_at) / 1000000)) ms (the key's delivery and the recorder's own latency included)"
wait "$recorder"
"$probe" "$work/defaults.raw" 48000 220 440 660 300 550 >"$work/defaults.txt"
cat "$work/defaults.txt"
for pitch in 220 440 660; do
    for other in 300 550; do
        above "$(value "at_$pitch" "$work/defaults.txt")" \
            "$(awk -v x="$(value "at_$other" "$work/defaults.txt")" 'BEGIN { print 10 * x }')" ||
            fail "$pitch Hz is not clearly in the sound"
    done
done

xdotool key Escape
sleep 0.5
record "$work/stopped.raw" 1
"$probe" "$work/stopped.raw" 48000 >"$work/stopped.txt"
above 0.0001 "$(value rms "$work/stopped.txt")" || fail "Esc did not stop the sound"
stop_program

echo "== beats at 55 Hz"
mkdir -p "$HOME/.config/Vibraton"
printf '[zvuk]\nvyskaTonuHz=55\n' >"$HOME/.config/Vibraton/Vibraton.conf"
start_program
type_into() { # window-relative position, text
    xdotool mousemove --window "$window" "$1" "$2" click 1 key ctrl+a type "$3"
}
type_into 120 25 8
type_into 120 49 8.1
type_into 330 73 0
sleep 0.3
xdotool key ctrl+4
sleep 0.5
record "$work/beats.raw" 3
"$probe" "$work/beats.raw" 48000 440 445.5 >"$work/beats.txt"
cat "$work/beats.txt"
for pitch in 440 445.5; do
    above "$(value "at_$pitch" "$work/beats.txt")" 0.1 || fail "no $pitch Hz in the beats"
done
beats=$(value beats "$work/beats.txt")
above "$beats" 5 && above 6 "$beats" || fail "the beats are $beats a second, not about 5.5"
xdotool key Escape
stop_program
echo "sound end to end: passed"
