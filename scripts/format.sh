#!/usr/bin/env bash
# Formats the C and C++ sources with the pinned style (.clang-format), or with
# --check reports every file that differs from it and fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if ! command -v clang-format >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang-format >/dev/null
fi
mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    if ! clang-format --dry-run --Werror "${sources[@]}"; then
        echo "== the files above differ from the pinned style: run ./scripts/format.sh" >&2
        exit 1
    fi
    echo "== ${#sources[@]} sources match the pinned style"
else
    clang-format -i "${sources[@]}"
fi
