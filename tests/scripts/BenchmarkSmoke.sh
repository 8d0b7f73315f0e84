#!/usr/bin/env bash
# The benchmark program on the small project, given as S and as L, so that
# the comparisons between sizes run too:
# - it ends with status 0 and writes its figures;
# - each size has all three loads compared and a first event of a category
#   timed after each load;
# - the device queries of S and L are compared (taking turns), every one of
#   them, and the verdict reads those ratios;
# - no figure is "nan" or "inf" and nothing failed.
# Usage: BenchmarkSmoke.sh WINE_RUN BENCHMARK_EXE PROJECT_DIR (a Windows path)
set -euo pipefail
wine_run=$1
benchmark=$2
project=$3

fail() { echo "FAILED: $*" >&2; exit 1; }

output=$("$wine_run" "$benchmark" "$project\\figures.md" "S=$project" "L=$project" </dev/null | tr -d '\r') ||
    fail "the benchmark ended with status $?"
printf '%s\n' "$output"
has() { grep -qE "$1" <<<"$output" || fail "$2"; }

for size in S L; do
    for load in "DOM load of the file's bytes" "DOM parse of the bytes alone" "ParseXML \(load"; do
        has "^$size +$load" "$size lacks the figure \"$load\""
    done
    has "^$size +ResolveEvents, first event of a category of 100 messages .*median of 7 loads" \
        "$size's first event is not the median of one event after each load"
done
shape=$(grep -E "^\| GetTOs and GetConnectionInfo per call within 1.5 times between S and L \|" <<<"$output") ||
    fail "no verdict for the device queries of S and L"
[[ $shape != *"not measured"* ]] || fail "the device queries of S and L were not compared: $shape"
for where in first middle last; do
    for call in tos connection; do
        [[ $shape == *"$call $where "* ]] || fail "the comparison lacks $call $where: $shape"
    done
done
if grep -qiE "(^|[^a-z])(nan|inf)([^a-z]|$)|failed" <<<"$output"; then fail "a figure is not a number or a run failed"; fi
echo "benchmark smoke: every check holds"
