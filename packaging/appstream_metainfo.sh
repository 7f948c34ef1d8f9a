#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the AppStream metadata from its template: the component's id, and a release for each release that
# changelog_releases.sh reads in CHANGELOG.md, newest first, its list items as the release's description.
# Text is escaped for XML.
# Usage: appstream_metainfo.sh TEMPLATE CHANGELOG.md ID OUTPUT
set -euo pipefail
template=$1
id=$3
output=$4
entries=$("$(dirname "$0")/changelog_releases.sh" "$2")

escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }

# Each release opens its list of items as it starts; the next release, or the end, closes it.
close_release() { printf '        </ul>\n      </description>\n    </release>\n'; }
releases=$(
  open=false
  while IFS= read -r line; do
    if [[ $line == "- "* ]]; then
      echo "          <li>$(escape "${line#- }")</li>"
      continue
    fi
    ! $open || close_release
    open=true
    read -r version day time <<<"$line"
    printf '    <release version="%s" date="%sT%s:00Z">\n      <description>\n        <ul>\n' \
      "$version" "$day" "$time"
  done <<<"$entries"
  close_release
)
while IFS= read -r line; do
  case $line in
  @RELEASES@) printf '%s\n' "$releases" ;;
  *) printf '%s\n' "${line//@APPSTREAM_ID@/$id}" ;;
  esac
done <"$template" >"$output"
