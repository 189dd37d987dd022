#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time and peak memory of vibraton beside a bare Qt Widgets window.
#
#   bench/startup.sh [RUNS]     (after cmake --build --preset default; RUNS defaults to 30)
#
# VIBRATON=PATH measures another build of the program; BUILD_DIR is where the probe is.
#
# The programs run on a private Xvfb with no window manager, in the same environment, through
# startup_probe, alternating their order. Prints the median and minimum of each figure for
# vibraton, the bare window and the bare window with one caption, and the ratios of the medians.
set -euo pipefail

runs=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
probe=$build/startup_probe
program=${VIBRATON:-$build/vibraton}
"$root/scripts/install-missing" xvfb
for exe in "$probe" "$program" "$build/bare_window"; do
    [[ -x $exe ]] || { echo "startup.sh: $exe is missing; build with cmake --build --preset default" >&2; exit 1; }
done

# shellcheck source=scripts/private-session.sh
. "$root/scripts/private-session.sh"
work=$(mktemp -d)
trap 'stop_private_session; rm -rf "$work"' EXIT
start_private_display 1280x1024x24
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work # Keeps Qt from warning about it on every run.

measure() { # NAME EXECUTABLE [ARGS]: one run, appended to $work/NAME
    local name=$1
    shift
    "$probe" "$@" 2>"$work/stderr.log" >>"$work/$name" || { cat "$work/stderr.log" >&2; exit 1; }
}

for _ in 1 2 3; do # Untimed: warm the page and font caches.
    measure warmup "$program"
    measure warmup "$build/bare_window"
    measure warmup "$build/bare_window" --caption
done
for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 0)); then
        measure program "$program"
        measure bare "$build/bare_window"
        measure caption "$build/bare_window" --caption
    else
        measure caption "$build/bare_window" --caption
        measure bare "$build/bare_window"
        measure program "$program"
    fi
done

# Median and minimum of one figure (map_ms, paint_ms, maxrss_kib) from one results file.
stats() {
    sed -n "s/.*\\b$2=\\([0-9.]*\\).*/\\1/p" "$work/$1" | sort -g |
        awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                                print m, v[1] }'
}

echo "$runs runs each on $DISPLAY (Xvfb 1280x1024x24, no window manager)"
printf '%-11s %18s %18s %18s %8s %8s\n' "" "vibraton med/min" "bare med/min" "caption med/min" \
    "/bare" "/caption"
for metric in map_ms paint_ms maxrss_kib; do
    read -r pm pmin < <(stats program $metric)
    read -r bm bmin < <(stats bare $metric)
    read -r cm cmin < <(stats caption $metric)
    printf '%-11s %9s/%-8s %9s/%-8s %9s/%-8s %8.2f %8.2f\n' "$metric" "$pm" "$pmin" "$bm" "$bmin" \
        "$cm" "$cmin" "$(awk -v p="$pm" -v b="$bm" 'BEGIN { print p / b }')" \
        "$(awk -v p="$pm" -v c="$cm" 'BEGIN { print p / c }')"
done
