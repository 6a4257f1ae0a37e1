#!/usr/bin/env bash
# Installs what building and testing Quivra needs, from Debian's packages.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core xvfb xauth
    clang libclang-rt-14-dev
    clang-16 libclang-rt-16-dev
    tidy linkchecker python3-icalendar chromium
    qpdf poppler-utils
    desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
