#!/bin/sh
# Writes the page's home-screen icons, web/icons/*.png, from the emblem the
# desktop draws (build/zak_icons renders data/zak.svg as the program shows
# it). They are kept in the repository because the browser build has no Qt
# to draw them; run this again after the emblem changed.
#   tools/web-icons.sh [NATIVE-BUILD-DIR]
# zak-192.png, zak-512.png   the emblem on a transparent ground
# zak-maskable-512.png       on the page's face colour, inside the middle 80 %
#                            that a launcher's mask always keeps
# apple-touch-icon.png       180 x 180 on the face colour (iPad puts black
#                            behind a transparent icon)
set -eu
build=${1:-build}
face='#d4d0c8'
out=web/icons
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/zak_icons" "$tmp" zak 192 512 288 160
png() { echo "$tmp/hicolor/$1x$1/apps/zak.png"; }
mkdir -p "$out"
convert "$(png 192)" -strip "PNG32:$out/zak-192.png"
convert "$(png 512)" -strip "PNG32:$out/zak-512.png"
convert -size 512x512 "xc:$face" "$(png 288)" -gravity center -composite -strip "PNG24:$out/zak-maskable-512.png"
convert -size 180x180 "xc:$face" "$(png 160)" -gravity center -composite -strip "PNG24:$out/apple-touch-icon.png"
