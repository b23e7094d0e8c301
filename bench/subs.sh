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
"$top/tools/install-packages.sh" bench/subs.sh cmake ninja-build g++ libgtest-dev libpng-dev libdvdread-dev pkg-config bc libfreetype-dev
source "$top/bench/common.sh"
bench_targets quarnel-cli quarnel-bench-sup

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
