#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the Debian changelog of the package from CHANGELOG.md: one entry for each release that
# changelog_releases.sh reads there, its list items as the entry's items, signed by the maintainer at the
# release's time in UTC. Two releases on one day need their times: Debian's must differ.
# Usage: debian_changelog.sh CHANGELOG.md PACKAGE "NAME <ADDRESS>" OUTPUT
set -euo pipefail
source=$1
package=$2
maintainer=$3
output=$4
releases=$("$(dirname "$0")/changelog_releases.sh" "$source")

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
  while IFS= read -r line; do
    if [[ $line == "- "* ]]; then
      items+=("${line#- }")
      continue
    fi
    [ -z "$date" ] || { flush_entry; echo; }
    read -r version day time <<<"$line"
    printf '%s (%s) unstable; urgency=medium\n\n' "$package" "$version"
    date="$day $time UTC"
  done <<<"$releases"
  flush_entry
} >"$output"
