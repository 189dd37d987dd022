#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sound end to end: the real program on a virtual X display plays through a real sound
# server (PulseAudio with a null sink, whose monitor is recorded), from the real shortcuts.
#   tests/sound-e2e.sh PROGRAM SOUNDPROBE
# A Windows build's PROGRAM.exe runs under Wine (in $WINEPREFIX), whose sound driver plays to the
# same server.
# Checks: with no sound server a message appears; Ctrl+4 with the default values sounds at 220,
# 440 and 660 Hz, equally strong; Esc stops it; ten rounds of a row, Esc and silence each sound
# at the row's pitch and leave no stream open on the server; a new sound starts only once the
# old one has faded out; the server killed while a sound plays gets one message, and once it
# runs again the next play command is heard; at pitch 55 Hz rows of frequency 8 and 8.1 beat
# about 5.5 times a second. (bench/latency.sh measures how soon the sound comes and goes.)
set -euo pipefail
program=$(realpath "$1")
probe=$(realpath "$2")
run=("$program")
[[ $program != *.exe ]] || run=(wine "$program")
# shellcheck source=scripts/private-session.sh
. "$(dirname "$(realpath "$0")")/../scripts/private-session.sh"
work=$(mktemp -d)
pids=()
awake=
cleanup() {
    for pid in "${pids[@]}" $awake; do kill "$pid" 2>/dev/null || true; done
    stop_private_session
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

start_private_display 1024x768x24
mkdir -m 700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM

start_program() {
    "${run[@]}" 2>"$work/program.log" &
    pids+=($!)
    # Once shown: Wine names a window before it maps it, and only a shown one takes the focus.
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vibraton' | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 0.5
}
stop_program() {
    kill "${pids[-1]}" 2>/dev/null || true
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
    # Wine winds down its session (desktop, services) for a second or two after its last
    # program; a program started meanwhile starts with it, too busy for its sound at first.
    [[ $program != *.exe ]] || wineserver -w
}
# Records the null sink's monitor for a number of seconds into a file. In fragments of 50 ms:
# a recorder that must take every 5 ms loses some on a busy machine, and the recording jumps
# where the sound did not.
record() {
    timeout "$2" parec --device=vibraton.monitor --raw --format=s16le --rate=48000 \
        --channels=1 --latency-msec=50 >"$1" || true
}
# Recorded all the time while the sound server runs: a null sink that nothing records renders
# seconds of silence ahead, and a sound that starts then waits for them; recorded, it keeps the
# short latency of a sound card.
keep_sink_awake() {
    parec --device=vibraton.monitor --raw --format=s16le --rate=48000 --channels=1 \
        --latency-msec=5 >/dev/null &
    awake=$!
}
# The program's message boxes on screen (titled as its window is).
messages() {
    xdotool search --onlyvisible --pid "${pids[-1]}" --name '^Vibraton$' | grep -cvx "$window"
}
# The pitch as the menu "Výška tónu" remembers it: in the home's settings, on Windows in the
# registry. Without it, the default.
remember_pitch() {
    if [[ $program == *.exe ]]; then
        wine reg add 'HKCU\Software\Vibraton\Vibraton\zvuk' /v vyskaTonuHz /t REG_DWORD \
            /d "$1" /f >/dev/null
    else
        mkdir -p "$HOME/.config/Vibraton"
        printf '[zvuk]\nvyskaTonuHz=%s\n' "$1" >"$HOME/.config/Vibraton/Vibraton.conf"
    fi
}
forget_settings() {
    [[ $program != *.exe ]] || wine reg delete 'HKCU\Software\Vibraton' /f >/dev/null 2>&1 || true
}
value() { sed -n "s/^$1=//p" "$2"; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

forget_settings
echo "== no sound server"
export PULSE_SERVER=unix:$work/no-server
start_program
xdotool key ctrl+4
for _ in $(seq 30); do [ "$(messages)" -ge 1 ] && break; sleep 0.1; done
[ "$(messages)" -eq 1 ] || fail "no message box when there is no sound server"
stop_program

echo "== sound server"
start_private_sound_server || fail "the sound server did not start"

keep_sink_awake

start_program
record "$work/defaults.raw" 3 &
recorder=$!
sleep 0.5
xdotool key ctrl+4
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
# The three rows have the same amplitude: no pitch may be a tenth stronger than another while
# the sum sounds at full level.
strengths=$(for pitch in 220 440 660; do value "steady_at_$pitch" "$work/defaults.txt"; done)
above 1.1 "$(sort -g <<<"$strengths" | awk 'NR == 1 { min = $1 } END { print $1 / min }')" ||
    fail "220, 440 and 660 Hz are not equally strong: ${strengths//$'\n'/ }"

xdotool key Escape
sleep 0.5
record "$work/stopped.raw" 1
"$probe" "$work/stopped.raw" 48000 >"$work/stopped.txt"
above 0.0001 "$(value rms "$work/stopped.txt")" || fail "Esc did not stop the sound"

echo "== ten rounds of a row, Esc and silence"
# Each round opens the output afresh: it must sound as the first did, at the row's pitch.
for round in $(seq 10); do
    row=$((round % 3 + 1))
    xdotool key "ctrl+$row"
    record "$work/round.raw" 0.6
    "$probe" "$work/round.raw" 48000 220 440 660 >"$work/round.txt"
    heard=$(value "at_$((220 * row))" "$work/round.txt")
    above "$heard" 0.1 || fail "round $round: row $row is not heard ($heard at $((220 * row)) Hz)"
    for other in 220 440 660; do
        [ "$other" -eq $((220 * row)) ] ||
            above "$heard" "$(awk -v x="$(value "at_$other" "$work/round.txt")" \
                'BEGIN { print 10 * x }')" || fail "round $round: row $row is heard at $other Hz"
    done
    xdotool key Escape
    sleep 0.4 # The fade, what the server held, then the output closes.
    [ -z "$(pactl list short sink-inputs)" ] || fail "round $round: a stream stays open after Esc"
done
record "$work/idle.raw" 0.5
"$probe" "$work/idle.raw" 48000 >"$work/idle.txt"
above 0.0001 "$(value rms "$work/idle.txt")" || fail "not silent after the rounds"

echo "== a new sound replaces the old one once it has faded out"
xdotool key ctrl+1
sleep 0.3
record "$work/switch.raw" 0.8 &
recorder=$!
sleep 0.3
xdotool key ctrl+2
wait "$recorder"
"$probe" "$work/switch.raw" 48000 220 440 >"$work/switch.txt"
cat "$work/switch.txt"
above "$(value at_220 "$work/switch.txt")" 0.05 && above "$(value at_440 "$work/switch.txt")" 0.05 ||
    fail "the switch from 220 to 440 Hz is not in the recording"
# Neither heard together (a cross-fade) nor the old one cut off (a sharp bend): a fade between.
above 0.015 "$(value together "$work/switch.txt")" ||
    fail "the new sound began before the old one had faded out"
above 0.1 "$(value switch_bend "$work/switch.txt")" || fail "the old sound was cut off, not faded out"
xdotool key Escape
sleep 0.4

echo "== the sound server killed while a sound plays, then started again"
server=${private_session_pids[-1]}
xdotool key ctrl+1
sleep 0.3
kill -KILL "$server" "$awake"
wait "$server" "$awake" 2>/dev/null || true
for _ in $(seq 30); do [ "$(messages)" -ge 1 ] && break; sleep 0.1; done
[ "$(messages)" -ge 1 ] || fail "no message when the sound output stopped working"
sleep 1
[ "$(messages)" -eq 1 ] || fail "more than one message for one failure"
start_private_sound_server || fail "the sound server did not start again"
keep_sink_awake
xdotool key Return # The message's OK.
# Wine, with no window manager to answer it, takes two seconds to hide a window.
for _ in $(seq 30); do [ "$(messages)" -eq 0 ] && break; sleep 0.1; done
[ "$(messages)" -eq 0 ] || fail "the message did not close"
xdotool windowfocus --sync "$window"
xdotool key ctrl+2
# Qt connects to the server again within three seconds of losing it.
heard=0
for _ in $(seq 12); do
    record "$work/again.raw" 0.5
    "$probe" "$work/again.raw" 48000 440 >"$work/again.txt"
    heard=$(value at_440 "$work/again.txt")
    above "$heard" 0.1 && break
done
above "$heard" 0.1 || fail "no sound after the sound server came back ($heard at 440 Hz)"
[ "$(messages)" -eq 0 ] || fail "a message although the sound server is back"
xdotool key Escape
stop_program

echo "== beats at 55 Hz"
remember_pitch 55
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
