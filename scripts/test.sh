#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing_packages
configure_and_build
ensure_wine_prefix
start_wineserver
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 600
