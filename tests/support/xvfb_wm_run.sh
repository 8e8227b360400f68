#!/usr/bin/env bash
# Runs a command on a private X server with a window manager, as a user's desktop would run it: Xvfb through
# xvfb-run on a free display, openbox on it, then the command. Exits with the command's status, or 77 (the
# status ctest is told means "skipped") when Xvfb or the window manager is missing.
#
#   xvfb_wm_run.sh COMMAND [ARGUMENTS...]
set -u
skip=77
if [ "$#" -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGUMENTS...]" >&2
  exit 2
fi
for tool in xvfb-run openbox xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)" >&2
    exit "$skip"
  fi
done

if [ -z "${ZV_XVFB_WM_INNER:-}" ]; then
  export ZV_XVFB_WM_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" "$0" "$@"
fi

# Inside the server: start the window manager and wait until it has claimed the screen (it names itself in
# _NET_SUPPORTING_WM_CHECK on the root window), so the command's first window is already managed.
config_home=$(mktemp -d)
XDG_CONFIG_HOME="$config_home" openbox --sm-disable >/dev/null 2>&1 &
wm=$!
ready=0
for _ in $(seq 1 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    ready=1
    break
  fi
  if ! kill -0 "$wm" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ "$ready" -ne 1 ]; then
  echo "the window manager did not start on $DISPLAY" >&2
  kill "$wm" 2>/dev/null
  rm -rf "$config_home"
  exit 1
fi

"$@"
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
rm -rf "$config_home"
exit "$status"
