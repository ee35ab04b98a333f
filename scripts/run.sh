#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool: the window when a display is there,
# otherwise the terminal front end on a fresh copy of the sample project.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j 2

if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x "$build/src/qt/scourvane" ]; then
  exec "$build/src/qt/scourvane"
fi

sample="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-sample.XXXXXX")"
cp -r "$root/examples/Sales" "$sample/"
echo "Sample project copied to $sample/Sales"
set +e
"$build/scourvane-cli" "$sample/Sales/Sales.vbp"
status=$?
set -e
echo "Working copy: $sample/Sales/New_Sales"
exit $status
