#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch root and packs it, then checks what a desktop and a package manager
# rely on (lintian checks the desktop file and the icons' sizes). Usage: check.sh CMAKE CPACK BUILD_DIR
set -u
cmake=$1 cpack=$2 build=$3 id=it.zorvali.Zorvali
fail() { echo "FAIL: $*" >&2; exit 1; }
for t in appstreamcli dpkg-deb lintian; do command -v $t >/dev/null || { echo "SKIP: $t is not installed"; exit 77; }; done
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
DESTDIR=$root/tree "$cmake" --install "$build" --prefix /usr >/dev/null || fail "install failed"
share=$root/tree/usr/share
appstreamcli validate-tree --no-net --explain "$root/tree" || fail "installed tree does not validate"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "desktop file names another icon"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$root/deb" >/dev/null || fail "cpack failed"
deb=$(ls "$root"/deb/*.deb) || fail "no package built"
dpkg-deb -c "$deb" | grep ' ./usr/games/zorvali$' >/dev/null || fail "package lacks the binary"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libespeak-ng1 espeak-ng-data fonts-liberation2 fonts-dejavu-core; do
    echo "$depends" | grep -q "$dep" || fail "package does not depend on $dep: $depends"; done
# A new version needs its changelog entry and the manual page's footer.
version=$(dpkg-deb -f "$deb" Version)
zcat "$share/doc/zorvali/changelog.gz" | head -n 1 | grep -q "^zorvali ($version) " \
    || fail "the changelog's latest entry is not for version $version"
zcat "$share/man/man6/zorvali.6.gz" | grep -q "^\.TH ZORVALI 6 .*\"Zorvali $version\"" \
    || fail "the manual page does not say version $version"
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian finds errors or warnings in the package"
echo "PASS: installed tree and package $(basename "$deb")"
