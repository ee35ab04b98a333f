#!/usr/bin/env bash
# Makes docs/window-96dpi.png, -100dpi, -120dpi and -144dpi: the real window on an X server
# (Xvfb) that reports that many dots per inch, as a desktop does (the screen's size and
# Xft.dpi), after a user's intake and run of the sample project: the program started as
# scripts/run.sh starts it, the buttons clicked and the project's path typed into the open
# dialog with xdotool, the picture taken from X; at 96 also docs/window-menu.png, the menu open,
# docs/window-group.png, a group of two projects run, and docs/window-review.png, the review
# window of that run.
# Usage: scripts/xvfb-screenshots.sh [DPI...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 100 120 144)

for tool in Xvfb xdotool xrdb import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

build="$root/build/screenshot"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_TESTS=OFF \
  -DSCOURVANE_UI=ON >/dev/null
cmake --build "$build" -j 2 --target scourvane

# A short, steady path for the status box to show, as scripts/screenshot.sh has.
work="${TMPDIR:-/tmp}/scourvane"
rm -rf "$work"
mkdir -p "$work"
xvfb=
program=
cleanup() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 20 s for a command to succeed.
wait_for() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.2; done
  echo "timed out: $*" >&2
  return 1
}
windows() { xdotool search --onlyvisible --pid "$program" 2>/dev/null || true; }
window_count_is() { [ "$(windows | wc -l)" -eq "$1" ]; }
# Clicks the centre of a control given in the window's logical pixels.
click() {
  local x=$(( wx + ($1 + $3 / 2) * ww / 397 )) y=$(( wy + ($2 + $4 / 2) * wh / 359 ))
  xdotool mousemove --sync "$x" "$y" click 1
}
shot() { import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$1"; }
# Waits for a run to end, which it has when the window stops changing; the last picture is
# left in $work/now.png.
shot_when_still() {
  local previous= current
  for _ in $(seq 60); do
    sleep 0.5
    shot "$work/now.png"
    current="$(md5sum <"$work/now.png")"
    [ "$current" != "$previous" ] || break
    previous="$current"
  done
}

for dpi in "${dpis[@]}"; do
  # A screen of 1280 x 1024 pixels, its millimetres worked out from the dots per inch.
  # (-noreset: the resources set below outlive the last client.)
  rm -f "$work/display"
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -dpi "$dpi" -nolisten tcp -noreset \
    >"$work/display" 2>/dev/null &
  xvfb=$!
  wait_for test -s "$work/display"
  export DISPLAY=":$(cat "$work/display")"
  echo "Xft.dpi: $dpi" | xrdb -nocpp -merge

  rm -rf "$work/Sales"
  cp -r "$root/examples/Sales" "$work/Sales"
  # Settings of its own: a user's remembered rule set or folder would change the pictures.
  (cd "$work" && LANG=C XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    exec "$build/src/qt/scourvane") &
  program=$!
  wait_for window_count_is 1
  main="$(windows)"
  geometry="$(xdotool getwindowgeometry --shell "$main")"
  field() { sed -n "s/^$1=//p" <<<"$geometry"; }
  wx=$(field X) wy=$(field Y) ww=$(field WIDTH) wh=$(field HEIGHT)

  click 8 28 194 26       # VBPﾌｧｲﾙの読み込み (the panel starts 20 pixels down)
  wait_for window_count_is 2
  dialog="$(windows | grep -vx "$main")"
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 10 "$work/Sales/Sales.vbp"
  xdotool key Return
  wait_for window_count_is 1
  wait_for test -f "$work/Sales/New_Sales/Sales.vbp"
  sleep 1
  click 208 28 176 26     # ﾁｪｯｸの開始
  xdotool mousemove 0 0   # off the window, so that no button shows the pointer over it
  shot_when_still
  mkdir -p "$root/docs"
  cp "$work/now.png" "$root/docs/window-${dpi}dpi.png"
  echo "wrote docs/window-${dpi}dpi.png (${ww}x${wh} pixels)"

  if [ "$dpi" = 96 ]; then
    # The menu, opened by its image on the title strip, with the window below it.
    click 356 4 15 15
    sleep 1
    import -window root -crop "$((ww + 300))x$((wh + 10))+${wx}+${wy}" +repage \
      "$root/docs/window-menu.png"
    xdotool key Escape
    sleep 0.5
    echo "wrote docs/window-menu.png"

    # A group: the sample and a second project that includes its standard module, opened
    # through the open dialog as a .vbg and run with one click.
    mkdir -p "$work/Group/Report"
    cp -r "$root/examples/Sales" "$work/Group/Sales"
    printf 'Type=Exe\r\nModule=modUtil; ..\\Sales\\Modules\\modUtil.bas\r\nModule=modReport; modReport.bas\r\nStartup="Sub Main"\r\n' \
      >"$work/Group/Report/Report.vbp"
    printf 'Attribute VB_Name = "modReport"\r\nSub Main()\r\n    Dim unused As Long\r\n    WaitMs 1\r\nEnd Sub\r\n' \
      >"$work/Group/Report/modReport.bas"
    printf 'VBGROUP 5.0\r\nStartupProject=Sales\\Sales.vbp\r\nProject=Report\\Report.vbp\r\n' \
      >"$work/Group/All.vbg"
    click 8 28 194 26
    wait_for window_count_is 2
    dialog="$(windows | grep -vx "$main")"
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 10 "$work/Group/All.vbg"
    xdotool key Return
    wait_for window_count_is 1
    wait_for test -f "$work/Group/Report/New_Report/Report.vbp"
    sleep 1
    click 208 28 176 26
    xdotool mousemove 0 0
    shot_when_still
    cp "$work/now.png" "$root/docs/window-group.png"
    echo "wrote docs/window-group.png"

    # The review window, from the menu by the keyboard (the sixth item that can be chosen after
    # a run), its first finding selected.
    click 356 4 15 15
    sleep 1
    for _ in 1 2 3 4 5 6; do xdotool key Down; sleep 0.1; done
    xdotool key Return
    wait_for window_count_is 2
    review="$(windows | grep -vx "$main" | head -n 1)"
    xdotool windowfocus --sync "$review"
    sleep 0.5
    xdotool key Down
    sleep 1
    rgeometry="$(xdotool getwindowgeometry --shell "$review")"
    rfield() { sed -n "s/^$1=//p" <<<"$rgeometry"; }
    import -window root -crop "$(rfield WIDTH)x$(rfield HEIGHT)+$(rfield X)+$(rfield Y)" +repage \
      "$root/docs/window-review.png"
    xdotool key Escape
    sleep 0.5
    echo "wrote docs/window-review.png"
  fi

  click 208 292 176 26    # 終了
  wait "$program" || true
  program=
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
  xvfb=
done
