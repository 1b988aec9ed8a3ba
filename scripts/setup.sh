#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Only missing
# packages are installed, so a prepared machine pays nothing.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev
    libqcustomplot-dev libqcustomplot2.1-qt6
    clang libclang-rt-dev
    socat python3
    libmosquitto-dev mosquitto mosquitto-clients
    libgl-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
