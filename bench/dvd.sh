#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A DVD read by title against the same bytes read as a file: the title's cells go through the
# same pass as sector ranges, so Read and Demux of the title should cost what the file costs
# (goal: user CPU per MiB within 10 %, peak memory the same). The disc is authored once with
# dvdauthor from ffmpeg-made clips (a title of two clips whose time stamps restart) and cached.
#
#   bench/dvd.sh [SECONDS_PER_CLIP]     (default 120: a title of about 270 MiB)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
clip_seconds=${1:-120}
cache=${QUARNEL_BENCH_CACHE:-$HOME/.cache/quarnel-bench}
runs=${QUARNEL_BENCH_RUNS:-5}
"$top/tools/install-packages.sh" bench/dvd.sh cmake ninja-build g++ ffmpeg dvdauthor time python3 libgtest-dev \
    libpng-dev libdvdread-dev pkg-config nlohmann-json3-dev libfreetype-dev

build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
nice -n 10 ninja -C "$build" quarnel-cli >/dev/null
cli="$build/bin/quarnel-cli"

disc="$cache/dvd-$clip_seconds"
if [ ! -f "$disc/DISC/VIDEO_TS/VTS_01_1.VOB" ]; then
    rm -rf "$disc"; mkdir -p "$disc"
    for k in 1 2; do
        ffmpeg -v error -y -f lavfi -i "testsrc2=size=720x576:rate=25" -f lavfi -i "sine=frequency=$((300 * k))" \
            -f lavfi -i "anoisesrc=r=48000" -t "$clip_seconds" -map 0 -map 1 -map 2 -target pal-dvd -b:v 8M \
            -maxrate 9M "$disc/c$k.mpg"
    done
    printf '<dvdauthor dest="%s"><vmgm/><titleset><titles><pgc><vob file="%s"/><vob file="%s"/></pgc></titles></titleset></dvdauthor>' \
        "$disc/DISC" "$disc/c1.mpg" "$disc/c2.mpg" > "$disc/dvd.xml"
    VIDEO_FORMAT=PAL dvdauthor -x "$disc/dvd.xml" >/dev/null 2>&1
    rm -f "$disc"/c?.mpg
fi
vob="$disc/DISC/VIDEO_TS/VTS_01_1.VOB"
mib=$(( $(stat -c %s "$vob") >> 20 ))
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

cat "$vob" >/dev/null
echo "DVD title against its VOB file, $mib MiB, $(nproc) cores, median of $runs rounds (goal: within 10 %)"
printf '\n| operation | file: user ms/MiB | title: user ms/MiB | title/file | file: peak RSS | title: peak RSS |\n'
printf '|---|---:|---:|---:|---:|---:|\n'
for op in read demux; do
    file_runs="" title_runs=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/out"; mkdir -p "$work/out"
        file_runs+="$(measure "$cli" "$op" --full -o "$work/out" "$vob")"$'\n'
        rm -rf "$work/out"; mkdir -p "$work/out"
        title_runs+="$(measure "$cli" "$op" --full -o "$work/out" "$disc/DISC")"$'\n'
    done
    uf=$(printf '%s' "$file_runs" | awk '{print $1}' | median) ut=$(printf '%s' "$title_runs" | awk '{print $1}' | median)
    rf=$(printf '%s' "$file_runs" | awk '{print $2}' | median) rt=$(printf '%s' "$title_runs" | awk '{print $2}' | median)
    awk -v op="$op" -v uf="$uf" -v ut="$ut" -v rf="$rf" -v rt="$rt" -v mib="$mib" 'BEGIN {
        printf "| %s | %.3f | %.3f | %.2f | %.1f MiB | %.1f MiB |\n", op, uf * 1000 / mib, ut * 1000 / mib, ut / uf,
            rf / 1024, rt / 1024 }'
done
