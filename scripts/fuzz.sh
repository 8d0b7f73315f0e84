#!/usr/bin/env bash
# Builds the native fuzzers of the plain logic (clang, libFuzzer, address and
# undefined behaviour sanitizers) and runs each for the given number of
# seconds (default 60), starting from its seeds and the inputs of earlier
# findings. Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SECONDS_EACH=${1:-60}
BUILD=$REPO_ROOT/build-fuzz

missing=()
for package in clang libclang-rt-dev cmake ninja-build; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake -S "$REPO_ROOT/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD"

failed=0
for fuzzer in Formatters MessageNumber DottedText RoutingBlock ConnectionValues; do
    corpus=$BUILD/corpus/$fuzzer
    mkdir -p "$corpus" "$REPO_ROOT/fuzz/regressions/$fuzzer"
    # Earlier findings first: each must pass as it is.
    if ! "$BUILD/${fuzzer}Fuzzer" -runs=0 "$REPO_ROOT/fuzz/regressions/$fuzzer" >/dev/null 2>&1; then
        echo "$fuzzer: a kept finding fails again"; failed=1; continue
    fi
    if "$BUILD/${fuzzer}Fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$BUILD/${fuzzer}-" "$corpus" "$REPO_ROOT/fuzz/seeds/$fuzzer" \
        >"$BUILD/$fuzzer.log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$BUILD/$fuzzer.log" | grep -o '[0-9]*$')
        echo "$fuzzer: ${runs:-?} inputs in ${SECONDS_EACH} s, no finding"
    else
        echo "$fuzzer: FINDING, see $BUILD/$fuzzer.log and $BUILD/${fuzzer}-*"; failed=1
    fi
done
exit $failed
