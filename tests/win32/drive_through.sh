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
# strip; then it starts it with --rules safe and sees the same title strip as the first start
# without settings drew, opens a project without its workspace file to see the error box hold
# the intake until OK (PICTURES/windows-error-box.png), and closes it by the exit image. Last it
# chooses the specified rules in the menu (its picture kept as PICTURES/windows-window-menu.png),
# sees the title strip change and the settings file say so, runs the sample and opens the
# findings report through the menu with a stand-in browser; then opens the review window from
# the menu, keeps a finding from the keyboard (PICTURES/windows-review.png), closes it with
# Escape, runs again and sees the counters the terminal program gives with that keep file; last
# it opens the review window at 144 dpi (PICTURES/windows-review-144dpi.png).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
here="$root/tests/win32"
build="$1"
pictures="$2"
shift 2
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 120 144)
for tool in Xvfb xdotool import convert identify python3 localedef; do
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
# A run has ended when the window stops changing; its last picture is left in $out/now.png.
settled() {
  local previous= current
  for _ in $(seq 60); do
    sleep 0.5
    shot "$out/now.png"
    current="$(md5sum <"$out/now.png")"
    [ "$current" != "$previous" ] || break
    previous="$current"
  done
}
# Opens FOLDER/Sales.vbp through the open dialog, runs the check and waits for its end; the
# optional second argument ends each failure text. ($before is answer_dialog's too.)
open_and_run() {
  local folder="$1" where="${2:-}"
  before="$(windows | wc -l)"
  click 8 28 194 26            # VBPﾌｧｲﾙの読み込み
  wait_for window_count_is gt "$before" || fail "no open dialog$where"
  sleep 1
  answer_dialog "" "$(winpath "$folder/Sales.vbp")" || fail "the open dialog stayed open$where"
  wait_for test -f "$folder/New_Sales/modUtil.bas" || fail "no working copy$where"
  sleep 1
  click 208 28 176 26          # ﾁｪｯｸの開始
  xdotool mousemove 0 0
  settled
}
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
  [ "$(xdotool getwindowname "$main")" = 'Scourvane (安全ルール)' ] ||
    fail "title: $(xdotool getwindowname "$main")"
  if [ "$dpi" = 96 ] && [ ! -e "$out/first-start.png" ]; then
    sleep 0.5
    shot "$out/first-start.png"   # no settings yet: the defaults' title strip
  fi

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
  settled
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

# The safe rules say so in the title, and a first start without settings drew the same title
# strip; the exit image closes the window.
crop_sum() { convert "$1" -crop "$2" +repage rgb:- | md5sum; }
dpi=96
"$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
"$wineserver" -w
start "$out" --rules safe
[ "$(xdotool getwindowname "$main")" = 'Scourvane (安全ルール)' ] ||
  fail "title under --rules safe: $(xdotool getwindowname "$main")"
sleep 0.5
shot "$out/rules-safe.png"
title="$(scaled 340)x$(scaled 18)+0+0"
[ "$(crop_sum "$out/first-start.png" "$title")" = "$(crop_sum "$out/rules-safe.png" "$title")" ] ||
  fail "a first start without settings does not draw the title strip of --rules safe"
echo "--rules safe: the title says so, and the first start drew the same title strip"

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

# The menu: the specified rules chosen in it, the title strip saying so, a run, and the findings
# report opened through it with a stand-in browser. Wine opens an .html file with winebrowser,
# which hands it to the host's xdg-open: the stand-in, first on PATH, writes down what it got.
mkdir -p "$out/bin" "$out/menu"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$out" >"$out/bin/xdg-open"
chmod +x "$out/bin/xdg-open"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
export PATH="$out/bin:$PATH"
rm -rf "$out/menu/Sales" && cp -r "$root/examples/Sales" "$out/menu/Sales"
start "$out/menu"
[ "$(xdotool getwindowname "$main")" = 'Scourvane (安全ルール)' ] ||
  fail "the rule set is not the safe one before it is chosen: $(xdotool getwindowname "$main")"
