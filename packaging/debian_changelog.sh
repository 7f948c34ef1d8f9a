#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the Debian changelog of the package from CHANGELOG.md: one entry for each "## VERSION (DATE)" or
# "## VERSION (DATE HH:MM)" heading, its list items as the entry's items, signed by the maintainer at that
# time in UTC (noon without one). Two releases on one day need their times: Debian's must differ.
# Usage: debian_changelog.sh CHANGELOG.md PACKAGE "NAME <ADDRESS>" OUTPUT
set -euo pipefail
source=$1
package=$2
maintainer=$3
output=$4

heading='^## ([^ ]+) \(([0-9]{4}-[0-9]{2}-[0-9]{2})( [0-9]{2}:[0-9]{2})?\)$'
items=()
date=""

# Debian's changelog lines stay under 80 columns: each item is reflowed to fit behind its "  * ".
flush_entry() {
  [ -n "$date" ] || return 0
  local item
  for item in "${items[@]}"; do
    fold -s -w 74 <<<"$item" | sed -e 's/ *$//' -e '1s/^/  * /' -e '2,$s/^/    /'
  done
  printf '\n -- %s  %s\n' "$maintainer" "$(LC_ALL=C date -u -R -d "$date")"
  items=()
}

{
  first=true
  while IFS= read -r line; do
    if [[ $line =~ $heading ]]; then
      flush_entry
      $first || echo
      first=false
      printf '%s (%s) unstable; urgency=medium\n\n' "$package" "${BASH_REMATCH[1]}"
      date="${BASH_REMATCH[2]} ${BASH_REMATCH[3]:- 12:00} UTC"
    elif [ -n "$date" ] && [[ $line == "- "* ]]; then
      items+=("${line#- }")
    elif [ -n "$date" ] && [[ $line == "  "* ]] && [ ${#items[@]} -gt 0 ]; then
      items[-1]+=" ${line#"${line%%[! ]*}"}"
    fi
  done <"$source"
  flush_entry
} >"$output"
[ -n "$date" ] || { echo "no '## VERSION (DATE)' heading in $source" >&2; exit 1; }
