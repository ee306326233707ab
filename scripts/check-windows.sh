#!/usr/bin/env bash
# Keeps the tree building for 64-bit Windows: compiles every source of the program and its tools
# with the mingw-w64 cross compiler (-fsyntax-only), each platform/*_windows.cpp in place of its
# *_linux.cpp. The source list, include paths and defines come from build/release's CMake targets.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build_dir=build/release
if [ ! -f "$build_dir/compile_commands.json" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Generated headers (the version header) exist after configuring; sources need nothing built.
python3 scripts/check_windows.py "$build_dir" --jobs "$(nproc)"
