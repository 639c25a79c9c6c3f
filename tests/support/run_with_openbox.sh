#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary on a private X server of the given size under openbox;
# exit 77 (skipped) without the tools. Usage: run_with_openbox.sh WxH BINARY [ARG...]
size=$1
shift
for t in xvfb-run openbox xdotool; do command -v $t >/dev/null || { echo "SKIP: xvfb-run, openbox or xdotool missing"; exit 77; }; done
exec xvfb-run -a -s "-screen 0 ${size}x24" sh -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    QT_QPA_PLATFORM=xcb "$0" "$@"
    rc=$?
    kill $! 2>/dev/null
    exit $rc
' "$@"
