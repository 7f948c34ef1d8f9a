#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes src/text_font.cpp anew from freeglut's 8x13 bitmap font, drawn on a virtual X server and read back.
# Run it only if freeglut's font ever changes; the test suite checks the table against freeglut on every run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${run_packages[@]}" xvfb xauth
configure_build_dir -DSOLAR_BUILD_TESTS=OFF -DSOLAR_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir" --target make_font_table
with_display "$build_dir/make_font_table" "$project_root/src/text_font.cpp"
echo "wrote src/text_font.cpp"
