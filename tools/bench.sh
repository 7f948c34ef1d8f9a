#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs the benchmarks on Mesa's software renderer with one thread,
# printing each figure and its ratio to the floor measured in the same run, then the time from a key to the
# first changed pixel.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}"
build_project
if [ -x "$build_dir/bench/solar_bench" ]; then
  LP_NUM_THREADS=${LP_NUM_THREADS:-0} with_display "$build_dir/bench/solar_bench" "$@"
else
  echo "solar_bench was not built (Google Benchmark is missing); skipping the in-process benchmarks"
fi
# Key to screen on the real program, on its own private X server.
"$build_dir/bench/key_latency" "$build_dir/solar_demo"
