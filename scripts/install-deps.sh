#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Quorventale needs.
# Idempotent: packages already installed are left alone, and apt is not called when none is missing.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang-format ccache
  # the Windows compile check (scripts/check-windows.sh): mingw-w64 with POSIX threads for std::thread
  g++-mingw-w64-x86-64-posix
  # clang with libFuzzer and its sanitizer runtimes, for the fuzz targets
  clang libclang-rt-14-dev
  # Qt 6: widgets, D-Bus, XML, SVG skin sources, logo image formats
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-image-formats-plugins fonts-dejavu-core
  # Qt's own texts (standard buttons, file dialogs) in the interface's language
  qt6-translations-l10n
  # network, decoding, audio output, ZIP playlists
  libcurl4-openssl-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev libzip-dev
  # loudness measurement (EBU R 128) for the levelling of stations
  libebur128-dev
  # the title history: Qt SQL with its SQLite driver (write-ahead log, full-text index)
  libqt6sql6-sqlite
  # tests and benchmarks; the local stream servers: our Python test server, a real Icecast2 fed
  # by the ffmpeg command line (which also makes the audio fixtures), curl for its admin requests
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth dbus-daemon python3 ffmpeg icecast2 curl
  # the update check's local HTTPS server makes its own certificate
  openssl
  # the checks of the desktop entry and the software-centre metadata
  appstream desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages are installed"
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  as_root=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"

# The tests start their own Icecast2 on a free port; the system-wide one the package may have
# started is not wanted and would only hold port 8000.
if [[ " ${missing[*]} " == *" icecast2 "* ]]; then
  if command -v systemctl >/dev/null && [ -d /run/systemd/system ]; then
    "${as_root[@]}" systemctl disable --now icecast2 >/dev/null 2>&1 || true
  elif [ -x /etc/init.d/icecast2 ]; then
    "${as_root[@]}" /etc/init.d/icecast2 stop >/dev/null 2>&1 || true
  fi
fi
