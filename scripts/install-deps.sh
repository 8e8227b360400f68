#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the player need; does nothing when all are present.
# With --list, prints the packages one a line and installs nothing (scripts/check-element-packages.sh
# compares them with the packages of the GStreamer elements the program makes).
set -euo pipefail
pkgs=(cmake ninja-build g++ make pkg-config
      qt6-base-dev qt6-base-dev-tools zlib1g-dev
      libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libavcodec-dev
      libgstreamer1.0-0 gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
      gstreamer1.0-x gstreamer1.0-gl gstreamer1.0-alsa gstreamer1.0-pulseaudio gstreamer1.0-tools
      libgtest-dev googletest libbenchmark-dev
      fonts-liberation xvfb xauth x11-utils openbox libxcb1-dev ffmpeg mediainfo strace
      groff-base desktop-file-utils
      clang libclang-rt-14-dev time git)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${pkgs[@]}"
  exit 0
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
