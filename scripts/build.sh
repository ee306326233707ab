#!/usr/bin/env bash
# Configures and builds Quorventale with its tests.
#   scripts/build.sh              release build with debug info in build/release
#   scripts/build.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
#   scripts/build.sh --fuzz       the libFuzzer targets only, built with clang in build/fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/release
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build/asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON)
elif [ "${1:-}" = "--fuzz" ]; then
  build_dir=build/fuzz
  # Warnings stay warnings here: this build exists for the fuzzers, the others keep the code clean.
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
           -DQV_BUILD_FUZZERS=ON -DQV_BUILD_TESTS=OFF -DQV_WARNINGS_AS_ERRORS=OFF)
  targets=(--target qv_fuzzers)
fi

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
echo "build: $build_dir"
