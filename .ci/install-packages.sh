#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (.ci/packages.txt) that are not installed yet.
# With every package present it does nothing and succeeds for any user. Otherwise it runs apt-get directly
# as root (a root shell or a container has no sudo), through sudo where sudo is installed, and else names
# the missing packages and the command to run as root, and fails. The README's set-up commands and .ci/run
# both call it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t wanted < <(grep -v '^[[:space:]]*\(#\|$\)' .ci/packages.txt)
if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  echo "dpkg-query or apt-get not found: install the packages in .ci/packages.txt with your system's tools" >&2
  exit 1
fi
# Present means installed and configured (not only unpacked, half-configured or removed with its
# configuration left) for the architecture apt-get would install: the one a name carries ("foo:i386"), else
# the machine's own; or architecture-independent. A package installed for two architectures has a line each.
native=$(dpkg --print-architecture)
missing=()
for package in "${wanted[@]}"; do
  arch=$native
  [[ $package == *:* ]] && arch=${package#*:}
  found=$(dpkg-query -W -f='${db:Status-Status} ${Architecture}\n' "${package%%:*}" 2>/dev/null || true)
  grep -qxE "installed ($arch|all)" <<<"$found" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install=(apt-get install -y -qq "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
  as_root=(env DEBIAN_FRONTEND=noninteractive)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "There is no sudo here: install them as root (su -), then run this again:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" "${install[@]}" >/dev/null
