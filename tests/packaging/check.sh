#!/bin/sh
# Checks of the desktop integration files and of the icon renderer.
# Exit status: 0 passed, 1 failed, 77 skipped (the needed validator is absent).
#
#   check.sh desktop FILE.desktop
#   check.sh metainfo FILE.metainfo.xml
#   check.sh tree BUILD_DIR APP_ID SIZE...       install into a scratch root and check it whole
#   check.sh renderer ICONRENDER_TOOL SVG_FILE

set -u
SKIP=77

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 is not installed"; exit $SKIP; }; }

# Width and height from a PNG's header chunk, as "W H".
png_size() {
    od -An -t u1 -j 16 -N 8 "$1" | awk '{ printf "%d %d\n", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}

scratch=""
cleanup() { [ -n "$scratch" ] && rm -rf "$scratch"; }
trap cleanup EXIT
make_scratch() { scratch=$(mktemp -d) || fail "cannot create a scratch directory"; }

mode=${1:-}
[ $# -ge 1 ] && shift
case "$mode" in
desktop)
    need desktop-file-validate
    out=$(desktop-file-validate "$1" 2>&1); rc=$?
    [ -n "$out" ] && echo "$out"
    [ $rc -eq 0 ] || fail "desktop-file-validate exited with $rc"
    # Hints are tolerated (several main categories are intended); errors and warnings are not.
    echo "$out" | grep -E ': (error|warning):' >/dev/null && fail "desktop file has errors or warnings"
    ;;
metainfo)
    need appstreamcli
    appstreamcli validate --no-net --explain "$1" || fail "metainfo does not validate"
    ;;
tree)
    need appstreamcli
    build=$1; id=$2; shift 2
    make_scratch
    DESTDIR="$scratch" "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null || fail "install into $scratch failed"
    share="$scratch/usr/share"
    # Catches a desktop file, icon or metainfo name that no longer matches the others.
    appstreamcli validate-tree --no-net --explain "$scratch" || fail "installed tree does not validate"
    [ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"
    for size in "$@"; do
        png="$share/icons/hicolor/${size}x${size}/apps/$id.png"
        [ -f "$png" ] || fail "icon $png missing"
        got=$(png_size "$png")
        [ "$got" = "$size $size" ] || fail "$png is $got, expected $size x $size"
    done
    icon=$(sed -n 's/^Icon=//p' "$share/applications/$id.desktop")
    [ "$icon" = "$id" ] || fail "desktop file names icon '$icon', expected '$id'"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$share/applications/$id.desktop")
    grep "<binary>$exec</binary>" "$share/metainfo/$id.metainfo.xml" >/dev/null \
        || fail "desktop file starts '$exec', which the metainfo does not provide"
    ;;
renderer)
    tool=$1; svg=$2
    make_scratch
    "$tool" "$svg" "$scratch/ok.png" 20 || fail "rendering a valid picture failed"
    [ "$(png_size "$scratch/ok.png")" = "20 20" ] || fail "rendered icon has the wrong size"
    printf 'not a picture' >"$scratch/broken.svg"
    for args in "$scratch/broken.svg $scratch/broken.png 16" \
                "$scratch/missing.svg $scratch/missing.png 16" \
                "$svg $scratch/zero.png 0" \
                "$svg $scratch/word.png big" \
                "$svg $scratch/no-such-dir/out.png 16"; do
        # shellcheck disable=SC2086
        if "$tool" $args 2>/dev/null; then fail "renderer reported success for: $args"; fi
        out=$(echo "$args" | cut -d' ' -f2)
        [ -e "$out" ] && fail "renderer left $out behind after failing"
    done
    ;;
*)
    fail "unknown check '$mode'"
    ;;
esac
echo "PASS: $mode"
exit 0
