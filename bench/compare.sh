#!/usr/bin/env bash
# Runs the programs in bench/programs with `zak --run` and their Python
# twins with the system python3, RUNS times each (default 5), and prints the
# medians and the ratio ZAK/Python; then the median of one syntax check pass
# over 10 000 lines (bench_syntaxcheck). Times are CPU seconds (user + system):
# on a shared machine they vary far less than the wall clock.
#
#   bench/compare.sh [BUILD_DIR]        (default: build)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
zak=$build/zak
runs=${RUNS:-5}
[[ -x $zak ]] || { echo "no $zak: build first" >&2; exit 2; }

# CPU seconds of one run of the command, its output discarded.
cpu_seconds() {
    local TIMEFORMAT='%3U %3S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    awk '{ printf "%.3f\n", $1 + $2 }' <<<"$t"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-10s %10s %10s %8s\n' program zak python3 ratio
for zakfile in "$here"/programs/*.zak; do
    name=$(basename "$zakfile" .zak)
    pyfile=$here/programs/$name.py
    [[ -f $pyfile ]] || continue
    zt=(); pt=()
    for ((i = 0; i < runs; ++i)); do
        zt+=("$(cpu_seconds "$zak" --run "$zakfile")")
        pt+=("$(cpu_seconds python3 "$pyfile")")
    done
    zm=$(printf '%s\n' "${zt[@]}" | median)
    pm=$(printf '%s\n' "${pt[@]}" | median)
    awk -v n="$name" -v z="$zm" -v p="$pm" \
        'BEGIN { printf "%-10s %9.3fs %9.3fs %7.2fx\n", n, z, p, (p > 0 ? z / p : 0) }'
done

check=$build/bench/bench_syntaxcheck
if [[ -x $check ]]; then
    "$check" --benchmark_filter='BM_Pass10000Lines$' --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { printf "%-21s %9s %s (CPU, median of %s)\n", "check pass 10000 lines", $4, $5, '"$runs"' }'
fi
