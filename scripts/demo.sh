#!/usr/bin/env bash
# Installs what is missing, builds, registers the component in the private
# Wine prefix and runs the demo client over the bundled example projects.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing_packages
configure_and_build
ensure_wine_prefix
start_wineserver

DATA_PATH_KEY='HKLM\SOFTWARE\ORBANEX\TALMERO_NET\General\Paths'

log "registering $BUILD_DIR/bin/IEventInfoServer.dll"
wine64 regsvr32 /s "$(to_windows_path "$BUILD_DIR/bin/IEventInfoServer.dll")" </dev/null

for example in plant line-projects; do
    data_dir=$(to_windows_path "$REPO_ROOT/examples/$example")
    wine64 reg add "$DATA_PATH_KEY" /v VELOX_DataPath /t REG_SZ /d "$data_dir" /f </dev/null >/dev/null 2>&1
    printf '\n### Example project "%s" (VELOX_DataPath = %s)\n' "$example" "$data_dir"
    wine64 "$BUILD_DIR/bin/eventinfo_demo.exe" </dev/null | tr -d '\r'
done
