#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the picture tour of the README into docs/ as PNG files, on a virtual X server: each pair what the
# program shows half a second after "--keys KEYS" (and "--pick X,Y") as the README gives beside it; the
# menu icon from one of them; and the guide's figures, a pick marked on the picture and the scene graph drawn
# by Graphviz. Two runs write the same files byte for byte. Installs ImageMagick and Graphviz when missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${required_packages[@]}" imagemagick graphviz
build_project
cmake --build "$build_dir" --target screenshot_tour
frames="$build_dir/screenshots"
rm -rf "$frames"
mkdir -p "$frames"
LP_NUM_THREADS=0 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build_dir/screenshot_tour" "$frames"
# -strip leaves out the time stamps that would make every run's files differ.
for picture in "$frames"/*.ppm; do
  convert "$picture" -strip "$project_root/docs/$(basename "${picture%.ppm}").png"
done
dot -Tpng "$frames/scene_graph.dot" | convert - -strip "$project_root/docs/scene_graph.png"
# The menu icon is Saturn, from the picture that follows it.
convert "$project_root/docs/saturn_mother.png" -gravity center -crop 320x320+0+0 +repage -resize 128x128 -strip \
  "$project_root/packaging/solar_demo.png"
# And the Windows program's, at the sizes Windows asks for.
convert "$project_root/packaging/solar_demo.png" -define icon:auto-resize=128,64,48,32,16 -strip \
  "$project_root/packaging/solar_demo.ico"
ls "$project_root"/docs/*.png "$project_root"/packaging/solar_demo.{png,ico}
