# SPDX-License-Identifier: GPL-3.0-or-later
# A disc's title read and demuxed against the same bytes read as a file (sourced by dvd.sh and
# hddvd.sh after they set `cli` and `runs`): user CPU per MiB to the microsecond and peak
# memory, the median of the rounds, the file and the title by turns.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure CMD...: "user_seconds rss_kib" of one run.
measure() {
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(f"{resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime:.6f}", end=" ")' \
        /usr/bin/time -f '%M' -o "$work/rss" "$@"
    tail -1 "$work/rss"
}
median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]}'; }

# compare_title_with_file WHAT FILE TITLE_ARGUMENT...: a heading naming WHAT, then the table,
# one row per operation, FILE held in the page cache.
compare_title_with_file() {
    local what=$1 file=$2
    shift 2
    local mib=$(( $(stat -c %s "$file") >> 20 ))
    cat "$file" >/dev/null
    echo "$what, $mib MiB, $(nproc) cores, median of $runs rounds (goal: within 10 %)"
    printf '\n| operation | file: user ms/MiB | title: user ms/MiB | title/file | file: peak RSS | title: peak RSS |\n'
    printf '|---|---:|---:|---:|---:|---:|\n'
    local op file_runs title_runs uf ut rf rt
    for op in read demux; do
        file_runs="" title_runs=""
        for _ in $(seq "$runs"); do
            rm -rf "$work/out"; mkdir -p "$work/out"
            file_runs+="$(measure "$cli" "$op" --full -o "$work/out" "$file")"$'\n'
            rm -rf "$work/out"; mkdir -p "$work/out"
            title_runs+="$(measure "$cli" "$op" --full -o "$work/out" "$@")"$'\n'
        done
        uf=$(printf '%s' "$file_runs" | awk '{print $1}' | median) ut=$(printf '%s' "$title_runs" | awk '{print $1}' | median)
        rf=$(printf '%s' "$file_runs" | awk '{print $2}' | median) rt=$(printf '%s' "$title_runs" | awk '{print $2}' | median)
        awk -v op="$op" -v uf="$uf" -v ut="$ut" -v rf="$rf" -v rt="$rt" -v mib="$mib" 'BEGIN {
            printf "| %s | %.3f | %.3f | %.2f | %.1f MiB | %.1f MiB |\n", op, uf * 1000 / mib, ut * 1000 / mib, ut / uf,
                rf / 1024, rt / 1024 }'
    done
}
