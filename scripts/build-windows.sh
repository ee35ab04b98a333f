#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 into OUTDIR (a CMake build folder):
#   scripts/build-windows.sh OUTDIR [extra CMake arguments...]
# Release, warnings as errors, the runtime (libstdc++, libgcc, winpthread) linked statically.
# Afterwards every .exe in OUTDIR is checked to import only DLLs that come with Windows.
# Needs g++-mingw-w64-x86-64-posix, cmake, ninja-build libcli11-dev and nlohmann-json3-dev
# (scripts/install-deps.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: $0 OUTDIR [CMake arguments...]" >&2
  exit 2
fi
out="$1"
shift
mkdir -p "$out"
out="$(cd "$out" && pwd)"

# CLI11 and nlohmann/json are header-only and need nothing but the standard library: hand the
# cross build their folders alone, not the host's whole /usr/include.
mkdir -p "$out/cli11-include"
ln -sfn /usr/include/CLI "$out/cli11-include/CLI"
ln -sfn /usr/include/nlohmann "$out/cli11-include/nlohmann"

cmake -S "$root" -B "$out" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DSCOURVANE_UI=OFF -DSCOURVANE_TESTS=OFF \
  -DSCOURVANE_CLI11_INCLUDE_DIR="$out/cli11-include" "$@" >/dev/null
cmake --build "$out" -j 2

# The DLLs every Windows has; anything else (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll, ...) would have to be shipped beside the program.
system_dll='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comctl32|comdlg32|uxtheme|dwmapi|shlwapi|shcore|version|ws2_32|bcrypt|crypt32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
found=0
for exe in "$out"/*.exe; do
  [ -e "$exe" ] || continue
  found=1
  bad=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
    tr 'A-Z' 'a-z' | grep -Ev "$system_dll" || true)
  if [ -n "$bad" ]; then
    echo "$(basename "$exe") imports DLLs that Windows does not have: $bad" >&2
    exit 1
  fi
done
if [ "$found" -eq 0 ]; then
  echo "no .exe was built in $out" >&2
  exit 1
fi
echo "Built $(cd "$out" && ls *.exe | tr '\n' ' ')in $out; each imports Windows' own DLLs only."
