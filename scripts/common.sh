# Shared set-up of the test and demo commands: packages, build, Wine prefix.
# Sourced, not run.

set -euo pipefail

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$REPO_ROOT/build}
# The 32-bit build, run in a 64-bit prefix of its own as a 32-bit host process
# runs on 64-bit Windows.
BUILD_DIR_32=${BUILD_DIR_32:-$BUILD_DIR/win32}
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
# Wine asks for nothing and installs no add-ons into the private prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

REQUIRED_PACKAGES=(mingw-w64 wine wine64 wine64-tools cmake ninja-build googletest wixl msitools)

log() { printf '== %s\n' "$*" >&2; }

# The 64-bit loader by its own name: with the 32-bit Wine installed too, the
# plain "wine" starts the 32-bit loader first.
wine64() {
    if [ -x /usr/lib/wine/wine64 ]; then /usr/lib/wine/wine64 "$@"; else wine "$@"; fi
}

# A mirror in the middle of a sync fails an update for a while; the update is
# tried again, and after the last try the install goes on with the lists that
# did arrive (it fails by itself if a package is not in them).
update_package_lists() {
    local attempt attempts=4
    for ((attempt = 1; attempt <= attempts; attempt++)); do
        "$@" apt-get update -qq && return 0
        log "updating the package lists failed (attempt $attempt)"
        [ "$attempt" -eq "$attempts" ] || sleep $((attempt * 15))
    done
    return 0
}

# The required packages and those given, for example wine32:i386 (which needs
# the i386 architecture added first).
install_missing_packages() {
    local missing=()
    for package in "${REQUIRED_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
            $sudo dpkg --add-architecture i386
        fi
        update_package_lists $sudo
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# Packages the commands can do without, for example wine32:i386 for running
# the 32-bit tests: a failed install is reported and the command goes on.
install_optional_packages() {
    (install_missing_packages "$@") || log "could not install $*; going on without"
}

# configure [DIR [ARCH]]: configures DIR (default $BUILD_DIR) for ARCH,
# x86_64 (the default) or i686.
configure() {
    local dir=${1:-$BUILD_DIR} arch=${2:-x86_64} werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    log "configuring $dir ($arch)"
    cmake -G Ninja -S "$REPO_ROOT" -B "$dir" \
        -DCMAKE_TOOLCHAIN_FILE="$REPO_ROOT/cmake/mingw-w64-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DWARNINGS_AS_ERRORS=$werror >/dev/null
}

# configure_and_build [DIR [ARCH]]
configure_and_build() {
    configure "$@"
    log "building in ${1:-$BUILD_DIR}"
    cmake --build "${1:-$BUILD_DIR}"
}

# Makes DIR's Wine prefix the one the following commands use.
use_prefix_of() {
    export WINEPREFIX=$1/wineprefix
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
# would never finish. "wineserver -p" exits with 0 when it starts a server
# for the prefix and with 2 when one runs already; such a server (started by
# hand, or one a running ./eventinfo uses) is used and left running.
STARTED_WINESERVER_PREFIX=
start_wineserver() {
    local status=0
    wineserver -p </dev/null >/dev/null 2>&1 || status=$?
    case $status in
        0) STARTED_WINESERVER_PREFIX=$WINEPREFIX ;;
        2) log "a wineserver runs already for $WINEPREFIX: using it, and leaving it running" ;;
        *) log "wineserver -p failed with status $status: each Wine program starts its own" ;;
    esac
    trap stop_wineserver EXIT
    # The first Wine process starts the prefix's services; start them here,
    # detached from the caller's pipes.
    wine64 cmd /c exit </dev/null >/dev/null 2>&1
}

# Stops the wineserver start_wineserver started, and no other.
stop_wineserver() {
    [ -n "$STARTED_WINESERVER_PREFIX" ] || return 0
    WINEPREFIX=$STARTED_WINESERVER_PREFIX wineserver -k </dev/null >/dev/null 2>&1 || true
    STARTED_WINESERVER_PREFIX=
}

# Whether this machine runs 32-bit (i386) programs, asked once of the 32-bit
# Wine loader: some kernels refuse them ("Exec format error"), and under Wine
# every 32-bit program then fails to start. Sets CANNOT_RUN_32BIT to the
# reason, empty when they run.
CANNOT_RUN_32BIT=
probe_32bit() {
    local loader=/usr/lib/wine/wine output status=0
    CANNOT_RUN_32BIT=
    if [ ! -x "$loader" ]; then
        CANNOT_RUN_32BIT="the 32-bit Wine ($loader, package wine32:i386) is not installed"
        return
    fi
    output=$("$loader" --version </dev/null 2>&1) || status=$?
    [ "$status" -ne 0 ] || return 0
    case $output in
        *"Exec format error"*) CANNOT_RUN_32BIT="the kernel refuses 32-bit programs ($loader --version: Exec format error)" ;;
        *) CANNOT_RUN_32BIT="$loader --version failed with status $status: $(printf '%s' "$output" | head -1)" ;;
    esac
}

to_windows_path() {
    wine64 winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'
}
