#!/usr/bin/env bash
# The Windows build of the terminal front end, checked under Wine:
#   scripts/check-windows.sh [BUILDDIR]
# Cross-builds it (scripts/build-windows.sh: warnings as errors, only Windows' own DLLs
# imported) into BUILDDIR (default: a temporary folder), then runs it under Wine with an ANSI
# code page that is not 932 (the C.UTF-8 locale gives 1252):
#   - a project with Japanese file names in a folder named 作業: the working copy, the JSON
#     output, the CSV report written into that folder and the counters, against the fixture's
#     expected files; a missing project there: its error text in the JSON;
#   - the same output on a console (a pseudo-terminal): the counter grid reads in Japanese;
#   - the sample project at a path longer than 260 characters;
#   - a project entry naming a drive ("C:x.bas") is refused and nothing outside is written;
#   - a working copy folder that is a reparse point is refused;
#   - a second run on a working copy in use is refused.
# One Wine prefix serves the whole run. The test command runs this through ctest.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

need=()
for p in cmake ninja-build g++-mingw-w64-x86-64-posix wine64 libcli11-dev python3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi

out="$(mktemp -d "${TMPDIR:-/tmp}/scourvane-windows.XXXXXX")"
build="${1:-$out/build}"
# A Western locale: Wine's ANSI code page is then 1252, and its Unix side (arguments, file
# names) UTF-8. No display: nothing here opens a window.
export WINEDEBUG=-all WINEPREFIX="$out/wine" LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
# wineserver outlives the program by a few seconds and keeps writing to the prefix: end it
# before removing the folder.
cleanup() {
  if [ -d "$WINEPREFIX" ]; then "$wineserver" -k 2>/dev/null || true; "$wineserver" -w || true; fi
  rm -rf "$out"
}
trap cleanup EXIT

started=$SECONDS
"$root/scripts/build-windows.sh" "$build"
exe="$build/scourvane-cli.exe"
echo "Windows build: $((SECONDS - started)) s"
# Paths longer than MAX_PATH need the manifest's longPathAware on Windows (Wine has no such
# limit, so the long path below passes there either way).
grep -qa '<ws2016:longPathAware>true</ws2016:longPathAware>' "$exe"

started=$SECONDS
"$wine64" wineboot --init >/dev/null 2>&1
"$wineserver" -w
acp=$(sed -n 's/^"ACP"="\([0-9]*\)"/\1/p' "$WINEPREFIX/system.reg" | head -n 1)
echo "Wine prefix ready in $((SECONDS - started)) s; ANSI code page $acp"
if [ -z "$acp" ] || [ "$acp" = 932 ]; then
  echo "the Wine prefix's ANSI code page is '$acp': these checks need one that is not 932" >&2
  exit 1
fi

winpath() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
# The JSON line of a run; the exit status is not looked at (it says whether errors were shown).
cli() { { "$wine64" "$exe" --json "$@" 2>/dev/null || true; } | tail -n 1; }
fixtures="$root/tests/fixtures"

started=$SECONDS

# Japanese file names (the project's entries are CP932, one names a subfolder 共通) in a folder
# whose name the ANSI code page cannot spell.
mkdir -p "$out/作業"
cp -r "$fixtures/japanese/project" "$out/作業/受注"
# The fixture's expected copy and report are the specified rules'.
cli --rules spec --report "$(winpath "$out/作業/結果.csv")" "$(winpath "$out/作業/受注/受注.vbp")" \
  >"$out/japanese.json"
diff -r "$fixtures/japanese/expected" "$out/作業/受注/New_受注"
cmp "$fixtures/japanese/expected-findings.csv" "$out/作業/結果.csv"
cli "$(winpath "$out/作業/無い.vbp")" >"$out/missing.json"
python3 - "$out" "$fixtures/japanese/expected-counters.txt" <<'PY'
import json, sys
out, counters_file = sys.argv[1], sys.argv[2]
def win(p): return "Z:" + p.replace("/", "\\")
run = json.load(open(out + "/japanese.json", encoding="utf-8"))
assert run["working_copy"] == win(out + "/作業/受注/New_受注"), run["working_copy"]
assert run["modules"] == ["frm注文.frm", "ソート.bas", "表計算.bas"], run["modules"]
assert run["errors"] == [], run["errors"]
expected = dict(l.split() for l in open(counters_file, encoding="utf-8") if not l.startswith("#"))
assert run["counters"] == {k: int(v) for k, v in expected.items()}, run["counters"]
missing = json.load(open(out + "/missing.json", encoding="utf-8"))
want = [{"number": 53, "description": "ファイルが見つかりません: " + win(out + "/作業/無い.vbp")}]
assert missing["errors"] == want, missing["errors"]
PY
echo "A project with Japanese names in a folder named 作業 (ANSI code page $acp): the expected" \
  "working copy, findings report, counters and JSON."

