#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Tonalisk need; only the
# missing ones, without questions. --ci adds what only CI uses (clang, for the fuzzer) and
# generates the locales that the tag-reading tests run under.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-qpa-plugins qt6-wayland libxcb1-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfluidsynth-dev timgm6mb-soundfont
  libsdl2-dev libpulse-dev libuchardet-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb openbox xdotool x11-apps x11-utils imagemagick pulseaudio pulseaudio-utils desktop-file-utils
  dbus-daemon playerctl weston at-spi2-core python3-pyatspi appstream
  python3 python3-numpy python3-xlib
)
[ "${1:-}" = "--ci" ] && packages+=(clang locales)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Tag text in legacy code pages is read as a Japanese, a Russian and an English user reads it;
# the tests skip a locale that is not there.
generate_test_locales() {
  for locale in ja_JP ru_RU en_US; do
    locale -a 2>/dev/null | grep -qix "$locale.utf-\?8" ||
      $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  done
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ "${1:-}" = "--ci" ] && generate_test_locales
exit 0
