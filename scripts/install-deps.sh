#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the window and the tests need, if any is missing
# (the Windows cross build and Wine included: the test command checks the Windows program).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev libgl1-mesa-dev qt6-translations-l10n
  xvfb xauth fonts-ipafont-gothic xdotool imagemagick x11-xserver-utils
  chromium fonts-noto-cjk
  python3-jsonschema
  clang-14 libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64 python3
  locales
  dpkg-dev zip unzip zlib1g-dev desktop-file-utils shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
