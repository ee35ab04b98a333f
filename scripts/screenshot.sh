#!/usr/bin/env bash
# Makes docs/screenshot.png: a picture of the real window after it has taken in the sample
# project under examples/ and run the check on it, drawn on Qt's offscreen platform, so no
# display is needed. Usage: scripts/screenshot.sh [PROJECT.vbp]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

project="${1:-}"
if [ -z "$project" ]; then
  project="$(find "$root/examples" -name '*.vbp' -not -path '*/New_*' | sort | head -n 1)"
fi
if [ -z "$project" ] || [ ! -f "$project" ]; then
  echo "no project file: put a sample project under examples/ or name one" >&2
  exit 1
fi

build="$root/build/screenshot"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_TESTS=OFF \
  -DSCOURVANE_UI=ON >/dev/null
cmake --build "$build" -j 2 --target scourvane-screenshot

# The working copy is made beside the project: work on a copy, so examples/ stays as it is.
work="${TMPDIR:-/tmp}/scourvane"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
folder="$(basename "$(dirname "$project")")"
cp -r "$(dirname "$project")" "$work/$folder"
rm -rf "$work/$folder"/New_*

mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$build/src/qt/scourvane-screenshot" "$root/docs/screenshot.png" \
  "$work/$folder/$(basename "$project")"
echo "wrote $root/docs/screenshot.png"
