#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary (with its arguments) on a private X server of the given
# size with openbox as window manager. Exits 77 (skipped) when the tools for
# that are not installed. Usage: run_with_openbox.sh WIDTHxHEIGHT BINARY [ARG...]
size=$1
shift
for tool in xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
exec xvfb-run -a -s "-screen 0 ${size}x24" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    QT_QPA_PLATFORM=xcb "$0" "$@"
    rc=$?
    kill "$wm" 2>/dev/null
    exit $rc
' "$@"
