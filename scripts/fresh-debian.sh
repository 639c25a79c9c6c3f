#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Follows the README as a new user would on a freshly installed Debian: makes a
# minimal system with mmdebstrap, clones the commit checked out here into it and
# runs COMMAND there as root (default: bash scripts/test.sh). Nothing installed
# on this machine can stand in for a missing install step.
# Usage: fresh-debian.sh [RELEASE [COMMAND...]]   (RELEASE: trixie unless given)
# Needs root (mounts and chroot); exits 77 where mmdebstrap or the Debian archive
# cannot be reached. ZORVALI_FRESH_KEEP=DIR builds the system in DIR and keeps it.
set -uo pipefail
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
release=${1:-trixie}
shift || true
[ $# -gt 0 ] || set -- bash scripts/test.sh
src=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$src" rev-parse HEAD) || fail "$src is not a git checkout"

command -v mmdebstrap >/dev/null || skip "mmdebstrap is not installed (scripts/deps.sh installs it)"
[ "$(id -u)" -eq 0 ] || skip "a fresh Debian system is made and entered as root only"
unreachable() { grep -Em 1 'Failed to fetch|Could not (resolve|connect)|Temporary failure resolving|Unable to connect' "$1"; }

if [ -n "${ZORVALI_FRESH_KEEP:-}" ]; then
    root=$ZORVALI_FRESH_KEEP
    [ ! -e "$root" ] || [ -z "$(ls -A "$root")" ] || fail "$root is not empty"
    mkdir -p "$root"
else
    # Several GB once built: on disk, not in memory.
    root=$(mktemp -d /var/tmp/zorvali-fresh.XXXXXX) && trap 'rm -rf --one-file-system "$root" "$root.log"' EXIT
fi
log=$root.log
started=$(date +%s)
echo "== a fresh Debian $release in $root"
mirror=http://deb.debian.org
if ! mmdebstrap --variant=apt --dpkgopt=force-unsafe-io "$release" "$root" \
        "deb $mirror/debian $release main" "deb $mirror/debian $release-updates main" \
        "deb $mirror/debian-security $release-security main" >"$log" 2>&1; then
    why=$(unreachable "$log") && skip "the Debian archive cannot be reached: $why"
    tail -n 30 "$log" >&2
    fail "mmdebstrap could not make a Debian $release system"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# HEAD may be on no branch: fetched by itself.
git clone -q "$src" "$root/root/zorvali" && git -C "$root/root/zorvali" fetch -q "$src" HEAD \
    && git -C "$root/root/zorvali" checkout -q --detach FETCH_HEAD || fail "cannot clone $commit into the new system"
echo "== $(sed -n 's/^PRETTY_NAME=//p' "$root/etc/os-release") made in $(( $(date +%s) - started )) s; running: $*"

# A mount and process namespace of its own: the mounts and anything left running
# inside go away with it, and never touch this machine's /dev. The system's root
# is a mount point of its own, as on a real machine (the trials unshare it). X
# servers take their display numbers by lock files in /tmp but listen on sockets
# shared with this machine: one /tmp for both keeps them from taking the same.
unshare --mount --pid --fork --propagation private -- sh -c '
    root=$1; shift
    mount --bind "$root" "$root" && mount -t proc proc "$root/proc" && mount --rbind /sys "$root/sys" && mount --rbind /dev "$root/dev" \
        && mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" && mount --bind /tmp "$root/tmp" \
        && mount -t tmpfs tmpfs "$root/run" || exit 1
    exec chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        TERM="${TERM:-dumb}" ${ZORVALI_TEST_SKIP:+ZORVALI_TEST_SKIP="$ZORVALI_TEST_SKIP"} \
        sh -c "cd /root/zorvali && exec \"\$@\"" sh "$@"' sh "$root" "$@" 2>&1 | tee -a "$log"
status=${PIPESTATUS[0]}
took=$(( $(date +%s) - started ))
if [ "$status" -ne 0 ]; then
    # Only apt's own report of an unreachable archive, not a test's output.
    why=$(grep -Em 1 '^(E: (Failed to fetch|Unable to fetch)|Err:.*(Could not (resolve|connect)|Temporary failure resolving))' "$log") \
        && skip "the Debian archive could not be reached: $why"
    fail "'$*' failed on a fresh Debian $release after $took s (exit $status)"
fi
echo "PASS: '$*' on a fresh Debian $release in $took s"
