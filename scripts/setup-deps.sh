#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need, and only
# those that are missing: a second run asks dpkg and touches no network.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang-14 libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev
    libtinyxml-dev
    libcurl4-openssl-dev
    nginx-light curl wget
    fonts-nanum xdg-utils imagemagick
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# nginx's package starts a service on port 80 when installed; our tests run their own.
if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
    $sudo chmod +x /usr/sbin/policy-rc.d
    remove_policy=1
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
if [ "${remove_policy:-0}" = 1 ]; then
    $sudo rm -f /usr/sbin/policy-rc.d
fi
