#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A/B of two revisions on every kind of bench content: each revision is built in Release in a
# folder of its own, then Read, Demux and Rebuild of both (and dd, the machine's limit) take
# turns, round after round, on each file held in the page cache. Printed per file and
# operation: the median wall time, user CPU per MiB and peak resident memory of each revision,
# B's ratio to A, and each one's ratio to dd. Run it before resolving a change to the scanner,
# the reading or the writers.
#
#   bench/compare.sh REV_A REV_B [SIZE_MB]     (default 768; REV may be WORKTREE: the files as
#                                              they stand, uncommitted changes included)
#
# The files are cached in $QUARNEL_BENCH_CACHE (default ~/.cache/quarnel-bench), the builds
# under it in compare/; QUARNEL_BENCH_RUNS rounds (default 5).
set -euo pipefail
[ $# -ge 2 ] || { sed -n '9,10p' "$0" | sed 's/^# *//' >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
rev_a=$1 rev_b=$2 size_mb=${3:-768}
cache=${QUARNEL_BENCH_CACHE:-$HOME/.cache/quarnel-bench}
runs=${QUARNEL_BENCH_RUNS:-5}
mkdir -p "$cache/compare"

"$top/tools/install-packages.sh" bench/compare.sh cmake ninja-build g++ ffmpeg coreutils time python3 bc libgtest-dev \
    libpng-dev nlohmann-json3-dev libfreetype-dev libdvdread-dev pkg-config

# The generator of the current tree makes the files for both.
build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
nice -n 10 ninja -C "$build" quarnel-bench-make >/dev/null
. "$top/bench/content.sh"

# build_rev REV: the path of that revision's quarnel-cli, built once per commit.
build_rev() {
    local rev=$1 id src out
    if [ "$rev" = WORKTREE ]; then
        id=worktree src=$top
    else
        id=$(git -C "$top" rev-parse --short=12 "$rev^{commit}")
        src="$cache/compare/src-$id"
        if [ ! -f "$src/CMakeLists.txt" ]; then
            rm -rf "$src"; mkdir -p "$src"
            git -C "$top" archive "$id" | tar -x -C "$src"
        fi
    fi
    out="$cache/compare/build-$id"
    cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_GUI=OFF -DQUARNEL_TESTS=OFF >/dev/null
    nice -n 10 ninja -C "$out" quarnel-cli >/dev/null
    echo "$out/bin/quarnel-cli"
}
cli_a=$(build_rev "$rev_a")
cli_b=$(build_rev "$rev_b")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure CMD...: "wall user system rss_kib" of one run, the times to the microsecond (time(1) prints
# hundredths, too coarse for runs of a tenth of a second); the peak memory as time(1) sees it
# (a child forked from python would carry python's own).
measure() {
    python3 -c 'import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{wall:.6f} {usage.ru_utime:.6f} {usage.ru_stime:.6f}", end=" ")' \
        /usr/bin/time -f '%M' -o "$work/rss" "$@"
    tail -1 "$work/rss"
}

# One run of an operation: run_op OP CLI FILE. A writing run starts with the outputs of the
# run before deleted, without sync: their pages are dropped unwritten and the page cache takes
# what it writes, so that the time is the programs' and the kernel's copies, not the disk's.
run_op() {
    local op=$1 cli=$2 file=$3
    case $op in
        read) measure "$cli" read --full "$file" ;;
        rebuild) [ "${file##*.}" = EVO ] || return 0 ;;&  # only EVO files are rebuilt
        demux | rebuild | ddcopy)
            rm -rf "${work:?}/out"; mkdir -p "$work/out"
            case $op in
                demux) measure "$cli" demux --full -o "$work/out" "$file" ;;
                rebuild) measure "$cli" rebuild --full --streams "$keep" -o "$work/out" "$file" ;;
                ddcopy) measure dd if="$file" of="$work/out/copy" bs=256K ;;
            esac ;;
        ddread) measure dd if="$file" of=/dev/null bs=256K ;;
    esac
}
median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]}'; }
# col N LIST: the medians of column N of lines "wall user system rss".
col() { printf '%s\n' "$2" | awk -v c="$1" 'NF {print $c}' | median; }
# cpu LIST: the median of user + system time. A mapped input moves the cost of bringing its
# bytes in from the kernel's copy (system time) to the first touch of its pages (user time):
# user time alone tells half of it.
cpu() { printf '%s\n' "$1" | awk 'NF {print $2 + $3}' | median; }

echo "A: $rev_a ($cli_a)"
echo "B: $rev_b ($cli_b)"
echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; median of $runs interleaved rounds, page cache warm"
for kind in "${bench_kinds[@]}"; do
    file=$(bench_file "$kind" "$size_mb")
    mib=$(( $(stat -c %s "$file") >> 20 ))
    cat "$file" >/dev/null
    keep=$("$cli_b" read --json --full "$file" | grep -o '"stream": "[^"]*"' | cut -d'"' -f4 | awk 'NR % 2 == 1' | paste -sd, -)
    declare -A t=()
    for _ in $(seq "$runs"); do
        for op in ddread read ddcopy demux rebuild; do
            case $op in
                dd*) t[$op]+="$(run_op "$op" "" "$file")"$'\n' ;;
                *)
                    t[$op.a]+="$(run_op "$op" "$cli_a" "$file")"$'\n'
                    t[$op.b]+="$(run_op "$op" "$cli_b" "$file")"$'\n' ;;
            esac
        done
    done
    printf '\n%s: %s, %d MiB\n\n' "$kind" "$(basename "$file")" "$mib"
    printf '| operation | wall A | wall B | B/A | user ms/MiB A | user ms/MiB B | B/A | CPU ms/MiB A | CPU ms/MiB B | B/A | peak RSS A | peak RSS B | A x dd | B x dd |\n'
    printf '|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n'
    for op in read demux rebuild; do
        [ -n "$(col 1 "${t[$op.a]}")" ] || continue
        dd=ddcopy; [ "$op" = read ] && dd=ddread
        wa=$(col 1 "${t[$op.a]}") wb=$(col 1 "${t[$op.b]}") wd=$(col 1 "${t[$dd]}")
        ua=$(col 2 "${t[$op.a]}") ub=$(col 2 "${t[$op.b]}")
        ca=$(cpu "${t[$op.a]}") cb=$(cpu "${t[$op.b]}")
        ra=$(col 4 "${t[$op.a]}") rb=$(col 4 "${t[$op.b]}")
        awk -v op="$op" -v wa="$wa" -v wb="$wb" -v wd="$wd" -v ua="$ua" -v ub="$ub" -v ca="$ca" -v cb="$cb" \
            -v ra="$ra" -v rb="$rb" -v mib="$mib" '
            function r(x, y) { return y > 0 ? sprintf("%.2f", x / y) : "-" }
            BEGIN {
                printf "| %s | %.2f s | %.2f s | %s | %.3f | %.3f | %s | %.3f | %.3f | %s | %.1f MiB | %.1f MiB | %s | %s |\n",
                    op, wa, wb, r(wb, wa), ua * 1000 / mib, ub * 1000 / mib, r(ub, ua), ca * 1000 / mib,
                    cb * 1000 / mib, r(cb, ca), ra / 1024, rb / 1024, r(wd, wa), r(wd, wb)
            }'
    done
    printf '\ndd %s: %.2f s; dd copy: %.2f s\n' read "$(col 1 "${t[ddread]}")" "$(col 1 "${t[ddcopy]}")"
    unset t
done
