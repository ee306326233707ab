#!/usr/bin/env bash
# Builds the fuzz targets, writes their seed corpora and runs each for a bounded time under ASan and
# UBSan; fails on the first crash, leak, undefined behaviour or slow input found.
#   scripts/fuzz.sh [--seconds N]   (default 20 s per target)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=20
if [ "${1:-}" = "--seconds" ]; then
  seconds=${2:?--seconds needs a number}
fi

scripts/build.sh --fuzz
work=build/fuzz/corpus
rm -rf "$work"
fuzz/make-seeds.sh "$work/seeds"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in build/fuzz/fuzz/qv_fuzz_*; do
  name=${target##*/qv_fuzz_}
  mkdir -p "$work/$name" "$work/artifacts/$name"
  echo "fuzz: $name for $seconds s"
  # The seeds are read, the corpus grown in its own folder; a finding lands in artifacts/<name>/.
  # Inputs up to 2 MiB, so that a shape which is slow only when large (deep nesting, one huge line,
  # many tiny entries) can be built; one input taking more than 5 s is a finding like a crash.
  if ! "$target" -max_total_time="$seconds" -max_len=2097152 -timeout=5 -rss_limit_mb=2048 \
      -artifact_prefix="$work/artifacts/$name/" "$work/$name" "$work/seeds/$name" 2>"$work/$name.log"; then
    echo "fuzz: $name FOUND A FAULT (log: $work/$name.log)"
    tail -40 "$work/$name.log"
    status=1
  else
    tail -1 "$work/$name.log"
  fi
done
exit $status
