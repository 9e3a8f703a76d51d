#!/usr/bin/env bash
# Runs the programs in bench/programs with `zak --run`, with the WebAssembly
# build under Node (`node build-web/zak.mjs --run`, when built) and their
# Python twins with the system python3, RUNS times each (default 5), and
# prints the medians, the ratios ZAK/Python and WebAssembly/ZAK (whole
# processes: Node's start and the module's compilation count, about 0.12 s;
# "in-process" compares the runs alone: WebAssembly with the module loaded,
# once cold and once after the page's warm-up, native minus the time of
# `zak --run` on an empty program); then the median of one syntax check pass
# over 10 000 lines (bench_syntaxcheck). Times are CPU seconds (user + system):
# on a shared machine they vary far less than the wall clock.
#
#   bench/compare.sh [BUILD_DIR [WEB_BUILD_DIR]]   (default: build, build-web)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
zak=$build/zak
web=${2:-$here/../build-web}/zak.mjs
runs=${RUNS:-5}
[[ -x $zak ]] || { echo "no $zak: build first" >&2; exit 2; }

# CPU seconds of one run of the command, its output discarded.
cpu_seconds() {
    local TIMEFORMAT='%3U %3S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    awk '{ printf "%.3f\n", $1 + $2 }' <<<"$t"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

have_web=false
[[ -f $web ]] && command -v node >/dev/null && have_web=true
printf '%-10s %10s %10s %8s %10s %8s\n' program zak python3 ratio wasm wasm/zak
for zakfile in "$here"/programs/*.zak; do
    name=$(basename "$zakfile" .zak)
    pyfile=$here/programs/$name.py
    [[ -f $pyfile ]] || continue
    zt=(); pt=(); wt=(0)
    for ((i = 0; i < runs; ++i)); do
        zt+=("$(cpu_seconds "$zak" --run "$zakfile")")
        pt+=("$(cpu_seconds python3 "$pyfile")")
        $have_web && wt+=("$(cpu_seconds node "$web" --run "$zakfile")")
    done
    $have_web && wt=("${wt[@]:1}")
    zm=$(printf '%s\n' "${zt[@]}" | median)
    pm=$(printf '%s\n' "${pt[@]}" | median)
    wm=$(printf '%s\n' "${wt[@]}" | median)
    awk -v n="$name" -v z="$zm" -v p="$pm" -v w="$wm" \
        'BEGIN { printf "%-10s %9.3fs %9.3fs %7.2fx %9.3fs %7.2fx\n", n, z, p, (p > 0 ? z / p : 0), w, (z > 0 ? w / z : 0) }'
done
if $have_web; then
    empty=$(mktemp --suffix=.zak)
    printf '// ZAK 1.5 - Programm\r\n' >"$empty"
    st=(); for ((i = 0; i < runs; ++i)); do st+=("$(cpu_seconds "$zak" --run "$empty")"); done
    sm=$(printf '%s\n' "${st[@]}" | median)
    rm -f "$empty"
    for zakfile in "$here"/programs/*.zak; do
        name=$(basename "$zakfile" .zak)
        zt=(); wt=(); ht=()
        for ((i = 0; i < runs; ++i)); do
            zt+=("$(cpu_seconds "$zak" --run "$zakfile")")
            wt+=("$(node "$here/web_run.mjs" "$(dirname "$web")" "$zakfile")")
            ht+=("$(node "$here/web_run.mjs" "$(dirname "$web")" "$zakfile" --warm)")
        done
        zm=$(printf '%s\n' "${zt[@]}" | median)
        wm=$(printf '%s\n' "${wt[@]}" | median)
        hm=$(printf '%s\n' "${ht[@]}" | median)
        awk -v n="$name" -v z="$zm" -v s="$sm" -v w="$wm" -v h="$hm" \
            'BEGIN { z -= s; printf "%-10s in-process: zak %.3fs, wasm first run %.3fs (%.2fx), after the warm-up %.3fs (%.2fx)\n", n, z, w, (z > 0 ? w / z : 0), h, (z > 0 ? h / z : 0) }'
    done
    # What a page loads, without the fonts.
    dir=$(dirname "$web")/www
    printf '%-21s %6d KB gzipped (.wasm %d KB + .js %d KB)\n' "wasm + js" \
        $(( ($(gzip -9c "$dir/zak-core.wasm" | wc -c) + $(gzip -9c "$dir/zak-core.js" | wc -c)) / 1024 )) \
        $(( $(gzip -9c "$dir/zak-core.wasm" | wc -c) / 1024 )) $(( $(gzip -9c "$dir/zak-core.js" | wc -c) / 1024 ))
fi

check=$build/bench/bench_syntaxcheck
if [[ -x $check ]]; then
    "$check" --benchmark_filter='BM_Pass10000Lines$' --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { printf "%-21s %9s %s (CPU, median of %s)\n", "check pass 10000 lines", $4, $5, '"$runs"' }'
fi
