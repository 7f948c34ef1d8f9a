#!/usr/bin/env bash
# Installs what is missing, builds (with g++, with clang, and the sanitizer build of the program), and runs
# the whole test suite headless; ends with CTest's summary.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}" "${test_packages[@]}"
build_project
build_with_clang
build_sanitized_program
export SOLAR_STORM_EXECUTABLE="$sanitize_dir/solar_demo"
cd "$build_dir"
with_display ctest -j "$(nproc)" --output-on-failure "$@"
