#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary (with its arguments) on a private X server with openbox
# as window manager and no compositing manager (a test that wants one starts
# its own). Exits 77 (skipped) when the tools for that are not installed.
for tool in xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skip: $tool not installed"; exit 77; }
done
exec xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    QT_QPA_PLATFORM=xcb "$0" "$@"
    rc=$?
    kill "$wm" 2>/dev/null
    exit $rc
' "$@"
