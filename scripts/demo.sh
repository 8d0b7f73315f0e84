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

# The inspector over both example projects: its COM-client view of the
# registered component (the registry now names the last example), then each
# project file loaded directly with --file.
printf '\n### Inspector: eventinfo devices (registered component, registry-named file)\n'
"$REPO_ROOT/eventinfo" devices </dev/null
for example in plant line-projects; do
    project=examples/$example/opc2/bink4/corvalis/XML/OPC_AE.xml
    for command in devices categories lint; do
        printf '\n### Inspector: ./eventinfo --file %s %s\n' "$project" "$command"
        status=0
        (cd "$REPO_ROOT" && ./eventinfo --file "$project" "$command" </dev/null) || status=$?
        [ "$status" -le 1 ] || exit "$status"  # 1: the lint found problems, shown above
    done
done
