#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the dependencies, builds Zorvali and runs every test: once in a
# normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# A compiler warning fails the build here (a plain cmake build only shows it).
# ZORVALI_TEST_SKIP may name parts to leave to another run: "contest" (the
# seven-minute game), "sanitizers", "fuzz".
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
skipping() { [[ " ${ZORVALI_TEST_SKIP:-} " == *" $1 "* ]]; }

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
exclude=()
skipping contest && exclude=(-E '^e2e_full_contest$')

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" "${exclude[@]}"

if ! skipping sanitizers; then
  # Leaks in the platform's own libraries (fontconfig, espeak-ng's voice
  # tables) are not ours to fix; every other report fails the run.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions=$PWD/scripts/asan.supp
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVALI_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
  cmake --build build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --label-exclude slow
fi

# The record reader and the speller take anything a file or a caller hands
# them; a short fuzzing run from the stored seeds catches a crash early.
skipping fuzz || bash fuzz/run.sh 30
