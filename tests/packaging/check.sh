#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch root and packs it, then checks what a
# desktop and a package manager rely on. Exit 77: a validator is missing.
# Usage: check.sh CMAKE CPACK BUILD_DIR
set -u
cmake=$1 cpack=$2 build=$3 id=it.zorvali.Zorvali
fail() { echo "FAIL: $*" >&2; exit 1; }
which appstreamcli desktop-file-validate dpkg-deb >/dev/null || { echo "SKIP: a validator is missing"; exit 77; }
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
DESTDIR=$root/tree "$cmake" --install "$build" --prefix /usr >/dev/null || fail "install failed"
share=$root/tree/usr/share
appstreamcli validate-tree --no-net --explain "$root/tree" || fail "installed tree does not validate"
# Hints are tolerated (several main categories are intended); errors and warnings are not.
desktop-file-validate "$share/applications/$id.desktop" | grep -E ': (error|warning):' && fail "desktop file"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "desktop file names another icon"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$share/applications/$id.desktop")
[ -x "$root/tree/usr/games/$exec" ] || fail "the desktop file starts '$exec', which is not installed in /usr/games"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"
for size in 16 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    # Width and height are the two big-endian words at bytes 16..23.
    got=$(od -An -t u4 --endian=big -j 16 -N 8 "$png" | xargs)
    [ "$got" = "$size $size" ] || fail "$png is '$got', expected $size x $size"
done

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$root/deb" >/dev/null || fail "cpack failed"
deb=$(ls "$root"/deb/*.deb) || fail "no package built"
dpkg-deb -c "$deb" | grep ' ./usr/games/zorvali$' >/dev/null || fail "package lacks the binary"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libespeak-ng1 espeak-ng-data fonts-liberation2 fonts-dejavu-core; do
    echo "$depends" | grep -q "$dep" || fail "package does not depend on $dep: $depends"
done
# A new version needs its changelog entry, and the manual page its new
# footer, before the package is made.
version=$(dpkg-deb -f "$deb" Version)
zcat "$share/doc/zorvali/changelog.gz" | head -n 1 | grep -q "^zorvali ($version) " \
    || fail "the changelog's latest entry is not for version $version"
zcat "$share/man/man6/zorvali.6.gz" | grep -q "^\.TH ZORVALI 6 .*\"Zorvali $version\"" \
    || fail "the manual page does not say version $version"
# What a distribution's packager runs first: not one error or warning.
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian finds errors or warnings in the package"
else
    echo "NOTE: lintian is not installed, the package was not checked by it"
fi
echo "PASS: installed tree and package $(basename "$deb")"
