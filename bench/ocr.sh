#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Character recognition speed: COUNT subtitles of two lines drawn with DejaVu Sans (as the
# recognition test draws them), as 8-bit HD DVD and as 2-bit DVD units, read into .srt by
# `quarnel-cli subs --to srt` on all cores; median of three runs, in events per second.
#
#     bench/ocr.sh [COUNT]      (default 200)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-200}
"$top/tools/install-packages.sh" bench/ocr.sh cmake ninja-build g++ libgtest-dev libpng-dev libdvdread-dev pkg-config bc \
    libtesseract-dev tesseract-ocr-eng libfreetype-dev fonts-dejavu-core
source "$top/bench/common.sh"
bench_targets quarnel-cli quarnel-bench-sup

echo "Character recognition on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores: $count events"
printf '\n| units | seconds | events per second |\n|---|---:|---:|\n'
for depth in 8 2; do
    "$build/bin/quarnel-bench-sup" "$work/film$depth.sup" "$count" "$depth" text
    times=()
    for _ in 1 2 3; do
        rm -rf "$work/out"; mkdir -p "$work/out"
        times+=("$(timed "$build/bin/quarnel-cli" subs --to srt -o "$work/out" "$work/film$depth.sup")")
    done
    t=$(median3 "${times[@]}")
    printf '| %s-bit | %.2f | %.1f |\n' "$depth" "$t" "$(echo "$count / $t" | bc -l)"
done
