#!/usr/bin/env bash
# The downloads, checked: runs scripts/package.sh into a temporary dist folder, then
#   - the Windows zip holds exactly the two programs, the two read-mes, the licence and the
#     third-party notices, in one folder; both programs are x86-64 and import Windows' own DLLs
#     only; the text files have CR LF (and the read-mes a byte-order mark); the read-mes name
#     every option of the terminal program; the notices name every header-only library the
#     cross build is handed;
#   - the Debian package's control fields, its exact file list, its md5sums; Depends names the
#     package of every shared library either program needs; apt would install it (simulated:
#     nothing is installed); the desktop entry passes desktop-file-validate and names a program,
#     an icon and MIME types the package holds; the MIME type is registered for *.vbp; each icon
#     PNG has its size and the pixels of the Windows .ico's picture of that size;
#   - the extracted scourvane-cli prints its version and makes the sample project's expected
#     working copy and counters; the extracted window starts far enough to refuse a bad option;
#   - a second run of package.sh gives the same two files, byte for byte.
# Usage: tests/package/check_package.sh WINDOWS_BUILDDIR [LINUX_BUILDDIR]
# WINDOWS_BUILDDIR is the test build's Windows folder (built already by the Wine tests, so only
# what changed is rebuilt); LINUX_BUILDDIR defaults to build/package/linux.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
winbuild="$1"
linbuild="${2:-$root/build/package/linux}"

for tool in desktop-file-validate update-mime-database identify compare unzip; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: run scripts/install-deps.sh" >&2
    exit 1
  fi
done

out="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-package-test.XXXXXX")"
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

version="$(sed -n 's/^project(scourvane VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ -n "$version" ] || fail "no version in CMakeLists.txt"
started=$SECONDS
"$root/scripts/package.sh" --dist "$out/dist" --windows-build "$winbuild" --linux-build "$linbuild"
echo "package.sh: $((SECONDS - started)) s"
name="scourvane-$version-windows-x64"
zip="$out/dist/$name.zip"
deb="$out/dist/scourvane_${version}_amd64.deb"
[ "$(ls "$out/dist" | sort)" = "$(printf '%s\n' "$name.zip" "scourvane_${version}_amd64.deb")" ] ||
  fail "dist holds: $(ls "$out/dist" | tr '\n' ' ')"

# --- The Windows zip ---------------------------------------------------------------------------
expected_zip="$(printf "$name/%s\n" scourvane.exe scourvane-cli.exe README-en.txt README-ja.txt \
  LICENSE.txt THIRD-PARTY-NOTICES.txt)"
[ "$(unzip -Z1 "$zip")" = "$expected_zip" ] || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -tq "$zip" >/dev/null || fail "the zip does not test whole"
unzip -q "$zip" -d "$out/zip"
w="$out/zip/$name"

# The DLLs every Windows has, as scripts/build-windows.sh lists them.
system_dll="$(sed -n "s/^system_dll='\(.*\)'$/\1/p" "$root/scripts/build-windows.sh")"
[ -n "$system_dll" ] || fail "no system_dll list in scripts/build-windows.sh"
for exe in scourvane.exe scourvane-cli.exe; do
  x86_64-w64-mingw32-objdump -f "$w/$exe" | grep -q 'file format pei-x86-64' ||
    fail "$exe is not an x86-64 Windows program"
  dlls="$(x86_64-w64-mingw32-objdump -p "$w/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')"
  echo "$dlls" | grep -qx kernel32.dll || fail "$exe imports no kernel32.dll: its import table was not read"
  bad="$(echo "$dlls" | grep -Ev "$system_dll" || true)"
  [ -z "$bad" ] || fail "$exe imports DLLs that Windows does not have: $bad"
  echo "$exe imports: $(echo "$dlls" | sort | tr '\n' ' ')"
done

crlf_only() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if d.count(b"\n") == d.count(b"\r\n") > 0 else 1)' "$1"; }
for text in README-en.txt README-ja.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  crlf_only "$w/$text" || fail "$text does not end every line with CR LF"
done
cmp <(tr -d '\r' <"$w/LICENSE.txt") "$root/LICENSE" || fail "LICENSE.txt is not LICENSE"
cmp <(tr -d '\r' <"$w/THIRD-PARTY-NOTICES.txt") "$root/THIRD-PARTY-NOTICES.txt" ||
  fail "THIRD-PARTY-NOTICES.txt is not the repository's"
