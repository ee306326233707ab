#!/usr/bin/env bash
# Configures and builds Quorventale with its tests.
#   scripts/build.sh              release build with debug info in build/release
#   scripts/build.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
#   scripts/build.sh --tsan       ThreadSanitizer build in build/tsan
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/release
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "${1:-}" in
  --sanitize)
    build_dir=build/asan
    options=(-DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON)
    ;;
  --tsan)
    # Optimised: the thread tests run several times slower under TSan at -O0.
    build_dir=build/tsan
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_TSAN=ON -DQV_BUILD_BENCHMARKS=OFF)
    ;;
esac

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
echo "build: $build_dir"
