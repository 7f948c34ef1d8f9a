#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Reads the releases of CHANGELOG.md for the files made from it (the Debian changelog, the AppStream
# metadata): for each "## VERSION (DATE)" or "## VERSION (DATE HH:MM)" heading, newest first, a line
# "VERSION DATE HH:MM" (12:00 without a time), then each of its list items on one line of its own after "- ",
# the item's wrapped lines joined. Fails when there is no such heading.
# Usage: changelog_releases.sh CHANGELOG.md
set -euo pipefail
heading='^## ([^ ]+) \(([0-9]{4}-[0-9]{2}-[0-9]{2})( ([0-9]{2}:[0-9]{2}))?\)$'
item=""
in_release=false
found=false
flush_item() {
  [ -z "$item" ] || printf -- '- %s\n' "$item"
  item=""
}
while IFS= read -r line; do
  if [[ $line =~ $heading ]]; then
    flush_item
    in_release=true
    found=true
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[4]:-12:00}"
  elif $in_release && [[ $line == "- "* ]]; then
    flush_item
    item=${line#- }
  elif $in_release && [[ $line == "  "* ]] && [ -n "$item" ]; then
    item+=" ${line#"${line%%[! ]*}"}"
  fi
done <"$1"
flush_item
$found || { echo "no '## VERSION (DATE)' heading in $1" >&2; exit 1; }
