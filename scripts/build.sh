#!/usr/bin/env bash
# Configures and builds Quorventale with its tests.
#   scripts/build.sh              release build with debug info in build/release
#   scripts/build.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/release
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build/asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON)
fi

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
echo "build: $build_dir"
