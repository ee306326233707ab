#!/usr/bin/env bash
# Installs what is needed, builds, and runs the player on a demo profile kept in the build tree,
# so the user's own settings and station lists are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

profile="$PWD/build/release/demo-profile"
mkdir -p "$profile/home" "$profile/config" "$profile/data" "$profile/cache"
export HOME="$profile/home" XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" \
       XDG_CACHE_HOME="$profile/cache"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-demo: built, but there is no display to show the player on (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
  echo "run-demo: run this from a desktop session, or start one, e.g. 'xvfb-run -a scripts/run-demo.sh'." >&2
  exit 1
fi

echo "run-demo: settings in $XDG_CONFIG_HOME/Pelworn/Quorventale.reg, data in $XDG_DATA_HOME/Quorventale"
exec build/release/app/quorventale
