#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the program for 64-bit Windows into build-windows/: installs mingw-w64 and Wine, takes
# freeglut's source from Debian's archive, builds it as a static library and the program against it, checks
# that the .exe needs no MinGW runtime DLL, and packs it into build-windows/solar_demo-VERSION-windows-x64.zip
# with a README of its own (its keys from the .exe's own --help), the licence, and the notices of what is
# linked into it. It also prepares the Wine prefix the test runs the .exe in.
# A second run reuses the source, freeglut and the prefix, and rebuilds only what changed.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_missing_packages cmake make dpkg-dev mingw-w64 wine wine64 icoutils

windows_dir="$project_root/build-windows"
toolchain="$project_root/cmake/mingw-w64-x86_64.cmake"
freeglut_source="$windows_dir/freeglut-source"
freeglut_prefix="$windows_dir/freeglut"
program_dir="$windows_dir/program"
export WINEPREFIX="$windows_dir/wine-prefix" WINEDEBUG=-all
mkdir -p "$windows_dir"

# apt-get source needs deb-src entries, which the machine may not have. They are made from its own deb
# entries into a temporary apt configuration, with lists and caches of its own: the machine's apt
# configuration and package lists stay as they were.
fetch_freeglut_source() {
  [ -f "$freeglut_source/CMakeLists.txt" ] && return 0
  local apt
  apt=$(mktemp -d)
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/download"
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -e "$file" ] && sed 's/^Types:.*/Types: deb-src/' "$file" >"$apt/parts/$(basename "$file")"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt/sources.list"
  else
    : >"$apt/sources.list"
  fi
  local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root -qq)
  apt-get "${options[@]}" update
  (cd "$apt/download" && apt-get "${options[@]}" source --download-only freeglut)
  rm -rf "$freeglut_source"
  # apt has checked the files against the archive's signed index; the uploader's own key is not on the machine.
  dpkg-source --no-check -x "$apt"/download/freeglut_*.dsc "$freeglut_source" >/dev/null
  rm -rf "$apt"
}

build_freeglut() {
  [ -f "$freeglut_prefix/lib/cmake/FreeGLUT/FreeGLUTConfig.cmake" ] && return 0
  cmake -S "$freeglut_source" -B "$windows_dir/freeglut-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-w -DCMAKE_INSTALL_PREFIX="$freeglut_prefix" -DFREEGLUT_BUILD_DEMOS=OFF \
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON >/dev/null
  cmake --build "$windows_dir/freeglut-build" -j "$(nproc)" >/dev/null
  cmake --install "$windows_dir/freeglut-build" >/dev/null
}

build_program() {
  cmake -S "$project_root" -B "$program_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$freeglut_prefix" -DSOLAR_WERROR=ON >/dev/null
  cmake --build "$program_dir" -j "$(nproc)" >/dev/null
}

# A MinGW runtime DLL (libgcc, libstdc++, winpthreads) would have to be shipped beside the .exe.
check_imports() {
  local imports
  imports=$(x86_64-w64-mingw32-objdump -p "$program_dir/solar_demo.exe" | sed -n 's/^\tDLL Name: //p')
  echo "solar_demo.exe imports: $(echo $imports)"
  if grep -iE '^(libgcc|libstdc|libwinpthread)' <<<"$imports"; then
    echo "solar_demo.exe needs the MinGW runtime DLLs above" >&2
    exit 1
  fi
}

# Windows' Notepad wants CRLF line ends.
crlf() { sed 's/\r*$/\r/'; }

# The zip's README: how to start the program and its keys, as the .exe itself lists them.
write_windows_readme() {
  {
    cat "$project_root/packaging/windows-readme.txt"
    env -u DISPLAY wine "$program_dir/solar_demo.exe" --help | tr -d '\r' | sed -n '/^Commands:/,$p'
    printf '\nLicence: MIT, in LICENSE.txt. THIRD-PARTY-NOTICES.txt holds the notices of the libraries\n'
    printf 'linked into solar_demo.exe.\n'
  } | crlf >"$1"
  # A Wine server left running without a display would serve the test's Wine too, whose windows could then
  # never appear on its X server.
  wineserver --wait
}

# Everything linked into the .exe besides the program: freeglut, whose licence asks for its notice in every
# copy, and MinGW-w64's C runtime; libgcc and libstdc++ come under the GCC Runtime Library Exception, which
# asks for none but is named too.
write_notices() {
  {
    printf 'Third-party notices for solar_demo.exe\n======================================\n\n'
    printf 'freeglut %s, linked in statically (from its COPYING file):\n\n' "$(dpkg-parsechangelog -l "$freeglut_source/debian/changelog" -S Version)"
    cat "$freeglut_source/COPYING"
    printf '\n\nThe MinGW-w64 runtime (C runtime start-up and support code), linked in statically\n'
    printf '(Debian'"'"'s copyright file for it, covering every part of the MinGW-w64 tree):\n\n'
    cat /usr/share/doc/mingw-w64-common/copyright
    printf '\n\nlibgcc and libstdc++ from GCC, linked in statically, are under the GNU GPL version 3 with\n'
    printf 'the GCC Runtime Library Exception version 3.1, which allows this use without further terms.\n'
  } | crlf >"$1"
}

pack_zip() {
  local version name
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$program_dir/CMakeCache.txt")
  name="solar_demo-$version-windows-x64"
  rm -rf "${windows_dir:?}/$name" "$windows_dir"/solar_demo-*-windows-x64.zip
  mkdir "$windows_dir/$name"
  cp "$program_dir/solar_demo.exe" "$windows_dir/$name/"
  crlf <"$project_root/LICENSE" >"$windows_dir/$name/LICENSE.txt"
  write_windows_readme "$windows_dir/$name/README.txt"
  write_notices "$windows_dir/$name/THIRD-PARTY-NOTICES.txt"
  (cd "$windows_dir" && cmake -E tar cf "$name.zip" --format=zip "$name")
  rm -rf "${windows_dir:?}/$name"
  echo "$windows_dir/$name.zip"
}

# A Wine prefix is made once; making it takes most of the first run's time.
prepare_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  env -u DISPLAY wineboot --init >/dev/null 2>&1
  wineserver --wait
}

fetch_freeglut_source
build_freeglut
build_program
check_imports
prepare_wine_prefix
pack_zip
