#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs
# every test through ctest (the Windows build under Wine among them, tests/windows), then each
# fuzz target for a few seconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSCOURVANE_SANITIZE=ON \
  -DSCOURVANE_BENCH=ON >/dev/null
cmake --build "$build" -j 2
cd "$build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j 2
# The fuzz targets, a few seconds each (scripts/fuzz.sh SECONDS runs them longer).
"$root/scripts/fuzz.sh" 5
