#!/usr/bin/env bash
# What `cmake --install` and `make package` deliver, judged by Debian's own
# tools: the menu entry, the software-centre metadata, the manual pages, the
# icons, the binaries' RUNPATH, the ready dictionaries, and a .deb that
# installs and purges without leaving a file behind.
# usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
root="$work/usr"
desktop-file-validate "$root/share/applications/org.example.zarvo.desktop" || fail "desktop file"
appstreamcli validate --no-net "$root/share/metainfo/org.example.zarvo.metainfo.xml" >/dev/null \
  || fail "AppStream metadata: $(appstreamcli validate --no-net "$root/share/metainfo/org.example.zarvo.metainfo.xml")"
for page in "$root"/share/man/man1/zarvo.1.gz "$root"/share/man/man1/zarvo-dict.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
for size in 16 22 24 32 48 64 128 256; do
  file "$root/share/icons/hicolor/${size}x${size}/apps/org.example.zarvo.png" | grep -q "$size x $size" \
    || fail "no ${size}px icon"
done
[ -s "$root/share/icons/hicolor/scalable/apps/org.example.zarvo.svg" ] || fail "no scalable icon"

# The binaries find the private library through their RUNPATH, relative to
# themselves: the tree works wherever it is moved, without LD_LIBRARY_PATH.
for b in zarvo zarvo-dict; do
  readelf -d "$root/bin/$b" | grep -Eq 'RUNPATH.*\[\$ORIGIN/\.\./lib/([^/]+/)?zarvo\]' \
    || fail "RUNPATH of $b: $(readelf -d "$root/bin/$b" | grep -i path)"
done
[ -z "$(find "$root/lib" -name 'libbrenvik.so')" ] || fail "a development link of the private library is installed"
mv "$work/usr" "$work/moved"
root="$work/moved"
[ "$(env -u LD_LIBRARY_PATH "$root/bin/zarvo" --version)" = "zarvo $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] \
  || fail "zarvo --version"
printf 'word word other\r\n' > "$work/text.txt"
env -u LD_LIBRARY_PATH "$root/bin/zarvo-dict" --min 0 "$work/text.txt" "$work/text.slo" || fail "zarvo-dict"
grep -aq '^2 word' "$work/text.slo" || fail "zarvo-dict wrote no dictionary"

# The ready dictionaries: each language at least 50,000 words of its own
# script, the combined one both, Russian first.
words() { tail -n +2 "$root/share/zarvo/$1" | tr -d '\r' | cut -d' ' -f2; }
ru=$(words 'Русский.slo' | iconv -f CP1251 -t UTF-8)
en=$(words 'English.slo')
[ "$(grep -c . <<<"$ru")" -ge 50000 ] && [ "$(grep -c . <<<"$en")" -ge 50000 ] || fail "a ready dictionary is too small"
[ -z "$(LC_ALL=C.UTF-8 grep -v '^[абвгдеёжзийклмнопрстуфхцчшщъыьэюя]*$' <<<"$ru")" ] || fail "a Russian word of other letters"
[ -z "$(LC_ALL=C grep -v '^[a-z]*$' <<<"$en")" ] || fail "an English word of other letters"
cmp -s <(words 'Русский и English.slo' | iconv -f CP1251 -t UTF-8) <(printf '%s\n%s\n' "$ru" "$en") \
  || fail "the combined dictionary is not Russian then English"

# The package: dependencies from dpkg-shlibdeps, Qt's translations among them.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null 2>&1 || fail "cpack"
deb=$(ls "$work"/pkg/zarvo_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libjpeg62-turbo libx11-6 qt6-translations-l10n; do
  [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
contents=$(dpkg-deb -c "$deb")
[[ "$contents" == *" ./usr/share/doc/zarvo/copyright"* ]] || fail "no copyright file"
# Installed into a root of its own and purged again: nothing may stay.
sandbox="$work/root"
mkdir -p "$sandbox/var/lib/dpkg/updates" "$sandbox/var/lib/dpkg/info"
: > "$sandbox/var/lib/dpkg/status"
dpkg_in() { dpkg --root="$sandbox" --force-not-root --force-depends --force-script-chrootless --log=/dev/null "$@"; }
dpkg_in -i "$deb" >/dev/null 2>&1 || fail "dpkg -i"
[ -x "$sandbox/usr/bin/zarvo" ] && [ -s "$sandbox/usr/share/zarvo/Русский и English.slo" ] || fail "not installed"
dpkg_in --purge zarvo >/dev/null 2>&1 || fail "dpkg --purge"
left=$(cd "$sandbox" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg*')
[ -z "$left" ] || fail "left behind after purge: $left"
echo "install and package checks passed"
