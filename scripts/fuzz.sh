#!/usr/bin/env bash
# Builds the fuzz targets (build/fuzz, clang), makes their seeds and runs each for N seconds
# (default 20); fails on the first crash.
#   scripts/fuzz.sh [--seconds N]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=20
if [ "${1:-}" = "--seconds" ]; then
  seconds=${2:?--seconds needs a number}
fi

scripts/build.sh --fuzz
corpus=build/fuzz/corpus
fuzz/make-seeds.sh "$corpus"
found=0
for target in build/fuzz/fuzz/qv_fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=${target##*/qv_fuzz_}
  mkdir -p "$corpus/$name"
  echo "fuzz: $name for $seconds s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -artifact_prefix="build/fuzz/$name-" \
    "$corpus/$name" >"build/fuzz/$name.log" 2>&1 || { tail -n 40 "build/fuzz/$name.log"; exit 1; }
  found=$((found + 1))
done
[ "$found" -gt 0 ] || { echo "fuzz: no target was built" >&2; exit 1; }
echo "fuzz: $found targets ran without a crash"
