#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz targets, each for SECONDS, and fails at the first crash, hang (an input that
# takes over 2 s), leak or sanitizer report.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# TARGET is a name of fuzz/CMakeLists.txt's QUARNEL_FUZZ_TARGETS (read, demux, rebuild, scanner,
# analysers, markup, file_sequence, ...); without one, every target runs. Environment:
#   QUARNEL_FUZZ_BUILD  build folder (default: build-fuzz beside fuzz/), configured with clang
#                       and -DQUARNEL_FUZZ=ON when it has no build yet
#   QUARNEL_FUZZ_JOBS   targets run at the same time (default 1)
#   QUARNEL_FUZZ_SEED   a fixed random seed: each target starts from its seeds and earlier
#                       findings only, so a run meets the same inputs each time (CI uses this)
# Each target starts from its seeds (written by fuzz_seeds from the test fixtures), the inputs
# of earlier findings in tests/data/fuzz/TARGET and what earlier runs kept in
# BUILD/fuzz/corpus/TARGET. A finding's input is saved in BUILD/fuzz/artifacts/TARGET/, the
# fuzzer's output in BUILD/fuzz/logs/TARGET.log.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}
jobs=${QUARNEL_FUZZ_JOBS:-1}

# One target: the part that runs in parallel.
if [ "${1:-}" = "--one" ]; then
    seconds=$2
    target=$3
    dir=$build/fuzz
    corpus=$dir/corpus/$target
    seed=
    if [ -n "${QUARNEL_FUZZ_SEED:-}" ]; then
        # A repeatable run: the fixed seed over the seeds alone gives the same inputs each time.
        corpus=$dir/corpus-seeded/$target
        rm -rf "$corpus"
        seed=-seed=$QUARNEL_FUZZ_SEED
    fi
    mkdir -p "$corpus" "$dir/artifacts/$target" "$dir/logs"
    set -- "$corpus" "$dir/seeds/$target"
    [ -d "$root/tests/data/fuzz/$target" ] && set -- "$@" "$root/tests/data/fuzz/$target"
    start=$(date +%s)
    # The memory limit is far above what a run needs (a few MiB, plus the sanitizer's own) and
    # far below what unbounded growth reaches (a 140 KB nested playlist once took 1.5 GB).
    if ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=64 UBSAN_OPTIONS=print_stacktrace=1 \
        "$dir/fuzz_$target" $seed -max_total_time="$seconds" -timeout=2 -rss_limit_mb=768 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target/" "$@" >"$dir/logs/$target.log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/logs/$target.log")
        echo "fuzz $target: ${runs:-?} inputs in $(($(date +%s) - start)) s, no finding"
    else
        echo "fuzz $target: FINDING after $(($(date +%s) - start)) s, see $dir/logs/$target.log and $dir/artifacts/$target/" >&2
        grep -m 3 -E "ERROR|SUMMARY|fuzz check failed|runtime error" "$dir/logs/$target.log" >&2 || true
        exit 1
    fi
    exit 0
fi

if [ $# -lt 1 ]; then
    echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
targets=${*:-$(sed -n 's/^set(QUARNEL_FUZZ_TARGETS \(.*\))$/\1/p' "$here/CMakeLists.txt")}

if [ ! -f "$build/build.ninja" ]; then
    cmake --preset asan-fuzz -S "$root" -B "$build" >/dev/null
fi
set --
for t in $targets; do set -- "$@" "fuzz_$t"; done
ninja -C "$build" -j2 fuzz_seeds "$@" >/dev/null
"$build/fuzz/fuzz_seeds" "$build/fuzz/seeds"

printf '%s\n' $targets | xargs -P "$jobs" -I{} sh "$0" --one "$seconds" {}
