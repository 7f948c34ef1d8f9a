#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo (on a virtual X server when there is no display).
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}"
build_project
with_display "$build_dir/solar_demo" "$@"
