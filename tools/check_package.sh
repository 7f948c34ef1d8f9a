#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package with tools/package.sh and checks it as a distribution would: lintian --pedantic
# finds nothing, information tags included, but the placeholder maintainer's address that the package's own
# override explains; the version agrees everywhere it is written; the package, unpacked into a temporary
# folder (nothing is installed on the machine), runs, and its windows carry the menu entry's WM_CLASS; the
# menu entry, the AppStream metadata and the manual page validate; the program starts with a shipped lesson
# as a file manager hands one over, and the menu entry opens the lesson file type. (Which keys the README and
# the manual page name is the KeyTables test's to check.)
# Needs an X display for the windows. Usage: tools/check_package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
program_pid=""
trap '[ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "package check failed: $*" >&2
  exit 1
}

deb=$("$root/tools/package.sh" 2>"$work/package.log" | tail -n 1) || { cat "$work/package.log"; fail "package.sh"; }
echo "== $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
[[ $depends == *libglut* && $depends == *libglu1* ]] || fail "Depends lacks the GL libraries: $depends"

echo "== lintian --pedantic -I"
lintian --pedantic -I --fail-on error,warning,info,pedantic "$deb" || fail "lintian found the tags above"

unpacked="$work/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
program="$unpacked/usr/bin/solar_demo"
manual="$unpacked/usr/share/man/man1/solar_demo.1.gz"
desktop=$(echo "$unpacked"/usr/share/applications/*.desktop)
metainfo="$unpacked/usr/share/metainfo/$(basename "$desktop" .desktop).metainfo.xml"
docs="$unpacked/usr/share/doc/solar-demo"
for file in "$program" "$manual" "$desktop" "$metainfo" "$unpacked/usr/share/icons/hicolor/128x128/apps/solar_demo.png" \
  "$docs/README.md" "$docs/README.Debian" "$docs/copyright" "$docs/changelog.gz" "$docs/docs/how-it-works.md"; do
  [ -e "$file" ] || fail "the package lacks ${file#"$unpacked"}"
done

# One version: the newest CHANGELOG.md entry, the program's --version, the package, the manual page's
# header and the packaged changelog.
version=$(sed -nE 's/^## ([^ ]+) \(.*/\1/p' "$root/CHANGELOG.md" | head -n 1)
[ -n "$version" ] || fail "CHANGELOG.md has no entry"
[ "$(env -u DISPLAY "$program" --version)" = "solar_demo $version" ] || fail "--version does not print $version"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
zgrep -q "^\.TH SOLAR_DEMO 1 .* \"solar_demo $version\"" "$manual" || fail "the manual page's header lacks $version"
zcat "$docs/changelog.gz" | head -n 1 | grep -qF "solar-demo ($version)" || fail "the changelog does not start at $version"
echo "version $version everywhere"

env -u DISPLAY "$program" --help >"$work/help.txt" || fail "--help did not exit 0"
# A .lesson file: its type is the menu entry's to open, with the file handed over as %f.
lessons=("$unpacked/usr/share/solar-demo/lessons/"*.lesson)
[ -e "${lessons[0]}" ] || fail "the package ships no lesson"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$unpacked/usr/share/mime/packages/solar-demo.xml")
grep -q "^MimeType=$mime_type;$" "$desktop" || fail "the menu entry does not open $mime_type"
grep -q '^Exec=solar_demo %f$' "$desktop" || fail "the menu entry does not hand the file over"
grep -q "^Usage: solar_demo" "$work/help.txt" || fail "--help prints no usage"

# desktop-file-validate's hints are advice, not faults: Education and Science are both main categories.
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 || true
if grep -v ': hint: ' "$work/desktop.txt" | grep .; then fail "desktop-file-validate found faults in the menu entry"; fi
# The metadata software centres read: no error, warning or note (--strict; pedantic hints are shown); it
# launches the menu entry, and it lists this version.
appstreamcli validate --no-net --strict --pedantic "$metainfo" || fail "appstreamcli found the faults above in the metadata"
grep -qF "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
  fail "the metadata does not launch $(basename "$desktop")"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metadata's releases lack $version"
LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>"$work/man.txt" >/dev/null
if [ -s "$work/man.txt" ]; then
  cat "$work/man.txt"
  fail "the manual page has warnings"
fi

# The menu entry's StartupWMClass on both windows of the running program.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ -n "$wm_class" ] || fail "the menu entry names no StartupWMClass"
[ -n "${DISPLAY:-}" ] || fail "no X display to run the program on"
# Started as the menu entry starts it for a lesson opened in a file manager.
"$program" "${lessons[0]}" &
program_pid=$!
for title in "Mother Ship" "Scout Ship"; do
  deadline=$((SECONDS + 60))
  # The window may be found before its class is set: "WM_CLASS:  not found." until then.
  until class=$(xprop -name "$title" WM_CLASS 2>/dev/null) && [[ $class == "WM_CLASS("* ]]; do
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its \"$title\" window appeared"
    [ $SECONDS -lt $deadline ] || fail "no \"$title\" window with a WM_CLASS within 60 s"
    sleep 0.1
  done
  [ "$class" = "WM_CLASS(STRING) = \"$wm_class\", \"$wm_class\"" ] || fail "\"$title\" has $class"
done
echo "both windows carry WM_CLASS $wm_class"
echo "package check passed"
