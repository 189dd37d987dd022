#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzz target for a while on a scratch copy of its seed corpus, so the repository's
# corpus stays as committed, and fails on the first finding.
#
#   fuzz/run-smoke.sh [build-dir] [seconds]
#
# build-dir defaults to build/fuzz under the repository; seconds to $FUZZ_SECONDS, else 30.
# On a finding the scratch directory, with the crashing input, is kept and its path printed.

set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-"$here/../build/fuzz"}
seconds=${2:-${FUZZ_SECONDS:-30}}

# Each target and its longest input. 4096 bytes is far more than a field holds; the command
# target's time goes with the plot area, not with the input's length, so it can take as much. A
# lesson file of 16 KiB holds every part of the format many times over (its limit of 1 MB is
# the tests' to check); a command line of 4096 bytes, many arguments.
specs=("numbertext 4096" "command 4096" "lessonfile 16384" "commandline 4096")

missing=0
for spec in "${specs[@]}"; do
    [[ -x "$build/fuzz_${spec% *}" ]] || missing=1
done
if ((missing)); then
    echo "no fuzz targets in $build; build them with:" >&2
    echo "  cmake --preset fuzz && cmake --build --preset fuzz" >&2
    exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vibraton-fuzz.XXXXXX")
keep=0
cleanup() { if ((keep == 0)); then rm -rf "$scratch"; fi; }
trap cleanup EXIT

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for spec in "${specs[@]}"; do
    read -r name max_len <<<"$spec"
    corpus="$scratch/corpus/$name"
    artifacts="$scratch/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    cp -R "$here/corpus/$name/." "$corpus/"
    # Favour quick inputs: a plot's time is set by its area, which says little about coverage.
    extra=(-entropic_scale_per_exec_time=1)
    if [[ -f "$here/$name.dict" ]]; then
        extra+=("-dict=$here/$name.dict")
    fi

    echo "== fuzz_$name for ${seconds}s"
    if ! "$build/fuzz_$name" "${extra[@]}" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus"; then
        failed+=("fuzz_$name")
    fi
done

if ((${#failed[@]})); then
    keep=1
    echo "findings in: ${failed[*]}; inputs under $scratch/artifacts" >&2
    exit 1
fi
echo "no findings"
