#!/usr/bin/env bash
# Peak memory of `zak --run` and `zak --check` on long straight programs of
# `x := x + 1` lines (2, 8 and 15 MB), as bytes per character of program
# text beyond the same command on a program of one declaration. The peak is
# the maximum resident set that /usr/bin/time -v reports.
#
#   bench/memory.sh [BUILD_DIR]        (default: build; SIZES="2 8 15" in MB;
#                                      ZAK=path measures another binary)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
zak=${ZAK:-$build/zak}
sizes=${SIZES:-2 8 15}
[[ -x $zak ]] || { echo "no $zak: build first" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "no /usr/bin/time (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# program FILE MB: the declaration, then lines until the text has MB * 10^6
# characters.
program() {
    printf '// ZAK 1.5 - Programm\nx: Integer\n' >"$1"
    if (($2 > 0)); then
        awk -v n="$2" 'BEGIN { line = "x := x + 1"; for (i = 0; i < n * 1000000 / 11; ++i) print line }' >>"$1"
    fi
}

# Peak resident set of one command in bytes.
peak() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { print $2 * 1024 }'
}

program "$work/empty.zak" 0
for mode in run check; do
    base=$(peak "$zak" --"$mode" "$work/empty.zak")
    printf '%-6s empty program: %6.1f MB peak\n' "--$mode" "$(awk -v b="$base" 'BEGIN { print b / 1e6 }')"
    for mb in $sizes; do
        program "$work/p$mb.zak" "$mb"
        chars=$(stat -c %s "$work/p$mb.zak")
        rss=$(peak "$zak" --"$mode" "$work/p$mb.zak")
        awk -v m="--$mode" -v mb="$mb" -v c="$chars" -v r="$rss" -v b="$base" \
            'BEGIN { printf "%-6s %3d MB program: %8.1f MB peak, %6.1f bytes per character beyond empty\n", m, mb, r / 1e6, (r - b) / c }'
    done
done
