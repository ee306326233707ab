#!/usr/bin/env bash
# Configures and builds Quorventale with its tests.
#   scripts/build.sh              release build with debug info in build/release
#   scripts/build.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
#   scripts/build.sh --tsan       ThreadSanitizer build in build/tsan
#   scripts/build.sh --fuzz       the libFuzzer targets (clang, ASan + UBSan) in build/fuzz
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
  --fuzz)
    build_dir=build/fuzz
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_FUZZERS=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCHMARKS=OFF
             -DCMAKE_CXX_COMPILER=clang++)
    ;;
esac

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
if [ "${1:-}" = "--tsan" ]; then
  # Only what the tests labelled `threads` run: the rest of the tree is not run under TSan.
  cmake --build "$build_dir" --parallel "$(nproc)" --target qv_thread_tests
elif [ "${1:-}" = "--fuzz" ]; then
  # Only the fuzz targets (and what they link): the rest of the program is not fuzzed.
  mapfile -t targets < <(cmake --build "$build_dir" --target help | sed -n 's/^\(qv_fuzz_[a-z0-9_]*\):.*/\1/p')
  cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build_dir" --parallel "$(nproc)"
fi
echo "build: $build_dir"
