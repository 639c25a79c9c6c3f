#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a bounded time from the seeds
# in corpus/<target>/. Usage: fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
# Inputs found go to build-fuzz/corpus/<target>/ (the seeds stay as they are);
# a crash leaves its input in build-fuzz/crashes/ and fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${ZORVALI_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_record_decode fuzz_record_file fuzz_numlett)

command -v clang++ >/dev/null || { echo "fuzz: clang++ missing (bash scripts/deps.sh installs it)"; exit 77; }
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/crashes"
status=0
summary=()
for target in "${targets[@]}"; do
  seeds=$here/corpus/${target#fuzz_}
  work=$build/corpus/${target#fuzz_}
  mkdir -p "$work"
  log=$build/$target.log
  echo "== $target for ${seconds} s"
  # A hung input is a failure too: -timeout per input, and an outer bound.
  if ! timeout --kill-after=30 $((seconds + 120)) "$build/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=200000 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$work" "$seeds" >"$log" 2>&1; then
    status=1
    tail -n 40 "$log"
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  files=$(find "$work" -type f | wc -l)
  bytes=$(du -sb "$work" | cut -f1)
  summary+=("$(printf '%-20s %12s execs  corpus %5s files %9s bytes' "$target" "${execs:-?}" "$files" "$bytes")")
done
printf '%s\n' "${summary[@]}"
[ $status -eq 0 ] && echo "fuzz: no crash" || echo "fuzz: CRASH, inputs in $build/crashes/"
exit $status
