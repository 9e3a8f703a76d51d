#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR with prefix /usr, as a
# package would, and checks what a desktop needs from it: every file in
# place, the desktop entry, AppStream data and MIME package accepted by the
# freedesktop tools, names that refer to each other resolving, icons of the
# size their folder promises, the manual page, the installed program running
# an installed example, the licence file, changelog and compressed manual
# page Debian asks for. Then builds the Debian package and inspects it
# without installing it, with lintian where it is installed.
# Usage: check-install.sh BUILD_DIR APP_ID VERSION ICON_SIZES
set -uo pipefail
build=$(cd "$1" && pwd) app_id=$2 version=$3 sizes=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
failures=0
fail() { echo "FEHLER: $*"; failures=$((failures + 1)); }
skip() { echo "uebersprungen: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; exit 1; }
share=$root/usr/share

# The tree, complete and nothing generated in it: the desktop's caches belong
# to the target system.
expected=(usr/bin/zak "usr/share/applications/$app_id.desktop" usr/share/mime/packages/zak.xml
          "usr/share/metainfo/$app_id.metainfo.xml" usr/share/man/man1/zak.1.gz usr/share/doc/zak/copyright
          usr/share/doc/zak/changelog.gz
          "usr/share/icons/hicolor/scalable/apps/$app_id.svg" usr/share/icons/hicolor/scalable/mimetypes/text-x-zak.svg
          usr/share/zak/screenshots/hauptfenster.png usr/share/zak/screenshots/zeichenfenster.png
          usr/share/zak/fonts/COPYING.fonts-liberation usr/share/zak/fonts/COPYING.fonts-dejavu)
for s in $sizes; do
  expected+=("usr/share/icons/hicolor/${s}x${s}/apps/$app_id.png" "usr/share/icons/hicolor/${s}x${s}/mimetypes/text-x-zak.png")
done
for f in "${expected[@]}"; do [ -s "$root/$f" ] || fail "$f fehlt"; done
for font in "$(dirname "$0")"/../../fonts/*.ttf; do
  cmp -s "$font" "$share/zak/fonts/$(basename "$font")" || fail "Schrift $(basename "$font") fehlt"
done
for example in "$(dirname "$0")"/../../examples/*.zak; do
  cmp -s "$example" "$share/zak/examples/$(basename "$example")" || fail "Beispiel $(basename "$example") fehlt"
done
[ -z "$(ls "$share/mime" | grep -v '^packages$')" ] || fail "MIME-Cache im Paketbaum: $(ls "$share/mime")"
[ ! -e "$share/applications/mimeinfo.cache" ] || fail "mimeinfo.cache im Paketbaum"

# The program runs from its installed place and reports the project's version.
out=$("$root/usr/bin/zak" --version 2>&1)
[ "$out" = "ZAK $version" ] || fail "zak --version: '$out', erwartet 'ZAK $version'"
out=$(cd "$tmp" && "$root/usr/bin/zak" --run "$share/zak/examples/02_haus.zak" --json --png bilder 2>&1)
if have jq; then
  printf '%s' "$out" | jq -e '.status == 0 and .error == null and (.pictures | length) >= 1' >/dev/null ||
    fail "zak --run --json auf einem installierten Beispiel: $out"
else skip "jq fehlt"; fi
[ -s "$tmp/bilder/fenster-1.png" ] || fail "zak --run --png hat kein Bild geschrieben: $out"

desktop=$share/applications/$app_id.desktop
if have desktop-file-validate; then
  # Hints count too: they name entries a menu would show oddly.
  msg=$(desktop-file-validate "$desktop" 2>&1)
  [ $? -eq 0 ] && [ -z "$msg" ] || fail "desktop-file-validate: $msg"
else skip "desktop-file-validate fehlt"; fi
key() { sed -n "s/^$1=//p" "$desktop" | head -n1; }
[ "$(key Exec | cut -d' ' -f1)" = zak ] || fail "Exec startet nicht zak: $(key Exec)"
case "$(key Exec)" in *%f*|*%F*) ;; *) fail "Exec ohne Dateiargument: $(key Exec)";; esac
[ -z "$(key NoDisplay)" ] || fail "der Menueeintrag ist versteckt"
case "$(key Exec)" in *%F*) ;; *) fail "Exec nimmt nicht mehrere Dateien: $(key Exec)";; esac
# One main category, or a menu lists ZAK twice.
for c in Education ComputerScience; do
  key Categories | tr ';' '\n' | grep -qx "$c" || fail "Categories ohne $c: $(key Categories)"
done
main=$(key Categories | tr ';' '\n' |
       grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
[ "$main" -eq 1 ] || fail "Categories mit $main Hauptkategorien: $(key Categories)"
[ -n "$(key Comment)" ] && [ -n "$(key 'Comment\[de\]')" ] || fail "Comment englisch und deutsch fehlt"
icon=$(key Icon)
[ "$icon" = "$app_id" ] || fail "Icon=$icon statt der Anwendungskennung $app_id"
[ -s "$share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon hat kein Bild unter apps"

metainfo=$share/metainfo/$app_id.metainfo.xml
if have appstreamcli; then
  msg=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $msg"
else skip "appstreamcli fehlt"; fi
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "metainfo nennt den Desktop-Eintrag nicht"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo nennt Version $version nicht"
grep -q "<icon type=\"stock\">$app_id</icon>" "$metainfo" || fail "metainfo nennt das Icon $app_id nicht"
# Each screenshot is one the build took and installed.
shots=$(sed -n 's|.*<image[^>]*>[^<]*/\([^/<]*\.png\)</image>.*|\1|p' "$metainfo")
[ "$(printf '%s\n' "$shots" | grep -c .)" -ge 2 ] || fail "weniger als zwei Bildschirmfotos: $shots"
for shot in $shots; do
  [ -s "$share/zak/screenshots/$shot" ] || fail "Bildschirmfoto $shot nicht installiert"
done

# The MIME package: well-formed, and once compiled it maps *.zak to the type
# the desktop entry opens and names an icon that is installed.
mime=$share/mime/packages/zak.xml
if have xmllint; then
  xmllint --noout "$mime" || fail "zak.xml ist kein wohlgeformtes XML"
else skip "xmllint fehlt"; fi
type=$(key MimeType); type=${type%;}
if have update-mime-database; then
  mkdir -p "$tmp/mime/packages" && cp "$mime" "$tmp/mime/packages/"
  update-mime-database "$tmp/mime" >/dev/null 2>&1 || fail "update-mime-database lehnt zak.xml ab"
  grep -qx "50:$type:\*.zak" "$tmp/mime/globs2" || fail "*.zak wird nicht zu $type: $(cat "$tmp/mime/globs2" 2>/dev/null)"
  grep -aq "$type" "$tmp/mime/magic" || fail "keine Magie fuer die Kopfzeile in $type"
  mime_icon=$(sed -n "s/^$(printf %s "$type" | sed 's|/|\\/|'):\(.*\)/\1/p" "$tmp/mime/icons")
  [ -s "$share/icons/hicolor/48x48/mimetypes/$mime_icon.png" ] || fail "MIME-Icon '$mime_icon' fehlt"
else skip "update-mime-database fehlt"; fi

# Every PNG is as large as its folder says.
if have identify; then
  for s in $sizes; do
    for f in "$share/icons/hicolor/${s}x${s}"/*/*.png; do
      got=$(identify -format '%wx%h' "$f" 2>/dev/null)
      [ "$got" = "${s}x${s}" ] || fail "$f ist $got"
    done
  done
else skip "identify fehlt"; fi

# Debian's policy: the manual page and the changelog compressed with the
# highest level and no file name or time in the header (so that every build
# gives the same bytes); the licence file in the machine-readable format,
# naming this program.
man_page=$root/usr/share/man/man1/zak.1.gz
[ ! -e "$root/usr/share/man/man1/zak.1" ] || fail "die Handbuchseite liegt unkomprimiert im Baum"
for packed in "$man_page" "$root/usr/share/doc/zak/changelog.gz"; do
  [ -s "$packed" ] || continue
  gzip -t "$packed" 2>/dev/null || fail "$(basename "$packed") ist nicht gzip-komprimiert"
  # Bytes 4 to 9: flags (no file name), a zero time stamp and 2 for the best compression.
  header=$(od -An -tx1 -j3 -N6 "$packed" | tr -d ' \n')
  [ "$header" = 000000000002 ] || fail "$(basename "$packed") traegt Namen oder Zeit oder nicht -9 im Kopf: $header"
done
gzip -dc "$root/usr/share/doc/zak/changelog.gz" 2>/dev/null | head -n1 | grep -q "^zak ($version) " ||
  fail "changelog beginnt nicht mit zak ($version)"
copyright=$root/usr/share/doc/zak/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright ist nicht im maschinenlesbaren Format: $(head -n1 "$copyright")"
for field in 'Upstream-Name: ZAK' 'Files: \*' 'Copyright: ' 'License: '; do
  grep -q "^$field" "$copyright" || fail "copyright ohne '$field'"
done

if have man; then
  msg=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >"$tmp/man.txt")
  [ -z "$msg" ] || fail "man --warnings meldet zur Handbuchseite: $msg"
  for option in --run --check --json --vars --png --max-steps --max-memory --forbid-attribute-assignment --version --help \
                XDG_CONFIG_DIRS share/zak/examples; do
    grep -q -- "$option" "$tmp/man.txt" || fail "die Handbuchseite nennt $option nicht"
  done
else skip "man fehlt"; fi

# The Debian package, built into the temporary directory.
if have dpkg-deb && have dpkg-shlibdeps; then
  if (cd "$tmp" && cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1); then
    deb=$(ls "$tmp"/pkg/zak_*.deb 2>/dev/null | head -n1)
    if [ -z "$deb" ]; then
      fail "cpack hat kein zak_*.deb erzeugt"
    else
      info=$(dpkg-deb -f "$deb")
      field() { printf '%s\n' "$info" | sed -n "s/^$1: //p"; }
      [ "$(field Package)" = zak ] || fail "Package: $(field Package)"
      [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
      [ "$(field Section)" = education ] || fail "Section: $(field Section)"
      [ -n "$(field Maintainer)" ] || fail "kein Maintainer"
      for dep in fonts-liberation libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 libqt6printsupport6; do
        field Depends | tr ',' '\n' | grep -q "^ *$dep\b" || fail "Depends ohne $dep: $(field Depends)"
      done
      printf '%s\n' "$info" | grep -q "Schlüsselwörtern" || fail "keine deutsche Beschreibung"
      # Read whole before grep: an early exit of grep -q would fail the pipe.
      control=$(dpkg-deb -I "$deb")
      for script in postinst postrm; do
        printf '%s\n' "$control" | grep -Eq "^ +[0-9]+ bytes, +[0-9]+ lines +\* +$script " ||
          fail "$script fehlt oder ist nicht ausfuehrbar"
        body=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$script")
        printf '%s\n' "$body" | grep -q update-mime-database || fail "$script aktualisiert die MIME-Datenbank nicht"
      done
      dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./||; s|/$||' | sort >"$tmp/deb-files"
      for f in "${expected[@]}"; do grep -qx "$f" "$tmp/deb-files" || fail "$f fehlt im Paket"; done
      ! grep -q '^usr/local' "$tmp/deb-files" || fail "Paket enthaelt usr/local"
      ! grep -qE '^usr/share/mime/(globs|mime\.cache|text)' "$tmp/deb-files" || fail "Paket enthaelt den MIME-Cache"
      # Lintian's errors are what Debian's archive would refuse.
      if have lintian; then
        lintian "$deb" >"$tmp/lintian.txt" 2>&1
        errors=$(grep '^E:' "$tmp/lintian.txt")
        [ -z "$errors" ] || fail "lintian meldet Fehler: $errors"
      else skip "lintian fehlt"; fi
      dpkg-deb -x "$deb" "$tmp/deb-root"
      if have readelf && readelf -S "$tmp/deb-root/usr/bin/zak" | grep -q debug_info; then fail "zak im Paket nicht gestrippt"; fi
    fi
  else
    cat "$tmp/cpack.log"; fail "cpack -G DEB scheiterte"
  fi
else skip "dpkg-deb oder dpkg-shlibdeps fehlt"; fi

[ "$failures" -eq 0 ] || { echo "$failures Fehler"; exit 1; }
echo "Installation in Ordnung"
