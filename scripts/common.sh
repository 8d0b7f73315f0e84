# Shared set-up of the test and demo commands: packages, build, Wine prefix.
# Sourced, not run.

set -euo pipefail

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$REPO_ROOT/build}
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
# Wine asks for nothing and installs no add-ons into the private prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

REQUIRED_PACKAGES=(mingw-w64 wine wine64 wine64-tools cmake ninja-build googletest)

log() { printf '== %s\n' "$*" >&2; }

# The 64-bit loader by its own name: with the 32-bit Wine installed too, the
# plain "wine" starts the 32-bit loader first.
wine64() {
    if [ -x /usr/lib/wine/wine64 ]; then /usr/lib/wine/wine64 "$@"; else wine "$@"; fi
}

install_missing_packages() {
    local missing=()
    for package in "${REQUIRED_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

configure_and_build() {
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    log "configuring and building in $BUILD_DIR"
    cmake -G Ninja -S "$REPO_ROOT" -B "$BUILD_DIR" \
        -DCMAKE_TOOLCHAIN_FILE="$REPO_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DWARNINGS_AS_ERRORS=$werror >/dev/null
    cmake --build "$BUILD_DIR"
}

ensure_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating the Wine prefix $WINEPREFIX"
        wine64 wineboot --init </dev/null >/dev/null 2>&1
        wineserver -w
    fi
}

# A warm wineserver for the whole run. Its stdio goes to /dev/null: Wine's
# service processes inherit open descriptors, and a runner waiting on them
# would never finish.
start_wineserver() {
    wineserver -p </dev/null >/dev/null 2>&1 || true  # one may be running already
    trap stop_wineserver EXIT
    # The first Wine process starts the prefix's services; start them here,
    # detached from the caller's pipes.
    wine64 cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wineserver() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}

to_windows_path() {
    wine64 winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'
}