# On a console the grid's Japanese heading reads as it should: script gives Wine a terminal,
# which Wine makes a Windows console.
mkdir -p "$out/作業/画面"
cp -r "$root/examples/Sales" "$out/作業/画面/Sales"
script -qec "$wine64 $exe --quiet '$(winpath "$out/作業/画面/Sales/Sales.vbp")'" /dev/null \
  >"$out/console.txt" </dev/null
python3 - "$out/console.txt" "$fixtures/sales/expected-counters.txt" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-8", "replace")
text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text).replace("\r", "")
c = dict(l.split() for l in open(sys.argv[2], encoding="utf-8") if not l.startswith("#"))
grid = ["結 果        宣言  未使用"] + ["%-8s %10s %7s" % (title, c[key], c["unused_" + key])
                                       for title, key in (("Dim", "dim"), ("Private", "private"),
                                                          ("Public", "public"))]
lines = [l.rstrip() for l in text.split("\n") if l.strip()]
assert lines == grid, lines
PY
echo "On a console, the counter grid reads in Japanese."

# A project whose path is longer than 260 characters (MAX_PATH).
long="$out/長いパス"
for i in 1 2 3; do long="$long/$(printf 'フォルダー%.0s' $(seq 16))$i"; done
mkdir -p "$long"
cp -r "$root/examples/Sales" "$long/Sales"
project="$(winpath "$long/Sales/Sales.vbp")"
if [ "${#project}" -le 260 ]; then echo "the long path has ${#project} characters only" >&2; exit 1; fi
cli "$project" | grep -q '"errors":\[\]}'
diff -r "$fixtures/sales/expected" "$long/Sales/New_Sales"
echo "A project at a path of ${#project} characters gives the expected working copy."

# A row naming a drive ("C:x.bas") would put its copy outside the working copy, here over the
# file it was copied from: it is refused as a bad file name and that file is left alone.
mkdir -p "$out/Drive"
printf 'Attribute VB_Name = "Evil"\r\nPublic Sub Main()\r\n    Dim unused As Long\r\nEnd Sub\r\n' \
  >"$WINEPREFIX/drive_c/scourvane-evil.bas"
cp "$WINEPREFIX/drive_c/scourvane-evil.bas" "$out/evil.bas"
printf 'Type=Exe\r\nModule=Evil; C:scourvane-evil.bas\r\n' >"$out/Drive/Drive.vbp"
cli "$(winpath "$out/Drive/Drive.vbp")" | grep -q '"number":52,"description":"ファイル名が不正です'
cmp "$out/evil.bas" "$WINEPREFIX/drive_c/scourvane-evil.bas"
echo "A project entry naming a drive is refused; the file it named is unchanged."

# Wine shows a symbolic link to a folder as a reparse point, as Windows shows a junction.
cp -r "$root/examples/Sales" "$out/Linked" && mkdir "$out/Elsewhere"
ln -s "$out/Elsewhere" "$out/Linked/New_Linked"
cli "$(winpath "$out/Linked/Sales.vbp")" | grep -q '作業フォルダーがシンボリックリンクです'
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
cli "$(winpath "$out/Big/Big.vbp")" >"$out/first.json" &
first=$!
for _ in $(seq 600); do [ -e "$out/Big/New_Big/.scourvane-lock" ] && break; sleep 0.05; done
cli "$(winpath "$out/Big/Big.vbp")" | grep -q '"number":70,"description":"作業フォルダーは別の処理が使用中です'
wait "$first"
grep -q '"modules":\["M0.bas"' "$out/first.json"
[ ! -e "$out/Big/New_Big/.scourvane-lock" ]
echo "A second run on a working copy in use is refused; the lock goes with the first run."
echo "Wine checks: $((SECONDS - started)) s"