# Every option of the terminal program, as its --help lists them, in both read-mes.
options="$("$linbuild/scourvane-cli" --help | sed -n '/^Options:/,/^$/p' |
  grep -oE -- '^ +(-[a-z],)?--[a-z][a-z-]*' | grep -o -- '--[a-z-]*' | sort -u)"
[ "$(echo "$options" | wc -l)" -ge 5 ] || fail "scourvane-cli --help lists no options: $options"
for readme in README-en.txt README-ja.txt; do
  [ "$(head -c 3 "$w/$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$readme has no byte-order mark"
  grep -q "Scourvane $version" "$w/$readme" || fail "$readme does not name version $version"
  ! grep -q '@[A-Z_]*@' "$w/$readme" || fail "$readme keeps a placeholder"
  for option in $options; do
    grep -q -- "$option" "$w/$readme" || fail "$readme does not mention $option"
  done
done
# The header-only libraries handed to the cross build are compiled into the programs.
for library in "$winbuild"/cli11-include/*; do
  library="$(basename "$library")"
  grep -qi "^[0-9]\. *$library" "$root/THIRD-PARTY-NOTICES.txt" ||
    fail "THIRD-PARTY-NOTICES.txt has no section for $library, which the programs are built with"
  grep -qi "$library" "$root/packaging/debian/copyright" ||
    fail "packaging/debian/copyright does not name $library, which scourvane-cli is built with"
done
echo "The zip: $(unzip -Z1 "$zip" | wc -l) files as expected; the read-mes name every option."

# --- The Debian package ------------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = scourvane ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
[ -n "$depends" ] || fail "Depends is empty"
# The package names Depends lists, one a line, versions and alternatives' bars left out.
depends_names="$(echo "$depends" | tr ',|' '\n\n' | awk '{print $1}' | sed '/^$/d')"
for package in libc6 libstdc++6 libqt6widgets6 qt6-qpa-plugins; do
  echo "$depends_names" | grep -Fqx "$package" || fail "Depends does not name $package: $depends"
done

expected_files="$({
  printf '%s\n' ./usr/bin/scourvane ./usr/bin/scourvane-cli \
    ./usr/share/applications/scourvane.desktop ./usr/share/doc/scourvane/copyright \
    ./usr/share/mime/packages/scourvane.xml
  for s in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x$s/apps/scourvane.png"; done
} | sort)"
files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)"
[ "$files" = "$expected_files" ] || fail "the package holds: $(echo "$files" | tr '\n' ' ')"
dpkg-deb -x "$deb" "$out/deb"
dpkg-deb -e "$deb" "$out/deb/DEBIAN"
(cd "$out/deb" && md5sum --quiet -c DEBIAN/md5sums) || fail "md5sums do not match the files"
d="$out/deb/usr"

# Each shared library the programs need comes from a package that Depends names.
for program in scourvane scourvane-cli; do
  for lib in $(objdump -p "$d/bin/$program" | awk '$1 == "NEEDED" {print $2}'); do
    # dpkg records either /lib or /usr/lib: look the name up wherever it is.
    owner="$(dpkg -S "x86_64-linux-gnu/$lib" 2>/dev/null | awk -v l="/$lib" \
      'substr($2, length($2) - length(l) + 1) == l {sub(/:.*/, "", $1); print $1; exit}' || true)"
    [ -n "$owner" ] || fail "$program needs $lib, which no installed package holds"
    echo "$depends_names" | grep -Fqx "$owner" ||
      fail "$program needs $lib from $owner, which Depends does not name"
  done
done
if command -v apt-get >/dev/null; then
  apt-get -s install "$deb" >"$out/apt.txt" 2>&1 || { cat "$out/apt.txt" >&2; fail "apt-get -s install refuses the package"; }
  grep -Eq '^Inst scourvane |scourvane is already the newest version' "$out/apt.txt" ||
    { cat "$out/apt.txt" >&2; fail "apt-get -s install would not install scourvane"; }
fi

desktop="$d/share/applications/scourvane.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_program="$(entry Exec | cut -d' ' -f1)"
[ -x "$d/bin/$exec_program" ] || fail "Exec names $exec_program, which the package does not hold"
[ -f "$d/share/icons/hicolor/48x48/apps/$(entry Icon).png" ] || fail "no icon named $(entry Icon)"
entry Categories | grep -q 'Development;' || fail "Categories: $(entry Categories)"
for key in 'Name' 'Comment' 'Comment\[ja\]'; do
  [ -n "$(entry "$key")" ] || fail "the desktop entry has no $key"
