#!/usr/bin/env bash
# Set up (packages, build) and run every test: once in the normal build, once in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh build
scripts/setup.sh build-asan -DQVR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

echo "== sanitizer build =="
(cd build-asan && ctest --output-on-failure -j "$jobs")
echo "== normal build =="
(cd build && ctest --output-on-failure -j "$jobs")
