# SPDX-License-Identifier: GPL-3.0-or-later
# What the benchmark scripts share (sourced after they set `top`): the release build of the
# targets they name in $build, a scratch folder $work removed at exit, a timer and the median
# of three runs.
build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bench_targets() { ninja -C "$build" "$@" >/dev/null; }
timed() {
    local t0 t1
    t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
