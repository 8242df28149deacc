#!/usr/bin/env bash
# Runs a program on a private Xvfb display and checks its windows with ui_fltk_shot.
#
#   screenshot_test.sh demo  DEMO_PROGRAM SHOT_TOOL OUTDIR   the display backend's demo: main window,
#                                                            a modal dialog opened by a click, Close
#   screenshot_test.sh gtest TEST_PROGRAM [ARG ...]          a GoogleTest binary with DISPLAY set
#   screenshot_test.sh orvane ORVANE_PROGRAM SHOT_TOOL OUTDIR SAMPLES
#                                                            the firmware tool against the simulated console
#                                                            (ZEM_USB_LIBRARY, ZEM_SIM_USB_DEVICES set by the
#                                                            caller): the USB list, a chip's boards scanned, a
#                                                            board updated from a sample file, the chip
#                                                            without firmware updated from the sample image
#                                                            (loader first), Close
#   screenshot_test.sh zem   ZEM_PROGRAM SHOT_TOOL OUTDIR SIM_LIBRARY
#                                                            the program without interface hardware
#                                                            (demonstration menu, a model's service
#                                                            window, closing it ends the program), then
#                                                            against the simulated fixture (its window)
#   screenshot_test.sh mendaro MENDARO_PROGRAM SHOT_TOOL OUTDIR  the configurator against the simulated
#                                                            boxes its environment names: the list, a
#                                                            box picked and configured, Close
#   screenshot_test.sh zem-model ZEM_PROGRAM SHOT_TOOL OUTDIR MODEL TITLE NAME [TAB[:MIN_COLOURS] ...]
#                                                            the program against the simulated fixture
#                                                            playing MODEL (ZEM_D2XX_LIBRARY names the
#                                                            simulator): its window titled TITLE, then
#                                                            each page whose tab has the caption TAB
#                                                            (found by the window's list of its tabs),
#                                                            kept as NAME-info.png, NAME-page1.png, ...;
#                                                            closing the window ends the program
#   screenshot_test.sh zem-download ZEM_PROGRAM SHOT_TOOL OUTDIR
#                                                            the installed program against the simulated
#                                                            fixture (libsim_fixture.so, found by name in
#                                                            the installed tree): the fixture's memory
#                                                            downloaded and saved under a typed name; the
#                                                            file lands in the user's data folder
#                                                            (XDG_DATA_HOME, made here)
#   screenshot_test.sh zem-help ZEM_PROGRAM SHOT_TOOL OUTDIR HELP_FILE
#                                                            every help command in demonstration mode: the
#                                                            demonstration menu's Help, then in the Rastel's
#                                                            window Help on each page, File Menu Help and
#                                                            Help contents; each must open the help viewer
#                                                            at HELP_FILE (the file the program finds) and
#                                                            the topic's anchor, kept as zem-help-*.png; the
#                                                            program ends with the viewer still open
#
# The programs' main windows (zem: also its demonstration menu and fixture windows) are checked for their
# program's icon; a program whose output has a warning of the toolkit about its clip stack fails. Exits 77
# (skipped) when Xvfb is not installed. Every wait is bounded; the program and the server are killed at the
# end whatever happens.
set -u
mode=$1
shift

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
# The work folder goes even when a time-out kills this script: a watcher removes it once the pipe that this
# script and its children hold is closed by the last of them.
exec {watch}> >(exec >/dev/null 2>&1; cat; rm -rf "$work")
xvfb_pid=""
prog_pid=""
cleanup() {
  exec {watch}>&-
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the descriptor. Its life is bounded too: when
# a time-out kills this script (120 s), nobody is left to end it.
xvfb_life=150
timeout "$xvfb_life" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:"
  cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
echo "display $DISPLAY"
# Third-party X libraries keep caches to the end of the process: not ours to report.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

fail() {
  echo "FAILED: $*"
  if [ -n "${shot:-}" ] && [ -n "${out:-}" ]; then
    echo "--- windows shown"
    "$shot" --list
    "$shot" --root --settle 0 --out "$out/failure-screen.png" >/dev/null
  fi
  [ -f "$work/prog.log" ] && { echo "--- program output"; cat "$work/prog.log"; }
  exit 1
}

# The programs' windows carry their program's icon, small and big.
icon_sizes=16,32

# Waits (bounded) for the program to end by itself; fails when it does not or ends with an error.
expect_exit() {
  for _ in $(seq 1 100); do
    kill -0 "$prog_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$prog_pid" 2>/dev/null && fail "the program did not end after Close"
  wait "$prog_pid"
  local rc=$?
  prog_pid=""
  [ "$rc" -eq 0 ] || fail "the program ended with exit code $rc"
  # The toolkit warns on stderr when its clip stack ran over or under while the program drew.
  if grep -q "clip stack" "$work/prog.log"; then
    fail "the toolkit's clip stack went wrong while the program drew"
  fi
}

case $mode in
  gtest)
    timeout 100 "$@"
    exit $?
    ;;
  demo)
    demo=$1 shot=$2 out=$3
    mkdir -p "$out"
    timeout 90 "$demo" --quit-after 60000 >"$work/prog.log" 2>&1 &
    prog_pid=$!
    main="Window layer demo"
    "$shot" --title "$main" --timeout 20 --size 600x440 --min-colours 12 --out "$out/demo-main.png" ||
      fail "main window"
    # "Dialog..." opens a modal window; OK closes it; Close ends the program.
    "$shot" --title "$main" --click 53,210 || fail "click Dialog..."
    "$shot" --title "Demo dialog" --timeout 10 --size 300x140 --min-colours 6 --out "$out/demo-dialog.png" ||
      fail "dialog window"
    "$shot" --title "Demo dialog" --click 157,112 || fail "click OK"
    "$shot" --title "Demo dialog" --gone --timeout 10 || fail "the dialog stayed after OK"
    "$shot" --title "$main" --settle 300 --out "$out/demo-after-dialog.png" || fail "main window after the dialog"
    "$shot" --title "$main" --click 541,420 || fail "click Close"
    expect_exit
    echo "screenshots in $out"
    ;;
  orvane)
    orvane=$1 shot=$2 out=$3 samples=$4
    mkdir -p "$out"
    # Started in the samples' folder: the file dialog opens there.
    (cd "$samples" && exec timeout 90 "$orvane") >"$work/prog.log" 2>&1 &
    prog_pid=$!
    dialog="PCB orvane (V1.0.0.0)"
    # The USB list is built on the first turn of its 1.5 s timer.
    "$shot" --title "$dialog" --timeout 20 --settle 2500 --size 716x446 --min-colours 8 \
      --icon-sizes "$icon_sizes" --out "$out/orvane-usb-list.png" || fail "dialog"
    # The programmed chip's line: its IIC bus is scanned (126 addresses, 25 ms each) and its boards listed.
    "$shot" --title "$dialog" --click 60,35 || fail "pick the USB device"
    "$shot" --title "$dialog" --settle 6000 --out "$out/orvane-boards.png" || fail "boards"
    # The first board, then "Update IIC firmware": the file dialog, the sample file, the version question.
    "$shot" --title "$dialog" --click 400,36 || fail "pick a board"
    "$shot" --title "$dialog" --settle 300 --click 420,154 || fail "click Update IIC firmware"
    "$shot" --title "Open" --timeout 10 --settle 300 --type $'keyboard_f080_30_v0103.hex\n' || fail "file dialog"
    "$shot" --title "Orvane" --timeout 10 --min-colours 4 --out "$out/orvane-question.png" --click 105,76 ||
      fail "version question"
    # The update shows its progress while it runs, and its end in the log (2 KiB in 8-byte packets: 15 s).
    "$shot" --title "$dialog" --settle 4000 --min-colours 8 --out "$out/orvane-updating.png" || fail "updating"
    "$shot" --title "$dialog" --settle 13000 --min-colours 8 --out "$out/orvane-dialog.png" || fail "updated"
    # The chip without firmware: "Program Unknown PCB", its warning, "Update USB Firmware" with the sample image;
    # the loader goes into the chip's RAM first, then the image into its EEPROM (65 packets, 30 ms each).
    "$shot" --title "$dialog" --click 60,49 || fail "pick the chip without firmware"
    "$shot" --title "$dialog" --settle 500 --click 18,189 || fail "tick Program Unknown PCB"
    "$shot" --title "$dialog" --settle 300 --click 86,153 || fail "click Update USB Firmware"
    "$shot" --title "Orvane" --timeout 10 --min-colours 4 --out "$out/orvane-unknown-pcb.png" --click 164,86 ||
      fail "unknown PCB warning"
    "$shot" --title "Open" --timeout 10 --settle 300 --type $'front_panel_1001_v0103.c2\n' || fail "image file dialog"
    "$shot" --title "$dialog" --settle 8000 --min-colours 8 --out "$out/orvane-usb-update.png" || fail "USB update"
    # Close after a write: the power message first, then the program ends.
    "$shot" --title "$dialog" --click 666,416 || fail "click Close"
    "$shot" --title "Orvane" --timeout 10 --min-colours 4 --out "$out/orvane-power.png" --click 229,66 ||
      fail "power message"
    expect_exit
    echo "screenshots in $out"
    ;;
  zem)
    zem=$1 shot=$2 out=$3 sim=$4
    mkdir -p "$out"
    ZEM_D2XX_LIBRARY=/nonexistent/libftd2xx.so timeout 90 "$zem" >"$work/prog.log" 2>&1 &
    prog_pid=$!
    menu="ZEM Demo mode - please select fixture"
    "$shot" --title "$menu" --timeout 20 --min-size 200x300 --min-colours 8 --icon-sizes "$icon_sizes" \
      --out "$out/zem-demo-menu.png" || fail "demonstration menu"
    "$shot" --title "Tavren ZEM - ver 1.8" --settle 0 --icon-sizes "$icon_sizes" || fail "main window"
    # The first model's button (the row below the notice): its service window opens.
    "$shot" --title "$menu" --click 120,48 || fail "click a model"
    "$shot" --title "$menu" --gone --timeout 10 || fail "the demonstration menu stayed"
    # The model's window: its fixed size, the model's name and the demonstration suffix as title.
    fixture="Brevidor 200: DEMO"
    "$shot" --title "$fixture" --timeout 20 --size 600x400 --min-colours 8 --icon-sizes "$icon_sizes" \
      --out "$out/zem-demo-fixture-window.png" || fail "fixture window"
    # Closing the service window ends the program.
    "$shot" --title "$fixture" --close || fail "close the fixture window"
    expect_exit
    # The simulated box and fixture: the fixture is found, identified and read; its window opens.
    ZEM_D2XX_LIBRARY="$sim" timeout 90 "$zem" >"$work/prog.log" 2>&1 &
    prog_pid=$!
    fixture="Brevidor 200"
    "$shot" --title "$fixture" --timeout 30 --size 600x400 --min-colours 8 \
      --out "$out/zem-fixture-window.png" || fail "simulated fixture's window"
    "$shot" --title "$fixture" --close || fail "close the simulated fixture's window"
    expect_exit
    echo "screenshots in $out"
    ;;
  zem-model)
    zem=$1 shot=$2 out=$3 model=$4 title=$5 name=$6
    shift 6
    mkdir -p "$out"
    ZEM_SIM_MODEL="$model" timeout 90 "$zem" >"$work/prog.log" 2>&1 &
    prog_pid=$!
    # The window comes once the fixture is identified; it is in service once its read is done (a chain of
    # sub-devices takes a while: the scan ends at the first that does not answer).
    "$shot" --title "$title" --timeout 30 --settle 0 || fail "$title window"
    "$shot" --title "Retrieving fixture information" --gone --timeout 30 || fail "$title: the read did not end"
    "$shot" --title "$title" --size 600x400 --min-colours 8 --out "$out/$name-info.png" || fail "$title window"
    page=1
    for tab in "$@"; do
      caption=$tab
      colours=8
      if [[ $tab =~ ^(.*):([0-9]+)$ ]]; then
        caption=${BASH_REMATCH[1]}
        colours=${BASH_REMATCH[2]}
      fi
      "$shot" --title "$title" --settle 0 --click-tab "$caption" || fail "click the tab \"$caption\""
      "$shot" --title "$title" --settle 300 --size 600x400 --min-colours "$colours" --out "$out/$name-page$page.png" ||
        fail "$title, the page of the tab \"$caption\""
      page=$((page + 1))
    done
    "$shot" --title "$title" --close || fail "close $title"
    expect_exit
    echo "screenshots in $out"
    ;;
  mendaro)
    mendaro=$1 shot=$2 out=$3
    mkdir -p "$out"
    timeout 90 "$mendaro" >"$work/prog.log" 2>&1 &
    prog_pid=$!
    window="Omnex USB DMX configuration tool"
    # Settled: the device watch has listed the boxes.
    "$shot" --title "$window" --timeout 20 --settle 1500 --size 560x410 --min-colours 40 \
      --icon-sizes "$icon_sizes" --out "$out/mendaro-window.png" || fail "configurator window"
    # The first box is picked (its lamp blinks); port A's universe is raised twice and made an input, and
    # the settings are written into the box.
    "$shot" --title "$window" --click 60,36 || fail "pick the first box"
    "$shot" --title "$window" --settle 100 --click 510,177 || fail "raise universe A"
    "$shot" --title "$window" --settle 100 --click 510,177 || fail "raise universe A again"
    "$shot" --title "$window" --settle 100 --click 454,218 || fail "make port A an input"
    "$shot" --title "$window" --settle 100 --click 377,258 || fail "click Update"
    "$shot" --title "$window" --settle 600 --size 560x410 --min-colours 40 \
      --out "$out/mendaro-configured.png" || fail "configured box"
    "$shot" --title "$window" --click 510,384 || fail "click Close"
    expect_exit
    echo "screenshots in $out"
    ;;
  zem-download)
    zem=$1 shot=$2 out=$3
    mkdir -p "$out" "$work/data" "$work/elsewhere"
    # Started in a folder of its own: the save dialog's folder is not the program's working folder.
    (cd "$work/elsewhere" && XDG_DATA_HOME="$work/data" ZEM_D2XX_LIBRARY=libsim_fixture.so exec timeout 90 "$zem") \
      >"$work/prog.log" 2>&1 &
    prog_pid=$!
    fixture="Brevidor 200"
    "$shot" --title "$fixture" --timeout 30 --settle 0 --icon-sizes "$icon_sizes" || fail "$fixture window"
    "$shot" --title "Retrieving fixture information" --gone --timeout 30 || fail "the read did not end"
    # Files, then "Download and save fixture memory to file": the memory is read (1024 words), then the notes.
    "$shot" --title "$fixture" --settle 300 --click 18,9 || fail "open the Files menu"
    "$shot" --title "$fixture" --settle 300 --click 118,31 || fail "click Download and save"
    notes="Save fixture memory to file"
    "$shot" --title "$notes" --timeout 60 --settle 300 --click 145,244 || fail "click Save to file"
    # The save dialog opens in the memory folder; a name typed without a folder is saved there.
    "$shot" --title "Save As" --timeout 10 --settle 300 --type $'sim-memory\n' || fail "save dialog"
    "$shot" --title "Save As" --gone --timeout 10 || fail "the save dialog stayed"
    file="$work/data/zem/$fixture/sim-memory.ZEF"
    for _ in $(seq 1 50); do
      [ -s "$file" ] && break
      sleep 0.1
    done
    [ -f "$file" ] || fail "no $file (files saved: $(find "$work" "$(dirname "$zem")" -name '*.ZEF'))"
    # Header (1055 bytes), notes, and the image of 1024 words.
    size=$(stat -c %s "$file")
    [ "$size" -gt $((1055 + 2048)) ] || fail "$file has $size bytes"
    "$shot" --title "$fixture" --close || fail "close the window"
    expect_exit
    echo "saved $file ($size bytes)"
    ;;
  zem-help)
    zem=$1 shot=$2 out=$3 help=$4
    mkdir -p "$out"
    ZEM_D2XX_LIBRARY=/nonexistent/libftd2xx.so timeout 90 "$zem" >"$work/prog.log" 2>&1 &
    prog_pid=$!
    viewer="ZEM help"
    # Waits for the viewer at the place (file, and anchor after "#"), keeps its picture and closes it: on a
    # small screen it lies over the program's windows.
    expect_help() {
      "$shot" --title "$viewer" --timeout 10 --help-location "$help$1" --settle 300 --size 680x560 --min-colours 8 \
        --out "$out/zem-help-$2.png" || fail "help viewer at \"$help$1\""
      if [ "${3:-}" != keep ]; then
        "$shot" --title "$viewer" --close >/dev/null && "$shot" --title "$viewer" --gone --timeout 10 ||
          fail "the help viewer stayed"
      fi
    }
    menu="ZEM Demo mode - please select fixture"
    # The menu's rows: the notice, twelve models, Help, Close.
    "$shot" --title "$menu" --timeout 20 --size 240x386 --click 120,345 || fail "click Help in the menu"
    expect_help "" contents
    # Rastel (the eleventh model) keeps every page of the service window.
    "$shot" --title "$menu" --settle 100 --click 120,270 || fail "click Rastel"
    fixture="Rastel: DEMO"
    "$shot" --title "$fixture" --timeout 20 --size 600x400 || fail "the Rastel's window"
    # Help, then its first item "Help" (the topic of the page in front).
    for page in "Fixture info:Fixtureinfo" "Fixture settings:FixtureSettings" \
      "Stand-alone settings:StandAloneSettings" "Stand-alone program:StandAloneProgram" \
      "Adjustment:Adjustment" "Monitor:Monitor"; do
      tab=${page%%:*} topic=${page##*:}
      "$shot" --title "$fixture" --settle 0 --click-tab "$tab" || fail "click the tab \"$tab\""
      "$shot" --title "$fixture" --settle 200 --click 58,9 >/dev/null || fail "open the Help menu"
      "$shot" --title "$fixture" --settle 300 --click 70,31 >/dev/null || fail "click Help"
      expect_help "#$topic" "$topic"
    done
    # Files, then "File Menu Help" (below the download, the three uploads and two separators).
    "$shot" --title "$fixture" --settle 200 --click 18,9 >/dev/null || fail "open the Files menu"
    "$shot" --title "$fixture" --settle 300 --click 60,119 >/dev/null || fail "click File Menu Help"
    expect_help "#FileMenu" FileMenu
    # Help, then "Help contents"; the viewer stays open and goes with the program.
    "$shot" --title "$fixture" --settle 200 --click 58,9 >/dev/null || fail "open the Help menu"
    "$shot" --title "$fixture" --settle 300 --click 70,50 >/dev/null || fail "click Help contents"
    expect_help "" fixture-contents keep
    "$shot" --title "$fixture" --close || fail "close the Rastel's window"
    expect_exit
    echo "screenshots in $out"
    ;;
  *)
    echo "unknown mode $mode"
    exit 2
    ;;
esac
exit 0
