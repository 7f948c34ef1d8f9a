#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the AppStream metadata from its template: the component's id, and a release for each
# "## VERSION (DATE)" or "## VERSION (DATE HH:MM)" heading of CHANGELOG.md, newest first, its list items as the
# release's description. Text is escaped for XML.
# Usage: appstream_metainfo.sh TEMPLATE CHANGELOG.md ID OUTPUT
set -euo pipefail
template=$1
source=$2
id=$3
output=$4

heading='^## ([^ ]+) \(([0-9]{4}-[0-9]{2}-[0-9]{2})( ([0-9]{2}:[0-9]{2}))?\)$'
escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }

releases=$(
  items=()
  open=false
  flush() {
    $open || return 0
    echo "      <description>"
    echo "        <ul>"
    local item
    for item in "${items[@]}"; do echo "          <li>$(escape "$item")</li>"; done
    echo "        </ul>"
    echo "      </description>"
    echo "    </release>"
    items=()
  }
  while IFS= read -r line; do
    if [[ $line =~ $heading ]]; then
      flush
      open=true
      echo "    <release version=\"${BASH_REMATCH[1]}\" date=\"${BASH_REMATCH[2]}T${BASH_REMATCH[4]:-12:00}:00Z\">"
    elif $open && [[ $line == "- "* ]]; then
      items+=("${line#- }")
    elif $open && [[ $line == "  "* ]] && [ ${#items[@]} -gt 0 ]; then
      items[-1]+=" ${line#"${line%%[! ]*}"}"
    fi
  done <"$source"
  flush
)
[ -n "$releases" ] || { echo "no '## VERSION (DATE)' heading in $source" >&2; exit 1; }
while IFS= read -r line; do
  case $line in
  @RELEASES@) printf '%s\n' "$releases" ;;
  *) printf '%s\n' "${line//@APPSTREAM_ID@/$id}" ;;
  esac
done <"$template" >"$output"
