#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layers of src/, from the bottom: a file may include files of its own folder and of the
# folders below it, never of one above it. The build runs this over every #include of src/
# and fails on the first that runs back up; cli and gui sit side by side on top and include
# neither each other. formats/ is made of rooms: ps/ at the bottom, and disc/, subtitles/, ocr/
# and audio/ over it side by side: a room includes its own files and those of ps/, never those
# of a room beside it.
#
#     tools/check_layers.sh [SRC_DIR]     # default: src/ beside this script
#     tools/check_layers.sh --self-test   # shows that an include that runs back up is caught
set -euo pipefail

layers=(io report codecs formats app runs)
tops=(cli gui)
base_room=ps
rooms=(ps disc subtitles ocr audio)

rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    for i in "${tops[@]}"; do [ "$i" = "$1" ] && { echo "${#layers[@]}"; return; }; done
    echo -1
}

# check_room FILE LINE SRC TARGET: an include of formats/TARGET from FILE, a file of formats/.
check_room() {
    local file=$1 line=$2 src=$3 target=$4 from to
    from=${file#"$src"/formats/}
    from=${from%%/*}
    to=${target#formats/}
    to=${to%%/*}
    local known=" ${rooms[*]} "
    if [[ "$known" != *" $from "* ]]; then
        echo "$file: formats/ holds rooms only (${rooms[*]}), not files of its own" >&2
        return 1
    fi
    if [[ "$known" != *" $to "* ]]; then
        echo "$file:$line: $target is not in a room of formats/ (${rooms[*]})" >&2
        return 1
    fi
    [ "$from" = "$to" ] || [ "$to" = "$base_room" ] && return 0
    echo "$file:$line: formats/$from/ may not include formats/$to/ (rooms of formats/ include their own and $base_room/ only)" >&2
    return 1
}

check() {
    local src=$1 bad=0 file folder target line
    while IFS=: read -r file line target; do
        folder=${file#"$src"/}
        folder=${folder%%/*}
        target=${target#*\"}
        full=${target%\"}
        target=${target%%/*}
        if [ "$folder" = formats ] && [ "$target" = formats ]; then
            check_room "$file" "$line" "$src" "$full" || bad=1
            continue
        fi
        [ "$folder" = "$target" ] && continue
        local from to
        from=$(rank "$folder")
        to=$(rank "$target")
        [ "$to" -lt 0 ] && continue  # not a folder of src/ (a test fixture, a generated header)
        if [ "$from" -lt 0 ] || [ "$to" -ge "$from" ]; then
            echo "$file:$line: $folder/ may not include $target/ (layers from the bottom: ${layers[*]}, then ${tops[*]})" >&2
            bad=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "$src" --include='*.h' --include='*.cpp' \
             | sed -E 's/^([^:]+):([0-9]+):.*#[[:space:]]*include[[:space:]]+("[^"]*").*/\1:\2:\3/')
    return $bad
}

if [ "${1:-}" = --self-test ]; then
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cp -r "$here/src" "$scratch/src"
    check "$scratch/src" || { echo "self-test: the tree itself breaks the layers" >&2; exit 1; }
    printf '#include "runs/run_support.h"\n' >"$scratch/src/formats/disc/scratch_upward.cpp"
    if check "$scratch/src" 2>"$scratch/said"; then
        echo "self-test: an include from formats/ of runs/ went unnoticed" >&2
        exit 1
    fi
    grep -q 'formats/ may not include runs/' "$scratch/said"
    rm "$scratch/src/formats/disc/scratch_upward.cpp"
    printf '#include "formats/disc/title.h"\n' >"$scratch/src/formats/subtitles/scratch_beside.cpp"
    if check "$scratch/src" 2>"$scratch/said"; then
        echo "self-test: an include from formats/subtitles/ of formats/disc/ went unnoticed" >&2
        exit 1
    fi
    grep -q 'formats/subtitles/ may not include formats/disc/' "$scratch/said"
    rm "$scratch/src/formats/subtitles/scratch_beside.cpp"
    printf '#include "gui/main_window.h"\n' >"$scratch/src/cli/scratch_sideways.cpp"
    if check "$scratch/src" 2>/dev/null; then
        echo "self-test: an include from cli/ of gui/ went unnoticed" >&2
        exit 1
    fi
    echo "self-test: upward and sideways includes, and includes between rooms, are caught"
    exit 0
fi

check "${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}"
