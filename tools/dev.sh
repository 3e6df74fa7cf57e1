#!/usr/bin/env bash
# Set-up and everyday commands, for a fresh Debian 12 machine (run as root):
#   bash tools/dev.sh run    install packages, build, generate the sample database, start ZELT
#   bash tools/dev.sh test   install packages, build, run every test headless (release, then ASan+UBSan)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# One package a line, so that additions merge cleanly.
packages=(
    g++
    cmake
    make
    pkg-config
    qt6-base-dev
    libgl-dev
    libsqlite3-dev
    sqlite3
    time
    mdbtools-dev
    mdbtools
    nodejs
    fonts-dejavu-core
    xvfb
    xauth
    openbox
    x11-utils
    xdotool
    poppler-utils
    dpkg-dev
    desktop-file-utils
    appstream
    lintian
    file
    rsync
    default-jre-headless
    libcommons-lang3-java
    libcommons-logging-java
    libxlsxwriter-dev
    python3-openpyxl
    libreoffice-calc-nogui
    dbus-daemon
    at-spi2-core
    python3-pyatspi
    qt6-translations-l10n
    zlib1g-dev
    libxxhash-dev
)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    # Debian's npm is a package of its own, but a Node.js from elsewhere brings npm and refuses it.
    command -v npm >/dev/null || missing+=(npm)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# build DIR [cmake options...]
build() {
    local dir=$1
    shift
    cmake -S "$root" -B "$root/build/$dir" "$@" >/dev/null
    cmake --build "$root/build/$dir" -j"$jobs"
}

# The npm packages the tests read Access files with, into the build folder (no global install).
install_node_packages() {
    local dir=$root/build/$1/node
    [ -d "$dir/node_modules/mdb-reader" ] ||
        npm install --prefix "$dir" --no-save --no-audit --no-fund mdb-reader@3.2.0 >/dev/null
}

run_tests() {
    local dir=$1
    install_node_packages "$dir"
    ZELT_REQUIRE_NODE_PACKAGES=1 ctest --test-dir "$root/build/$dir" --output-on-failure -j"$jobs"
}

case "${1:-run}" in
run)
    install_packages
    build release -DCMAKE_BUILD_TYPE=Release
    exec "$root/build/release/bin/ZELT"
    ;;
test)
    install_packages
    build release -DCMAKE_BUILD_TYPE=Release
    run_tests release
    build asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELT_SANITIZE=ON
    run_tests asan
    ;;
*)
    echo "usage: bash tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
