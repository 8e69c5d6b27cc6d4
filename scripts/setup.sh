#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need and configures/builds the three
# build trees. Used by scripts/run.sh and scripts/test.sh; can be run by hand:
#
#   scripts/setup.sh [packages] [native] [asan] [win]    (no argument: all four)
#
# Build trees: build/native (Release, unit tests), build/native-asan (Debug, ASan + UBSan),
# build/win (mingw-w64 cross build: pictorn.exe, win32_tests.exe, e2e_driver.exe).

# One package a line, so an addition is a one-line change.
PICTORN_PACKAGES=(
    g++
    cmake
    ninja-build
    clang-format
    clang
    g++-mingw-w64-x86-64-posix
    mingw-w64-tools
    libz-mingw-w64-dev
    wine
    wine64
    libgnutls30
    xvfb
    xdotool
    x11-utils
    imagemagick
    openbox
    fonts-wine
    python3-aiosmtpd
    python3-pyftpdlib
    python3-openssl
    cups
    printer-driver-cups-pdf
    poppler-utils
    libpng-dev
    libjpeg-dev
    libgif-dev
    libtiff-dev
    libstb-dev
    zlib1g-dev
    googletest
    libgtest-dev
    openssl
    libssl-dev
    wixl
    msitools
    zip
)

PICTORN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PICTORN_BUILD="${PICTORN_BUILD_DIR:-$PICTORN_ROOT/build}" # override for a private build folder
PICTORN_JOBS="${PICTORN_JOBS:-2}"

setup_log() { echo "[setup] $*" >&2; }

setup_missing_packages() {
    local pkg
    for pkg in "${PICTORN_PACKAGES[@]}"; do
        if [[ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" != installed ]]; then
            echo "$pkg"
        fi
    done
}

setup_packages() {
    local missing
    mapfile -t missing < <(setup_missing_packages)
    ((${#missing[@]} == 0)) && return 0
    setup_log "installing: ${missing[*]}"
    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || {
            setup_log "not root and no sudo: install these packages first: ${missing[*]}"
            return 1
        }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
            --no-install-recommends "${missing[@]}" >/dev/null
}

# setup_build <name> [targets...]: configures <build>/<name> if it has not been configured yet (CMake
# re-runs itself when a CMakeLists.txt changes), then builds the given targets (or all).
setup_build() {
    local name="$1"
    shift
    local dir="$PICTORN_BUILD/$name" args=()
    case "$name" in
    native) args=(-DCMAKE_BUILD_TYPE=Release) ;;
    native-asan) args=(-DCMAKE_BUILD_TYPE=Debug -DPICTORN_SANITIZE=ON) ;;
    win) args=(-DCMAKE_BUILD_TYPE=Release
        "-DCMAKE_TOOLCHAIN_FILE=$PICTORN_ROOT/cmake/mingw-w64-posix.cmake") ;;
    *)
        setup_log "unknown build $name"
        return 2
        ;;
    esac
    # Several work trees build the same sources; a compiler cache (when installed) shares it.
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$PICTORN_ROOT")}"
        args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    mkdir -p "$dir"
    if [[ ! -f "$dir/build.ninja" ]]; then
        setup_log "configuring $dir"
        cmake -S "$PICTORN_ROOT" -B "$dir" -G Ninja "${args[@]}" >"$dir.configure.log" 2>&1 || {
            cat "$dir.configure.log" >&2
            rm -f "$dir/build.ninja"
            return 1
        }
    fi
    local targets=()
    local t
    for t in "$@"; do
        targets+=(--target "$t")
    done
    setup_log "building $dir: ${*:-all}"
    cmake --build "$dir" -j"$PICTORN_JOBS" "${targets[@]}"
}

# True when build/<name> (already configured) defines target $2.
setup_has_target() {
    ninja -C "$PICTORN_BUILD/$1" -t targets all 2>/dev/null | grep -q "^$2[.:]"
}

setup_main() {
    local steps=("$@")
    ((${#steps[@]})) || steps=(packages native native-asan win)
    local step
    for step in "${steps[@]}"; do
        case "$step" in
        packages) setup_packages || return 1 ;;
        asan) setup_build native-asan || return 1 ;;
        *) setup_build "$step" || return 1 ;;
        esac
    done
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -o pipefail
    setup_main "$@"
fi
