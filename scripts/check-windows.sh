#!/usr/bin/env bash
# Keeps the tree building for 64-bit Windows: compiles every source of the program and its tools
# with the mingw-w64 cross compiler (-fsyntax-only), each platform/*_windows.cpp in place of its
# *_linux.cpp. The source list, include paths and defines come from build/release's CMake targets.
# Sources include what AUTOMOC writes (a `foo.moc` beside a QObject in a .cpp), so the program's
# autogen targets are built first: after scripts/build.sh that costs nothing, in a fresh clone it
# also builds the libraries those targets wait for.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build_dir=build/release
if [ ! -f "$build_dir/compile_commands.json" ]; then
  # The same configuration as scripts/build.sh, which reuses it.
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WARNINGS_AS_ERRORS=ON)
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
fi
# Every autogen target outside tests/ (which is not checked), named by its folder in the build.
mapfile -t autogen < <(ninja -C "$build_dir" -t targets all |
  sed -n 's/^\([^ :]*\/[a-z0-9_]*_autogen\): phony$/\1/p' | grep -v -e '^tests/' -e '/CMakeFiles/' | sort -u)
if [ ${#autogen[@]} -gt 0 ]; then
  cmake --build "$build_dir" --parallel "$(nproc)" --target "${autogen[@]}"
fi
python3 scripts/check_windows.py "$build_dir" --jobs "$(nproc)"
