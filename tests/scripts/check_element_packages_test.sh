#!/usr/bin/env bash
# The element check passes on the real install script, and fails on a copy that leaves out one package,
# naming the element and that package, although the package is installed on this machine.
# Usage: check_element_packages_test.sh SCRIPTS_DIR ZV_ELEMENTS
set -euo pipefail
scripts=$1
list_tool=$2
if ! command -v gst-inspect-1.0 >/dev/null || ! command -v dpkg >/dev/null; then
  echo "skipped: the check needs gst-inspect-1.0 and dpkg"
  exit 77
fi
check="$scripts/check-element-packages.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! bash "$check" "$list_tool" "$scripts/install-deps.sh"; then
  echo "the check fails on the real install script"
  exit 1
fi

status=0
# package left out, an element it provides (pipeline: one built into GStreamer's core library)
for row in "gstreamer1.0-x ximagesink" "libgstreamer1.0-0 pipeline"; do
  read -r package element <<<"$row"
  pattern=${package//./\\.}
  sed -E "s/(^|[ (])$pattern([ )]|$)/\1\2/" "$scripts/install-deps.sh" >"$work/install-deps.sh"
  if bash "$work/install-deps.sh" --list | grep -qxF "$package"; then
    echo "could not take $package out of the copy"
    exit 1
  fi
  if out=$(bash "$check" "$list_tool" "$work/install-deps.sh" 2>&1); then
    echo "the check passes without $package: $out"
    status=1
  elif ! grep -qF "element \"$element\" needs Debian package $package, which" <<<"$out"; then
    echo "the check fails without $package but does not name \"$element\" and $package: $out"
    status=1
  fi
done
exit $status
