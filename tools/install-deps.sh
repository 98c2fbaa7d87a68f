#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Tonalisk need; only the
# missing ones, without questions. --ci adds what only CI uses (clang, for the fuzzer; lld, which
# links the many test programs faster; PipeWire, for the sound-server faults under it, which a
# desktop's own login could otherwise take up in place of its sound server).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-qpa-plugins qt6-wayland libxcb1-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libmpg123-dev libsndfile1-dev libtag1-dev libkissfft-dev
  libfluidsynth-dev timgm6mb-soundfont libseccomp-dev
  libsdl2-dev libpulse-dev libuchardet-dev
  libgtest-dev libgmock-dev libbenchmark-dev lame
  locales
  fonts-ipafont-gothic
  xvfb openbox xdotool x11-apps x11-utils imagemagick pulseaudio pulseaudio-utils desktop-file-utils
  dbus-daemon playerctl weston at-spi2-core python3-pyatspi appstream orca speech-dispatcher
  python3 python3-numpy python3-xlib
)
[ "${1:-}" = "--ci" ] && packages+=(clang lld pipewire pipewire-pulse wireplumber)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
exit 0
