#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the package on a minimal system of the Debian release this machine runs, where only what it declares
# comes in, and runs this script again there (--inside) as a school's technician
# and then a child would: a missing Qt plugin, font or voice file shows up here and
# nowhere else. Usage: cleansystem.sh CPACK BUILD_DIR VERSION
set -u
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${1:-}" = --inside ]; then
    useradd --create-home --shell /bin/sh bambino || fail "cannot add a user"
    as_child() { runuser --login bambino -c "$1"; } # the PATH Debian gives every user
    [ "$(as_child 'zorvali --version')" = "zorvali $2" ] || fail "zorvali --version says: $(as_child 'zorvali --version' 2>&1)"
    as_child 'zorvali --help' | grep -q -- '--version' || fail "zorvali --help does not list --version"
    man -w zorvali >/dev/null || fail "man -w zorvali finds no manual page"

    # The window's own faces, and a proportional one for the menus, the boxes and Merlin's balloon
    # (Liberation alone makes sans-serif a typewriter face): without them the game just looks wrong.
    for face in 'Liberation Sans' 'Liberation Serif'; do fc-list : family | grep -qx "$face" || fail "no font $face"; done
    [ "$(fc-match -f '%{spacing}' sans-serif)" != 100 ] \
        || fail "the default sans-serif face is a typewriter face: $(fc-match sans-serif)"

    # The game in a virtual screen with no sound server: the name prompt, the greeting, then the game
    # window with no box over it (a box here means a missing voice, character or record folder).
    # SIGTERM must end the game cleanly and leave the record files; the screen is left in
    # BUILD_DIR/cleansystem-screen.xwd.
    cat >/tmp/play.sh <<'PLAY'
window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | tail -n 1 | grep .; }
give_up() { echo "FAIL: $1; windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
    kill -KILL $pid; exit 1; }
zorvali 2>"$HOME/stderr" & pid=$!
prompt=$(window '^Zorvali$') || give_up "no name prompt"
xdotool windowfocus --sync "$prompt" type --delay 20 Ada
xdotool key Return
greeting=$(window '^Zorvali$') && xdotool windowfocus --sync "$greeting" key Return
window 'Scrivici' >/dev/null || give_up "no game window"
sleep 2; cp /tmp/fb/Xvfb_screen0 /tmp/screen.xwd
xdotool search --onlyvisible --name '^Zorvali$' >/dev/null 2>&1 && give_up "a box is shown over the game window"
kill -TERM $pid; wait $pid; echo "STATUS $?"
PLAY
    mkdir -m 1777 /tmp/fb
    out=$(as_child '. /tmp/sanitizers.env; xvfb-run -a -s "-screen 0 1024x768x24 -fbdir /tmp/fb" sh /tmp/play.sh')
    echo "$out"
    sed 's/^/NOTE: the game said: /' /home/bambino/stderr
    echo "$out" | grep -qx 'STATUS 0' || fail "the game did not start and end cleanly"
    for f in azorvrec3.txt nzorvrec3.txt; do [ -f "/home/bambino/.local/share/zorvali/$f" ] || fail "no record file $f"; done
    echo "PASS: version, help, manual page, fonts, name prompt, game window, clean end on SIGTERM"
    exit 0
fi

cpack=$1 build=$2 version=$3 started=$(date +%s)
command -v mmdebstrap >/dev/null || skip "mmdebstrap is not installed (scripts/deps.sh installs it)"
# Without root mmdebstrap maps a range of subordinate ids.
[ "$(id -u)" -eq 0 ] || { command -v newuidmap >/dev/null && grep -q "^$(id -un):" /etc/subuid 2>/dev/null \
    && unshare --user --map-root-user true 2>/dev/null; } \
    || skip "mmdebstrap needs root, or user namespaces with newuidmap and an /etc/subuid entry"
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/deb/*.deb) || fail "no package built"
# A sanitizer build of the game meets the platform's own leaks there too: it gets the options and
# suppression files of this run, and whole stacks for them to match, as in the desktop trials.
: >"$work/sanitizers.env"
for var in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
    eval "value=\${$var:-}"
    [ -n "$value" ] || continue
    for f in $(echo "$value" | tr ':' '\n' | sed -n 's/^suppressions=//p'); do
        cp "$f" "$work/" && value=$(echo "$value" | sed "s|suppressions=$f|suppressions=/tmp/$(basename "$f")|")
    done
    [ $var != ASAN_OPTIONS ] || value=$value:fast_unwind_on_malloc=0
    echo "export $var='$value'" >>"$work/sanitizers.env"
done

# The release this machine runs, so that the package meets the libraries it was built against.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || skip "/etc/os-release names no release to install into"
# The machine's own sources for that release (a local mirror or proxy); Debian's own mirror where it has none.
set --
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -Eq "^(Suites:|deb[[:space:]]).*[[:space:]]$codename([[:space:]]|\$)" "$f" && set -- "$@" "$f"
done
# The package goes in first, with its Depends only; the trial's own tools come after it, so they cannot
# bring what the game needs (fonts, Qt, the voice, a sound stack) before the package has to.
# The root is thrown away: built in memory, unsynced.
[ "$(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }')" -gt 2000000 ] 2>/dev/null && export TMPDIR=/dev/shm
apt_install='env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends'
mmdebstrap --variant=apt --format=null --dpkgopt=force-unsafe-io \
    --customize-hook="copy-in $deb $0 $(ls "$work"/*.supp "$work/sanitizers.env" 2>/dev/null | tr '\n' ' ') /tmp" \
    --customize-hook="chroot \"\$1\" $apt_install /tmp/$(basename "$deb")" \
    --customize-hook='chroot "$1" dpkg-query -W -f="\${Package}\n" >"$1/tmp/with-package"' \
    --customize-hook="chroot \"\$1\" $apt_install passwd xvfb xauth xdotool man-db" \
    --customize-hook='! chroot "$1" dpkg-query -W -f="\${Package}\n" | grep -vxFf "$1/tmp/with-package" | grep -E "^(fonts-|ttf-|fontconfig|libqt6|qt6-|espeak|libespeak|libgstreamer|gstreamer|libpulse|pipewire)" || { echo "FAIL: the test tools brought the packages above"; false; }' \
    --customize-hook="chroot \"\$1\" sh /tmp/$(basename "$0") --inside $version" \
    --customize-hook="copy-out /tmp/screen.xwd $build" \
    "$codename" /dev/null "$@" >"$work/log" 2>&1
status=$? && grep -E '^(PASS|FAIL|SKIP|NOTE)|^E:' "$work/log"
if [ $status -ne 0 ]; then
    unreachable=$(grep -Em 1 'Failed to fetch|Could not (resolve|connect)|Temporary failure resolving' "$work/log") \
        && skip "the Debian archive cannot be reached: $unreachable"
    tail -n 40 "$work/log" >&2
    fail "the trial on a clean Debian $codename system failed"
fi
mv "$build/screen.xwd" "$build/cleansystem-screen.xwd"
echo "PASS: zorvali $version installed and started on a clean Debian $codename system in $(( $(date +%s) - started )) s"
