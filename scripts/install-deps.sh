#!/usr/bin/env bash
# Installs the Debian packages Zephalon needs to build, run and test.
# Runs as root or through sudo; does nothing when everything is there. Every name is a real
# package (dpkg knows no virtual ones, so a virtual name would look missing on every run).
# ZPH_DEPS_NO_APT=1: fail instead of calling apt when something is missing (CI checks with it
# that a machine with everything installed runs no apt at all).
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build ccache pkg-config git
  clang-14 libclang-rt-14-dev llvm-14
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-webengine-dev libjs-leaflet
  qt6-svg-dev qt6-image-formats-plugins qt6-translations-l10n
  libgl1-mesa-dev libxkbcommon-dev
  libgeographiclib-dev libwmf-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  poppler-utils cups-client cups-daemon locales
  gpsbabel
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "${ZPH_DEPS_NO_APT:-0}" = 1 ]; then
    echo "install-deps: would call apt for: ${missing[*]}" >&2
    exit 1
  fi
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
