#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Counts with callgrind the instructions of one steady frame and of one pick (Mesa's software renderer on one
# thread, 512x512 windows), for the working tree and, when a git revision is given, for that revision built
# from a temporary worktree with the same driver, side by side in one run. Instruction counts do not depend on
# what else the machine is doing. The working tree is also counted with the names on, with both overlays on,
# with h, n, i, v and o on, with every view on (k and t too, after the warm-up's picks of the sun), and with
# the depth view on, and with the board open and every view on (the scene windows' frames, and the board's
# own frames apart); the revision, when given, with every view on too.
# Usage: tools/frame_instructions.sh [REVISION] [ROUNDS, default 10]
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != "--on-this-display" ]; then
  install_missing_packages "${required_packages[@]}" valgrind
  build_project
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --on-this-display "$@"
fi
shift
revision=${1:-}
rounds=${2:-10}
work=$(mktemp -d)
trap 'git -C "$project_root" worktree remove --force "$work/tree" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# Builds the driver against the library of a revision: the demo module's entry points have not changed.
build_driver_for() { # revision
  git -C "$project_root" worktree add --detach "$work/tree" "$1" >/dev/null 2>&1
  cmake -S "$work/tree" -B "$work/build" -DSOLAR_BUILD_TESTS=OFF -DSOLAR_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$work/build" -j "$(nproc)" --target solar_system_lib >/dev/null
  g++ -std=c++17 -O2 -I"$work/tree/src" -I"$project_root/bench" "$project_root/bench/frame_instructions.cpp" \
    "$work/build/libsolar_system_lib.a" -lglut -lGLU -lGL -o "$work/driver"
  echo "$work/driver"
}

# Prints instructions per frame and per pick; a second argument goes to the driver ("overlays").
count() { # driver [overlays]
  local out="$work/callgrind.out"
  LP_NUM_THREADS=0 valgrind --tool=callgrind --collect-atstart=no --toggle-collect=measured_frames \
    --callgrind-out-file="$out.frames" "$1" "$rounds" ${2:-} >/dev/null 2>&1
  LP_NUM_THREADS=0 valgrind --tool=callgrind --collect-atstart=no --toggle-collect=measured_picks \
    --callgrind-out-file="$out.picks" "$1" "$rounds" ${2:-} >/dev/null 2>&1
  local frames picks
  frames=$(awk '/^summary:/ { print $2 }' "$out.frames")
  picks=$(awk '/^summary:/ { print $2 }' "$out.picks")
  echo "$((frames / (2 * rounds))) $((picks / rounds))"
}

# Prints instructions per frame of the board, with every view on.
count_board() { # driver
  local out="$work/callgrind.out.board"
  LP_NUM_THREADS=0 valgrind --tool=callgrind --collect-atstart=no --toggle-collect=measured_board \
    --callgrind-out-file="$out" "$1" "$rounds" board >/dev/null 2>&1
  echo "$(($(awk '/^summary:/ { print $2 }' "$out") / rounds))"
}

read -r frame pick <<<"$(count "$build_dir/bench/frame_instructions")"
printf '%-24s %16s %16s\n' "build" "instr./frame" "instr./pick"
printf '%-24s %16d %16d\n' "working tree" "$frame" "$pick"
read -r names_frame names_pick <<<"$(count "$build_dir/bench/frame_instructions" names)"
printf '%-24s %16d %16d\n' "  with the names on" "$names_frame" "$names_pick"
awk -v a="$names_frame" -v b="$frame" 'BEGIN { printf "names on / off: frame %.4f\n", a / b }'
read -r overlay_frame overlay_pick <<<"$(count "$build_dir/bench/frame_instructions" overlays)"
printf '%-24s %16d %16d\n' "  with both overlays on" "$overlay_frame" "$overlay_pick"
awk -v a="$overlay_frame" -v b="$frame" 'BEGIN { printf "overlays on / off: frame %.4f\n", a / b }'
read -r views_frame views_pick <<<"$(count "$build_dir/bench/frame_instructions" views)"
printf '%-24s %16d %16d\n' "  with h n i v o on" "$views_frame" "$views_pick"
awk -v a="$views_frame" -v b="$frame" 'BEGIN { printf "h n i v o on / off: frame %.4f\n", a / b }'
read -r every_frame every_pick <<<"$(count "$build_dir/bench/frame_instructions" every)"
printf '%-24s %16d %16d\n' "  with every view on" "$every_frame" "$every_pick"
awk -v a="$every_frame" -v b="$frame" 'BEGIN { printf "every view on / off: frame %.4f\n", a / b }'
read -r depth_frame depth_pick <<<"$(count "$build_dir/bench/frame_instructions" depth)"
printf '%-24s %16d %16d\n' "  with the depth view on" "$depth_frame" "$depth_pick"
awk -v a="$depth_frame" -v b="$frame" 'BEGIN { printf "depth view on / off: frame %.4f\n", a / b }'
read -r board_frame board_pick <<<"$(count "$build_dir/bench/frame_instructions" board)"
printf '%-24s %16d %16d\n' "  with the board open" "$board_frame" "$board_pick"
awk -v a="$board_frame" -v b="$frame" 'BEGIN { printf "board open, every view on / every view off: frame %.4f\n", a / b }'
board_itself=$(count_board "$build_dir/bench/frame_instructions")
printf '%-24s %16d\n' "  the board's own frame" "$board_itself"
if [ -n "$revision" ]; then
  base_driver=$(build_driver_for "$revision")
  read -r base_frame base_pick <<<"$(count "$base_driver")"
  printf '%-24s %16d %16d\n' "$revision" "$base_frame" "$base_pick"
  awk -v a="$frame" -v b="$base_frame" -v c="$pick" -v d="$base_pick" \
    'BEGIN { printf "working tree / %s: frame %.4f, pick %.4f\n", "'"$revision"'", a / b, c / d }'
  read -r base_every_frame base_every_pick <<<"$(count "$base_driver" every)"
  printf '%-24s %16d %16d\n' "  with every view on" "$base_every_frame" "$base_every_pick"
  awk -v a="$every_frame" -v b="$base_every_frame" \
    'BEGIN { printf "working tree / %s, every view on: frame %.4f\n", "'"$revision"'", a / b }'
fi
