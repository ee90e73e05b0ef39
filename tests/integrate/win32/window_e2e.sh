#!/usr/bin/env bash
# TSLKTIntegrate.exe under wine on an X display (run through with_display.sh), each part on a
# copy of the test prefix of its own so its wineserver starts with that display.
#
# Usage: window_e2e.sh --unit WINDOW_TEST_EXE
#          the dialog in process on the doubles (GoogleTest)
#        window_e2e.sh --program EXE PROBE_EXE MSDEV_EXE CONSOLE_EXE ARTEFACT_DIR
#          the program on sample machines: both faces (screenshots kept in ARTEFACT_DIR, the
#          banner's pixels sampled), the running-IDE prompt, and the same changes as the
#          console front end makes on a twin machine
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/../../lib.sh"
test_prefix
: "${DISPLAY:?window_e2e.sh needs a display: run it through with_display.sh}"
scratch window-e2e
pids=()
tidy() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; }

if [ "${1:-}" = --unit ]; then
  p=$(clone "$base" unit) || exit 1
  WINEPREFIX=$p wine "${2:?usage: window_e2e.sh --unit EXE}"
  exit  # with the test's status; the trap removes the copy
fi
[ "${1:-}" = --program ] && [ $# -eq 6 ] || {
  echo "usage: window_e2e.sh --program EXE PROBE_EXE MSDEV_EXE CONSOLE_EXE ARTEFACT_DIR" >&2
  exit 2
}
exe=$2 probe=$3 msdev=$4 console=$5 artefacts=$6
mkdir -p "$artefacts"

