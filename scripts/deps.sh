#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Zorvali needs to build, run and test, from the packages of the
# Debian release it runs on (12 "bookworm", 13 "trixie").
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev qt6-multimedia-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng-data espeak-ng
  fonts-liberation2 fonts-dejavu-core qt6-translations-l10n
  xvfb xauth x11-utils openbox xdotool imagemagick sox weston qt6-wayland
  appstream desktop-file-utils lintian
  # the clean-system trials; uidmap lets mmdebstrap run without root
  mmdebstrap gpg debian-archive-keyring uidmap
  python3 python3-pyatspi at-spi2-core dbus dbus-x11 mount
  # the fuzzers; clang's own runtime is added below, matching the clang installed
  clang
  # the screen-reader trial (ctest -L orca): Orca speaking through speech-dispatcher and espeak-ng
  # into ALSA's null device, which needs no sound card
  orca speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
updated=
install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  [ -n "$updated" ] || { "${sudo_cmd[@]}" apt-get update -q; updated=1; }
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install "${packages[@]}"
# Each release names the sanitizer and fuzzer runtime after its clang's major
# version (libclang-rt-14-dev on 12, -19- on 13): ask the compiler itself.
clang_major=$(clang --version | sed -nE '1s/.*clang version ([0-9]+)\..*/\1/p')
[ -n "$clang_major" ] || { echo "deps: cannot tell clang's version from: $(clang --version | head -n 1)" >&2; exit 1; }
install "libclang-rt-$clang_major-dev"
