#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the clean Debian 12 root that cleansystem.sh makes, after the
# package is installed: what a school's technician and then a child would do.
# Usage: cleansystem-inside.sh VERSION
set -u
version=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

useradd --create-home --shell /bin/sh bambino || fail "cannot add a user"
# A login shell, so the PATH is the one Debian gives every user.
as_child() { runuser --login bambino -c "$1"; }

got=$(as_child 'zorvali --version') || fail "zorvali --version failed: $got"
[ "$got" = "zorvali $version" ] || fail "zorvali --version says '$got'"
as_child 'zorvali --help' | grep -q -- '--version' || fail "zorvali --help does not list --version"
! command -v man >/dev/null || man -w zorvali >/dev/null || fail "man -w zorvali finds no manual page"

# The window's own faces, and a proportional face for the menus, the boxes
# and Merlin's balloon: Liberation alone makes fontconfig's sans-serif a
# typewriter face. Nothing fails without them, the game just looks wrong.
for face in 'Liberation Sans' 'Liberation Serif'; do
    fc-list : family | grep -qx "$face" || fail "the font $face is not installed"
done
[ "$(fc-match -f '%{spacing}' sans-serif)" != 100 ] \
    || fail "the default sans-serif face is a typewriter face: $(fc-match sans-serif)"

# The game in a virtual screen with no sound server: the name prompt, a
# name, the greeting closed, then the game window with no box over it (a box
# here means a missing voice, character or record folder). SIGTERM must end
# the game cleanly and leave the record files. The screen is kept in /tmp/screen.xwd.
cat > /tmp/play.sh <<'EOF'
set -u
find_window() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 | grep . && return 0
        sleep 0.2
    done
    return 1
}
give_up() {
    echo "FAIL: $1; windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
    kill -KILL $pid
    exit 1
}
zorvali 2>"$HOME/stderr" &
pid=$!
prompt=$(find_window '^Zorvali$') || give_up "no name prompt"
xdotool windowfocus --sync "$prompt" type --delay 20 Ada
xdotool key Return
greeting=$(find_window '^Zorvali$') && xdotool windowfocus --sync "$greeting" key Return
find_window 'Scrivici' >/dev/null || give_up "no game window"
sleep 2
cp /tmp/fb/Xvfb_screen0 /tmp/screen.xwd
xdotool search --onlyvisible --name '^Zorvali$' >/dev/null 2>&1 && give_up "a box is shown over the game window"
kill -TERM $pid
wait $pid
echo "STATUS $?"
EOF
mkdir -m 1777 /tmp/fb
out=$(as_child 'xvfb-run -a -s "-screen 0 1024x768x24 -fbdir /tmp/fb" sh /tmp/play.sh') || true
echo "$out"
sed 's/^/NOTE: the game said: /' /home/bambino/stderr
echo "$out" | grep -qx 'STATUS 0' || fail "the game did not start and end cleanly"
for f in azorvrec3.txt nzorvrec3.txt; do
    [ -f "/home/bambino/.local/share/zorvali/$f" ] || fail "no record file $f"
done
echo "PASS: version, help, manual page, fonts, name prompt, game window, clean end on SIGTERM"
