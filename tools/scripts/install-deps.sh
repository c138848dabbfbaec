#!/usr/bin/env bash
# Installs the Debian packages Jacketeer needs to build, run and test.
# Idempotent and quiet when everything is already there.
set -euo pipefail

# Build and tests: the toolchain, Qt with its image-format plugins (WebP,
# TIFF), TurboJPEG, TagLib (audio tags), cpp-httplib (the retailer simulator)
# and Google Benchmark. The demo and the screenshots: xvfb-run (xvfb, xauth)
# and ImageMagick's `import`.
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-webengine-dev qt6-image-formats-plugins
  libturbojpeg0-dev libtag1-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth imagemagick
  desktop-file-utils appstream dpkg-dev libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# sudo resets the environment, so the front end is passed on the command line.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
