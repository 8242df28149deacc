#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (.ci/packages.txt): directly as root (a root
# shell or a container has no sudo), through sudo otherwise. The README's set-up commands and .ci/run
# both call it.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v apt-get >/dev/null 2>&1; then
  echo "apt-get not found: install the packages in .ci/packages.txt with your system's tools" >&2
  exit 1
fi
run() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
export DEBIAN_FRONTEND=noninteractive
run apt-get update -qq
run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $(cat .ci/packages.txt) >/dev/null
