#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Subtitle conversion speed: the subtitle stream of a two-hour film (1800 units, one every
# four seconds) as 8-bit HD DVD and as 2-bit DVD units, converted by `quarnel-cli subs` into
# each format, median of three runs, in seconds per 100 subtitles.
#
#     bench/subs.sh [COUNT]      (default 1800)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-1800}
"$top/tools/install-packages.sh" bench/subs.sh cmake ninja-build g++ libgtest-dev libpng-dev bc
build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
ninja -C "$build" quarnel-cli quarnel-bench-sup >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

timed() {
    local t0 t1
    t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

echo "Subtitle conversion on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'): $count units"
printf '\n| units | format | seconds | seconds per 100 subtitles |\n|---|---|---:|---:|\n'
for depth in 8 2; do
    "$build/bin/quarnel-bench-sup" "$work/film$depth.sup" "$count" "$depth"
    for format in pgs vobsub bdn; do
        times=()
        for _ in 1 2 3; do
            rm -rf "$work/out"; mkdir -p "$work/out"
            times+=("$(timed "$build/bin/quarnel-cli" subs --to "$format" -o "$work/out" "$work/film$depth.sup")")
        done
        t=$(median3 "${times[@]}")
        printf '| %s-bit | %s | %.3f | %.4f |\n' "$depth" "$format" "$t" "$(echo "$t * 100 / $count" | bc -l)"
    done
done
