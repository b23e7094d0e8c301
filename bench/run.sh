#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Throughput of Read, Demux and Rebuild against the limits of the machine (dd) and against
# ffmpeg/ffprobe, on a large generated EVO held in the page cache; the writing operations are
# timed two ways: flushed (sync and a pause before each run, after an untimed round; median)
# and absorbed (a file small enough for the page cache to take all that is written, best of
# four). Then every kind of content of bench/content.sh on a line of its own (absorbed, of
# ABSORBED_MB), so that a regression on one kind shows.
#
#   bench/run.sh [SIZE_MB [ABSORBED_MB]]        (default 2048 and 768)
#
# The generated files are cached in $QUARNEL_BENCH_CACHE (default ~/.cache/quarnel-bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
size_mb=${1:-2048}
absorbed_mb=${2:-768}
best_of=4
cache=${QUARNEL_BENCH_CACHE:-$HOME/.cache/quarnel-bench}
runs=${QUARNEL_BENCH_RUNS:-7}
pause=${QUARNEL_BENCH_PAUSE:-0.5}
mkdir -p "$cache"

"$top/tools/install-packages.sh" bench/run.sh cmake ninja-build g++ ffmpeg coreutils time bc libgtest-dev libpng-dev libdvdread-dev pkg-config nlohmann-json3-dev \
    libfreetype-dev

build="$top/build-release"
cmake --preset release -S "$top" -B "$build" >/dev/null
nice -n 10 ninja -C "$build" -j "${QUARNEL_BENCH_JOBS:-1}" quarnel-cli quarnel-bench-make >/dev/null
cli="$build/bin/quarnel-cli"

# The files, one per kind of content (bench/content.sh); the detailed tables are of the first.
. "$top/bench/content.sh"
big=$(bench_file evo "$size_mb")
small=$(bench_file evo 256)
absorbed=$(bench_file evo "$absorbed_mb")

work="$cache/work"
rm -rf "$work"; mkdir -p "$work"
bytes=$(stat -c %s "$big")

# Wall time in seconds of one run of a command; the median of a list of times.
timed() {
    local t0 t1
    t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}
median_list() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {printf "%.3f\n", a[int((NR+1)/2)]}'; }
best_list() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 {printf "%.3f\n", $1}'; }
# Median of a reading command run $runs times (the file is already in the page cache); slow
# peers are run fewer times: median_of N CMD...
median() { median_of "$runs" "$@"; }
median_of() {
    local n=$1 times=()
    shift
    for _ in $(seq "$n"); do times+=("$(timed "$@")"); done
    median_list "${times[@]}"
}
rate() { echo "scale=1; ${2:-$bytes} / 1048576 / $1" | bc -l; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

keep=$("$cli" read --json --full "$big" | grep -o '"stream": "[^"]*"' | cut -d'"' -f4 | awk 'NR % 2 == 1' | paste -sd, -)

# The writing operations, each into a folder of its own: run_write OPERATION SOURCE.
write_ops=(ddcopy demux rebuild ffdemux)
run_write() {
    local out=$work/$1 src=$2
    case $1 in
        ddcopy) dd if="$src" of="$out/copy" bs=256K ;;
        demux) "$cli" demux --full -o "$out" "$src" ;;
        rebuild) "$cli" rebuild --full --streams "$keep" -o "$out" "$src" ;;
        ffdemux) ffmpeg -v error -y -i "$src" -map 0:v -c copy "$out/ff.m2v" -map 0:a:0 -c copy "$out/ff.ac3" \
            -map 0:a:1 -c copy "$out/ff.eac3" -map 0:a:2 -c copy "$out/ff.dts" ;;
    esac
}
run_write_big() { run_write "$1" "$big" >/dev/null 2>&1 || true; }

echo "Benchmark on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr); file $((bytes >> 20)) MiB, median of $runs runs (ffprobe: 1 run), writes after an untimed round, each after sync and a pause of ${pause} s"
cat "$big" >/dev/null  # into the page cache
t_ddread=$(median dd if="$big" of=/dev/null bs=256K)
t_read=$(median "$cli" read --full "$big")
t_ffnull=$(median ffmpeg -v error -y -i "$big" -map 0 -c copy -f null -)

