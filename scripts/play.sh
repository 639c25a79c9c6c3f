#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the dependencies, builds Zorvali and starts it (under Xvfb when
# there is no desktop session).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build --target zorvali
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/zorvali
fi
echo "Nessun desktop: avvio Zorvali in uno schermo virtuale (xvfb-run)." >&2
exec xvfb-run -a -s "-screen 0 1280x800x24" build/app/zorvali
