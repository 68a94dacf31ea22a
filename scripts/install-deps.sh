#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already present.
set -euo pipefail
packages=(g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev libicu-dev fonts-ipafont-gothic qt6-translations-l10n xvfb xauth
          desktop-file-utils appstream dpkg-dev librsvg2-bin shared-mime-info libglib2.0-bin
          qt6-charts-dev libqt6opengl6-dev
          git clang clang-format libclang-rt-dev
          openbox x11-utils xdotool poppler-utils syncthing)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
