#!/usr/bin/env bash
# Installs the Debian packages that Quil needs to build, test and run, when
# they are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins
  libgl-dev zlib1g-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libavfilter-dev
  libsleef-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  help2man
  desktop-file-utils appstream file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
