#!/usr/bin/env bash
# The Windows window driven as a user drives it, under Wine on an X server of its own (Xvfb):
#   tests/win32/drive_through.sh BUILDDIR PICTURES [DPI...]
# Cross-builds the Windows programs into BUILDDIR (scripts/build-windows.sh), then for each DPI
# (default 96 120 144, set as Wine's LogPixels) starts scourvane.exe under a Japanese locale
# (ANSI code page 932, as on a Japanese Windows), checks the window's size for that DPI, clicks
# the open button, answers the open dialog with a copy of the sample project in a folder named
# 作業 (the program started there, so the dialog opens in it), clicks the run button,
# and checks that the working copy equals tests/fixtures/sales/expected and that the counters
# are drawn (tests/win32/drawn_counters.py reads them off X's screenshot); the screenshot is
# kept as PICTURES/windows-window-DPIdpi.png. At 96 dpi it also drags the window by its title
# strip; then it starts it with --rules safe to read the title, opens a project without its
# workspace file to see the error box hold the intake until OK (PICTURES/windows-error-box.png),
# and closes it by the exit image.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
here="$root/tests/win32"
build="$1"
pictures="$2"
shift 2
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 120 144)
for tool in Xvfb xdotool import convert python3 localedef; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

"$root/scripts/build-windows.sh" "$build"
exe="$build/scourvane.exe"
[ -f "$exe" ] || { echo "no $exe" >&2; exit 1; }
mkdir -p "$pictures"
# The resources: the manifest (PerMonitorV2, Common Controls 6, long paths), the version, and
# every picture of the icon that the shared code drew.
python3 - "$exe" "$build/src/win32/scourvane.ico" <<'PY' || fail_early=1
import struct, sys
exe, ico = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
for text in [b'<ws2016:dpiAwareness>PerMonitorV2', b'Microsoft.Windows.Common-Controls',
             b'<ws2016:longPathAware>true']:
    assert text in exe, text
for text in ['ProductName', 'Scourvane', 'FileVersion']:
    assert text.encode('utf-16-le') in exe, text
count = struct.unpack_from('<H', ico, 4)[0]
for i in range(count):
    size, offset = struct.unpack_from('<II', ico, 6 + 16 * i + 8)
    assert ico[offset:offset + size] in exe, 'icon picture %d' % i
print('resources: manifest, version, %d icon pictures' % count)
PY
[ -z "${fail_early:-}" ] || { echo "FAIL: the program's resources" >&2; exit 1; }

# A short folder: the status box shows the working copy's path.
out="$(mktemp -d /tmp/svw.XXXX)"
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
export WINEDEBUG=-all WINEPREFIX="$out/wine"
# A Japanese locale of our own (the machine need not have it generated): Wine's ANSI code page
# is then 932 and its dialogs speak Japanese.
mkdir -p "$out/locale"
localedef -i ja_JP -f UTF-8 "$out/locale/ja_JP.UTF-8" 2>/dev/null || [ -d "$out/locale/ja_JP.UTF-8" ]
export LOCPATH="$out/locale"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
xvfb=
program=
cleanup() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  if [ -d "$WINEPREFIX" ]; then "$wineserver" -k 2>/dev/null || true; "$wineserver" -w || true; fi
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$out"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  import -window root "$pictures/failed-screen.png" 2>/dev/null &&
    echo "the screen as it was: $pictures/failed-screen.png" >&2
  [ ! -s "$out/program.log" ] || { echo "scourvane.exe said:" >&2; cat "$out/program.log" >&2; }
  exit 1
}
# Waits up to 30 s for a command to succeed.
wait_for() {
  for _ in $(seq 150); do "$@" && return 0; sleep 0.2; done
  echo "timed out: $*" >&2
  return 1
}
# Waits up to 5 s, quietly.
wait_for_short() {
  for _ in $(seq 25); do "$@" && return 0; sleep 0.2; done
  return 1
}
winpath() { echo "Z:$(echo "$1" | tr '/' '\\')"; }

Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp -noreset >"$out/display" 2>/dev/null &
xvfb=$!
wait_for test -s "$out/display"
export DISPLAY=":$(cat "$out/display")"
"$wine64" wineboot --init >/dev/null 2>&1
"$wineserver" -w
acp=$(sed -n 's/^"ACP"="\([0-9]*\)"/\1/p' "$WINEPREFIX/system.reg" | head -n 1)
[ "$acp" = 932 ] || fail "the Wine prefix's ANSI code page is '$acp', not 932"

