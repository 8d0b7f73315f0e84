#!/usr/bin/env bash
# Builds the 64-bit and the 32-bit component (and the inspector) and collects
# what a deployment needs into build/package/ and
# build/IEventInfoServer-package.tar.gz. Then builds the sample C client from
# the package folder alone and runs it against the package's DLLs under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGE=$BUILD_DIR/package
ARCHIVE=$BUILD_DIR/IEventInfoServer-package.tar.gz

# build_for DIR ARCH: the DLL, its type libraries and headers, and the
# inspector where the tree has it.
build_for() {
    configure "$1" "$2"
    local targets=(IEventInfoServer type_libraries)
    if cmake --build "$1" --target help | grep '^eventinfo: ' >/dev/null; then targets+=(eventinfo); fi
    log "building ${targets[*]} in $1"
    cmake --build "$1" --target "${targets[@]}"
}

# collect DIR FOLDER: one architecture's binaries into the package.
collect() {
    local from=$1 to=$PACKAGE/$2
    mkdir -p "$to"
    cp "$from/bin/IEventInfoServer.dll" "$from/generated/IEventInfoServer.tlb" "$from/generated/EventServerLib.tlb" "$to/"
    if [ -f "$from/bin/eventinfo.exe" ]; then cp "$from/bin/eventinfo.exe" "$to/"; fi
}

# check_client COMPILER FOLDER DIR: compiles samples/CClient.c with nothing
# but the package's include folder, registers the package's DLL in DIR's Wine
# prefix, runs the client on the sample project and unregisters the DLL.
check_client() {
    local compiler=$1 folder=$2 client=$3/package-check/CClient.exe
    log "building the sample C client for $folder from $PACKAGE alone"
    mkdir -p "$(dirname "$client")"
    "$compiler" -Wall -Wextra -Werror -I"$PACKAGE/include" "$PACKAGE/samples/CClient.c" \
        "$PACKAGE/include/IEventInfoServer_i.c" "$PACKAGE/include/EventServerInterfaces_i.c" \
        -lole32 -loleaut32 -luuid -static -o "$client"
    use_prefix_of "$3"
    ensure_wine_prefix
    start_wineserver
    local dll
    dll=$(to_windows_path "$PACKAGE/$folder/IEventInfoServer.dll")
    wine64 regsvr32 /s "$dll" </dev/null
    local status=0
    wine64 "$client" "$(to_windows_path "$PACKAGE/samples/data")" </dev/null | tr -d '\r' || status=$?
    wine64 regsvr32 /s /u "$dll" </dev/null
    stop_wineserver
    return $status
}

install_missing_packages
build_for "$BUILD_DIR" x86_64
build_for "$BUILD_DIR_32" i686

log "collecting into $PACKAGE"
rm -rf "$PACKAGE" "$ARCHIVE"
collect "$BUILD_DIR" x64
collect "$BUILD_DIR_32" x86
# The generated declarations do not depend on the architecture.
mkdir -p "$PACKAGE/include" "$PACKAGE/samples"
for file in IEventInfoServer.h EventServerInterfaces.h IEventInfoServer_i.c EventServerInterfaces_i.c; do
    cp "$BUILD_DIR/generated/$file" "$PACKAGE/include/"
done
cp "$REPO_ROOT/tests/interop/CClient.c" "$PACKAGE/samples/"
cp -r "$REPO_ROOT/tests/interop/data" "$PACKAGE/samples/"
cp "$REPO_ROOT/packaging/INSTALL.txt" "$PACKAGE/"
tar -C "$BUILD_DIR" -czf "$ARCHIVE" package
log "wrote $ARCHIVE"

check_client x86_64-w64-mingw32-gcc-posix x64 "$BUILD_DIR"
# The 32-bit check needs the 32-bit Wine.
if [ -x /usr/lib/wine/wine ]; then
    check_client i686-w64-mingw32-gcc-posix x86 "$BUILD_DIR_32"
else
    log "no 32-bit Wine: the x86 client is not run"
fi
(cd "$PACKAGE" && find . -type f | sort)
