#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time from a click on a button to the window's last update, for each command, at the window's
# default size and at 3840×2160; there too, from a move of the pointer over the plot area to the
# last update, while measuring with the three rows, their sum and its envelope drawn.
#
#   bench/click.sh [CLICKS]     (after cmake --build --preset default; CLICKS defaults to 30)
#
# VIBRATON=PATH times another build of the program; BUILD_DIR is where click_probe is;
# QUIET_MS (default 300) is how long the window must stay undrawn for a click's updates to be
# over; VERBOSE=1 also prints every click with its damage rectangles (size+position@ms).
#
# The program runs on a private Xvfb with no window manager; click_probe clicks through XTEST
# and times the last DAMAGE notification after each release. Prints the median, minimum and
# maximum per command and size.
set -euo pipefail

clicks=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/default}
program=${VIBRATON:-$build/vibraton}
probe=$build/click_probe
quiet=${QUIET_MS:-300}
screen=3840x2160x24 # Damage is only seen on screen, so the large window must fit.
"$root/scripts/install-missing" xvfb xdotool
for exe in "$probe" "$program"; do
    [[ -x $exe ]] || {
        echo "click.sh: $exe is missing; build with cmake --build --preset default" >&2
        exit 1
    }
done

# shellcheck source=scripts/private-session.sh
. "$root/scripts/private-session.sh"
work=$(mktemp -d)
app=
cleanup() {
    # "|| true": a failure here would end the handler (set -e) and leave Xvfb running.
    if [[ -n $app ]]; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    stop_private_session
    rm -rf "$work"
}
trap cleanup EXIT

start_private_display $screen
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work # Keeps Qt from warning about it.
unset QT_SCALE_FACTOR        # Positions are in logical pixels, which must be device pixels here.

"$program" >"$work/program.log" 2>&1 &
app=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vibraton' | head -n 1) || true
[[ -n $window ]] || {
    echo "click.sh: $program showed no window within 60 s" >&2
    cat "$work/program.log" >&2
    exit 1
}

# Button centres, in pixels from the client area's top-left corner.
draw=444,28 # "Kreslit" of the first row
draw2=444,52 # ... of the second
draw3=444,76 # ... of the third
sum=500,52  # "Složit"
clear=88,107 # "Vymazat grafy"
pointer=600,700 # In the plot area of the large window

verbose=()
[[ ${VERBOSE:-} == 1 ]] && verbose=(-v)
probe() { # PROBE-ARGS...: click_probe on the program's window
    "$probe" -q "$quiet" "${verbose[@]}" "$window" "$@" || {
        echo "click.sh: click_probe $* failed; the program's messages:" >&2
        cat "$work/program.log" >&2
        exit 1
    }
}
field() { sed -n "s/.*\\b$1=\\([0-9.x]*\\).*/\\1/p" <<<"$2"; } # NAME LINE
row() { # LABEL PROBE-ARGS...: one timed series; prints a line of the table
    local line
    line=$(probe -n "$clicks" "${@:2}")
    printf '%-15s %-10s %9s %8s %8s %7s %9s\n' "$1" "$(field window "$line")" \
        "$(field median_ms "$line")" "$(field min_ms "$line")" "$(field max_ms "$line")" \
        "$(field damage_median "$line")" "$(field pixels_median "$line")"
}
series() { # The three commands at the window's present size.
    # Each drawing series starts on an empty plot; each timed clear has a curve to erase.
    probe -n 0 -w 1 "$clear" >/dev/null
    row "Kreslit (1)" "$draw"
    probe -n 0 -w 1 "$clear" >/dev/null
    row "Složit" "$sum"
    row "Vymazat grafy" -p "$draw" "$clear"
}
measuring() { # Pointer moves while measuring, with every curve and the envelope shown.
    for button in "$draw" "$draw2" "$draw3" "$sum"; do
        probe -n 0 -w 1 "$button" >/dev/null
    done
    # XTEST keys go to the window under the pointer: there is no window manager to focus one.
    xdotool key ctrl+m ctrl+shift+m
    probe -n 0 -w 0 >/dev/null
    row "Měřit: pohyb" -m -w 3 "$pointer"
}

echo "$clicks clicks per command on $DISPLAY (Xvfb $screen, no window manager)," \
    "quiet after $quiet ms"
printf '%-15s %-10s %9s %8s %8s %7s %9s\n' command window median_ms min_ms max_ms damage pixels
series
probe -n 0 -w 0 -r 3840x2160 >/dev/null
series
measuring
echo "damage, pixels: medians of the rectangles drawn per click and of their added areas"
