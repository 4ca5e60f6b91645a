#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; packages already present are skipped.
set -euo pipefail

packages=(
  cmake g++ pkg-config
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libssl-dev libstb-dev
  libfreetype-dev libfontconfig-dev libharfbuzz-dev fonts-ipaexfont-gothic fonts-dejavu-core
  libopenal-dev libsndfile1-dev libvorbis-dev libogg-dev libtheora-dev
  libbullet-dev libtinygltf-dev libimgui-dev libxxhash-dev
  libgtest-dev libgmock-dev
  xvfb xauth xdotool libx11-dev
  lua5.4
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" != "0" ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
