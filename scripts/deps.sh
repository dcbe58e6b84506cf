#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Quick when everything is present: dpkg is asked first, apt only when needed.
set -euo pipefail

TK_PACKAGES=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6test6 libqt6printsupport6 libqt6widgets6
  qt6-qpa-plugins
  zlib1g-dev libjpeg62-turbo-dev libgtest-dev libbenchmark-dev
  fonts-arphic-uming fonts-wqy-zenhei fonts-liberation fonts-dejavu-core fontconfig
  cups cups-client cups-bsd printer-driver-cups-pdf libcups2-dev
  poppler-utils
)

missing=()
for pkg in "${TK_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
