#!/usr/bin/env bash
# Makes the downloads, with the version of the root CMakeLists.txt:
#   dist/scourvane-VERSION-windows-x64.zip  scourvane.exe and scourvane-cli.exe (cross-built with
#       MinGW-w64, linked statically, importing Windows' own DLLs only), the read-mes in Japanese
#       and English, LICENSE.txt and THIRD-PARTY-NOTICES.txt;
#   dist/scourvane_VERSION_amd64.deb        for Debian 12: the window and the terminal program in
#       /usr/bin, the desktop entry, the icon in the hicolor theme (drawn by the shared picture
#       code, as the Windows .ico is), the text/x-vbp MIME type and the copyright file; Depends
#       computed by dpkg-shlibdeps.
# Usage: scripts/package.sh [--dist DIR] [--windows-build DIR] [--linux-build DIR]
# Defaults: dist/, build/package/windows, build/package/linux. The build folders are kept, so a
# second run only rebuilds what changed. File times are SOURCE_DATE_EPOCH (default: the last
# commit's time) and nothing else varies, so the same sources give the same two files.
# Needs what scripts/install-deps.sh installs (MinGW-w64, Qt 6, dpkg-dev, zip, zlib1g-dev).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

dist="$root/dist"
winbuild="$root/build/package/windows"
linbuild="$root/build/package/linux"
while [ $# -gt 0 ]; do
  case "$1" in
    --dist) dist="$2"; shift 2 ;;
    --windows-build) winbuild="$2"; shift 2 ;;
    --linux-build) linbuild="$2"; shift 2 ;;
    *) echo "usage: $0 [--dist DIR] [--windows-build DIR] [--linux-build DIR]" >&2; exit 2 ;;
  esac
done
mkdir -p "$dist" "$linbuild"
dist="$(cd "$dist" && pwd)"
linbuild="$(cd "$linbuild" && pwd)"

version="$(sed -n 's/^project(scourvane VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if [ -z "$version" ]; then
  echo "no project(scourvane VERSION ...) in $root/CMakeLists.txt" >&2
  exit 1
fi
if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "the Debian package is built for amd64, on an amd64 machine" >&2
  exit 1
fi
for tool in cmake c++ strip zip dpkg-deb dpkg-shlibdeps x86_64-w64-mingw32-strip; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: run scripts/install-deps.sh" >&2
    exit 1
  fi
done

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)"
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022

stage="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

# Every file and folder under $1 gets the same time; folders 0755, files 0644 unless executable.
settle() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -type f ! -perm -u+x -exec chmod 0644 {} +
  find "$1" -type f -perm -u+x -exec chmod 0755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}
# A text file for Windows: CR LF, and a byte-order mark so that every Notepad reads it as UTF-8.
windows_text() {
  { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; } >"$2"
}

# --- Windows ---------------------------------------------------------------------------------
# build-windows.sh builds with warnings as errors and checks that every .exe it made imports
# only DLLs that come with Windows.
"$root/scripts/build-windows.sh" "$winbuild"
winbuild="$(cd "$winbuild" && pwd)"
name="scourvane-$version-windows-x64"
mkdir -p "$stage/zip/$name"
for exe in scourvane.exe scourvane-cli.exe; do
  x86_64-w64-mingw32-strip --strip-all -o "$stage/zip/$name/$exe" "$winbuild/$exe"
done
windows_text "$root/packaging/README-en.txt" "$stage/zip/$name/README-en.txt"
windows_text "$root/packaging/README-ja.txt" "$stage/zip/$name/README-ja.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/zip/$name/LICENSE.txt"
sed 's/$/\r/' "$root/THIRD-PARTY-NOTICES.txt" >"$stage/zip/$name/THIRD-PARTY-NOTICES.txt"
settle "$stage/zip"
zip_file="$dist/$name.zip"
rm -f "$zip_file"
# -X: no extra fields (owners, times beyond the DOS one); -D: no folder entries; a fixed order.
(cd "$stage/zip" && zip -q -X -D -9 "$stage/out.zip" \
  "$name/scourvane.exe" "$name/scourvane-cli.exe" "$name/README-en.txt" "$name/README-ja.txt" \
  "$name/LICENSE.txt" "$name/THIRD-PARTY-NOTICES.txt")