# Opens the menu by its image and clicks its N-th line of text (1: the heading); with a second
# argument, keeps a picture of the window with the menu open there.
menu_item() {
  local n="$1" picture="${2:-}" sw sh y
  local mx=$(( wx + $(scaled 356) )) my=$(( wy + $(scaled 19) ))
  shot "$out/closed.png"
  click 356 4 15 15
  for _ in $(seq 25); do
    sleep 0.2
    shot "$out/open.png"
    [ "$(md5sum <"$out/open.png")" != "$(md5sum <"$out/closed.png")" ] && break
  done
  sleep 0.5
  import -window root "$out/screen.png"
  [ -z "$picture" ] ||
    convert "$out/screen.png" -crop "$(( ww + $(scaled 330) ))x$(( wh + 20 ))+${wx}+${wy}" +repage "$picture"
  read -r sw sh < <(identify -format '%w %h\n' "$out/screen.png")
  convert "$out/screen.png" -depth 8 rgb:"$out/screen.rgb"
  y="$(python3 "$here/menu_items.py" "$out/screen.rgb" "$sw" "$sh" "$mx" "$my" "$n")" ||
    fail "the menu did not open as expected"
  xdotool mousemove --sync $(( mx + 40 )) "$y"
  sleep 0.3
  xdotool click 1
}
shot "$out/safe.png"
menu_item 2 "$pictures/windows-window-menu.png"   # 仕様どおり
wait_for test "$(xdotool getwindowname "$main")" = 'Scourvane (仕様どおりのルール: 要確認)' ||
  fail "the menu did not choose the specified rules: $(xdotool getwindowname "$main")"
sleep 0.5
shot "$out/spec.png"
images="$(scaled 45)x$(scaled 18)+$(scaled 350)+0"
[ "$(crop_sum "$out/spec.png" "$title")" != "$(crop_sum "$out/safe.png" "$title")" ] ||
  fail "the title strip does not show the specified rules"
# Amber ink on the strip, which the safe rules' white title never has.
amber="$(convert "$out/spec.png" -crop "$title" +repage -fuzz 12% -fill black +opaque 'rgb(255,200,0)' \
  -fill white -opaque 'rgb(255,200,0)' -format '%[fx:mean*w*h]' info:)"
[ "${amber%.*}" -gt 20 ] || fail "the specified rules' title is not drawn in amber ($amber pixels)"
# The menu and exit images stay as they were.
[ "$(crop_sum "$out/spec.png" "$images")" = "$(crop_sum "$out/safe.png" "$images")" ] ||
  fail "the menu or exit image changed with the rule set"
