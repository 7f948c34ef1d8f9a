#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on an X server of its own, which ends with it. CTest runs each GL test process through this:
# processes side by side on one server would cover each other's windows, and freeglut does not redraw a
# window that another covers, so a test waiting for a redraw could wait forever.
set -euo pipefail
work=$(mktemp -d)
mkfifo "$work/ready"
# -displayfd: Xvfb picks a free display number itself and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/ready" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
read -r number <"$work/ready" || { echo "Xvfb did not start" >&2; exit 1; }
status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"
