#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A desktop trial as a child meets it: an X server (1280x1024 unless a size comes first), a window
# manager, an accessibility bus, an empty data folder, no sound server; with the argument "wayland", a
# weston compositor in that X server, fed keys as a real seat. Usage: run.sh [WxH] COMMAND [ARG...]
set -euo pipefail
if [ -z "${ZORVALI_E2E_INNER:-}" ]; then
  size=1280x1024
  [[ $1 =~ ^[0-9]+x[0-9]+$ ]] && size=$1 && shift
  which xvfb-run openbox xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher >/dev/null \
    && /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: a desktop tool is missing"; exit 77; }
  [[ " $* " != *" wayland "* ]] || { which weston && ls /usr/lib/*/qt6/plugins/platforms/libqwayland*.so; } \
    >/dev/null 2>&1 || { echo "SKIP: weston or Qt's Wayland plugin (qt6-wayland) is missing"; exit 77; }
  export ZORVALI_E2E_INNER=1
  # -noreset: else the server resets as its last client leaves, refusing whoever connects then.
  exec xvfb-run -a -s "-screen 0 ${size}x24 -noreset" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d) && trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/share XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/no-sound
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM ESPEAK_DATA_PATH WAYLAND_DISPLAY
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately &
openbox --startup "touch $work/wm-up" >"$work/openbox.log" 2>&1 &
timeout 10 sh -c "until [ -e '$work/wm-up' ]; do sleep 0.1; done" \
  || { echo "FAIL: no window manager, so no window would get the keyboard:"; cat "$work/openbox.log"; exit 1; }
sleep 1
# Only a full stack lets the leak suppressions find what Qt's own libraries keep (scripts/lsan.supp).
[ -z "${ASAN_OPTIONS:-}" ] || export ASAN_OPTIONS=$ASAN_OPTIONS:fast_unwind_on_malloc=0
if [[ " $* " == *" wayland "* ]]; then
  weston --backend=x11-backend.so --socket=zorvali-e2e --width=1024 --height=768 --idle-time=0 \
    >"$work/weston.log" 2>&1 &
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/zorvali-e2e" ] && break; sleep 0.1; done
  export WAYLAND_DISPLAY=zorvali-e2e QT_QPA_PLATFORM=wayland
  sleep 1
fi
"$@"
