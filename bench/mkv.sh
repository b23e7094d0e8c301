#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The cost of Make MKV against doing its steps by hand: our Demux of every stream, then mkvmerge
# muxing the demuxed files. Make MKV adds the time line of each audio stream (a walk over its
# frames and a timestamp file) and the chapters; the goal is at most 1.3 times the two by hand.
# Every kind of content of bench/content.sh, a line each (by hand, LPCM is demuxed as WAV, which
# mkvmerge reads).
#
#   bench/mkv.sh [SIZE_MB]        (default 2048; the files are generated and cached as bench/run.sh does)
set -euo pipefail
shopt -s nullglob  # an output kind a file lacks (no LPCM, no AC-3) matches nothing
top=$(cd "$(dirname "$0")/.." && pwd)
size_mb=${1:-2048}
cache=${QUARNEL_BENCH_CACHE:-$HOME/.cache/quarnel-bench}
runs=${QUARNEL_BENCH_RUNS:-3}
mkdir -p "$cache"
command -v mkvmerge >/dev/null || { echo "bench/mkv.sh: mkvmerge is not installed (package mkvtoolnix)" >&2; exit 1; }

build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
ninja -C "$build" quarnel-cli quarnel-bench-make >/dev/null
cli="$build/bin/quarnel-cli"
. "$top/bench/content.sh"
work="$cache/mkv-work"

seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
best() { printf '%s\n' "$@" | sort -g | head -1; }
by_hand() {
    "$cli" demux --full --lpcm-wav -o "$work/hand" "$big"
    mkvmerge -q -o "$work/hand/hand.mkv" "$work"/hand/*.mpv "$work"/hand/*.mpa "$work"/hand/*.wav
}

echo "Make MKV against demux + mkvmerge by hand, $size_mb MiB files, $(nproc) cores, best of $runs runs (goal: at most 1.30)"
printf '\n| content | quarnel-cli mkv | by hand | ratio |\n|---|---:|---:|---:|\n'
for kind in "${bench_kinds[@]}"; do
    big=$(bench_file "$kind" "$size_mb")
    cat "$big" >/dev/null  # into the page cache
    make_times=() hand_times=()
    for _ in $(seq "$runs"); do
        rm -rf "$work"; mkdir -p "$work/hand"; sync; sleep 1
        make_times+=("$(seconds "$cli" mkv --full -q -o "$work/make" "$big")")
        [ -f "$work/make/$(basename "${big%.*}").mkv" ] || { echo "bench/mkv.sh: Make MKV wrote no MKV of $big" >&2; exit 1; }
        rm -rf "$work/make"; sync; sleep 1
        hand_times+=("$(seconds by_hand)")
    done
    t_make=$(best "${make_times[@]}")
    t_hand=$(best "${hand_times[@]}")
    printf '| %s | %.2f s | %.2f s | %.2f |\n' "$kind" "$t_make" "$t_hand" "$(echo "$t_make / $t_hand" | bc -l)"
done
rm -rf "$work"
