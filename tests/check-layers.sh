#!/usr/bin/env bash
# The source folders are layers: language <- graphics (with its Qt-free raster
# canvas) <- interpreter <- editor, app.
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
# The raster canvas draws without Qt: no Qt header, system or ours.
qt_free() {  # qt_free LAYER
    local f
    for f in "$src/$1"/*.cpp "$src/$1"/*.h; do
        if grep -Eq '#include <Q|#include <qt|#include "Q' "$f"; then
            echo "$f includes a Qt header" >&2
            status=1
        fi
    done
}
check language graphics graphics/raster graphics/qt interpreter editor app
check graphics graphics/qt interpreter editor app
check graphics/raster graphics/qt interpreter editor app
qt_free graphics/raster
check interpreter graphics/qt editor app
exit $status