done
# A MIME type the entry claims must be defined, and the window must be handed the file.
mkdir -p "$out/mime/packages"
cp "$d/share/mime/packages/scourvane.xml" "$out/mime/packages/"
update-mime-database "$out/mime" 2>/dev/null
grep -qx 'text/x-vbp:\*.vbp' <(cut -d: -f2- "$out/mime/globs2") || fail "*.vbp is not registered as text/x-vbp"
grep -qx 'text/x-vbg:\*.vbg' <(cut -d: -f2- "$out/mime/globs2") || fail "*.vbg is not registered as text/x-vbg"
for type in $(entry MimeType | tr ';' ' '); do
  grep -q "^$type\$" "$out/mime/types" || fail "MimeType $type is not defined by the package"
  entry Exec | grep -Eq '%[fFuU]' || fail "MimeType $type is listed but Exec takes no file"
done

# The icon: the Windows .ico's pictures, as PNG files of the same sizes.
ico="$winbuild/src/win32/scourvane.ico"
[ -f "$ico" ] || fail "no $ico"
for png in "$d"/share/icons/hicolor/*/apps/scourvane.png; do
  size="$(basename "$(dirname "$(dirname "$png")")")"
  [ "$(identify -format '%wx%h' "$png")" = "$size" ] || fail "$png is $(identify -format '%wx%h' "$png")"
  index="$(identify -format '%p %wx%h\n' "$ico" | awk -v s="$size" '$2 == s {print $1; exit}')"
  [ -n "$index" ] || continue
  difference="$(compare -metric AE "$png" "${ico}[$index]" null: 2>&1 || true)"
  [ "$difference" = 0 ] || fail "the $size icon differs from the .ico's in $difference pixels"
  compared="${compared:-}$size "
done
[ -n "${compared:-}" ] || fail "no icon size was compared with the .ico"

grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$d/share/doc/scourvane/copyright" || fail "the copyright file is not in the Debian format"
grep -qx 'Copyright: 2026 The Scourvane developers' "$d/share/doc/scourvane/copyright" ||
  fail "the copyright file does not name the developers"

# The extracted programs work.
[ "$("$d/bin/scourvane-cli" --version)" = "scourvane-cli $version" ] ||
  fail "scourvane-cli --version: $("$d/bin/scourvane-cli" --version)"
cp -r "$root/examples/Sales" "$out/Sales"
rm -rf "$out/Sales"/New_*
"$d/bin/scourvane-cli" --json --quiet "$out/Sales/Sales.vbp" >"$out/sales.json" ||
  fail "scourvane-cli failed on the sample project"
diff -r "$root/tests/fixtures/sales/expected" "$out/Sales/New_Sales" || fail "the working copy differs"
python3 - "$out/sales.json" "$root/tests/fixtures/sales/expected-counters.txt" <<'PY'
import json, sys
run = json.load(open(sys.argv[1], encoding="utf-8"))
expected = dict(l.split() for l in open(sys.argv[2], encoding="utf-8") if not l.startswith("#"))
assert run["counters"] == {k: int(v) for k, v in expected.items()}, run["counters"]
assert run["errors"] == [], run["errors"]
PY
set +e
QT_QPA_PLATFORM=offscreen "$d/bin/scourvane" --no-such-option >"$out/window.txt" 2>&1
status=$?
set -e
if [ "$status" != 2 ] || ! grep -q '^usage: scourvane' "$out/window.txt"; then
  fail "the window program did not start and refuse a bad option (status $status): $(cat "$out/window.txt")"
fi
echo "The package: control fields, files, desktop entry, MIME type, icons ($compared) and programs as expected."

# --- Reproducible ------------------------------------------------------------------------------
"$root/scripts/package.sh" --dist "$out/again" --windows-build "$winbuild" --linux-build "$linbuild" >/dev/null
cmp "$zip" "$out/again/$name.zip" || fail "a second run made another zip"
cmp "$deb" "$out/again/scourvane_${version}_amd64.deb" || fail "a second run made another package"
echo "A second run makes the same files. Sizes: zip $(stat -c %s "$zip") bytes, package $(stat -c %s "$deb") bytes."
