#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs the program and the floor program in turns on a virtual X server
# with Mesa's software renderer on one thread; prints CPU per tick, peak memory and time to first frame of
# both, and their ratios. Arguments: seconds per run (default 10) and rounds (default 3).
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}"
build_project
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
bench="$build_dir/bench"
with_display "$bench/process_compare" "$build_dir/solar_demo" "$bench/solar_floor" "$build_dir/tests/libswap_probe.so" "$@"
