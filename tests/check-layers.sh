#!/usr/bin/env bash
# The source folders are layers: language <- graphics (with its Qt-free raster
# canvas) <- interpreter <- shared <- editor, app, and shared <- web. shared
# and web are Qt-free: the desktop and the browser build both compile shared,
# the browser build web.
# A header of a higher layer included from a lower one fails this check.
set -u
src=${1:-$(dirname "$0")/../src}
status=0
headers() { [ -d "$src/$1" ] && ls "$src/$1" | grep '\.h$'; }
check() {  # check LAYER FORBIDDEN-LAYER...
    local layer=$1 h f
    shift
    [ -d "$src/$layer" ] || return 0
    for upper in "$@"; do
        for h in $(headers "$upper"); do
            for f in "$src/$layer"/*.cpp "$src/$layer"/*.h; do
                [ -e "$f" ] || continue
                if grep -q "#include \"$h\"" "$f"; then
                    echo "$f includes $upper/$h" >&2
                    status=1
                fi
            done
        done
    done
}
# The Qt-free layers: no Qt header, system or ours.
qt_free() {  # qt_free LAYER...
    local f
    for layer in "$@"; do
        [ -d "$src/$layer" ] || continue
        for f in "$src/$layer"/*.cpp "$src/$layer"/*.h; do
            [ -e "$f" ] || continue
            if grep -Eq '#include <Q|#include <qt|#include "Q' "$f"; then
                echo "$f includes a Qt header" >&2
                status=1
            fi
        done
    done
}
check language graphics graphics/raster graphics/qt interpreter shared editor app web
check graphics graphics/qt interpreter shared editor app web
check graphics/raster graphics/qt interpreter shared editor app web
check interpreter graphics/qt shared editor app web
check shared graphics/qt editor app web
check web graphics/qt editor app
check editor web
check app web
qt_free language graphics graphics/raster interpreter shared web
exit $status
