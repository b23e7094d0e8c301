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
evo="$disc/HVDVD_TS/FEATURE_1.EVO"
mib=$(( $(stat -c %s "$evo") >> 20 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure CMD...: "user_seconds rss_kib" of one run (user time to the microsecond).
measure() {
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(f"{resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime:.6f}", end=" ")' \
        /usr/bin/time -f '%M' -o "$work/rss" "$@"
    tail -1 "$work/rss"
}
median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]}'; }

cat "$evo" >/dev/null
echo "HD DVD title 1 against its EVO file, $mib MiB, $(nproc) cores, median of $runs rounds (goal: within 10 %)"
printf '\n| operation | file: user ms/MiB | title: user ms/MiB | title/file | file: peak RSS | title: peak RSS |\n'
printf '|---|---:|---:|---:|---:|---:|\n'
for op in read demux; do
    file_runs="" title_runs=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/out"; mkdir -p "$work/out"
        file_runs+="$(measure "$cli" "$op" --full --no-vti -o "$work/out" "$evo")"$'\n'
        rm -rf "$work/out"; mkdir -p "$work/out"
        title_runs+="$(measure "$cli" "$op" --full --no-vti --title 1 -o "$work/out" "$disc")"$'\n'
    done
    uf=$(printf '%s' "$file_runs" | awk '{print $1}' | median) ut=$(printf '%s' "$title_runs" | awk '{print $1}' | median)
    rf=$(printf '%s' "$file_runs" | awk '{print $2}' | median) rt=$(printf '%s' "$title_runs" | awk '{print $2}' | median)
    awk -v op="$op" -v uf="$uf" -v ut="$ut" -v rf="$rf" -v rt="$rt" -v mib="$mib" 'BEGIN {
        printf "| %s | %.3f | %.3f | %.2f | %.1f MiB | %.1f MiB |\n", op, uf * 1000 / mib, ut * 1000 / mib, ut / uf,
            rf / 1024, rt / 1024 }'
done
