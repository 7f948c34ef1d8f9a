# Shared by the project's scripts: installs the Debian packages they need (only those missing, through sudo
# SPDX-License-Identifier: MIT
# when not root) and configures and builds the tree into build/.
# shellcheck shell=bash

project_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$project_root/build"

# What building and running the program need on a fresh Debian machine.
run_packages=(
  cmake g++ make pkg-config
  libgl-dev libgl1-mesa-dri libglu1-mesa-dev freeglut3-dev libx11-dev libpng-dev
)
# What the tests and benchmarks need besides, and the virtual X server the other scripts draw on.
required_packages=(
  "${run_packages[@]}"
  libxtst-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
)
# What the test script needs beyond that: the second compiler, and the tools that build and check the
# Debian package.
test_packages=(clang dpkg-dev file desktop-file-utils appstream man-db lintian x11-utils)

install_missing_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures build/ with warnings as errors; the arguments say which parts of the tree to build.
configure_build_dir() {
  cmake -S "$project_root" -B "$build_dir" -DSOLAR_WERROR=ON "$@" >/dev/null
}

# The whole tree, built incrementally.
build_project() {
  configure_build_dir -DSOLAR_BUILD_TESTS=ON -DSOLAR_BUILD_BENCHMARKS=ON
  cmake --build "$build_dir" -j "$(nproc)"
}

# Only the program, for running it: no test or benchmark targets, so none of their packages are needed.
build_program() {
  configure_build_dir -DSOLAR_BUILD_TESTS=OFF -DSOLAR_BUILD_BENCHMARKS=OFF
  cmake --build "$build_dir" -j "$(nproc)" --target solar_demo
}

# The whole tree built with clang as well, warnings as errors: what g++ lets pass must not break a user's
# clang build. Built, not run: the suite runs on the g++ build.
clang_dir="$project_root/build-clang"
build_with_clang() {
  CXX=clang++ cmake -S "$project_root" -B "$clang_dir" -DSOLAR_WERROR=ON >/dev/null
  cmake --build "$clang_dir" -j "$(nproc)"
}

# The whole tree, tests and benchmarks included, built with AddressSanitizer and UndefinedBehaviorSanitizer
# and warnings as errors, into build-sanitize/.
sanitize_dir="$project_root/build-sanitize"
build_sanitized() {
  cmake -S "$project_root" -B "$sanitize_dir" -DSOLAR_WERROR=ON -DSOLAR_SANITIZE=ON -DSOLAR_BUILD_TESTS=ON \
    -DSOLAR_BUILD_BENCHMARKS=ON >/dev/null
  cmake --build "$sanitize_dir" -j "$(nproc)"
}

# Runs the sanitizer build's unit and end-to-end suites (not the package and Windows tests, which build and
# run other programs). Any report ends the process that makes it and so fails its test: undefined
# behaviour, a memory error, or a leak, with only the GL driver's own memory suppressed. The sanitizers'
# options are built into the programs (cmake/sanitizer_options.cpp), so ctest run by hand there does the same.
run_sanitized_suite() {
  (cd "$sanitize_dir" && ctest -j "$(nproc)" --output-on-failure -LE 'package|windows' "$@")
}

# Runs a command with an X display: the current one, or a private virtual server when there is none.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    # -noreset: one test process after another connects, and a reset between them would refuse connections.
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  fi
}
