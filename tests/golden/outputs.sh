#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every output of the command-line tool on the shipped sample and on DVD VOBs that ffmpeg
# multiplexes, written as one transcript: each command with its exit status, its log (with
# mark-up) and the size and SHA-256 of every file it wrote (text outputs in full). The recorded
# transcripts in tests/data/golden/ hold what these commands gave when they were recorded; a
# change that alters one byte of any output or log line shows here.
#
#     tests/golden/outputs.sh CLI check     # compare with the recorded transcripts (ctest)
#     tests/golden/outputs.sh CLI record    # record them anew (after a deliberate change)
#
# A VOB that the installed ffmpeg makes differently from the recorded one (another ffmpeg
# version) is reported and its cases are left out; without ffmpeg they are left out too.
set -euo pipefail

cli=$1
mode=${2:-check}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
golden=$root/tests/data/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/sample" "$work/sample"

# One case: runs the CLI with its arguments, then lists what it wrote into out/.
run_case() {
    local name=$1
    shift
    rm -rf "$work/out"
    mkdir -p "$work/out"
    local status=0
    (cd "$work" && "$cli" "$@" >"$work/stdout" 2>"$work/stderr") || status=$?
    {
        echo "== $name"
        echo "\$ quarnel-cli $*"
        echo "exit $status"
        echo "--- log"
        sed "s|$work|WORK|g" "$work/stdout"
        echo "--- errors"
        sed "s|$work|WORK|g" "$work/stderr"
        echo "--- files"
        (cd "$work/out" && find . -type f | LC_ALL=C sort | while read -r f; do
            echo "$(stat -c %s "$f") $(sha256sum <"$f" | cut -d' ' -f1) ${f#./}"
            case $f in *.txt) sed 's/\r$/<CR>/' "$f" ;; esac
        done)
        echo
    } >>"$work/transcript"
}

compare() {
    local name=$1
    if [ "$mode" = record ]; then
        mkdir -p "$golden"
        cp "$work/transcript" "$golden/$name.txt"
        echo "recorded $golden/$name.txt"
    elif diff -u "$golden/$name.txt" "$work/transcript"; then
        echo "$name: every output as recorded"
    else
        echo "$name: outputs differ from the recorded ones (above)" >&2
        exit 1
    fi
    rm -f "$work/transcript"
}

# --- the shipped sample: a split HD DVD movie with every coding, its playlist and VTI
evo=sample/HVDVD_TS/FEATURE_1.EVO
xpl=sample/ADV_OBJ/VPLST000.XPL
run_case read read --markup "$evo"
run_case read-first-file-only read --markup --no-continue --no-details "$evo"
run_case demux demux --markup -o out "$evo"
run_case demux-some-streams demux --markup --streams v1,a02,a03,s00 --no-count-frames -o out "$evo"
run_case rebuild rebuild --markup --streams v0,a01,a04,s00 -o out "$evo"
run_case rebuild-adjusted rebuild --markup --adv-pck --adjust-pts -o out "$evo"
run_case playlist xpl --markup --source "$evo" "$xpl"
run_case chapters chapters --markup --source "$evo" -o out "$xpl"
run_case vti vti --markup "$evo"
run_case json read --json "$evo"
compare sample

# --- DVD VOBs made by ffmpeg (bit-exact), as the ffmpeg oracle tests make them
if command -v ffmpeg >/dev/null; then
    video="-f lavfi -i testsrc2=size=720x480:rate=30000/1001:duration=3"
    coding="-c:v mpeg2video -b:v 2500k -g 15 -bf 2 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact"
    sine="-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3"
    make_vob() {
        local name=$1
        shift
        (cd "$work" && ffmpeg -hide_banner -nostdin -loglevel fatal -y "$@" "$name.vob")
        echo "input $(sha256sum <"$work/$name.vob" | cut -d' ' -f1) $name.vob" >>"$work/transcript"
    }
    # shellcheck disable=SC2086
    {
        make_vob ac3 $video $sine $coding -c:a ac3 -b:a 192k -ac 2 -f dvd
        make_vob video $video $coding -f dvd
        make_vob lpcm $video $sine $coding -c:a pcm_s16be -ac 2 -f dvd
        make_vob two-ac3 $video $sine -f lavfi -i sine=frequency=880:sample_rate=48000:duration=3 $coding \
            -map 0 -map 1 -map 2 -c:a ac3 -b:a:0 192k -b:a:1 96k -f dvd
    }
    if [ "$mode" = check ] && ! diff <(grep '^input ' "$golden/ffmpeg.txt") <(cat "$work/transcript") >/dev/null; then
        echo "ffmpeg: this ffmpeg makes other VOBs than the recorded ones; their cases are left out"
    else
        for name in ac3 video lpcm two-ac3; do
            run_case "$name-read" read --markup "$name.vob"
            run_case "$name-demux" demux --markup -o out "$name.vob"
        done
        compare ffmpeg
    fi
else
    echo "ffmpeg: not installed; the cases of ffmpeg-made VOBs are left out"
fi
