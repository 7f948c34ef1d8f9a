#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program and starts it on the X display. Arguments go to the program.
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display found: DISPLAY is not set. Run this in a desktop session, or log in with 'ssh -X'." >&2
  echo "Without a display, tools/screenshots.sh renders the picture tour into docs/ on a virtual X server." >&2
  exit 1
fi
install_missing_packages "${run_packages[@]}"
build_program
exec "$build_dir/solar_demo" "$@"