mv "$stage/out.zip" "$zip_file"

# --- Debian 12 -------------------------------------------------------------------------------
cmake -S "$root" -B "$linbuild" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_TESTS=OFF \
  -DSCOURVANE_UI=ON >/dev/null
cmake --build "$linbuild" -j 2 --target scourvane-cli scourvane
if [ ! -x "$linbuild/src/qt/scourvane" ]; then
  echo "the Qt window was not built (is qt6-base-dev installed?)" >&2
  exit 1
fi

# The icon: the shared picture code draws it, as for the Windows .ico, and a small program of
# the build machine writes it as PNG files.
icon_tool="$linbuild/packaging/write_icon_png"
icon_sources=("$root/packaging/write_icon_png.cpp" "$root/src/window/pictures.cpp"
  "$root/src/window/geometry.cpp" "$root/src/window/pictures.h" "$root/src/window/geometry.h")
stale=0
[ -x "$icon_tool" ] || stale=1
for source in "${icon_sources[@]}"; do [ "$source" -nt "$icon_tool" ] && stale=1; done
if [ "$stale" -eq 1 ]; then
  mkdir -p "$(dirname "$icon_tool")"
  c++ -std=c++20 -O1 -Wall -Wextra -I"$root/src" "${icon_sources[@]:0:3}" -lz -o "$icon_tool"
fi

pkg="$stage/deb"
install -d "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/usr/share/applications" \
  "$pkg/usr/share/mime/packages" "$pkg/usr/share/doc/scourvane"
strip --strip-unneeded -o "$pkg/usr/bin/scourvane" "$linbuild/src/qt/scourvane"
strip --strip-unneeded -o "$pkg/usr/bin/scourvane-cli" "$linbuild/scourvane-cli"
cp "$root/packaging/scourvane.desktop" "$pkg/usr/share/applications/scourvane.desktop"
cp "$root/packaging/scourvane-mime.xml" "$pkg/usr/share/mime/packages/scourvane.xml"
cp "$root/packaging/debian/copyright" "$pkg/usr/share/doc/scourvane/copyright"
for size in 16 24 32 48 64 128 256; do
  install -d "$pkg/usr/share/icons/hicolor/${size}x$size/apps"
  "$icon_tool" "$size" "$pkg/usr/share/icons/hicolor/${size}x$size/apps/scourvane.png"
done
# shared-mime-info, desktop-file-utils and the icon cache update themselves through dpkg
# triggers on these folders: the package needs no maintainer scripts.

# Depends: the shared libraries' packages, and Qt's platform plugins (xcb, wayland), without
# which the window cannot open (libqt6gui6 only recommends them).
mkdir -p "$stage/shlibs/debian"
printf 'Source: scourvane\n\nPackage: scourvane\nArchitecture: amd64\n' \
  >"$stage/shlibs/debian/control"
shlibs="$(cd "$stage/shlibs" &&
  dpkg-shlibdeps -O "$pkg/usr/bin/scourvane" "$pkg/usr/bin/scourvane-cli" |
  sed -n 's/^shlibs:Depends=//p')"
if [ -z "$shlibs" ]; then
  echo "dpkg-shlibdeps found no dependencies" >&2
  exit 1
fi
depends="$shlibs, qt6-qpa-plugins"
installed_size="$(du -s -k --apparent-size "$pkg/usr" | cut -f1)"
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$installed_size/" \
  -e "s/@DEPENDS@/$depends/" "$root/packaging/debian/control.in" >"$pkg/DEBIAN/control"
(cd "$pkg" && find usr -type f | sort | xargs md5sum) >"$pkg/DEBIAN/md5sums"
settle "$pkg"
deb_file="$dist/scourvane_${version}_amd64.deb"
rm -f "$deb_file"
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$stage/out.deb" >/dev/null
mv "$stage/out.deb" "$deb_file"

echo "Made, for version $version:"
ls -l "$zip_file" "$deb_file" | awk '{print "  " $NF ": " $5 " bytes"}'
