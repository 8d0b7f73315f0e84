#!/usr/bin/env bash
# Generates the synthetic projects S, M and L, and T6 and T36 (S with 6 and
# with 36 TOs per device), registers the component and measures it; the
# figures go to stdout and to BENCHMARKS.md. BUILD_DIR names another build.
# Usage: scripts/benchmark.sh [SIZE...]   (default: S M L T6 T36)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing_packages
configure_and_build
ensure_wine_prefix
start_wineserver

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(S M L T6 T36)
# The generator's size class and shape options of each project.
shape_of() {
    case $1 in
        T*) echo "S --tos-per-device ${1#T}" ;;
        *) echo "$1" ;;
    esac
}
arguments=()
for size in "${sizes[@]}"; do
    data_dir=$BUILD_DIR/bench/$size
    project=$data_dir/opc2/bink4/corvalis/XML/OPC_AE.xml
    mkdir -p "$(dirname "$project")"
    # shellcheck disable=SC2046
    [ -f "$project" ] || python3 "$REPO_ROOT/tools/projectgen/generate_project.py" $(shape_of "$size") "$project"
    arguments+=("$size=$(to_windows_path "$data_dir")")
done

wine64 regsvr32 /s "$(to_windows_path "$BUILD_DIR/bin/IEventInfoServer.dll")" </dev/null
figures=$BUILD_DIR/bench/figures.md
wine64 "$BUILD_DIR/bin/eventinfo_benchmark.exe" "$(to_windows_path "$figures")" "${arguments[@]}" </dev/null | tr -d '\r'

{
    echo "# Benchmarks"
    echo
    echo "Measured by \`scripts/benchmark.sh\` on $(date -u +%Y-%m-%d), machine kind \`cpp\`"
    echo "($(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB), $(wine64 --version 2>/dev/null), the component built with"
    echo "$(x86_64-w64-mingw32-g++-posix --version | head -1). Every figure is the median of repeated runs"
    echo "(loads: 5 runs on L, 7 otherwise, each run starting with another of the loads compared; queries: up to"
    echo "2000 calls or one second; the first event of a category: one after each of as many loads); ratios compare figures of"
    echo "the same run. The projects come from \`tools/projectgen/generate_project.py\`."
    echo
    echo "Notes. ParseXML loads the file's bytes; the row \"DOM load by file name\" shows what loading by"
    echo "name would cost. The DOM's load of the bytes creates its document as a client of the DOM does, through"
    echo "the registry; the component keeps the DOM's class object instead, which saves it that creation (a"
    echo "dozen round trips to the platform's server). The row \"ParseXML / DOM parse alone\" compares with"
    echo "the parse into a document created before the timing: what remains is the registry read, the file"
    echo "read (round trips too) and the walk that indexes the elements. A call of ResolveEvents checks whether a debugger or a debug-output listener can"
    echo "receive the trace; the check for a listener (a round trip to the platform's server) is made again"
    echo "only 100 ms after it last found none, so a listener that attaches hears the trace from at most"
    echo "100 ms later; the run with a listener waits that long before it is timed. With a listener in the"
    echo "process every traced event waits for it, as the platform's protocol makes it: under Wine a line of"
    echo "debug output with a listener costs about 0.7 to 0.9 ms by itself. Spread batches draw a source, then one of its category's messages, uniformly;"
    echo "the median is of the same batch resolved again, so each message's texts have been read once before."
    echo "A TO's type is read when its source is first looked up, not by ParseXML. T6 and T36 are S with 6 and"
    echo "with 36 TOs per device; their connection parameters are compared with the calls on both taking turns,"
    echo "and so are the device queries of S and L. The first event of the 100-message category is resolved"
    echo "before that of the 10,000-message one, so that the check for a listener falls to it."
    echo
    cat "$figures"
} > "$REPO_ROOT/BENCHMARKS.md.new"
mv "$REPO_ROOT/BENCHMARKS.md.new" "$REPO_ROOT/BENCHMARKS.md"
echo "written: BENCHMARKS.md"
