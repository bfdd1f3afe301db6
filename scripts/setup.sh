#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing ones),
# then configures and builds. Usage:
#   scripts/setup.sh [--target T]... <build-dir> [cmake options...]
# Each --target names a target to build (and what it needs); without one, everything is
# built, the tests included.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev libzip-dev libpugixml-dev
          fontconfig fonts-dejavu-core fonts-liberation2)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi

targets=()
while [ $# -ge 2 ] && [ "$1" = "--target" ]; do
    targets+=(--target "$2")
    shift 2
done
build="${1:-build}"
shift || true
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$jobs" "${targets[@]}"
