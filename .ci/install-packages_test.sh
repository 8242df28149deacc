#!/usr/bin/env bash
# Runs install-packages.sh against a made-up package database: dpkg, dpkg-query, apt-get, id and sudo are
# stand-ins on a PATH that holds nothing else of the system's, so that the paths of a root shell, of a user
# with sudo and of a user without it can each be taken on any machine, and nothing is installed.
#   install-packages_test.sh SOURCE_FOLDER
set -uo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

mkdir -p "$work/tree/.ci" "$work/bin"
cp "$src/.ci/install-packages.sh" "$work/tree/.ci/"
for tool in bash env grep dirname cat; do
  ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
# The database: one line "package status architecture" per installed instance ($work/db).
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/bash
[ "$1" = --print-architecture ] && echo amd64
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/bash
# -W -f=FORMAT PACKAGE, with the status and architecture fields of the format filled in.
format=${2#-f=}
package=${!#}
found=0
while read -r name status arch; do
  [ "$name" = "$package" ] || continue
  line=${format//'${db:Status-Status}'/$status}
  line=${line//'${Architecture}'/$arch}
  printf "${line//%/%%}"
  found=1
done <"$WORK/db"
[ $found = 1 ] || { echo "dpkg-query: no packages found matching $package" >&2; exit 1; }
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* as $(id -u)" >>"$WORK/calls"
EOF
cat >"$work/bin/id" <<'EOF'
#!/bin/bash
echo "$FAKE_UID"
EOF
cat >"$work/sudo" <<'EOF'
#!/bin/bash
echo "sudo $*" >>"$WORK/calls"
FAKE_UID=0 exec "$@"
EOF
chmod +x "$work/bin/"* "$work/sudo"

# run NAME UID SUDO(yes/no) WANTED DB: runs the script; its exit code in $rc, its output in $out, the
# commands it gave apt-get and sudo in $calls.
run() {
  local name=$1 uid=$2 sudo=$3
  printf '%s\n' "# wanted" $4 >"$work/tree/.ci/packages.txt"
  printf '%s\n' "$5" >"$work/db"
  rm -f "$work/bin/sudo" "$work/calls"
  [ "$sudo" = yes ] && ln -s "$work/sudo" "$work/bin/sudo"
  out=$(WORK=$work FAKE_UID=$uid PATH=$work/bin bash "$work/tree/.ci/install-packages.sh" 2>&1)
  rc=$?
  calls=$(cat "$work/calls" 2>/dev/null)
  echo "--- $name: exit $rc"
  [ -n "$out" ] && echo "$out"
  [ -n "$calls" ] && echo "$calls"
}
present='cmake installed amd64
fonts-dejavu-core installed all
libpng-dev installed amd64
libpng-dev installed i386'

# Everything present: nothing to do for any user, with or without sudo.
for who in "0 no" "1000 no" "1000 yes"; do
  run "all present ($who)" $who "cmake fonts-dejavu-core libpng-dev" "$present"
  [ $rc -eq 0 ] && [ -z "$calls" ] && [ -z "$out" ] || fail "all present ($who): exit $rc, calls: $calls"
done

# Not present: unpacked only, removed with its configuration left, another architecture only, unknown.
db='cmake unpacked amd64
fonts-dejavu-core config-files all
libpng-dev installed i386'
run "none present, root" 0 no "cmake fonts-dejavu-core libpng-dev pkg-config" "$db"
[ $rc -eq 0 ] || fail "root: exit $rc"
grep -qx "apt-get install -y -qq cmake fonts-dejavu-core libpng-dev pkg-config as 0" <<<"$calls" ||
  fail "root: not the missing packages installed by apt-get: $calls"
grep -q "^sudo" <<<"$calls" && fail "root: sudo used"

# A name with an architecture: that architecture's instance counts, and apt-get is given the name as written.
run "architecture named" 0 no "libpng-dev:i386 libpng-dev:arm64" "$present"
grep -qx "apt-get install -y -qq libpng-dev:arm64 as 0" <<<"$calls" || fail "architecture named: $calls"

run "missing, user with sudo" 1000 yes "cmake pkg-config" "$present"
[ $rc -eq 0 ] || fail "sudo: exit $rc"
grep -qx "sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq pkg-config" <<<"$calls" &&
  grep -qx "apt-get install -y -qq pkg-config as 0" <<<"$calls" || fail "sudo: not installed through sudo: $calls"

run "missing, user without sudo" 1000 no "cmake pkg-config umockdev" "$present"
[ $rc -ne 0 ] || fail "without sudo: succeeded"
[ -z "$calls" ] || fail "without sudo: ran $calls"
grep -q "Missing packages: pkg-config umockdev$" <<<"$out" && grep -q "apt-get install -y pkg-config umockdev" <<<"$out" &&
  grep -q "as root" <<<"$out" || fail "without sudo: the packages and the command to run as root not named"

[ $failures -eq 0 ] || exit 1
echo "install-packages.sh: every path as expected"
