#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the console need (skips what is there).
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config
      qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      xvfb xauth xdotool fonts-noto-cjk qt6-translations-l10n python3
      libgdal-dev gdal-bin ghostscript lintian desktop-file-utils python3-markdown man-db dpkg-dev file imagemagick)
if [ "${1:-}" = "--bench" ]; then
  pkgs+=(libproj-dev gpsd-clients python3-pandas clang gdal-bin)
fi
if [ "${1:-}" = "--ci" ]; then  # the format check and the fuzz targets
  pkgs+=(clang clang-format git)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
