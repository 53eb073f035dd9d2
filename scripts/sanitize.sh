#!/usr/bin/env bash
# Builds the core, the CLI and the tests that need no display with
# AddressSanitizer + UndefinedBehaviorSanitizer and -Werror in build-asan/,
# then runs those tests but the LibreOffice ones (extra arguments go to
# ctest, e.g. -R tst_storage).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SHINSEIDESK_ASAN_DIR:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_CXX_FLAGS="-Werror" -DSHINSEIDESK_GUI=OFF -DSHINSEIDESK_BENCH=OFF -DSHINSEIDESK_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"
# Every finding stops the process with a report; leaks count too, except
# those of the system libraries listed in the suppression file.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export QT_QPA_PLATFORM=offscreen
# The LibreOffice runs are left out: their time goes into soffice, which
# is not instrumented, and the workbooks they convert are filled by code
# that the other tests already run here.
ctest --test-dir "$build" --output-on-failure -j2 -LE libreoffice "$@"
