#!/usr/bin/env bash
# Checks the Debian package without installing it: it carries the help file and its pictures, its
# dependencies name the run-time libraries the programs load, its shlibs name libquillon, and its tree,
# unpacked into a temporary folder, runs every program headless against the simulators the package
# carries (zem also in demonstration mode), and a host program built with the packaged quillon.h drives a
# simulated box through the packaged libquillon.so. Given the build's screenshot tool, it also opens every
# help command of the packaged zem on a private Xvfb display (skipped without Xvfb).
#   package_check.sh PACKAGE.deb SOURCE_FOLDER [SHOT_TOOL]
set -euo pipefail
deb=$1
src=$2
shot=${3:-}
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libfltk1.3 libfltk-images1.3 libusb-1.0-0 libstdc++6; do
  if [[ "$depends" != *"$needed"* ]]; then
    echo "$deb: Depends lacks $needed: $depends"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
# The help file and its pictures, where the installed program looks for them.
for f in Zem.hlp pictures/fixture-info.png; do
  if [ ! -s "$work/usr/share/zem/$f" ]; then
    echo "$deb: lacks usr/share/zem/$f"
    exit 1
  fi
done
cmake -DPROGRAM="$work/usr/bin/zem" -DLIBRARY="$work/no-such-libftd2xx.so" -DMODE=demo \
  -P "$src/zem/headless_run_check.cmake"
cmake -DPROGRAM="$work/usr/bin/zem" -DLIBRARY=libsim_fixture.so -DMODE=fixture -P "$src/zem/headless_run_check.cmake"
cmake -DPROGRAM="$work/usr/bin/orvane" -DLIBRARY=libsim_usb.so -DMODE=devices -P "$src/orvane/headless_run_check.cmake"
if [ -n "$shot" ]; then
  rc=0
  bash "$src/platform/ui/fltk/screenshot_test.sh" zem-help "$work/usr/bin/zem" "$shot" "$work/screenshots" \
    "$work/usr/share/zem/Zem.hlp" || rc=$?
  [ "$rc" -eq 0 ] || [ "$rc" -eq 77 ] || exit 1
fi
cmake -DPROGRAM="$work/usr/bin/mendaro" -DSIM=libsim_usb.so -DMODE=boxes -P "$src/mendaro/headless_run_check.cmake"

dpkg-deb -e "$deb" "$work/DEBIAN"
if ! grep -q "^libquillon 1 zem " "$work/DEBIAN/shlibs"; then
  echo "$deb: shlibs does not name libquillon.so.1: $(cat "$work/DEBIAN/shlibs")"
  exit 1
fi
c++ -std=c++20 -I"$work/usr/include" -o "$work/quillon_host" "$src/packaging/quillon_host_check.cpp" -ldl
ZEM_USB_LIBRARY="$work/usr/lib/zem/libsim_usb.so" ZEM_SIM_USB_DEVICES="dmx:F0A9:Stage left" \
  "$work/quillon_host" "$work/usr/lib/libquillon.so.1"
echo "$deb: $(stat -c %s "$deb") bytes; Depends: $depends"
