#!/usr/bin/env bash
# Checks the Debian package without installing it: its dependencies name the run-time libraries the
# programs load, and its tree, unpacked into a temporary folder, runs zem headless in demonstration mode
# and against the simulated fixture the package carries.
#   package_check.sh PACKAGE.deb SOURCE_FOLDER
set -euo pipefail
deb=$1
src=$2
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libfltk1.3 libusb-1.0-0 libstdc++6; do
  if [[ "$depends" != *"$needed"* ]]; then
    echo "$deb: Depends lacks $needed: $depends"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
cmake -DPROGRAM="$work/usr/bin/zem" -DLIBRARY="$work/no-such-libftd2xx.so" -DMODE=demo \
  -P "$src/zem/headless_run_check.cmake"
cmake -DPROGRAM="$work/usr/bin/zem" -DLIBRARY=libsim_fixture.so -DMODE=fixture -P "$src/zem/headless_run_check.cmake"
echo "$deb: $(stat -c %s "$deb") bytes; Depends: $depends"
