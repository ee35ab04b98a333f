#!/usr/bin/env bash
# Builds the engine and the terminal front end for Windows with MinGW-w64 (CMake with
# cmake/mingw-w64.cmake), runs it under Wine on a fresh copy of the sample project, and compares
# the working copy with the expected one kept for the sample. Not part of the test command: it
# installs a cross compiler and Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

need=()
for p in cmake ninja-build g++-mingw-w64-x86-64-posix wine64 libcli11-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi

out="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-windows.XXXXXX")"
export WINEDEBUG=-all WINEPREFIX="$out/wine"
wine64=/usr/lib/wine/wine64
# wineserver outlives the program by a few seconds and keeps writing to the prefix: wait for it
# to end before removing the folder.
cleanup() {
  if [ -d "$WINEPREFIX" ]; then /usr/lib/wine/wineserver64 -w || true; fi
  rm -rf "$out"
}
trap cleanup EXIT
# CLI11 is header-only and needs nothing but the standard library: hand the cross build its
# folder alone, not the host's whole /usr/include.
mkdir -p "$out/include"
ln -s /usr/include/CLI "$out/include/CLI"

cmake -S "$root" -B "$out/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSCOURVANE_UI=OFF -DSCOURVANE_TESTS=OFF -DSCOURVANE_CLI11_INCLUDE_DIR="$out/include" >/dev/null
cmake --build "$out/build" -j 2

cp -r "$root/examples/Sales" "$out/Sales"
project="Z:$(echo "$out/Sales/Sales.vbp" | tr '/' '\\')"
"$wine64" "$out/build/scourvane-cli.exe" --json "$project" 2>/dev/null | tail -n 1
diff -r "$root/tests/fixtures/sales/expected" "$out/Sales/New_Sales"
echo "The Windows build gives the expected working copy."
