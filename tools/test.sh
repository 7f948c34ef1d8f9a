#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds (with g++, with clang, the sanitizer build of the program and the Windows
# build), and runs the whole test suite headless, each drawing test on an X server of its own; ends with
# CTest's summary.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}" "${test_packages[@]}"
build_project
build_with_clang
build_sanitized_program
# The Windows build, which the suite runs under Wine.
"$project_root/tools/windows.sh"
export SOLAR_STORM_EXECUTABLE="$sanitize_dir/solar_demo"
cd "$build_dir"
# No display needed: every test process that draws runs on an X server of its own.
ctest -j "$(nproc)" --output-on-failure "$@"
