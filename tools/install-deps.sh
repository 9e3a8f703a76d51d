#!/usr/bin/env bash
# Installs the Debian packages ZAK needs to build, test and run; only those still missing.
set -euo pipefail
# libfreetype-dev: the raster canvas draws text with FreeType.
# qt6-translations-l10n: Qt's German texts, built into the program. man-db
# and jq: the install test reads the manual page and the JSON of `zak --run`;
# lintian: it checks the Debian package.
# clang-tidy: the static analysis test; clang-format: the style of .clang-format.
# clang, libclang-rt-14-dev: the fuzz targets (clang's libFuzzer and sanitizers).
# openbox, xdotool, x11-utils: the test that drives the IDE under a real window
# manager on Xvfb (x11-utils brings xwininfo and xprop).
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libgtest-dev
          libgmock-dev libbenchmark-dev libfreetype-dev fonts-liberation xvfb xauth imagemagick poppler-utils
          dpkg-dev desktop-file-utils appstream shared-mime-info libxml2-utils man-db jq lintian
          clang-tidy clang-format clang libclang-rt-14-dev openbox xdotool x11-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq || true
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
