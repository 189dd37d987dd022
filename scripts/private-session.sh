# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# A private X display and sound server for a script, so that it needs no session of its own and
# disturbs no one's. Source it, then:
#   start_private_display WxHxDEPTH   an Xvfb with that screen; exports DISPLAY once it takes
#                                     clients
#   start_private_sound_server        a PulseAudio with a null sink "vibraton" (its monitor,
#                                     "vibraton.monitor", records what is played); exports
#                                     PULSE_SERVER once it takes clients; its process is
#                                     $private_sound_server_pid
#   stop_private_session              stops what these started; call it from the EXIT trap
# A server that does not come up ends the start with a message naming the script and with the
# server's own messages.

private_session_dir=
private_session_pids=()
private_sound_server_pid=

# Xvfb and PulseAudio write their messages, and the sound server its socket, here.
private_session_files() {
    [ -n "$private_session_dir" ] || private_session_dir=$(mktemp -d)
}

private_session_failed() { # MESSAGE LOG
    echo "${0##*/}: $1" >&2
    cat "$2" >&2
    return 1
}

start_private_display() {
    local screen=${1:?usage: start_private_display WIDTHxHEIGHTxDEPTH} pid
    private_session_files
    local number=$private_session_dir/display log=$private_session_dir/xvfb.log
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    # -noreset: by default it resets whenever its last client leaves, and refuses connections
    # while it does, so a program started after another has ended could not connect.
    Xvfb -displayfd 3 -noreset -screen 0 "$screen" -nolisten tcp 3>"$number" >"$log" 2>&1 &
    pid=$!
    private_session_pids+=("$pid")
    for _ in $(seq 300); do
        [ -s "$number" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$number" ]; then
        kill -0 "$pid" 2>/dev/null || { private_session_failed "Xvfb could not start" "$log"; return 1; }
        private_session_failed "Xvfb did not start within 30 s" "$log"
        return 1
    fi
    DISPLAY=:$(tr -d '\n' <"$number")
    export DISPLAY
}

start_private_sound_server() {
    private_session_files
    local socket=$private_session_dir/pulse log=$private_session_dir/pulse.log
    # -n: only the modules given here, none of the system's configuration; anonymous clients,
    # so no cookie is needed. It runs as root too.
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=vibraton rate=48000" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" >"$log" 2>&1 &
    private_sound_server_pid=$!
    private_session_pids+=("$private_sound_server_pid")
    export PULSE_SERVER=unix:$socket
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    private_session_failed "PulseAudio did not start within 10 s" "$log"
}

stop_private_session() {
    local pid
    # "|| true": a failure here would end an EXIT trap (set -e) and leave the servers running.
    for pid in "${private_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${private_session_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    private_session_pids=()
    private_sound_server_pid=
    [ -z "$private_session_dir" ] || rm -rf "$private_session_dir"
    private_session_dir=
}
