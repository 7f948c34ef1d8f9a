#!/usr/bin/env bash
# Starts the demo on a private virtual X server, flies a short scripted tour and writes PNG screenshots of
# both windows into docs/: the start-up view, GEOSYNCH over Earth, Saturn picked with the mouse, and a
# RELATIVE turn. Needs xdotool and ImageMagick, which it installs when missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
out="$project_root/docs"

if [ "${1:-}" != "--on-this-display" ]; then
  install_missing_packages "${required_packages[@]}" xdotool imagemagick
  build_project
  mkdir -p "$out"
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --on-this-display
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
  for key in "$@"; do xdotool key "$key"; done  # through XTest, to the window under the pointer
}
shoot_both() { # name
  wait_for_change "$mother"
  import -silent -window "$mother" "$out/$1_mother.png"
  import -silent -window "$scout" "$out/$1_scout.png"
}

# The centroid of the pixels whose hue is that of the given colour, as "x y".
find_hue() { # window r g b
  import -silent -window "$1" txt:- | awk -v r="$2" -v g="$3" -v b="$4" -F'[ ,:()]+' '
    NR > 1 { pr = $3; pg = $4; pb = $5; n = sqrt(pr*pr + pg*pg + pb*pb); c = sqrt(r*r + g*g + b*b)
             if (n > 8 && (pr*r + pg*g + pb*b) / (n * c) > 0.995) { sx += $1; sy += $2; k++ } }
    END { if (k) printf "%d %d\n", sx / k, sy / k }'
}

shoot_both default
keys "$mother" 256 256 g
shoot_both earth
keys "$mother" 256 256 m p
# Saturn's colour is the scene's own, the same on every run; look for it once the reset view shows.
saturn=""
for _ in $(seq 1 100); do
  saturn=$(find_hue "$mother" 0.270 0.074 0.676)
  [ -n "$saturn" ] && break
done
[ -n "$saturn" ] || { echo "Saturn not found in the mother window" >&2; exit 1; }
read -r sx sy <<<"$saturn"
keys "$mother" "$sx" "$sy" space P
shoot_both saturn
keys "$mother" 256 256 r q q q q q q q q q q w w w w w w w w w w w w x x x x x
shoot_both relative
