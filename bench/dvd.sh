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
. "$top/bench/title_vs_file.sh"
compare_title_with_file "DVD title against its VOB file" "$disc/DISC/VIDEO_TS/VTS_01_1.VOB" "$disc/DISC"
