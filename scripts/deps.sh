#!/usr/bin/env bash
# Installs the Debian 12 packages Marvono needs (only what is missing).
#   scripts/deps.sh        what building and running need
#   scripts/deps.sh test   that, and the tools the tests, benchmarks and proof stages use
set -euo pipefail
PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev libqt6svg6
    libsqlcipher-dev libgsf-1-dev libpq-dev libsodium-dev libzint-dev postgresql-client-15
    fonts-liberation cups-client
    pandoc dpkg-dev file
)
if [ "${1:-}" = test ]; then
    PACKAGES+=(
        sqlcipher libbenchmark-dev python3 python3-xlrd gnumeric
        xvfb xauth locales clang libclang-rt-14-dev clang-format
        postgresql-15
        lintian appstream xdotool openbox x11-utils zbar-tools
    )
fi
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
