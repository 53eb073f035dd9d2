#!/usr/bin/env bash
# Runs every test of the build in build/ (scripts/setup.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SHINSEIDESK_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
# SHINSEIDESK_TEST_PG="host=127.0.0.1 port=55432 user=sdtest" runs every test
# on that PostgreSQL server instead of SQLite files (scripts/pg-test-server.sh
# makes such a server).
if [ -n "${SHINSEIDESK_TEST_PG:-}" ]; then
  echo "Storage engine: PostgreSQL ($SHINSEIDESK_TEST_PG)"
else
  echo "Storage engine: SQLite"
fi
ctest --test-dir "$build" --output-on-failure -j2 "$@"
