#!/usr/bin/env bash
# Plays Zorvali end to end as a child would: its own X server, a window
# manager, an accessibility bus to read the screen, and an empty data folder.
# Usage: run.sh ZORVALI_BINARY quick|full
set -euo pipefail
binary=$1
mode=${2:-quick}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${ZORVALI_E2E_INNER:-}" ]; then
  for tool in xvfb-run openbox xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool missing"; exit 77; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "e2e: python3-pyatspi missing"; exit 77; }
  export ZORVALI_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@"
fi

data=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data/share
export XDG_RUNTIME_DIR=$data/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0

/usr/libexec/at-spi-bus-launcher --launch-immediately &
openbox >/dev/null 2>&1 &
sleep 1
exec /usr/bin/python3 "$here/play.py" "$binary" "$mode"
