#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A probe, not a test: starts the program RUNS times (200 unless told) on an X server of its own, kills the
# server 0 to 600 ms later (SIGKILL and SIGTERM in turn, every other run with the shipped lesson), and counts
# how each run ended. Every run must end with status 1 and the one line that names the lost display, or, when
# the server went before the program connected, the line that it could not open it. Prints a line per kind of
# ending, and exits 1 if any run ended otherwise.
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-200}
program="$build_dir/solar_demo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/ready"
declare -A endings
for ((run = 0; run < runs; ++run)); do
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/ready" 2>/dev/null &
  server=$!
  read -r number <"$work/ready"  # -displayfd: written once the server accepts connections
  arguments=()
  ((run % 2 == 0)) || arguments=(--lesson "$project_root/docs/lessons/guide.lesson")
  DISPLAY=":$number" "$program" "${arguments[@]}" >/dev/null 2>"$work/stderr" &
  app=$!
  sleep "0.$(printf '%03d' $((RANDOM % 600)))"
  signal=$((run % 4 < 2 ? 9 : 15))
  kill -"$signal" "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  status=0
  # A program still running long after its display went is a fault of its own, a hang.
  for ((tenth = 0; tenth < 100 && $(kill -0 "$app" 2>/dev/null && echo 1 || echo 0); ++tenth)); do sleep 0.1; done
  kill -9 "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || status=$?
  said=$(sed -e 's/display :[0-9]*/display :N/' "$work/stderr" | tr '\n' '|')
  kind="status $status: $said"
  endings[$kind]=$((${endings[$kind]:-0} + 1))
done
faults=0
for kind in "${!endings[@]}"; do
  echo "${endings[$kind]} x $kind"
  case $kind in
    "status 1: solar_demo: lost the connection to the X server on display :N; exiting|") ;;
    "status 1: solar_demo: freeglut: failed to open display"*"|") ;;
    *) faults=$((faults + ${endings[$kind]})) ;;
  esac
done
echo "$faults of $runs runs ended otherwise"
[ "$faults" -eq 0 ]
