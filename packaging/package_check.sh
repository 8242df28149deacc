#!/usr/bin/env bash
# Checks the two Debian packages without installing them: lintian finds no error or warning in them; the runtime
# package holds the programs, libquillon.so.1 and the help file with its pictures, an ldconfig trigger and no
# maintainer script, the development package
# quillon.h and the libquillon.so link (and depends on the runtime package of its version); each has its
# copyright file, changelog and a description with a short and a long part; the runtime package's
# dependencies name the run-time libraries the programs load, and its shlibs names libquillon. Both,
# unpacked into one temporary folder, run every program headless against the simulators the runtime
# package carries (zem also in demonstration mode), and a host program built with the packaged quillon.h
# drives a simulated box through the packaged libquillon.so link. Given the build's screenshot tool, it
# also opens every help command of the packaged zem on a private Xvfb display (skipped without Xvfb).
#   package_check.sh RUNTIME.deb DEVELOPMENT.deb SOURCE_FOLDER [SHOT_TOOL]
set -euo pipefail
runtime=$1
development=$2
src=$3
shot=${4:-}
fail() {
  echo "$*" >&2
  exit 1
}

# lintian: errors and warnings fail (among the warnings: groff's complaints about a manual page); its notes
# are printed.
command -v lintian >/dev/null 2>&1 || fail "lintian is not installed (Debian package lintian)"
# lintian leaves files of its own in the temporary folder: it is given one that goes with this check.
work=$(mktemp -d)
lintian_tmp=$(mktemp -d)
trap 'rm -rf "$work" "$lintian_tmp"' EXIT
status=0
findings=$(TMPDIR="$lintian_tmp" lintian --fail-on error,warning --display-info "$runtime" "$development" 2>&1) ||
  status=$?
grep -v '^running with root privileges' <<<"$findings" || true
[ "$status" -eq 0 ] || fail "lintian found errors or warnings in the packages (exit code $status)"

depends=$(dpkg-deb -f "$runtime" Depends)
for needed in libfltk1.3 libfltk-images1.3 libusb-1.0-0 libstdc++6; do
  [[ "$depends" == *"$needed"* ]] || fail "$runtime: Depends lacks $needed: $depends"
done
version=$(dpkg-deb -f "$runtime" Version)
dev_depends=$(dpkg-deb -f "$development" Depends)
[[ "$dev_depends" == *"zem (= $version)"* ]] || fail "$development: Depends lacks zem (= $version): $dev_depends"
for deb in "$runtime" "$development"; do
  package=$(dpkg-deb -f "$deb" Package)
  contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for doc in copyright changelog.gz; do
    grep -qx "./usr/share/doc/$package/$doc" <<<"$contents" || fail "$deb lacks /usr/share/doc/$package/$doc"
  done
  # The short description on the field's line, the long one on the lines after it.
  description=$(dpkg-deb -f "$deb" Description)
  [ "$(wc -l <<<"$description")" -ge 3 ] || fail "$deb: the description has no long part: $description"
done
runtime_contents=$(dpkg-deb -c "$runtime" | awk '{print $6}')
development_contents=$(dpkg-deb -c "$development" | awk '{print $6}')
for f in ./usr/bin/zem ./usr/bin/orvane ./usr/bin/mendaro ./usr/lib/libquillon.so.1; do
  grep -qx "$f" <<<"$runtime_contents" || fail "$runtime lacks $f"
done
for f in ./usr/include/quillon.h ./usr/lib/libquillon.so; do
  grep -qx "$f" <<<"$development_contents" || fail "$development lacks $f"
  grep -qx "$f" <<<"$runtime_contents" && fail "$runtime holds $f, which belongs to $development"
done

dpkg-deb -x "$runtime" "$work"
dpkg-deb -x "$development" "$work"
# The help file and its pictures, where the installed program looks for them.
for f in Zem.hlp pictures/fixture-info.png; do
  [ -s "$work/usr/share/zem/$f" ] || fail "$runtime: lacks usr/share/zem/$f"
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

dpkg-deb -e "$runtime" "$work/DEBIAN"
grep -q "^libquillon 1 zem " "$work/DEBIAN/shlibs" ||
  fail "$runtime: shlibs does not name libquillon.so.1: $(cat "$work/DEBIAN/shlibs")"
# ldconfig runs through the trigger; a maintainer script would keep the package's state after apt remove.
grep -qx "activate-noawait ldconfig" "$work/DEBIAN/triggers" || fail "$runtime: no ldconfig trigger"
for script in preinst postinst prerm postrm; do
  [ ! -e "$work/DEBIAN/$script" ] || fail "$runtime has a $script: $(cat "$work/DEBIAN/$script")"
done
c++ -std=c++20 -I"$work/usr/include" -o "$work/quillon_host" "$src/packaging/quillon_host_check.cpp" -ldl
ZEM_USB_LIBRARY="$work/usr/lib/zem/libsim_usb.so" ZEM_SIM_USB_DEVICES="dmx:F0A9:Stage left" \
  "$work/quillon_host" "$work/usr/lib/libquillon.so"
for deb in "$runtime" "$development"; do
  echo "$deb: $(stat -c %s "$deb") bytes; Depends: $(dpkg-deb -f "$deb" Depends)"
done
