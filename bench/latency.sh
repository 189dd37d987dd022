#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How soon after a key the sound server has the sound: vibraton against a minimal client of the
# same server (latency_reference: libpulse-simple, a 10 ms buffer, the same fades).
#
#   bench/latency.sh [TRIES]     (after cmake --build --preset default; TRIES defaults to 20)
#
# BEFORE=PATH measures another build of the program as well, in the same run (the one before a
# change, say); VIBRATON=PATH measures another build instead of this one; BUILD_DIR is where
# the probe is.
#
# On a private Xvfb and PulseAudio (a null sink, its monitor recorded all the time), with no
# window manager, latency_probe starts the programs and works them with real keys, round by
# round in turn: Ctrl+1 from silence, Ctrl+2, Escape, then silence until each has closed its
# output. It prints, in ms, the median, minimum and maximum of key to first sound, key to the
# first sample at the new pitch and key to the last sound, and each program's medians less the
# reference's. Needs libpulse-dev when the build is configured.
set -euo pipefail

tries=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
program=${VIBRATON:-$build/vibraton}
"$root/scripts/install-missing" xvfb pulseaudio pulseaudio-utils
for exe in "$build/latency_probe" "$build/latency_reference" "$program" ${BEFORE:+"$BEFORE"}; do
    [[ -x $exe ]] || {
        echo "latency.sh: $exe is missing; install libpulse-dev, configure and build" >&2
        exit 1
    }
done

# shellcheck source=scripts/private-session.sh
. "$root/scripts/private-session.sh"
work=$(mktemp -d)
trap 'stop_private_session; rm -rf "$work"' EXIT
start_private_display 1280x1024x24
start_private_sound_server
# The programs' settings start from the defaults (pitch 220 Hz), in a home of their own.
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work HOME=$work LC_ALL=C.UTF-8

targets=(reference "$build/latency_reference")
[[ -z ${BEFORE:-} ]] || targets+=(before "$BEFORE")
targets+=(vibraton "$program")
echo "$tries rounds each on $DISPLAY, sound server $PULSE_SERVER"
"$build/latency_probe" -n "$tries" "${targets[@]}"
