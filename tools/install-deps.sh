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
# emscripten, nodejs, npm: the browser build (build-web/) and its tests under
# Node; FreeType's source for it is fetched below. chromium: the page's
# tests drive it headless (puppeteer-core, from web/package-lock.json below).
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libgtest-dev
          libgmock-dev libbenchmark-dev libfreetype-dev fonts-liberation xvfb xauth imagemagick poppler-utils
          dpkg-dev desktop-file-utils appstream shared-mime-info libxml2-utils man-db jq lintian
          clang-tidy clang-format clang libclang-rt-14-dev openbox xdotool x11-utils
          emscripten nodejs npm chromium)
missing=()
for p in "${packages[@]}"; do
  # Node and npm may come from elsewhere (a newer Node brings its own npm).
  case $p in nodejs) command -v node >/dev/null && continue ;; npm) command -v npm >/dev/null && continue ;; esac
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq || true
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser build compiles FreeType 2.12.1 itself (emscripten cannot fetch
# its own ports here): Debian's source of the desktop's very version, its
# patches applied, kept outside the source tree. apt reads a source list of
# its own for this, so the system's lists stay as they are and no root
# rights are needed.
freetype_cache=${ZAK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zak}
if [ ! -f "$freetype_cache/freetype-2.12.1+dfsg/src/base/ftbase.c" ]; then
  echo "Fetching FreeType's source into $freetype_cache"
  apt_dir=$freetype_cache/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
  cat >"$apt_dir/parts/zak-deb-src.sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt_options=(-o "Dir::Etc::sourcelist=/dev/null" -o "Dir::Etc::sourceparts=$apt_dir/parts"
               -o "Dir::State::Lists=$apt_dir/lists" -o "Debug::NoLocking=1")
  apt-get "${apt_options[@]}" update -qq
  (cd "$freetype_cache" && apt-get "${apt_options[@]}" source -qq freetype=2.12.1+dfsg-5+deb12u4 ||
     apt-get "${apt_options[@]}" source -qq freetype)
  [ -f "$freetype_cache/freetype-2.12.1+dfsg/src/base/ftbase.c" ] || {
    echo "FreeType's source could not be fetched into $freetype_cache" >&2
    exit 1
  }
fi

# The page's packages (CodeMirror, esbuild, puppeteer-core) as web/package-lock.json
# pins them; only when the lock changed since the last install, so that a
# machine that has them builds and tests without network.
web_dir=$(cd "$(dirname "$0")/../web" && pwd)
if ! cmp -s "$web_dir/package-lock.json" "$web_dir/node_modules/.zak-installed-lock"; then
  (cd "$web_dir" && npm ci --no-audit --no-fund --loglevel=error &&
   cp package-lock.json node_modules/.zak-installed-lock)
fi
