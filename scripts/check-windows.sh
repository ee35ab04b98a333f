#!/usr/bin/env bash
# Builds the engine and the terminal front end for Windows with MinGW-w64, runs it under Wine
# on a fresh copy of the sample project, and compares the working copy with the expected one
# kept for the sample. Not part of the test command: it installs a cross compiler and Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

need=()
for p in g++-mingw-w64-x86-64-posix wine64 libcli11-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

out="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-windows.XXXXXX")"
trap 'rm -rf "$out"' EXIT
# CLI11 is header-only and needs nothing but the standard library: take its folder alone.
mkdir -p "$out/include" "$out/obj"
ln -s /usr/include/CLI "$out/include/CLI"

cd "$root"
for f in src/text/*.cpp src/intake/*.cpp src/run/*.cpp src/collect/*.cpp src/usage/*.cpp \
         src/cli/*.cpp; do
  obj="$out/obj/$(echo "$f" | tr '/' '_').o"
  x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -Isrc -I"$out/include" \
    -c "$f" -o "$obj" &
  while [ "$(jobs -r | wc -l)" -ge 2 ]; do wait -n; done
done
wait
x86_64-w64-mingw32-g++-posix -static -o "$out/scourvane-cli.exe" "$out"/obj/*.o

cp -r examples/Sales "$out/Sales"
export WINEDEBUG=-all WINEPREFIX="$out/wine"
wine64=/usr/lib/wine/wine64
project="Z:$(echo "$out/Sales/Sales.vbp" | tr '/' '\\')"
"$wine64" "$out/scourvane-cli.exe" --json "$project" 2>/dev/null | tail -n 1
diff -r tests/fixtures/sales/expected "$out/Sales/New_Sales"
echo "The Windows build gives the expected working copy."
