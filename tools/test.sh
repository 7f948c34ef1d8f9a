#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds (with g++, with clang, the whole tree again with the sanitizers, and the
# Windows build), runs the whole test suite headless, each drawing test on an X server of its own, then the
# unit and end-to-end suites again on the sanitizer build; ends with CTest's summary of that second run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}" "${test_packages[@]}"
build_project
build_with_clang
build_sanitized
# The Windows build, which the suite runs under Wine.
"$project_root/tools/windows.sh"
# No display needed: every test process that draws runs on an X server of its own.
(cd "$build_dir" && ctest -j "$(nproc)" --output-on-failure "$@")
echo "The sanitizer build: the unit and end-to-end suites again, with leak checking on."
run_sanitized_suite "$@"
