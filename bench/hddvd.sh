#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An HD DVD read by title against the same EVO read as a file: the title's clip goes through the
# same pass (its time map, the VTI and the playlist read first), so Read and Demux of the title
# should cost what the file costs (goal: user CPU per MiB within 10 %, peak memory the same).
# The disc is the benchmarks' `evo` content with a time map, a VTI and a playlist around it.
#
#   bench/hddvd.sh [SIZE_MB]     (default 768)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
size_mb=${1:-768}
cache=${QUARNEL_BENCH_CACHE:-$HOME/.cache/quarnel-bench}
runs=${QUARNEL_BENCH_RUNS:-5}
"$top/tools/install-packages.sh" bench/hddvd.sh cmake ninja-build g++ ffmpeg time python3 libgtest-dev \
    libpng-dev libdvdread-dev libudfread-dev pkg-config nlohmann-json3-dev libfreetype-dev

build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
nice -n 10 ninja -C "$build" quarnel-cli quarnel-bench-make quarnel-bench-hddvd >/dev/null
cli="$build/bin/quarnel-cli"
. "$top/bench/content.sh"

disc="$cache/hddvd-v1_$size_mb"
if [ ! -f "$disc/HVDVD_TS/FEATURE_1.MAP" ]; then
    rm -rf "$disc"
    "$build/bin/quarnel-bench-hddvd" "$(bench_file evo "$size_mb")" "$disc"
fi
. "$top/bench/title_vs_file.sh"
compare_title_with_file "HD DVD title 1 against its EVO file" "$disc/HVDVD_TS/FEATURE_1.EVO" --title 1 "$disc"