# The top-level windows on the screen that have a name.
windows() { xdotool search --onlyvisible --name '.' 2>/dev/null || true; }
main_window() { xdotool search --onlyvisible --name '^Scourvane' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
window_count_is() { [ "$(windows | wc -l)" -"$1" "$2" ]; }
geometry() {
  local shape
  shape="$(xdotool getwindowgeometry --shell "$1")"
  wx=$(sed -n 's/^X=//p' <<<"$shape") wy=$(sed -n 's/^Y=//p' <<<"$shape")
  ww=$(sed -n 's/^WIDTH=//p' <<<"$shape") wh=$(sed -n 's/^HEIGHT=//p' <<<"$shape")
}
scaled() { echo $(( ($1 * dpi + 48) / 96 )); }
type_text() { xdotool type --delay 10 "$1"; }
# Types a file's path into the open dialog and presses Return. On a busy machine the keys may
# reach the dialog before its name box has the focus, or its completion may open the folder
# instead: the path is then typed once more over whatever the name box holds, as a user would.
answer_dialog() {
  local dialog="$1" path="$2"
  # Alt+N: the name box, by its label's mnemonic ("ファイル名(N)").
  xdotool key alt+n
  type_text "$path"
  xdotool key Return
  wait_for_short window_count_is eq "$before" && return 0
  xdotool key alt+n ctrl+a
  type_text "$path"
  xdotool key Return
  wait_for window_count_is eq "$before"
}
# Clicks the centre of a control given in the window's logical pixels.
click() {
  local x=$(( wx + $(scaled $(( $1 + $3 / 2 ))) )) y=$(( wy + $(scaled $(( $2 + $4 / 2 ))) ))
  xdotool mousemove --sync "$x" "$y" click 1
}
shot() { import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$1"; }
counters() {  # PNG, then "empty" or the six values
  local png="$1"
  shift
  convert "$png" -depth 8 rgb:"$out/shot.rgb"
  python3 "$here/drawn_counters.py" "$out/shot.rgb" "$ww" "$wh" "$dpi" "$@"
}
start() {  # FOLDER (the program's current folder, where its open dialog starts), then arguments
  local folder="$1"
  shift
  (cd "$folder" && exec "$wine64" "$exe" "$@") >"$out/program.log" 2>&1 &
  program=$!
  wait_for has_main_window || fail "no window"
  main="$(main_window)"
  geometry "$main"
}
finish() {  # waits for the program's end; its exit status must be 0
  local status=0
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
  wait "$program" || status=$?
  program=
  [ "$status" -eq 0 ] || fail "scourvane.exe ended with status $status"
}

expected=()
while read -r name value; do
  case "$name" in '#'*|'') continue ;; esac
  expected+=("$value")
done <"$root/tests/fixtures/sales/expected-counters.txt"

for dpi in "${dpis[@]}"; do
  echo "--- $dpi dpi"
  "$wineserver" -w
  "$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wineserver" -w
  # In a folder with a Japanese name: every file name goes through the wide API.
  rm -rf "$out/作業"
  mkdir "$out/作業"
  cp -r "$root/examples/Sales" "$out/作業/Sales"
  project="$out/作業/Sales"

  start "$project"
  [ "$ww" -eq "$(scaled 397)" ] && [ "$wh" -eq "$(scaled 359)" ] ||
    fail "the window is ${ww}x${wh} at $dpi dpi, not $(scaled 397)x$(scaled 359)"
  [ "$(xdotool getwindowname "$main")" = Scourvane ] || fail "title: $(xdotool getwindowname "$main")"

  before="$(windows | wc -l)"
  click 8 28 194 26            # VBPﾌｧｲﾙの読み込み (the panel starts 20 pixels down)
  wait_for window_count_is gt "$before" || fail "no open dialog"
  dialog="$(windows | grep -vx "$main" | tail -n 1)"
  [ "$(xdotool getwindowname "$dialog")" = 'ﾌｧｲﾙを開く' ] ||
    fail "the open dialog is named '$(xdotool getwindowname "$dialog")'"
  sleep 1
  # The dialog opens in the program's folder: the file's name is enough, and the folder's
  # Japanese name comes back through the dialog's UTF-16 path. (xdotool loses kanji typed in a
  # row into Wine: they are not typed.)
  answer_dialog "$dialog" Sales.vbp || fail "the open dialog stayed open"
  wait_for test -f "$project/New_Sales/modUtil.bas" || fail "no working copy"
  sleep 2
  shot "$out/intake.png"
  counters "$out/intake.png" empty || fail "after intake at $dpi dpi"

  click 208 28 176 26          # ﾁｪｯｸの開始
  xdotool mousemove 0 0
  wait_for diff -rq "$root/tests/fixtures/sales/expected" "$project/New_Sales" >/dev/null ||
    { diff -r "$root/tests/fixtures/sales/expected" "$project/New_Sales" | head -20; fail "working copy"; }
  # The run has ended when the window stops changing.
  previous=
  for _ in $(seq 60); do
    sleep 0.5
    shot "$out/now.png"
    current="$(md5sum <"$out/now.png")"
    [ "$current" != "$previous" ] || break
    previous="$current"
  done
  counters "$out/now.png" "${expected[@]}" || {
    cp "$out/now.png" "$pictures/failed-${dpi}dpi.png"
    fail "counters at $dpi dpi (see $pictures/failed-${dpi}dpi.png)"
  }
  cp "$out/now.png" "$pictures/windows-window-${dpi}dpi.png"
  echo "working copy as expected, counters drawn; kept $pictures/windows-window-${dpi}dpi.png"

  if [ "$dpi" = 96 ]; then
    # Dragged by the title strip, pixel for pixel.
    x0=$wx y0=$wy
    xdotool mousemove --sync $((wx + 150)) $((wy + 8)) mousedown 1
    xdotool mousemove --sync $((wx + 190)) $((wy + 38))
    xdotool mousemove --sync $((wx + 210)) $((wy + 68)) mouseup 1
    sleep 0.5
    geometry "$main"
    [ "$wx" -eq $((x0 + 60)) ] && [ "$wy" -eq $((y0 + 60)) ] ||
      fail "dragged by (60, 60) from ($x0, $y0), the window is at ($wx, $wy)"
    echo "dragged by the title strip"
  fi
  click 208 292 176 26         # 終了
  finish
done

# The safe rules say so in the title; the exit image closes the window.
dpi=96
"$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
"$wineserver" -w
start "$out" --rules safe
[ "$(xdotool getwindowname "$main")" = 'Scourvane (安全ルール)' ] ||
  fail "title under --rules safe: $(xdotool getwindowname "$main")"
echo "--rules safe: the title says so"

# A workspace file that cannot be copied (a folder of that name; a missing one is no error): the
# error box names it and holds the intake until OK.
rm -rf "$out/Sales" && cp -r "$root/examples/Sales" "$out/Sales" && rm "$out/Sales/Sales.vbw" &&
  mkdir "$out/Sales/Sales.vbw"
before="$(windows | wc -l)"
click 8 28 194 26
wait_for window_count_is gt "$before" || fail "no open dialog"
dialog="$(windows | grep -vx "$main" | tail -n 1)"
sleep 1
xdotool key alt+n
type_text "$(winpath "$out/Sales/Sales.vbp")"
xdotool key Return
box_is_open() { windows | grep -vx "$main" | while read -r w; do
  [ "$(xdotool getwindowname "$w")" = Scourvane ] && echo "$w"; done | grep -q .; }
wait_for box_is_open || fail "no error box"
box="$(windows | grep -vx "$main" | tail -n 1)"
geometry "$box"
shot "$out/box.png"
cp "$out/box.png" "$pictures/windows-error-box.png"
sleep 2
[ -f "$out/Sales/New_Sales/Sales.vbp" ] || fail "the intake did not begin before the box"
[ ! -e "$out/Sales/New_Sales/modUtil.bas" ] || fail "the intake went on while the error box was open"
xdotool key Return            # OK
wait_for test -f "$out/Sales/New_Sales/modUtil.bas" || fail "the intake did not go on after OK"
echo "the error box held the intake until OK"
geometry "$main"
click 376 4 15 15             # the exit image
finish
echo "the exit image closed the window"
