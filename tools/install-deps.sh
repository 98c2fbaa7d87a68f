#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Tonalisk need; only the
# missing ones, without questions. --ci adds what only CI uses (clang, for the fuzzer).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-qpa-plugins
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfluidsynth-dev timgm6mb-soundfont
  libsdl2-dev libpulse-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb xdotool x11-apps imagemagick pulseaudio pulseaudio-utils desktop-file-utils
  python3 python3-numpy python3-xlib
  # the peers and the second sound server of bench/perf_table.py
  mpg123 ffmpeg pipewire pipewire-pulse wireplumber dbus
)
[ "${1:-}" = "--ci" ] && packages+=(clang)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
