#!/usr/bin/env bash
# Makes docs/report.png: the HTML findings report of the sample project under examples/Sales,
# written by the terminal front end after one run on a copy of it and drawn by headless
# Chromium. Usage: scripts/report-picture.sh [WIDTH HEIGHT]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
width="${1:-1000}"
height="${2:-1500}"

if ! command -v chromium >/dev/null; then
  echo "chromium is not installed: run scripts/install-deps.sh" >&2
  exit 1
fi

build="$root/build/report-picture"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_TESTS=OFF \
  -DSCOURVANE_UI=OFF >/dev/null
cmake --build "$build" -j 2 --target scourvane-cli

# The working copy is made beside the project: work on a copy, so examples/ stays as it is.
work="${TMPDIR:-/tmp}/scourvane-report"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/Sales" "$work/Sales"
rm -rf "$work/Sales"/New_*

"$build/scourvane-cli" --quiet --report "$work/report.html" "$work/Sales/Sales.vbp" >/dev/null

mkdir -p "$root/docs"
timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --force-device-scale-factor=1 --user-data-dir="$work/profile" \
  --window-size="$width,$height" --screenshot="$root/docs/report.png" \
  "file://$work/report.html" 2>/dev/null
echo "wrote $root/docs/report.png"
