#!/usr/bin/env bash
# Set up (packages, build) and start the program. Only what it runs is built: the program
# (with the report templates it places beside itself) and the controller simulator.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --target qvr --target ctlsim_run build
exec build/qvr "$@"
