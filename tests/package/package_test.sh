#!/usr/bin/env bash
# Builds the .deb from a finished build folder and checks what it installs and depends on.
#   package_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is missing"; exit 77; }
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/quorventale_*.deb)
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
depends=$(dpkg-deb --field "$deb" Depends)

failed=0
expect_file() {
  if ! grep -qx "$1" <<<"$contents"; then
    echo "missing from the package: $1"
    failed=1
  fi
}
expect_file ./usr/bin/quorventale
expect_file ./usr/bin/quorventale-cli
app_id=${QV_APP_ID:?the application id}
expect_file "./usr/share/applications/$app_id.desktop"
expect_file "./usr/share/metainfo/$app_id.metainfo.xml"
expect_file "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 16 22 24 32 48 64 128 256; do
  expect_file "./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
done
expect_file ./usr/share/quorventale/Languages/English.txt

# The libraries the player links, found by dpkg-shlibdeps, and the plug-ins named by hand.
for package in libqt6widgets6 libqt6dbus6 libcurl4 libsdl2-2.0-0 libavcodec59 qt6-qpa-plugins; do
  if ! grep -q "\b$package\b" <<<"$depends"; then
    echo "not among the dependencies: $package ($depends)"
    failed=1
  fi
done

# The desktop entry starts the installed program, with the files or links it is given, by the
# icon's name.
desktop=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/applications/$app_id.desktop")
grep -qx 'Exec=quorventale %U' <<<"$desktop" || { echo "desktop entry: no Exec=quorventale %U"; failed=1; }
grep -qx "Icon=$app_id" <<<"$desktop" || { echo "desktop entry: no Icon=$app_id"; failed=1; }
exit $failed
