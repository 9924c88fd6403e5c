#!/usr/bin/env bash
# Installs the Debian packages Norvadex needs, only those that are missing.
# Uses sudo only when not running as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev
    libgtest-dev libgmock-dev
    nlohmann-json3-dev libcli11-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
# The package lists may be empty on a fresh machine: update once before installing.
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
