#!/usr/bin/env bash
# Fails when scripts/install-deps.sh does not install the Debian package of a GStreamer element the player
# or its tests make. The elements come from the program's own list (tools/zv-elements prints it); each one
# is traced to its package on this machine (gst-inspect-1.0 names the plugin file, dpkg -S the package
# owning it), and that package must be in the install script's list: a package installed here by hand
# does not make up for one the script leaves out. The program's own element has no package and is skipped.
#
# Usage: check-element-packages.sh ZV_ELEMENTS [INSTALL_SCRIPT]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 ZV_ELEMENTS [INSTALL_SCRIPT]" >&2; exit 2; }
list_tool=$1
script=${2:-"$(dirname "$0")/install-deps.sh"}

installs=$(bash "$script" --list)
elements=$("$list_tool")

# The plugin file of an element; GStreamer's core library for the elements built into it ("(null)").
plugin_file() {
  local file
  file=$(gst-inspect-1.0 "$1" 2>/dev/null | awk '$1 == "Filename" { print $2; exit }') || true
  if [ "$file" = "(null)" ]; then
    file=$(ldd "$(command -v gst-inspect-1.0)" | awk '/libgstreamer-1\.0\.so/ { print $3; exit }')
  fi
  printf '%s' "$file"
}

# The Debian package owning each plugin file, without its architecture; /lib is searched as /usr/lib too.
# One dpkg query for all the files: a query of its own for each would be most of the check's time.
declare -A owners=()
find_owners() {
  local line path package
  while IFS= read -r line; do
    [[ "$line" == diversion* ]] && continue
    path=${line#*: }
    package=${line%%: *}
    package=${package%%:*}
    [ -n "${owners[$path]:-}" ] || owners[$path]=$package
  done < <(dpkg -S "$@" 2>/dev/null || true)
}
owner_package() { printf '%s' "${owners[$(readlink -f "$1")]:-}"; }

installed_by_script() { grep -qxF "$1" <<<"$installs"; }

failures=0
checked=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

declare -A plugin_files=()
while IFS=$'\t' read -r element listed _user _use; do
  [ -n "$element" ] && [ "$listed" != "-" ] && plugin_files[$element]=$(plugin_file "$element")
done <<<"$elements"
resolved=()
for file in "${plugin_files[@]}"; do
  [ -n "$file" ] && resolved+=("$(readlink -f "$file")")
done
if [ ${#resolved[@]} -gt 0 ]; then
  mapfile -t resolved < <(printf '%s\n' "${resolved[@]}" | sort -u)
  find_owners "${resolved[@]}"
fi

while IFS=$'\t' read -r element listed _user _use; do
  [ -n "$element" ] || continue
  [ "$listed" != "-" ] || continue
  checked=$((checked + 1))
  file=${plugin_files[$element]}
  if [ -z "$file" ]; then
    if installed_by_script "$listed"; then
      fail "element \"$element\" is not installed here, though $script installs $listed, its package in the program's list"
    else
      fail "element \"$element\" needs Debian package $listed, which $script does not install (nor is it installed here)"
    fi
    continue
  fi
  package=$(owner_package "$file")
  if [ -z "$package" ]; then
    fail "element \"$element\": no Debian package owns its plugin file $file"
  elif ! installed_by_script "$package"; then
    fail "element \"$element\" needs Debian package $package, which $script does not install"
  elif [ "$package" != "$listed" ]; then
    fail "element \"$element\" comes from Debian package $package, but the program's list says $listed"
  fi
done <<<"$elements"

if [ "$failures" -gt 0 ]; then
  echo "$failures of $checked GStreamer elements are not covered by $script" >&2
  exit 1
fi
echo "All $checked GStreamer elements come from packages $script installs."
