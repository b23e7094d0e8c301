#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes the shipped sample sample/HVDVD_TS/FEATURE_1.EVO and FEATURE_2.EVO with the HVA00001.VTI
# that describes them (make_vti), and the manifest tests/data/sample_es/manifest.txt that the
# end-to-end test checks a demux of it against.
# ffmpeg encodes the elementary streams into a temporary folder; build/bin/make_sample cuts them
# into access units, draws the subtitles and multiplexes everything (tools/
# make_sample_main.cpp). The results are committed, so nobody needs to run this to use the sample;
# another ffmpeg version gives other (equally good) bytes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}
"$root/tools/setup.sh" make_sample make_vti

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
seconds=4.004  # 96 frames at 24000/1001 frames per second
encode() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
video() { encode -f lavfi -i "$1=size=1920x1080:rate=24000/1001:duration=$seconds" "${@:2}"; }
tone() { encode -f lavfi -i "sine=frequency=$1:sample_rate=48000:duration=$seconds" "${@:2}"; }

# MPEG-2 with B-frames in closed GOPs of 16 (a GOP starts at frame 48, where FEATURE_2 begins).
video testsrc2 -c:v mpeg2video -b:v 1200k -maxrate 4M -bufsize 1835k -g 16 -bf 2 -flags +cgop \
    -sc_threshold 1000000000 -f mpeg2video "$tmp/video.m2v"
# H.264 without B-frames, an IDR picture every 24 frames, an access unit delimiter per picture.
video testsrc -c:v libx264 -preset veryfast -b:v 400k -pix_fmt yuv420p \
    -x264-params bframes=0:keyint=24:min-keyint=24:scenecut=0 -bsf:v h264_metadata=aud=insert \
    -f h264 "$tmp/video.h264"
tone 440 -ac 2 -c:a ac3 -b:a 192k -f ac3 "$tmp/audio.ac3"
tone 550 -ac 6 -c:a eac3 -b:a 192k -f eac3 "$tmp/audio.eac3"
tone 660 -ac 2 -c:a dca -strict -2 -b:a 384k -f dts "$tmp/audio.dts"
tone 770 -ac 2 -c:a truehd -strict -2 -f truehd "$tmp/audio.thd"
tone 880 -ac 2 -c:a pcm_s16be -f s16be "$tmp/audio.pcm"

mkdir -p "$root/sample/HVDVD_TS" "$root/tests/data/sample_es"
"$build/bin/make_sample" "$tmp" "$root/sample/HVDVD_TS" "$root/tests/data/sample_es/manifest.txt"
"$build/bin/make_vti" "$root/sample/HVDVD_TS"
