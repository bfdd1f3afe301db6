#!/usr/bin/env bash
# Set up (packages, build) and start the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
exec build/qvr "$@"