# Timed writes are noisy: freshly freed page-cache memory is reused faster. So the writing
# operations take turns, round after round, each after the other writes are flushed (sync)
# and a pause ($QUARNEL_BENCH_PAUSE seconds, default 0.5); its previous outputs are deleted
# last, right before it runs. A virtual machine's balloon driver hands freed memory back to
# the host (free page reporting) from about 1.5 s after it is freed: every page written into
# it then costs the host a fault, and a 2 GiB dd copy takes 4 to 7 s instead of 0.7 s, the
# hypervisor's time rather than the programs'. A first round, untimed, writes into the memory
# that was handed back before the benchmark began.
run_round() {
    for op in "${write_ops[@]}"; do
        sync; sleep "$pause"; rm -rf "${work:?}/$op"; mkdir -p "$work/$op"
        "$@" "$op"
    done
}
timed_write() { wtimes[$1]+="$(timed run_write "$1" "$big") "; }
declare -A wtimes
run_round run_write_big
for _ in $(seq "$runs"); do run_round timed_write; done

# Absorbed: every earlier output deleted (its dirty pages dropped unwritten), no sync, no
# pause; what remains is the programs' own time and the kernel's copies.
absorbed_ops=(ddcopy demux rebuild)
absorbed_bytes=$(stat -c %s "$absorbed")
cat "$absorbed" >/dev/null
declare -A atimes
for _ in $(seq "$best_of"); do
    for op in "${absorbed_ops[@]}"; do
        rm -rf "${work:?}"/*; mkdir -p "$work/$op"
        atimes[$op]+="$(timed run_write "$op" "$absorbed") "
    done
    atimes[ddread]+="$(timed dd if="$absorbed" of=/dev/null bs=256K) "
    atimes[read]+="$(timed "$cli" read --full "$absorbed") "
done
absorbed_best() { eval "best_list ${atimes[$1]}"; }
a_ddcopy=$(absorbed_best ddcopy)
a_demux=$(absorbed_best demux)
a_rebuild=$(absorbed_best rebuild)
a_ddread=$(absorbed_best ddread)
a_read=$(absorbed_best read)
write_median() { eval "median_list ${wtimes[$1]}"; }  # the list splits on its blanks
t_ddcopy=$(write_median ddcopy)
t_demux=$(write_median demux)
t_rebuild=$(write_median rebuild)
t_ffdemux=$(write_median ffdemux)
t_ffprobe=$(median_of 1 ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "$big")

printf '\n| operation | seconds | MiB/s | ratio |\n|---|---:|---:|---|\n'
printf '| dd read (limit for a read) | %s | %s | |\n' "$t_ddread" "$(rate "$t_ddread")"
printf '| quarnel-cli read --full | %s | %s | %.2f x dd read; %.1f x ffmpeg copy to null; %.1f x ffprobe -count_frames |\n' \
    "$t_read" "$(rate "$t_read")" "$(echo "$t_ddread / $t_read" | bc -l)" "$(echo "$t_ffnull / $t_read" | bc -l)" "$(echo "$t_ffprobe / $t_read" | bc -l)"
printf '| dd copy (limit for read+write) | %s | %s | |\n' "$t_ddcopy" "$(rate "$t_ddcopy")"
printf '| quarnel-cli demux --full (all streams) | %s | %s | %.2f x dd copy; %.1f x ffmpeg stream copy |\n' \
    "$t_demux" "$(rate "$t_demux")" "$(echo "$t_ddcopy / $t_demux" | bc -l)" "$(echo "$t_ffdemux / $t_demux" | bc -l)"
printf '| quarnel-cli rebuild --full (half the streams) | %s | %s | %.2f x dd copy |\n' \
    "$t_rebuild" "$(rate "$t_rebuild")" "$(echo "$t_ddcopy / $t_rebuild" | bc -l)"
printf '| ffmpeg -c copy -f null | %s | %s | |\n' "$t_ffnull" "$(rate "$t_ffnull")"
printf '| ffmpeg stream copy into files | %s | %s | |\n' "$t_ffdemux" "$(rate "$t_ffdemux")"
printf '| ffprobe -count_frames | %s | %s | |\n' "$t_ffprobe" "$(rate "$t_ffprobe")"

# Every time behind the medians: a round that ran slow for all (the machine) shows beside one
# that ran slow for one program.
printf '\nFlushed runs in order, seconds:\n\n'
for op in "${write_ops[@]}"; do printf -- '- %s: %s\n' "$op" "$(for t in ${wtimes[$op]}; do printf '%.2f ' "$t"; done)"; done
write_best() { eval "best_list ${wtimes[$1]}"; }
printf '\nThe best of each: dd copy %s s, demux %s s (%s x dd copy), rebuild %s s (%s x dd copy)\n' \
    "$(write_best ddcopy)" "$(write_best demux)" "$(ratio "$(write_best ddcopy)" "$(write_best demux)")" \
    "$(write_best rebuild)" "$(ratio "$(write_best ddcopy)" "$(write_best rebuild)")"

printf '\nAbsorbed: file %d MiB, every output deleted before each run, no sync; best of %d runs\n' \
    "$((absorbed_bytes >> 20))" "$best_of"
printf '\n| operation | seconds | MiB/s | ratio |\n|---|---:|---:|---|\n'
printf '| dd read | %s | %s | |\n' "$a_ddread" "$(rate "$a_ddread" "$absorbed_bytes")"
printf '| quarnel-cli read --full | %s | %s | %s x dd read |\n' "$a_read" "$(rate "$a_read" "$absorbed_bytes")" \
    "$(ratio "$a_ddread" "$a_read")"
printf '| dd copy | %s | %s | |\n' "$a_ddcopy" "$(rate "$a_ddcopy" "$absorbed_bytes")"
printf '| quarnel-cli demux --full (all streams) | %s | %s | %s x dd copy |\n' "$a_demux" \
    "$(rate "$a_demux" "$absorbed_bytes")" "$(ratio "$a_ddcopy" "$a_demux")"
printf '| quarnel-cli rebuild --full (half the streams) | %s | %s | %s x dd copy |\n' "$a_rebuild" \
    "$(rate "$a_rebuild" "$absorbed_bytes")" "$(ratio "$a_ddcopy" "$a_rebuild")"

rm -rf "${work:?}"/*; mkdir -p "$work/demux" "$work/rebuild"
printf '\n| peak resident memory | 256 MiB file | %d MiB file |\n|---|---:|---:|\n' "$((bytes >> 20))"
printf '| read | %s KiB | %s KiB |\n' "$(peak "$cli" read --full "$small")" "$(peak "$cli" read --full "$big")"
printf '| demux | %s KiB | %s KiB |\n' "$(peak "$cli" demux --full -o "$work/demux" "$small")" \
    "$(peak "$cli" demux --full -o "$work/demux" "$big")"
printf '| rebuild | %s KiB | %s KiB |\n' "$(peak "$cli" rebuild --full --streams "$keep" -o "$work/rebuild" "$small")" \
    "$(peak "$cli" rebuild --full --streams "$keep" -o "$work/rebuild" "$big")"

# Every kind of content, absorbed: best of $best_of, user CPU and peak memory of that run.
# kind_row KIND FILE
kind_row() {
    local kind=$1 file=$2 mib best ddr ddc
    mib=$(( $(stat -c %s "$file") >> 20 ))
    cat "$file" >/dev/null
    # best OP CMD...: "wall user rss" of the fastest of $best_of runs, outputs deleted before each.
    best() {
        for _ in $(seq "$best_of"); do
            rm -rf "${work:?}"/*; mkdir -p "$work/out"
            /usr/bin/time -f '%e %U %M' -o "$work/../time" "$@" >/dev/null 2>&1 || true
            tail -1 "$work/../time"
        done | sort -g | head -1
    }
    ddr=$(best dd if="$file" of=/dev/null bs=256K | cut -d' ' -f1)
    ddc=$(best dd if="$file" of="$work/out/copy" bs=256K | cut -d' ' -f1)
    local read demux rebuild="- - -"
    read=$(best "$cli" read --full "$file")
    demux=$(best "$cli" demux --full -o "$work/out" "$file")
    if [ "${file##*.}" = EVO ]; then
        local streams
        streams=$("$cli" read --json --full "$file" | grep -o '"stream": "[^"]*"' | cut -d'"' -f4 | awk 'NR % 2 == 1' | paste -sd, -)
        rebuild=$(best "$cli" rebuild --full --streams "$streams" -o "$work/out" "$file")
    fi
    echo "$kind $mib $ddr $ddc $read $demux $rebuild" | awk '
        function row(w, u, m, dd) { return w == "-" ? "- | - | - |" : sprintf("%.2fx dd | %.3f | %.1f MiB |", dd / w, u * 1000 / $2, m / 1024) }
        { printf "| %s (%d MiB) | %s %s %s\n", $1, $2, row($5, $6, $7, $3), row($8, $9, $10, $4), row($11, $12, $13, $4) }'
}
printf '\nEvery kind of content, absorbed (ABSORBED_MB files, outputs deleted before each run, no sync); best of %d runs; user CPU in ms per MiB\n\n' "$best_of"
printf '| content | read | user | peak | demux | user | peak | rebuild | user | peak |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n'
for kind in "${bench_kinds[@]}"; do kind_row "$kind" "$(bench_file "$kind" "$absorbed_mb")"; done
rm -rf "$work"
