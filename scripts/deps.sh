#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Zorvali needs to build, run and test, from Debian 12 packages.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev qt6-multimedia-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng-data espeak-ng
  fonts-liberation2 qt6-translations-l10n
  xvfb xauth x11-utils openbox xdotool imagemagick sox weston qt6-wayland
  appstream desktop-file-utils lintian
  # the clean-system trial; uidmap lets mmdebstrap run without root
  mmdebstrap gpg debian-archive-keyring uidmap
  python3 python3-pyatspi at-spi2-core dbus dbus-x11
  clang libclang-rt-14-dev
  # the screen-reader trial (ctest -L orca): Orca speaking through speech-dispatcher and espeak-ng
  # into ALSA's null device, which needs no sound card
  orca speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
