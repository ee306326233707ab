#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
#   scripts/test.sh              all tests of the release build
#   scripts/test.sh --sanitize   the unit, widget and integration tests once more under ASan + UBSan
#   scripts/test.sh --tsan       the tests that run threads (label `threads`) under ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh "$@"

build_dir=build/release
labels=()
case "${1:-}" in
  --sanitize)
    build_dir=build/asan
    labels=(-L 'unit|widget|integration')
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
  --tsan)
    # The tests that run the engine's threads; the rest are single-threaded and would only cost time.
    build_dir=build/tsan
    labels=(-L threads)
    # Race reports are kept in files and fail the run below, also when the test itself passed.
    tsan_reports=$(mktemp -d)
    trap 'rm -rf "$tsan_reports"' EXIT
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp log_path=$tsan_reports/report"
    ;;
esac

export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$build_dir" --output-on-failure --timeout 300 -j "$(nproc)" "${labels[@]}" || status=$?
if [ -n "${tsan_reports:-}" ] && [ -n "$(ls -A "$tsan_reports")" ]; then
  echo "test: ThreadSanitizer reported:" >&2
  cat "$tsan_reports"/* >&2
  exit 1
fi
exit "$status"
