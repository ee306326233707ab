#!/usr/bin/env bash
# The desktop entry and the software centre's metadata: both pass their validators, and they agree
# with each other and with the program (application id, file types, version, screenshot files).
#   desktop_metadata_test.sh SOURCE_DIR METAINFO_FILE APP_ID VERSION REPOSITORY_FILES_URL
set -euo pipefail
source_dir=$1 metainfo=$2 app_id=$3 version=$4 files_url=$5
desktop=$source_dir/resources/desktop/$app_id.desktop

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

failed=0
fail() { echo "$*"; failed=1; }

desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"

key() { sed -n "0,/^\[Desktop Action/s/^$1=//p" "$desktop"; }
[ "$(key Icon)" = "$app_id" ] || fail "desktop entry: Icon is not $app_id"
[ "$(key Exec)" = "quorventale %U" ] || fail "desktop entry: Exec is not 'quorventale %U'"
grep -qx "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" <(sed 's/^ *//' "$metainfo") ||
  fail "metainfo: the launchable is not $app_id.desktop"
grep -qx "<id>$app_id</id>" <(sed 's/^ *//' "$metainfo") || fail "metainfo: the id is not $app_id"

# The file types the entry opens are the ones the metadata says it provides.
desktop_types=$(key MimeType | tr ';' '\n' | sed '/^$/d' | sort)
metainfo_types=$(sed -n 's/.*<mediatype>\(.*\)<\/mediatype>.*/\1/p' "$metainfo" | sort)
[ -n "$desktop_types" ] && [ "$desktop_types" = "$metainfo_types" ] ||
  fail "file types differ: desktop entry [$desktop_types], metainfo [$metainfo_types]"

# The newest release is this version.
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "metainfo: the newest release is $newest, the program is $version"

# Each screenshot is a file of this repository, at its path below the repository's address.
while read -r image; do
  path=${image#"$files_url"/}
  [ "$path" != "$image" ] || fail "screenshot not below $files_url: $image"
  [ -f "$source_dir/$path" ] || fail "screenshot not in the repository: $path (scripts/make-screenshots.sh makes it)"
done < <(sed -n 's/.*<image>\(.*\)<\/image>.*/\1/p' "$metainfo")
exit $failed
