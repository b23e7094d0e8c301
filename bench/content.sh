# SPDX-License-Identifier: GPL-3.0-or-later
# The benchmarks' source files, one per kind of content (sourced after `top` and `cache` are
# set; needs quarnel-bench-make built in $build):
#   evo      MPEG-2 cut at pictures, AC-3, E-AC-3, DTS, two subpicture streams
#   entropy  high-entropy video whose every packet opens with a start code, AC-3
#   vob      a DVD VOB: 720x480 MPEG-2, LPCM, MPEG audio, AC-3, short subpicture packets
# bench_file KIND SIZE_MB prints the path of the file, generating and caching it first.
bench_kinds=(evo entropy vob)

bench_clips() {
    local es="$cache/es"
    [ -f "$es/done-v2" ] && return
    mkdir -p "$es"
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30000/1001" -t 10 \
        -c:v mpeg2video -b:v 20M -maxrate 25M -bufsize 9M -bf 0 -g 15 "$es/video.m2v"
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=720x480:rate=30000/1001" -t 10 \
        -c:v mpeg2video -b:v 8M -maxrate 9M -bufsize 1835k -bf 0 -g 15 "$es/dvd.m2v"
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 10 -ac 6 -c:a ac3 -b:a 640k "$es/audio.ac3"
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=330:sample_rate=48000" -t 10 -ac 6 -c:a eac3 -b:a 1536k "$es/audio.eac3"
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=550:sample_rate=48000" -t 10 -ac 6 -c:a dca -strict -2 -b:a 1509k "$es/audio.dts"
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=660:sample_rate=48000" -t 10 -ac 2 -c:a mp2 -b:a 224k -f mp2 "$es/audio.mp2"
    touch "$es/done-v2"
}

bench_file() {
    local kind=$1 size_mb=$2 ext=EVO
    [ "$kind" = vob ] && ext=VOB
    local file="$cache/${kind}-v2_${size_mb}.$ext"  # v2: the content as this file describes it
    if [ ! -f "$file" ]; then
        bench_clips
        "$build/bin/quarnel-bench-make" "$kind" "$cache/es" "$file.part" "$size_mb" >/dev/null
        mv "$file.part" "$file"
    fi
    echo "$file"
}
