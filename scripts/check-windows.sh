#!/usr/bin/env bash
# Builds the engine and the terminal front end for Windows with MinGW-w64 (CMake with
# cmake/mingw-w64.cmake), runs it under Wine on a fresh copy of the sample project, and compares
# the working copy with the expected one kept for the sample; then checks that a working copy
# folder that is a link (a reparse point) is refused and that a second run on a working copy in
# use is refused. Not part of the test command: it
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

winpath() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
# The JSON line of a run; the exit status is not looked at (it says whether errors were shown).
cli() { { "$wine64" "$out/build/scourvane-cli.exe" --json "$(winpath "$1")" 2>/dev/null || true; } | tail -n 1; }

# Wine shows a symbolic link to a folder as a reparse point, as Windows shows a junction.
cp -r "$root/examples/Sales" "$out/Linked" && mkdir "$out/Elsewhere"
ln -s "$out/Elsewhere" "$out/Linked/New_Linked"
cli "$out/Linked/Sales.vbp" | grep -q '作業フォルダーがシンボリックリンクです'
[ -z "$(ls -A "$out/Elsewhere")" ]
echo "A working copy folder that is a reparse point is refused; nothing was written through it."

# A project big enough that a run lasts seconds: a second run started while the first holds
# the working copy is refused, and the lock file is gone once the first ends.
mkdir "$out/Big"
python3 - "$out/Big" <<'PY'
import sys
folder = sys.argv[1]
entries = []
for m in range(120):
    rows = ['Attribute VB_Name = "M%d"' % m]
    for p in range(1000):
        rows += ['Public Sub P%d()' % p, '    Dim a%d As Long' % p, '    a%d = 1' % p, 'End Sub']
    open('%s/M%d.bas' % (folder, m), 'w', newline='').write('\r\n'.join(rows) + '\r\n')
    entries.append('Module=M%d; M%d.bas' % (m, m))
open(folder + '/Big.vbp', 'w', newline='').write('\r\n'.join(entries) + '\r\n')
PY
cli "$out/Big/Big.vbp" >"$out/first.json" &
first=$!
for _ in $(seq 600); do [ -e "$out/Big/New_Big/.scourvane-lock" ] && break; sleep 0.05; done
cli "$out/Big/Big.vbp" | grep -q '"number":70,"description":"作業フォルダーは別の処理が使用中です'
wait "$first"
grep -q '"modules":\["M0.bas"' "$out/first.json"
[ ! -e "$out/Big/New_Big/.scourvane-lock" ]
echo "A second run on a working copy in use is refused; the lock goes with the first run."
