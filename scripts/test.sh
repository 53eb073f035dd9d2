#!/usr/bin/env bash
# Runs every test of the build in build/ (scripts/setup.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SHINSEIDESK_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 "$@"
