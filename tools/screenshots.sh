#!/usr/bin/env bash
# Starts the demo on a private virtual X server, flies a short scripted tour and writes PNG screenshots of
# both windows into docs/. Needs xdotool and ImageMagick, which it installs when missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
out="$project_root/docs"

if [ "${1:-}" != "--on-this-display" ]; then
  install_missing_packages "${required_packages[@]}" xdotool imagemagick
  build_project
  mkdir -p "$out"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-this-display
fi

"$build_dir/solar_demo" &
demo_pid=$!
trap 'kill $demo_pid 2>/dev/null || true' EXIT
mother=$(xdotool search --sync --onlyvisible --name '^Mother Ship$' | head -n1)
scout=$(xdotool search --sync --onlyvisible --name '^Scout Ship$' | head -n1)

checksum() { import -silent -window "$1" rgb:- | md5sum; }
# Waits, with a bound, until the window shows a picture other than the one it showed when called.
wait_for_change() { # window
  local before
  before=$(checksum "$1")
  for _ in $(seq 1 300); do [ "$(checksum "$1")" != "$before" ] && return 0; done
  echo "window $1 did not change" >&2
}
keys() { # window x y keys...
  local window=$1 x=$2 y=$3
  shift 3
  xdotool mousemove --window "$window" "$x" "$y"
  for key in "$@"; do xdotool key --window "$window" "$key"; done
}
shoot_both() { # name
  wait_for_change "$mother"
  import -silent -window "$mother" "$out/$1_mother.png"
  import -silent -window "$scout" "$out/$1_scout.png"
}

shoot_both default
