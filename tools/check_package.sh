#!/usr/bin/env bash
# Builds the Debian package from a build folder, lists its contents, unpacks it into a temporary folder
# (nothing is installed on the machine), runs the unpacked program with --version and --help, validates its
# desktop entry and manual page, and checks that the manual page names every key the README lists.
# Usage: tools/check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package check failed: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/cpack/*.deb)
echo "== $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
[[ $depends == *libglut* && $depends == *libglu1* ]] || fail "Depends lacks the GL libraries: $depends"

unpacked="$work/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
program="$unpacked/usr/bin/solar_demo"
manual="$unpacked/usr/share/man/man6/solar_demo.6"
desktop="$unpacked/usr/share/applications/solar_demo.desktop"
for file in "$program" "$manual" "$desktop" "$unpacked/usr/share/icons/hicolor/128x128/apps/solar_demo.png" \
  "$unpacked/usr/share/doc/solar_demo/README.md" "$unpacked/usr/share/doc/solar_demo/docs/how-it-works.md"; do
  [ -e "$file" ] || fail "the package lacks ${file#"$unpacked"}"
done

[ "$(env -u DISPLAY "$program" --version)" = "solar_demo $version" ] || fail "--version does not print $version"
env -u DISPLAY "$program" --help >"$work/help.txt" || fail "--help did not exit 0"
grep -q "^Usage: solar_demo" "$work/help.txt" || fail "--help prints no usage"

# desktop-file-validate's hints are advice, not faults: Education and Science are both main categories.
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 || true
if grep -v ': hint: ' "$work/desktop.txt" | grep .; then fail "desktop-file-validate found faults in the menu entry"; fi
LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>"$work/man.txt" >/dev/null
if [ -s "$work/man.txt" ]; then
  cat "$work/man.txt"
  fail "the manual page has warnings"
fi

# Every key in the README's key section: single characters in backticks, and the named keys of its tables.
sed -n '/^## Keys/,/^## /p' "$root/README.md" >"$work/readme_keys.md"
readme_keys=$({
  grep -o '`[^`]`' "$work/readme_keys.md" | tr -d '`'
  grep -oE '^\| (space|Escape) ' "$work/readme_keys.md" | tr -d '| '
} | sort -u)
# Every key tagged in the manual page's KEYS section: the bold words of the tag after each .TP.
manual_keys=$(sed -n '/^\.SH KEYS/,/^\.SH [^K]/p' "$manual" | awk '
  previous == ".TP" && /^\.BR? / { sub(/^\.BR? /, ""); gsub(/"[^"]*"/, " "); gsub(/\\-/, "-"); print }
  { previous = $0 }' | tr ' ' '\n' | grep . | sort -u)
missing=$(comm -23 <(echo "$readme_keys") <(echo "$manual_keys"))
[ -z "$missing" ] || fail "keys the README lists but the manual page does not: $(echo $missing)"
echo "package check passed: $(echo "$readme_keys" | wc -l) keys of the README are in the manual page"