title='Tessaline Integration Wizard'
caption=$(basename "$exe" .exe)
lib='C:\Program Files (x86)\Quorvane\Tessaline'
probe() { wine "$probe" "$@" 2>/dev/null | tr -d '\r'; }
# Polls until the command succeeds, for at most 30 s.
wait_for() {  # what command...
  local what=$1 i
  shift
  for i in $(seq 1 150); do
    "$@" && return 0
    sleep 0.2
  done
  fail "timed out waiting for $what"
  return 1
}
closed_text() { [ "$(probe text "$title" 2)" = Close ]; }
# Waits for the end of the run (button 2 reads "Close"), answering the run's message boxes as
# the console does without a terminal: OK for a box with OK only, Cancel for an OK/Cancel box.
# Their texts are appended to $work/boxes.
run_to_end() {
  local i box
  for i in $(seq 1 300); do
    closed_text && return 0
    if box=$(probe box "$caption") && [ -n "$box" ]; then
      echo "$box" >>"$work/boxes"
      if grep -qx Cancel <<<"$box"; then
        probe click "$caption" 2 >/dev/null
      else
        probe click "$caption" 1 >/dev/null
      fi
      sleep 1  # the click is posted: give the box time to close before looking again
    fi
    sleep 0.2
  done
  fail "timed out waiting for the end of the run"
  return 1
}
start_program() {  # prefix: runs the program on it in the background
  WINEPREFIX=$1 wine "$exe" "-p:$lib" >/dev/null 2>&1 &
  program=$!
  pids+=("$program")
  WINEPREFIX=$1 wait_for "the dialog" wine "$probe" find "$title" 2>/dev/null
}
# The program ends when its dialog closes; a program still running after 30 s is a failure.
end_program() {  # prefix
  WINEPREFIX=$1 probe click "$title" 2 >/dev/null
  wait_for "the program to end" bash -c "! kill -0 $program 2>/dev/null"
}
screenshot() {  # file [x y width height]: the screen, and that area of it as FILE-window.png
  import -window root "$1" 2>/dev/null || { fail "no screenshot $1"; return; }
  [ $# -eq 5 ] && convert "$1" -crop "$4x$5+$2+$3" +repage "${1%.png}-window.png"
}
pixel() {  # file x y: the pixel's colour as r,g,b
  convert "$1" -format '%[fx:int(255*u.p{'"$2,$3"'}.r)],%[fx:int(255*u.p{'"$2,$3"'}.g)],%[fx:int(255*u.p{'"$2,$3"'}.b)]' info:
}

# --- Both faces, and the same changes as the console ---------------------------------------
current="options and progress faces"
a=$(sample_machine window) && b=$(sample_machine console) || exit 1
if start_program "$a"; then
  export WINEPREFIX=$a
  read -r x y width height < <(probe rect "$title")
  screenshot "$artefacts/options.png" "$x" "$y" "$width" "$height"
  # The banner: white ground at the area's corner, the mark's navy tile at (16, 7), and white
  # again right of the 426-pixel bitmap.
  expect_eq "banner ground" "255,255,255" "$(pixel "$artefacts/options.png" $((x + 2)) $((y + 2)))"
  expect_eq "banner mark" "0,0,128" "$(pixel "$artefacts/options.png" $((x + 20)) $((y + 10)))"
  # The area is 285 of the dialog's 286 units wide: with MS Sans Serif 8 a pixel or two more
  # than the bitmap, so its first column right of the bitmap is white.
  expect_eq "banner right of the bitmap" "255,255,255" \
    "$(pixel "$artefacts/options.png" $((x + 426)) $((y + 20)))"
  expect_eq "options face: OK" "OK" "$(probe text "$title" 1)"
  expect_eq "options face: progress list empty" "0" "$(probe count "$title" 1014)"
  # The system menu's About tells the program's version.
  probe about "$title"
  if wait_for "the About box" wine "$probe" find "About $caption" 2>/dev/null; then
    probe box "About $caption" | head -n 1 | grep -qE "^$caption [0-9]+\.[0-9]+\.[0-9]+\$" ||
      fail "About box: $(probe box "About $caption")"
    probe click "About $caption" 1 >/dev/null
    wait_for "the About box to close" bash -c "! wine '$probe' find 'About $caption' 2>/dev/null"
  fi

  probe click "$title" 1 >/dev/null
  if run_to_end; then
    probe end "$title" 1014  # the last lines in view, for the picture
    sleep 0.5  # let the list paint before the screenshot
    screenshot "$artefacts/progress.png" "$x" "$y" "$width" "$height"
    lines=$(probe lines "$title" 1014)
  fi
  end_program "$a"
  unset WINEPREFIX
fi

WINEPREFIX=$b wine "$console" "-p:$lib" --yes >"$work/console.out" 2>&1 \
  || fail "console run failed: $(cat "$work/console.out")"
# The console marks each progress line with a check mark or a cross, as the probe prints the
# list's image indexes: the same lines, texts and marks in the same order.
expect_eq "progress lines: window against console" \
  "$(LC_ALL=C grep $'^\xe2\x9c[\x93\x97] ' "$work/console.out" | tr -d '\r')" "${lines:-none}"
grep -q 'Integration with VS.NET 2003' <<<"${lines:-}" || fail "no VS.NET 2003 lines in the window"
[ -s "$work/boxes" ] && echo "message boxes of the run:" && cat "$work/boxes"

# The same registry values and files on both machines.
current="same changes as the console"
for key in 'HKCU\Software\Microsoft\DevStudio' 'HKCU\Software\Microsoft\VisualStudio' \
           'HKLM\Software\Microsoft\VisualStudio' 'HKLM\Software\Microsoft\HTML Help Collections' \
           'HKLM\Software\Quorvane'; do
  expect_eq "registry $key" "$(WINEPREFIX=$b wine reg query "$key" /s /reg:32 2>&1 | tr -d '\r')" \
    "$(WINEPREFIX=$a wine reg query "$key" /s /reg:32 2>&1 | tr -d '\r')"
done
# Every file on drive C: the library's folder with its backups, the IDEs' folders, the help.
# Each run keeps a journal named after the second it ended: one on each side, not compared.
journals='drive_c/users/*/AppData/Local/Quorvane/Tessaline/Journals/*.jnl'
for side in "$a" "$b"; do
  # shellcheck disable=SC2086  # the pattern is meant to expand
  expect_eq "one journal in $(basename "$side")" 1 "$(ls $side/$journals 2>/dev/null | wc -l)"
done
diff -r --exclude=Temp --exclude=Journals "$b/drive_c" "$a/drive_c" >"$work/diff" 2>&1 \
  || fail "the drives differ: $(head -n 20 "$work/diff")"
grep -q 'Tessaline' "$a/drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL" \
  || fail "the window's run left the help collection unchanged"

# --- The running-IDE prompt ----------------------------------------------------------------
current="running Visual C++ prompt"
c=$(sample_machine prompt) || exit 1
export WINEPREFIX=$c
include_before=$(wine reg query 'HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories' /v 'Include Dirs' 2>&1 | tr -d '\r')
wine "$msdev" 30 >/dev/null 2>&1 &
msdev_pid=$!
pids+=("$msdev_pid")
if start_program "$c"; then
  probe click "$title" 1 >/dev/null
  if wait_for "the prompt" wine "$probe" find "$caption" 2>/dev/null; then
    sleep 1  # let the box and the dialog behind it paint before the screenshot
    screenshot "$artefacts/prompt.png"
    expect_eq "prompt text and buttons" \
      "Please close Microsoft Visual C++ before processing with Tessaline Installation"$'\n'"OK"$'\n'"Cancel" \
      "$(probe box "$caption")"
    wine "$probe" click "$caption" 2 >/dev/null 2>&1
    sleep 0.5  # the prompt closes; the run goes on with the Visual Studio .NET family
    run_to_end && sleep 0.5 && screenshot "$artefacts/prompt-cancelled.png"
    # The header, the MSDN help step (done before the IDE check) and "Integration failed";
    # the failure does not stop the run, so VS.NET 2003 comes next.
    expect_eq "lines after Cancel" \
      "✓ Integration with Visual C++ 6.0"$'\n'"✓     MSDN Integration"$'\n'"✗ Integration failed"$'\n'"✓ Integration with VS.NET 2003" \
      "$(probe lines "$title" 1014 | head -n 4)"
  fi
  end_program "$c"
fi
# Every process of the machine is seen by the Linux build's running-IDE check: end ours now.
kill "$msdev_pid" 2>/dev/null
wait "$msdev_pid" 2>/dev/null
expect_eq "Include Dirs untouched after Cancel" "$include_before" \
  "$(wine reg query 'HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories' /v 'Include Dirs' 2>&1 | tr -d '\r')"
unset WINEPREFIX

# --- No library, or one it cannot use ---------------------------------------------------------
# Neither -p: nor the installer's registry value: message 31; a folder Visual C++ would read as
# two: the reason as a sentence, then the folder. The program then ends, its dialog unseen.
refused() {  # case argument box-text
  current=$1
  wine "$exe" ${2:+"$2"} >/dev/null 2>&1 &
  program=$!
  pids+=("$program")
  if wait_for "the box" wine "$probe" find "$caption" 2>/dev/null; then
    expect_eq "the box" "$3"$'\n'"OK" "$(probe box "$caption")"
    probe find "$title" && fail "the dialog opened"
    probe click "$caption" 1 >/dev/null
    wait_for "the program to end" bash -c "! kill -0 $program 2>/dev/null"
  fi
}
WINEPREFIX=$(clone "$base" bare) || exit 1
export WINEPREFIX
refused "library not found" "" "Unable to locate Tessaline installation."
refused "install folder refused" '-p:C:\Tess;aline' "The library's install folder cannot hold ';', \
'\"' or control characters: Visual C++ would read it as other folders."$'\n\n''C:\Tess;aline'
unset WINEPREFIX

echo "screenshots: $artefacts"
[ "$failures" -eq 0 ] && echo "window_e2e: all passed" || echo "window_e2e: $failures failed"
[ "$failures" -eq 0 ]
