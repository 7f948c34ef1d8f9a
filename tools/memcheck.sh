#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the real program under valgrind's memcheck on a virtual X server, twice: each run flies both ships
# with the same keys (default 300) for the same ticks (default 150), then picks with the space bar, 50 times
# in the first run and 500 in the second, and quits with Escape. Fails on any invalid access, any definite
# or indirect leak that tools/valgrind-driver.supp does not explain, and any growth of the memory lost in
# all, suppressed leaks included, between the two runs: a suppression may explain memory the driver keeps
# once, never memory that grows with use. Slow: about one tick a second under valgrind.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != "--on-this-display" ]; then
  install_missing_packages "${required_packages[@]}" valgrind xdotool
  build_project
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --on-this-display "$@"
fi
shift
ticks=${1:-150}
keys=${2:-300}
few_picks=50
many_picks=500
# The old leak kept some 70 KB a pick; the driver's own one-off allocations differ by far less than this.
allowed_growth_bytes=65536

# One run under valgrind; prints the bytes lost in all (definite, indirect, possible and suppressed).
# The program's own words go to stderr: stdout carries the bytes lost.
run_once() { # picks log
  local picks=$1 log=$2 probe pid status=0
  probe=$(mktemp)
  LP_NUM_THREADS=0 SWAP_PROBE_FILE="$probe" LD_PRELOAD="$build_dir/tests/libswap_probe.so" \
    valgrind --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=42 --num-callers=40 \
    --suppressions="$project_root/tools/valgrind-driver.supp" --log-file="$log" "$build_dir/solar_demo" >&2 &
  pid=$!
  swaps() { awk '{ print $3 }' "$probe" 2>/dev/null | grep . || echo 0; }
  # Polls the probe (a measurement script, not a test) until the program has swapped this often.
  wait_for_swaps() { # count
    until [ "$(swaps)" -ge "$1" ]; do
      kill -0 "$pid" 2>/dev/null || { echo "the program ended early; see $log" >&2; exit 1; }
      sleep 1
    done
  }
  local mother scout
  mother=$(xdotool search --sync --onlyvisible --name '^Mother Ship$' | head -n1)
  scout=$(xdotool search --sync --onlyvisible --name '^Scout Ship$' | head -n1)
  wait_for_swaps 2

  # A fixed pseudo-random tour through every mode: command keys, ship keys and picks, in both windows.
  local palette=(x X y Y z Z a A b c d e E f q w s equal minus 0 1 3 5 6 9 less greater g l r m p P space)
  RANDOM=20261207
  local i window
  for ((i = 0; i < keys; i++)); do
    window=$mother
    ((RANDOM % 2)) && window=$scout
    xdotool mousemove --window "$window" $((RANDOM % 512)) $((RANDOM % 512)) key "${palette[RANDOM % ${#palette[@]}]}"
  done
  xdotool mousemove --window "$mother" 256 256 key P m key --repeat "$picks" --delay 0 space
  wait_for_swaps $((2 * ticks))
  xdotool key Escape
  wait "$pid" || status=$?
  echo "memcheck: $(($(swaps) / 2)) ticks, $keys keys, $picks picks, exit status $status; log in $log" >&2
  grep -E "ERROR SUMMARY|definitely lost|indirectly lost|suppressed:|Invalid" "$log" | sed 's/^==[0-9]*== //' >&2
  rm -f "$probe"
  [ "$status" -eq 0 ] || exit "$status"
  grep -E "(definitely|indirectly|possibly) lost:|suppressed:" "$log" | tail -n 4 |
    awk '{ for (i = 2; i < NF; i++) if ($(i + 1) == "bytes") { gsub(",", "", $i); sum += $i } } END { print sum + 0 }'
}

few=$(run_once "$few_picks" "$build_dir/memcheck-$few_picks-picks.log")
many=$(run_once "$many_picks" "$build_dir/memcheck-$many_picks-picks.log")
growth=$((many - few))
echo "lost in all: $few bytes after $few_picks picks, $many bytes after $many_picks picks (growth $growth)"
if [ "$growth" -gt "$allowed_growth_bytes" ]; then
  echo "memory lost grows with the number of picks" >&2
  exit 1
fi
