#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layers of src/, from the bottom: a file may include files of its own folder and of the
# folders below it, never of one above it. The build runs this over every #include of src/
# and fails on the first that runs back up; cli and gui sit side by side on top and include
# neither each other.
#
#     tools/check_layers.sh [SRC_DIR]     # default: src/ beside this script
#     tools/check_layers.sh --self-test   # shows that an include that runs back up is caught
set -euo pipefail

layers=(io report codecs formats app runs)
tops=(cli gui)

rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    for i in "${tops[@]}"; do [ "$i" = "$1" ] && { echo "${#layers[@]}"; return; }; done
    echo -1
}

check() {
    local src=$1 bad=0 file folder target line
    while IFS=: read -r file line target; do
        folder=${file#"$src"/}
        folder=${folder%%/*}
        target=${target#*\"}
        target=${target%%/*}
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
    printf '#include "runs/run_support.h"\n' >"$scratch/src/formats/scratch_upward.cpp"
    if check "$scratch/src" 2>"$scratch/said"; then
        echo "self-test: an include from formats/ of runs/ went unnoticed" >&2
        exit 1
    fi
    grep -q 'formats/ may not include runs/' "$scratch/said"
    rm "$scratch/src/formats/scratch_upward.cpp"
    printf '#include "gui/main_window.h"\n' >"$scratch/src/cli/scratch_sideways.cpp"
    if check "$scratch/src" 2>/dev/null; then
        echo "self-test: an include from cli/ of gui/ went unnoticed" >&2
        exit 1
    fi
    echo "self-test: upward and sideways includes are caught"
    exit 0
fi

check "${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}"
