#!/usr/bin/env bash
# Configures and builds Quorventale with its tests.
#   scripts/build.sh              release build with debug info in build/release
#   scripts/build.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build/asan
#   scripts/build.sh --tsan       ThreadSanitizer build in build/tsan
#   scripts/build.sh --fuzz       the libFuzzer targets (clang, ASan + UBSan) in build/fuzz
#   scripts/build.sh --release [TARGET...]
#                                 the plain Release configuration (-O3, as packagers build it) in
#                                 build/release-o3, without tests: the named targets, or everything
# Warnings are errors in every build made here; a plain CMake configure only warns.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/release
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
case "${1:-}" in
  --sanitize)
    # The benchmarks are not run under the sanitizers.
    build_dir=build/asan
    options=(-DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BUILD_BENCHMARKS=OFF)
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
  --release)
    # The optimiser's own warnings (-O3 inlines more) show only here.
    build_dir=build/release-o3
    options=(-DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCHMARKS=OFF)
    targets=("${@:2}")
    ;;
esac
options+=(-DQV_WARNINGS_AS_ERRORS=ON)

# ccache keeps compiled objects across the build folders and clones of this tree (paths are taken
# relative to the checkout), so a rebuild after a small change compiles only what changed.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
if [ "${1:-}" = "--tsan" ]; then
  # Only what the tests labelled `threads` run: the rest of the tree is not run under TSan.
  cmake --build "$build_dir" --parallel "$(nproc)" --target qv_thread_tests
elif [ "${1:-}" = "--fuzz" ]; then
  # Only the fuzz targets (and what they link): the rest of the program is not fuzzed.
  mapfile -t targets < <(cmake --build "$build_dir" --target help | sed -n 's/^\(qv_fuzz_[a-z0-9_]*\):.*/\1/p')
  cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]}"
elif [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build_dir" --parallel "$(nproc)"
fi
echo "build: $build_dir"
