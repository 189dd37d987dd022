#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether the sound runs without a gap while the window is worked hard and the machine is busy.
#
#   bench/dropouts.sh [SECONDS]    (after cmake --build --preset default; SECONDS defaults to 20)
#
# VIBRATON=PATH checks another build of the program; BUILD_DIR is where soundprobe is; LOAD=N
# compilers run meanwhile (default 2, one for each core of a small machine).
#
# On a private Xvfb (3840 x 2200) and PulseAudio, the program plays the sum of the default rows
# (Ctrl+4) for SECONDS while the three curves and their sum are plotted again and again and the
# window is resized to 3840 x 2160 and back and moved about. The sink's monitor is recorded and
# the part between the fades must have no 10 ms under half the median 10 ms (a gap) and no
# bend sharper than a tenth of its loudness (a jump: the sum of the defaults bends at most
# about a hundredth).
set -euo pipefail

seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
program=${VIBRATON:-$build/vibraton}
"$root/scripts/install-missing" xvfb xdotool pulseaudio pulseaudio-utils g++
for exe in "$build/soundprobe" "$program"; do
    [[ -x $exe ]] || {
        echo "dropouts.sh: $exe is missing; build with cmake --build --preset default" >&2
        exit 1
    }
done

# shellcheck source=scripts/private-session.sh
. "$root/scripts/private-session.sh"
work=$(mktemp -d)
pids=()
loads=()
cleanup() {
    # Each compiler loop is a process group of its own, so that its compiler stops with it.
    for group in "${loads[@]}"; do kill -- "-$group" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}" "${loads[@]}"; do wait "$pid" 2>/dev/null || true; done
    loads=()
    pids=()
}
trap 'cleanup; stop_private_session; rm -rf "$work"' EXIT
start_private_display 3840x2200x24
start_private_sound_server
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work HOME=$work LC_ALL=C.UTF-8

# One recorder keeps the null sink at a short latency all the time, as a device would be; the
# one that records takes 50 ms fragments, as one that must take every 5 ms loses some on a
# busy machine, and its recording jumps where the sound did not.
parec --device=vibraton.monitor --raw --format=s16le --rate=48000 --channels=1 \
    --latency-msec=5 >/dev/null &
pids+=($!)
parec --device=vibraton.monitor --raw --format=s16le --rate=48000 --channels=1 \
    --latency-msec=50 >"$work/sound.raw" &
pids+=($!)
"$program" 2>"$work/program.log" &
pids+=($!)
program_pid=$!
window=
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --pid "$program_pid" --name '^Vibraton' | head -n 1) ||
        true
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || {
    echo "dropouts.sh: the program showed no window" >&2
    cat "$work/program.log" >&2
    exit 1
}
xdotool windowfocus --sync "$window"
sleep 0.5

for ((i = 0; i < ${LOAD:-2}; i++)); do
    setsid bash -c 'while :; do c++ -std=c++20 -O2 -c "$0" -o /dev/null; done' \
        "$root/bench/latency_probe.cpp" &
    loads+=($!)
done
xdotool key ctrl+4
end=$((SECONDS + seconds))
rounds=0
while ((SECONDS < end)); do
    # "Kreslit" for each row and "Složit", at the default size, then the window at 4K and back.
    for button in 444,28 444,52 444,76 500,52; do
        xdotool mousemove --window "$window" "${button%,*}" "${button#*,}" click 1
    done
    xdotool windowsize "$window" 3840 2160
    sleep 0.3
    xdotool windowmove "$window" $((RANDOM % 200)) $((RANDOM % 200))
    xdotool windowsize "$window" 584 435
    xdotool windowmove "$window" 0 0
    xdotool mousemove --window "$window" 88 108 click 1 # "Vymazat grafy"
    rounds=$((rounds + 1))
done
xdotool key Escape
sleep 0.5
cleanup
"$build/soundprobe" "$work/sound.raw" 48000 220 440 660 >"$work/probe.txt"
value() { sed -n "s/^$1=//p" "$work/probe.txt"; }
echo "$rounds rounds of plots, resizes and moves in $seconds s, ${LOAD:-2} compilers:" \
    "steady $(value steady) s, quietest 10 ms $(value quietest) of the median," \
    "sharpest bend $(value bend) of the loudness"
awk -v q="$(value quietest)" -v b="$(value bend)" -v s="$(value steady)" \
    'BEGIN { exit !(s > 1 && q >= 0.5 && b <= 0.1) }' || { echo "dropouts.sh: FAIL" >&2; exit 1; }
echo "dropouts.sh: no gap and no jump"
