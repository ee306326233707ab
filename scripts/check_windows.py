#!/usr/bin/env python3
"""Compiles every source of the program and its tools for 64-bit Windows with -fsyntax-only.

The sources, include paths and defines come from the CMake build's compile_commands.json, so a
file added to any target is checked without anyone listing it here. Each `*_linux.cpp` of
platform/ is replaced by its `*_windows.cpp`. The libraries' headers are the Linux build's own
(Qt, FFmpeg, curl, SDL2, libzip, GoogleTest, Google Benchmark), reached through a folder of links
that holds only those libraries, so that a POSIX-only system header in a shared file still fails.

Usage: check_windows.py BUILD_DIR [--jobs N]
"""

import argparse
import concurrent.futures
import json
import os
import pathlib
import shlex
import subprocess
import sys

COMPILER = "x86_64-w64-mingw32-g++-posix"
C_COMPILER = "x86_64-w64-mingw32-gcc-posix"
WINDOWS_DEFINES = ["-DNOMINMAX", "-DUNICODE", "-D_UNICODE", "-DWIN32_LEAN_AND_MEAN"]

# The third-party headers the program uses, as the multiarch Linux packages install them.
LIBRARY_HEADERS = [
    "curl",
    "libavcodec",
    "libavformat",
    "libavutil",
    "libswresample",
    "zip.h",
    "zipconf.h",
    "ebur128.h",
    "gtest",
    "gmock",
    "benchmark",
]
HEADER_ROOTS = [pathlib.Path("/usr/include/x86_64-linux-gnu"), pathlib.Path("/usr/include")]

# Debian's SDL_config.h only points at the architecture's own configuration; this stands in for
# SDL's Windows configuration, which is all the audio headers need.
SDL_WINDOWS_CONFIG = """#pragma once
#include <stddef.h>
#include <stdint.h>
#define HAVE_LIBC 1
#define HAVE_STDARG_H 1
#define HAVE_STDDEF_H 1
#define HAVE_STDINT_H 1
#define HAVE_STDIO_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_MATH_H 1
#define HAVE_FLOAT_H 1
#define HAVE_LIMITS_H 1
#define SDL_AUDIO_DRIVER_WASAPI 1
#define SDL_AUDIO_DRIVER_DISK 1
#define SDL_AUDIO_DRIVER_DUMMY 1
"""

# Tests run on Linux only (local servers, a private D-Bus, SDL's disk driver); they are not part
# of what Windows users build.
EXCLUDED_TOP_FOLDERS = {"tests"}


def make_shim(shim: pathlib.Path) -> None:
    shim.mkdir(parents=True, exist_ok=True)
    for name in LIBRARY_HEADERS:
        link = shim / name
        if link.is_symlink() or link.exists():
            continue
        target = next((root / name for root in HEADER_ROOTS if (root / name).exists()), None)
        if target is not None:
            link.symlink_to(target)
    sdl = shim / "SDL2"
    sdl.mkdir(exist_ok=True)
    sdl_headers = pathlib.Path("/usr/include/SDL2")
    if sdl_headers.is_dir():
        for header in sdl_headers.iterdir():
            link = sdl / header.name
            if not (link.is_symlink() or link.exists()):
                link.symlink_to(header)
    (sdl / "_real_SDL_config.h").write_text(SDL_WINDOWS_CONFIG)


def windows_command(entry: dict, source: pathlib.Path, shim: pathlib.Path) -> list[str]:
    original = entry.get("arguments") or shlex.split(entry["command"])
    is_c = source.suffix == ".c"
    command = [C_COMPILER if is_c else COMPILER, "-fsyntax-only"]
    args = iter(original[1:])
    for arg in args:
        if arg in ("-o", "-c", "-MF", "-MT", "-MQ"):
            next(args, None)
            continue
        if arg in ("-isystem", "-I"):
            path = next(args, "")
            command += windows_include(arg, path, shim)
            continue
        if arg.startswith("-I") or arg.startswith("-isystem"):
            flag = "-I" if arg.startswith("-I") else "-isystem"
            command += windows_include(flag, arg[len(flag):], shim)
            continue
        if arg.startswith(("-D", "-U", "-std=", "-W")) or arg == "-pedantic":
            command.append(arg)
    command += WINDOWS_DEFINES + ["-isystem", str(shim), "-isystem", str(shim / "SDL2"), str(source)]
    return command


def windows_include(flag: str, path: str, shim: pathlib.Path) -> list[str]:
    # SDL's folder goes through the shim for its Windows configuration; Linux-only mkspecs are
    # left out, and Qt's Linux headers are used as they are (Qt's headers choose by _WIN32).
    if path.rstrip("/") == "/usr/include/SDL2":
        return []
    if "/mkspecs/linux" in path:
        return []
    return [flag, path]


def sources_to_check(build_dir: pathlib.Path, repo: pathlib.Path) -> list[tuple[dict, pathlib.Path]]:
    entries = json.loads((build_dir / "compile_commands.json").read_text())
    checked = {}
    for entry in entries:
        source = pathlib.Path(entry["file"]).resolve()
        try:
            relative = source.relative_to(repo)
        except ValueError:
            continue
        if relative.parts[0] in EXCLUDED_TOP_FOLDERS or relative.parts[0] == "build":
            continue
        if source.name.endswith("_linux.cpp"):
            source = source.with_name(source.name[: -len("_linux.cpp")] + "_windows.cpp")
            if not source.exists():
                raise SystemExit(f"check-windows: {relative} has no Windows counterpart")
        checked.setdefault(source, entry)
    return sorted(((entry, source) for source, entry in checked.items()), key=lambda pair: str(pair[1]))


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=pathlib.Path)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    options = parser.parse_args()

    repo = pathlib.Path(__file__).resolve().parent.parent
    build_dir = options.build_dir.resolve()
    shim = build_dir / "windows-check-include"
    make_shim(shim)
    work = sources_to_check(build_dir, repo)

    def check(pair):
        entry, source = pair
        result = subprocess.run(windows_command(entry, source, shim), cwd=entry["directory"],
                                capture_output=True, text=True)
        return source, result

    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=options.jobs) as pool:
        for source, result in pool.map(check, work):
            if result.returncode != 0:
                failed.append(source)
                print(f"check-windows: FAILED {source.relative_to(repo)}", file=sys.stderr)
                print(result.stderr, file=sys.stderr)
    print(f"check-windows: {len(work) - len(failed)} of {len(work)} sources compile for 64-bit Windows")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
