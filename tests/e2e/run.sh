#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a desktop trial of Zorvali as a child would meet it: its own X server,
# a window manager, an accessibility bus to read the screen, an empty data
# folder and no sound server. Usage: run.sh SCRIPT.py ZORVALI_BINARY [ARG...]
set -euo pipefail
if [ -z "${ZORVALI_E2E_INNER:-}" ]; then
  which xvfb-run openbox xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher >/dev/null \
    && /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: a desktop tool is missing"; exit 77; }
  export ZORVALI_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/share XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/no-sound
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM ESPEAK_DATA_PATH
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately &
openbox >/dev/null 2>&1 &
sleep 1
/usr/bin/python3 "$@"
