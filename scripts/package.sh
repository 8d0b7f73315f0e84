#!/usr/bin/env bash
# Builds the 64-bit and the 32-bit component, the inspector and the Windows
# Installer packages, and collects what a deployment needs into
# build/IEventInfoServer-VERSION/ and build/IEventInfoServer-VERSION.tar.gz.
# Then builds the sample C client from the package folder alone and runs it
# against the package's DLLs under Wine, and runs the installer checks
# (tests/scripts/Installers.sh), ending with their summary.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# build_for DIR ARCH: the DLL, its type libraries and headers, and the
# inspector where the tree has it.
build_for() {
    configure "$1" "$2"
    local targets=(IEventInfoServer type_libraries eventinfo c_client)
    if cmake --build "$1" --target help | grep '^installer: ' >/dev/null; then targets+=(installer); fi
    log "building ${targets[*]} in $1"
    cmake --build "$1" --target "${targets[@]}"
}

# collect DIR FOLDER: one architecture's binaries into the package.
collect() {
    local from=$1 to=$PACKAGE/$2
    mkdir -p "$to"
    cp "$from/bin/IEventInfoServer.dll" "$from/generated/IEventInfoServer.tlb" "$from/generated/EventServerLib.tlb" \
        "$from/bin/eventinfo.exe" "$to/"
    cp "$from/IEventInfoServer-$VERSION-$2.msi" "$PACKAGE/"
}

# build_client COMPILER FOLDER DIR: compiles samples/CClient.c with nothing
# but the package's include folder into DIR/package-check/.
build_client() {
    local compiler=$1 folder=$2 client=$3/package-check/CClient.exe
    log "building the sample C client for $folder from $PACKAGE alone"
    mkdir -p "$(dirname "$client")"
    "$compiler" -Wall -Wextra -Werror -I"$PACKAGE/include" "$PACKAGE/samples/CClient.c" \
        "$PACKAGE/include/IEventInfoServer_i.c" "$PACKAGE/include/EventServerInterfaces_i.c" \
        -lole32 -loleaut32 -luuid -static -o "$client"
}

# run_client FOLDER DIR: registers the package's DLL in DIR's Wine prefix,
# runs the client built by build_client on the sample project and
# unregisters the DLL.
run_client() {
    local folder=$1 client=$2/package-check/CClient.exe
    use_prefix_of "$2"
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
VERSION=$(sed -n 's/^#define PROJECT_VERSION_TEXT "\(.*\)"$/\1/p' "$BUILD_DIR/generated/ProjectVersion.h")
PACKAGE=$BUILD_DIR/IEventInfoServer-$VERSION
ARCHIVE=$BUILD_DIR/IEventInfoServer-$VERSION.tar.gz

log "collecting into $PACKAGE"
rm -rf "$PACKAGE" "$ARCHIVE"
collect "$BUILD_DIR" x64
collect "$BUILD_DIR_32" x86
# The generated declarations do not depend on the architecture.
mkdir -p "$PACKAGE/include" "$PACKAGE/samples"
for file in IEventInfoServer.h EventServerInterfaces.h IEventInfoServer_i.c EventServerInterfaces_i.c; do
    cp "$BUILD_DIR/generated/$file" "$PACKAGE/include/"
done
if grep -l -e "$REPO_ROOT" -e "$BUILD_DIR" "$PACKAGE"/include/*; then
    echo "the generated files above name a path of this machine" >&2
    exit 1
fi
mkdir -p "$PACKAGE/idl"
cp "$REPO_ROOT"/module/*.idl "$PACKAGE/idl/"
cp "$REPO_ROOT/tests/interop/CClient.c" "$PACKAGE/samples/"
cp -r "$REPO_ROOT/tests/interop/data" "$PACKAGE/samples/"
sed "s/@VERSION@/$VERSION/g" "$REPO_ROOT/packaging/INSTALL.txt" >"$PACKAGE/INSTALL.txt"
tar -C "$BUILD_DIR" -czf "$ARCHIVE" "$(basename "$PACKAGE")"
log "wrote $ARCHIVE"

build_client x86_64-w64-mingw32-gcc-posix x64 "$BUILD_DIR"
run_client x64 "$BUILD_DIR"
# The 32-bit client is always built; it runs where the machine runs 32-bit
# programs and has the 32-bit Wine.
build_client i686-w64-mingw32-gcc-posix x86 "$BUILD_DIR_32"
probe_32bit
if [ -z "$CANNOT_RUN_32BIT" ]; then
    run_client x86 "$BUILD_DIR_32"
else
    log "the x86 client was built and not run: $CANNOT_RUN_32BIT"
fi
(cd "$PACKAGE" && find . -type f | sort)

# The version resource of each module, read from the file: the strings of its
# StringFileInfo block.
for module in "$PACKAGE"/x64/*.dll "$PACKAGE"/x64/*.exe "$PACKAGE"/x86/*.dll "$PACKAGE"/x86/*.exe; do
    printf '%s: %s\n' "${module#"$PACKAGE"/}" "$(x86_64-w64-mingw32-strings -el "$module" |
        grep -A1 -x -E 'FileVersion|ProductVersion|OriginalFilename|CompanyName' | grep -v -x -- '--' | paste -sd ' ')"
done

log "checking the installers in a fresh prefix"
bash "$REPO_ROOT/tests/scripts/Installers.sh" "$BUILD_DIR" "$PACKAGE/IEventInfoServer-$VERSION-x64.msi" \
    "$(ls "$BUILD_DIR"/installer-check/IEventInfoServer-*-x64.msi)" "$PACKAGE/IEventInfoServer-$VERSION-x86.msi"
