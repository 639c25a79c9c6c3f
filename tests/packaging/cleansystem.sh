#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the package on a minimal Debian 12 system where only what it
# declares comes in, and starts a game there: a missing Qt plugin, font or
# voice file shows up here and nowhere else. The screen is left in
# BUILD_DIR/cleansystem-screen.xwd. Exit 77: no mmdebstrap, no way to run it,
# or no archive. Usage: cleansystem.sh CPACK BUILD_DIR VERSION
set -u
cpack=$1 build=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
started=$(date +%s)

command -v mmdebstrap >/dev/null || skip "mmdebstrap is not installed (scripts/deps.sh installs it)"
if [ "$(id -u)" -ne 0 ]; then
    # Without root mmdebstrap maps a range of subordinate ids.
    command -v newuidmap >/dev/null && grep -q "^$(id -un):" /etc/subuid 2>/dev/null \
        && unshare --user --map-root-user true 2>/dev/null \
        || skip "mmdebstrap needs root, or user namespaces with newuidmap and an /etc/subuid entry"
fi

work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT

# The machine's own Debian 12 sources, so a local mirror or proxy set up for
# it serves the trial too; Debian's own mirror where it has none.
set --
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -Eq '^(Suites:|deb[[:space:]]).*[[:space:]]bookworm([[:space:]]|$)' "$f" && set -- "$@" "$f"
done
if [ $# -gt 0 ]; then
    uri=$(sed -n -e 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' \
                 -e 's/^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]\{1,\}\)\{0,1\}\([^[:space:]]*\).*/\2/p' "$@" | head -n 1)
else
    uri=http://deb.debian.org/debian
fi
/usr/lib/apt/apt-helper download-file "$uri/dists/bookworm/Release" "$work/Release" >/dev/null 2>&1 \
    || skip "the Debian archive $uri cannot be reached"

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/deb/*.deb) || fail "no package built"
cp "$here/cleansystem-inside.sh" "$work/inside.sh" || fail "cleansystem-inside.sh is missing"

# The test tools must not bring what the game needs (fonts, Qt, the voice, a
# sound stack); apt-get then installs the package with its Depends only.
tools=xvfb,xauth,xdotool,man-db
# The root is thrown away: built in memory where there is room, unsynced.
if [ "$(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }')" -gt 2000000 ] 2>/dev/null; then
    export TMPDIR=/dev/shm
fi
mmdebstrap --variant=apt --format=null --include="$tools" --dpkgopt=force-unsafe-io \
    --customize-hook='! chroot "$1" dpkg-query -W -f="\${Package}\n" | grep -E "^(fonts-|ttf-|fontconfig|libqt6|qt6-|espeak|libespeak|libgstreamer|gstreamer|libpulse|pipewire)" || { echo "FAIL: the test tools brought the packages above"; false; }' \
    --customize-hook="copy-in $deb $work/inside.sh /tmp" \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/$(basename "$deb")" \
    --customize-hook="chroot \"\$1\" sh /tmp/inside.sh $version" \
    --customize-hook="copy-out /tmp/screen.xwd $build" \
    bookworm /dev/null "$@" >"$work/log" 2>&1
status=$?
grep -E '^(PASS|FAIL|SKIP|NOTE)|^E:' "$work/log"
if [ $status -ne 0 ]; then
    tail -n 40 "$work/log" >&2
    fail "the trial on a clean Debian 12 system failed"
fi
mv "$build/screen.xwd" "$build/cleansystem-screen.xwd"
echo "PASS: zorvali $version installed and started on a clean Debian 12 system in $(( $(date +%s) - started )) s"
