#!/usr/bin/env bash
# Runs the real program under valgrind's memcheck on a virtual X server for a number of ticks (default 300)
# while a number of keys (default 300) fly both ships, then quits with Escape. Fails on any invalid access or
# definite leak that tools/valgrind-driver.supp does not explain; that file suppresses only what the GL
# driver stack does. Slow: the software renderer under valgrind manages about one tick a second.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != "--on-this-display" ]; then
  install_missing_packages "${required_packages[@]}" valgrind xdotool
  build_project
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --on-this-display "$@"
fi
shift
ticks=${1:-300}
keys=${2:-300}
log="$build_dir/memcheck.log"
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT

# The swap probe counts buffer swaps, two per tick, so the run can be measured in ticks.
LP_NUM_THREADS=0 SWAP_PROBE_FILE="$probe" LD_PRELOAD="$build_dir/bench/libswap_probe.so" \
  valgrind --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=42 --num-callers=40 \
  --suppressions="$project_root/tools/valgrind-driver.supp" --log-file="$log" "$build_dir/solar_demo" &
pid=$!

swaps() { awk '{ print $3 }' "$probe" 2>/dev/null | grep . || echo 0; }
# Polls the probe (a measurement script, not a test) until the program has swapped this often.
wait_for_swaps() { # count
  until [ "$(swaps)" -ge "$1" ]; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended early; see $log" >&2; exit 1; }
    sleep 1
  done
}

mother=$(xdotool search --sync --onlyvisible --name '^Mother Ship$' | head -n1)
scout=$(xdotool search --sync --onlyvisible --name '^Scout Ship$' | head -n1)
wait_for_swaps 2

# A fixed pseudo-random tour through every mode: command keys, ship keys and picks, in both windows.
palette=(x X y Y z Z a A b c d e E f q w s equal minus 0 1 3 5 6 9 less greater g l r m p P space)
RANDOM=20261207
for ((i = 0; i < keys; i++)); do
  window=$mother
  ((RANDOM % 2)) && window=$scout
  xdotool mousemove --window "$window" $((RANDOM % 512)) $((RANDOM % 512)) key "${palette[RANDOM % ${#palette[@]}]}"
done
xdotool mousemove --window "$mother" 256 256 key P
wait_for_swaps $((2 * ticks))
xdotool key Escape
status=0
wait "$pid" || status=$?
echo "memcheck: $(swaps) swaps ($(($(swaps) / 2)) ticks), $keys keys, exit status $status; log in $log"
grep -E "ERROR SUMMARY|definitely lost|Invalid" "$log" | sed 's/^==[0-9]*== //'
exit "$status"
