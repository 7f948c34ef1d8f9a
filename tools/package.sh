#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: the program alone, in a release build with Debian's hardening flags (fortified
# functions, stack protector, relocations read-only and bound at start-up), into build-package/, then cpack.
# Prints the package's path. Arguments go to CMake's configure step, e.g. -DSOLAR_PACKAGE_MAINTAINER=...
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages "${run_packages[@]}" dpkg-dev file
package_dir="$project_root/build-package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$project_root" -B "$package_dir" -DCMAKE_BUILD_TYPE=Release -DSOLAR_WERROR=ON \
  -DSOLAR_BUILD_TESTS=OFF -DSOLAR_BUILD_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$package_dir" -j "$(nproc)" >/dev/null
(cd "$package_dir" && rm -f ./*.deb && cpack -G DEB >/dev/null)
ls "$package_dir"/*.deb
