#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job on the shipped sample: builds quarnel-cli (installing what is missing, see
# tools/setup.sh), then reads the split HD DVD movie sample/HVDVD_TS/FEATURE_1.EVO (with
# FEATURE_2.EVO after it) and demultiplexes every stream into out/ (or the folder given), the log
# printed; makes the MKV, reads the 8-bit subtitle stream as text (the SRT printed) and lists the
# MKV's tracks.
#
#     tools/run-sample.sh [OUTPUT_DIR]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}
out=${1:-$root/out}

"$root/tools/setup.sh" quarnel-cli
echo
echo "== quarnel-cli demux -o $out sample/HVDVD_TS/FEATURE_1.EVO"
"$build/bin/quarnel-cli" demux -o "$out" "$root/sample/HVDVD_TS/FEATURE_1.EVO"
echo
echo "== quarnel-cli mkv -q -o $out sample/HVDVD_TS/FEATURE_1.EVO"
"$build/bin/quarnel-cli" mkv -q -o "$out" "$root/sample/HVDVD_TS/FEATURE_1.EVO"
echo "== $out"
ls -l "$out"
echo
echo "== quarnel-cli demux -q --subs srt --streams s01 -o $out sample/HVDVD_TS/FEATURE_1.EVO (text recognition)"
if "$build/bin/quarnel-cli" demux -q --subs srt --streams s01 -o "$out" "$root/sample/HVDVD_TS/FEATURE_1.EVO"; then
    cat "$out/FEATURE_1_MERGED.Subpicture.01.srt"
fi
echo
echo "== mkvmerge -J $out/FEATURE_1_MERGED.mkv (tracks)"
mkvmerge -J "$out/FEATURE_1_MERGED.mkv" | grep -E '"(codec|track_name|language_ietf|default_track)"' 
