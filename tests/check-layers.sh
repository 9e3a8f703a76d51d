#!/usr/bin/env bash
# The source folders are layers: language <- graphics <- interpreter <- editor, app.
# A header of a higher layer included from a lower one fails this check.
set -u
src=${1:-$(dirname "$0")/../src}
status=0
headers() { ls "$src/$1" | grep '\.h$'; }
check() {  # check LAYER FORBIDDEN-LAYER...
    local layer=$1 h f
    shift
    for upper in "$@"; do
        for h in $(headers "$upper"); do
            for f in "$src/$layer"/*.cpp "$src/$layer"/*.h; do
                if grep -q "#include \"$h\"" "$f"; then
                    echo "$f includes $upper/$h" >&2
                    status=1
                fi
            done
        done
    done
}
check language graphics graphics/qt interpreter editor app
check graphics graphics/qt interpreter editor app
# The raster canvas draws without Qt: only the language, the graphics core and itself.
check graphics/raster graphics/qt interpreter editor app
check interpreter graphics/qt editor app
exit $status
