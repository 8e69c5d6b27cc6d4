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
    libstb-dev # bench_imaging: the JPEG writer we used before our own, for comparison
    zlib1g-dev
    googletest
    libgtest-dev
    openssl
    libssl-dev
    wixl
    msitools
    zip
    # Real servers for the tests (tests/daemons); proftpd conflicts with vsftpd as a package,
    # so it is unpacked into the build tree instead and needs its libraries from here.
    vsftpd
    exim4-daemon-light
    libmemcached11
    libmemcachedutil2
    libpcre2-posix3
    libhiredis0.14
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
    # Installed servers must not start by themselves (on port 21 and 25); the tests start
    # their own. Debian's invoke-rc.d asks this file first.
    if [[ ! -e /usr/sbin/policy-rc.d ]]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee /usr/sbin/policy-rc.d >/dev/null &&
            "${sudo[@]}" chmod 755 /usr/sbin/policy-rc.d
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
            --no-install-recommends "${missing[@]}" >/dev/null
}

# What the real servers of tests/daemons need besides their packages: the local user the FTP
# servers log in, vsftpd's empty chroot folder, Exim's trust in the project's configuration
# (without it Exim drops root) and proftpd unpacked into the build tree. Needs root.
PICTORN_TEST_USER=pictorn-test
PICTORN_TEST_PASSWORD=pictorn-s3cret
setup_daemons() {
    if ((EUID != 0)); then
        setup_log "not root: the real servers of tests/daemons are not set up"
        return 0
    fi
    if ! id -u "$PICTORN_TEST_USER" >/dev/null 2>&1; then
        useradd --system --create-home --home-dir "/home/$PICTORN_TEST_USER" --shell /bin/sh \
            "$PICTORN_TEST_USER" || return 1
    fi
    echo "$PICTORN_TEST_USER:$PICTORN_TEST_PASSWORD" | chpasswd || return 1
    mkdir -p /var/run/vsftpd/empty
    local config="$PICTORN_ROOT/tests/daemons/exim.conf" trusted=/etc/exim4/trusted_configs
    if ! grep -qxF "$config" "$trusted" 2>/dev/null; then
        echo "$config" >>"$trusted" && chmod 644 "$trusted" || return 1
    fi
    local proftpd="$PICTORN_BUILD/daemons/proftpd"
    [[ -x "$proftpd/usr/sbin/proftpd" ]] && return 0
    setup_log "unpacking proftpd into $proftpd"
    local unpack="$proftpd.unpack"
    rm -rf "$unpack" && mkdir -p "$unpack" && chmod 777 "$unpack" || return 1
    local deb
    (cd "$unpack" && { apt-get download -q proftpd-core proftpd-mod-crypto >/dev/null 2>&1 ||
        { apt-get update -q >/dev/null && apt-get download -q proftpd-core proftpd-mod-crypto \
            >/dev/null 2>&1; }; }) || {
        setup_log "cannot download proftpd"
        return 1
    }
    for deb in "$unpack"/*.deb; do
        dpkg -x "$deb" "$unpack" || return 1
    done
    rm -f "$unpack"/*.deb
    chmod 755 "$unpack" && rm -rf "$proftpd" && mv "$unpack" "$proftpd"
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
        packages) { setup_packages && setup_daemons; } || return 1 ;;
        asan) setup_build native-asan || return 1 ;;
        *) setup_build "$step" || return 1 ;;
        esac
    done
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -o pipefail
    setup_main "$@"
fi