cp "$out/spec.png" "$pictures/windows-window-spec.png"
settings() { cat "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Scourvane/settings.ini 2>/dev/null; }
settings | grep -q '^rules=spec' || fail "the settings file does not say spec: $(settings)"
echo "the menu chose the specified rules; the title strip says so in amber, and the settings file"

open_and_run "$out/menu/Sales"
menu_item 8                   # 検出結果をブラウザで開く
wait_for test -s "$out/opened.txt" || fail "nothing was handed to the browser"
given="$(head -n 1 "$out/opened.txt")"
report="$(python3 -c 'import sys, urllib.parse; u = sys.argv[1]
print(urllib.parse.unquote(u[7:]) if u.startswith("file://") else u)' "$given")"
# Wine names the C: drive through its dosdevices link.
report="$(realpath "$report")"
case "$report" in
  "$WINEPREFIX"/drive_c/users/*/AppData/Local/Scourvane/reports/*.html) ;;
  *) fail "the browser was given '$given', not an .html report in the user's local app data" ;;
esac
grep -q 'Sales.vbp' "$report" || fail "the report does not name the project"
settings | grep -q '^rules=spec' || fail "the settings file does not say spec: $(settings)"
echo "the report opened through the menu: $report"

# The review window, from the menu: a finding kept from the keyboard (Down, Alt+K), the window
# closed with Escape; the next run's counters are those the terminal program gives with that
# keep file.
review_window() { xdotool search --onlyvisible --name '^検出結果の確認$' 2>/dev/null | head -n 1; }
# Opens the review from the menu, selects its first row with Down, and keeps its picture as
# PICTURE; sets review, rx, ry, rw and rh (its place and size on the screen).
open_review() {
  menu_item 7                 # 検出結果を一覧で確認する...
  wait_for test -n "$(review_window)" || fail "no review window at $dpi dpi"
  review="$(review_window)"
  xdotool windowfocus --sync "$review" 2>/dev/null || true
  sleep 1
  xdotool key Down
  sleep 1
  import -window root "$out/review-screen.png"
  read -r rx ry rw rh < <(xdotool getwindowgeometry --shell "$review" |
    sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=//p' | tr '\n' ' '; echo)
  convert "$out/review-screen.png" -crop "${rw}x${rh}+${rx}+${ry}" +repage "$1"
}
open_review "$pictures/windows-review.png"
xdotool key alt+k
keep_file="$out/menu/Sales/scourvane-keep.txt"
wait_for test -s "$keep_file" || fail "nothing was kept from the review window"
xdotool key Escape
# Hidden, its place on the screen shows what lies below it again.
review_gone() {
  import -window root "$out/review-screen.png"
  convert "$out/review-screen.png" -crop "${rw}x${rh}+${rx}+${ry}" +repage "$out/review-now.png"
  [ "$(convert "$out/review-now.png" rgb:- | md5sum)" != \
    "$(convert "$pictures/windows-review.png" rgb:- | md5sum)" ]
}
wait_for review_gone || fail "Escape left the review window open"
rm -rf "$out/kept"
mkdir -p "$out/kept"
cp -r "$root/examples/Sales" "$out/kept/Sales"
cp "$keep_file" "$out/kept/Sales/"
"$wine64" "$build/scourvane-cli.exe" --quiet --json --rules spec \
  "$(winpath "$out/kept/Sales/Sales.vbp")" >"$out/kept.json" 2>/dev/null || true
mapfile -t kept < <(python3 -c 'import json, sys
c = json.load(open(sys.argv[1], encoding="utf-8"))["counters"]
for k in ("dim", "unused_dim", "private", "unused_private", "public", "unused_public"): print(c[k])' \
  "$out/kept.json")
[ "${#kept[@]}" -eq 6 ] || fail "the terminal program gave no counters: $(head -c 300 "$out/kept.json")"
[ "${kept[*]}" != "${expected[*]}" ] || fail "keeping $(tail -n 1 "$keep_file") changed no counter"
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.5
click 208 28 176 26          # ﾁｪｯｸの開始
xdotool mousemove 0 0
counted_after_keep() { settled; counters "$out/now.png" "${kept[@]}" >/dev/null 2>&1; }
wait_for counted_after_keep || counters "$out/now.png" "${kept[@]}" || {
  cp "$out/now.png" "$pictures/failed-review.png"
  fail "the counters after the keep are not ${kept[*]} (see $pictures/failed-review.png)"
}
echo "kept $(tail -n 1 "$keep_file" | tr -d '\r') from the review window; the next run counts ${kept[*]}"
click 208 292 176 26         # 終了
finish

# The review window at 144 dpi: the sample taken in and run again, the window opened from the
# menu; its picture kept as PICTURES/windows-review-144dpi.png, and its list must show rows.
dpi=144
"$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$wineserver" -w
rm -rf "$out/big"
mkdir -p "$out/big"
cp -r "$root/examples/Sales" "$out/big/Sales"
start "$out/big/Sales"
open_and_run "$out/big/Sales" " at 144 dpi"
open_review "$pictures/windows-review-144dpi.png"
[ "$rw" -ge "$(scaled 700)" ] || fail "the review window is $rw pixels wide at 144 dpi"
echo "the review window at 144 dpi: ${rw}x${rh}; kept $pictures/windows-review-144dpi.png"
xdotool key Escape
sleep 0.5
click 208 292 176 26         # 終了
finish
