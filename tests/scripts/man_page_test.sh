#!/usr/bin/env bash
# The manual page and the desktop entry as installed: the page names exactly the options `--help` names
# (read out of both, so an option added to both keeps this passing), carries the program's version,
# formats without a warning; the desktop entry is valid and hands the file manager's file to the player;
# `cmake --install` puts both where the desktop and man(1) look.
# Usage: man_page_test.sh PLAYER BUILD_DIR
set -euo pipefail
player=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for tool in groff desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "skipped: needs $tool"; exit 77; }
done
cmake --install "$build" --prefix "$work/usr" >/dev/null
page="$work/usr/share/man/man1/zenk-vuvaz.1"
entry="$work/usr/share/applications/zenk-vuvaz.desktop"
status=0
fail() { echo "FAIL: $*"; status=1; }
[ -f "$page" ] || { echo "FAIL: cmake --install put no $page"; exit 1; }
[ -f "$entry" ] || { echo "FAIL: cmake --install put no $entry"; exit 1; }

# Options are words of one or two dashes standing after a space, a bracket or a bar (not inside
# "day-month" or "./--name").
options() { grep -oE '(^|[[:space:]|[])--?[a-z][a-z0-9-]*' | sed -E 's/^[[:space:]|[]//' | sort -u; }
"$player" --help | options >"$work/help"
sed 's/\\-/-/g' "$page" | grep -v '^\.\\"' | options >"$work/page"
[ -s "$work/help" ] || fail "no option found in --help"
diff -u --label --help --label zenk-vuvaz.1 "$work/help" "$work/page" >"$work/diff" ||
  fail "the options of --help and of the manual page differ:"$'\n'"$(cat "$work/diff")"

version=$("$player" --version)
grep -q "^\.TH .*\"$version\"" "$page" || fail "the page's header does not name \"$version\""

warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the page:"$'\n'"$warnings"

desktop-file-validate "$entry" || fail "desktop-file-validate refuses the desktop entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[[ "$exec_line" =~ ^zenk-vuvaz\ %[fF]$ ]] || fail "Exec=$exec_line does not pass the chosen file to the player"
mime_line=";$(sed -n 's/^MimeType=//p' "$entry")"
for type in video/x-msvideo video/x-dv video/quicktime; do
    [[ "$mime_line" == *";$type;"* ]] || fail "the desktop entry does not offer to open $type"
done
exit $status
