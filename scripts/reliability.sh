#!/usr/bin/env bash
# The full reliability run: installs what is missing, builds, runs the native
# fuzzers (FUZZ_SECONDS each, default 60) and the reliability checks under
# Wine at full scale (the hostile corpus at full size, the misuse matrix,
# 10,000 long-life cycles, 1,000 rounds of concurrent loads), and writes
# RELIABILITY.md with the figures. The short form of the same checks runs in
# CTest as reliability_tests.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
REPORT=$REPO_ROOT/RELIABILITY.md
LOG_DIR=$BUILD_DIR/reliability-logs

install_missing_packages
configure_and_build
ensure_wine_prefix
mkdir -p "$LOG_DIR"
started=$(date +%s)

log "fuzzing each function family for $FUZZ_SECONDS s"
fuzz_status=0
"$REPO_ROOT/scripts/fuzz.sh" "$FUZZ_SECONDS" >"$LOG_DIR/fuzz.log" 2>&1 || fuzz_status=$?

log "running the reliability checks at full scale (about 20 minutes)"
start_wineserver
test_status=0
(cd "$BUILD_DIR" && RELIABILITY_RUN=full ./wine-run bin/reliability_tests.exe) 2>"$LOG_DIR/tests.err" |
    tr -d '\r' >"$LOG_DIR/tests.log" || test_status=$?
grep -q '^\[  PASSED  \] [0-9]* tests\.$' "$LOG_DIR/tests.log" && ! grep -q '^\[  FAILED  \]' "$LOG_DIR/tests.log" ||
    test_status=1
stop_wineserver
minutes=$(( ($(date +%s) - started + 59) / 60 ))

fig() { grep -m1 "^\[figure\] $1 = " "$LOG_DIR/tests.log" | sed 's/^[^=]*= //' || true; }
result() { [ "$1" -eq 0 ] && echo "passed" || echo "FAILED"; }

corpus_rows=$(awk '/^  [a-z0-9-]+ +[0-9]+ bytes +dom/ {
    printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $5, $7, $10, $11, $13, $15 }' "$LOG_DIR/tests.log")
fuzz_rows=$(sed 's/^/    /' "$LOG_DIR/fuzz.log" | grep -E '^    [A-Za-z]+: [0-9]+ inputs' || true)
failures=$(grep -hE '^\[  FAILED  \]|Failure$|HANG' "$LOG_DIR/tests.log" "$LOG_DIR/tests.err" | sed 's/^/    /' | head -40 || true)

cat >"$REPORT" <<EOF
# Reliability

The component runs for months inside another company's server process, so
this file records how it stands up to hostile input, careless callers, long
life and concurrent loads. Everything here comes from one command:

    ./scripts/reliability.sh

It installs what is missing, builds into \`build/\`, runs the native fuzzers
for ${FUZZ_SECONDS} s each (\`FUZZ_SECONDS\` changes that) and then
\`build/bin/reliability_tests.exe\` under Wine with \`RELIABILITY_RUN=full\`, and
rewrites this file from the figures the checks print. Without that variable
the same program runs a short form of each check; CTest runs it as
\`reliability_tests\` with the other tests, so CI runs the short form.

Last full run: $(date -u '+%Y-%m-%d %H:%M UTC'), ${minutes} minutes on
$(nproc) × $(lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -1), $(free -g | awk '/^Mem:/ {print $2}') GB,
$(wine --version 2>/dev/null), 64-bit build. Fuzzing: $(result $fuzz_status); checks under Wine: $(result $test_status).
$( [ -n "$failures" ] && printf '\nFailures of this run:\n\n%s\n' "$failures" )

## 1. Native fuzzing of the plain logic

libFuzzer with address and undefined-behaviour sanitizers over the message
text formatters, \`ParseMessageNumber\`, the dotted-text conversions, the
routing block and the connection value conversions, starting from the seeds
in \`fuzz/seeds/\` and the kept findings in \`fuzz/regressions/\`:

${fuzz_rows:-    (no output, see $LOG_DIR/fuzz.log)}

Rerun: \`./scripts/fuzz.sh SECONDS\` (CI runs \`./scripts/fuzz.sh 15\`).

## 2. Hostile project files

\`tests/reliability/HostileCorpus.cpp\` generates the corpus on every run
(the same bytes each time) into \`build/reliability-corpus/<name>/\`, each file
in the data directory layout the registry value names, next to the answers
the component gave (\`answers.txt\`). It holds the well-formed reference
project and its hostile variants: cuts at 1/64 steps, in the declaration and
inside a character; 100,000-deep nesting below a device and below a message;
values of 9.99 MB (the most the platform's parser accepts) in descriptions,
checksums, message texts, numbers, dotted and hexadecimal connection values,
and one of 10 MiB; names of 40,000 characters and of 1 MB; one element with
100,000 attributes and two with 20,000; invalid bytes for UTF-8, Latin-1,
US-ASCII and Shift_JIS, an unknown encoding, UTF-16 in both byte orders with
and without BOM, odd-length and lone-surrogate UTF-16, UTF-32; entity bombs in
content and in an attribute, a quadratic entity expansion, external entities,
a parameter entity and an external DTD naming local files; every name the
lookups need unique (DEVICES, CONDITIONAL, SIMPLE, U7SQ, U7DIAG, CORVALIS,
device names, ROUTDEV targets) twice, TO types by name and GUID, 40 projects;
device, TO, project and category names beyond ASCII and beyond the BMP; message
texts of all three alarm types full of \`%\` sequences and broken
placeholders; empty, NUL, garbage and two-root files, and a directory where
the file should be.

Each file is loaded into an object of the linked component code and then
every query of every interface runs on it (\`tests/reliability/QueryDriver.cpp\`):
\`GetDevices\`; \`GetTOs\`, \`GetTOsWithTypes\` and \`GetConnectionInfo\` with
every ParamID 0 to 31 for every device and for names that are no device;
\`GetCategories\` with six masks; \`GetCategoryAttributes\` and
\`GetCategoryMessageIds\` for every category and unknown ids;
\`GetSourceMessageIds\` for every source path of the load and those built from
the devices; subscriptions with selections of every category (bounds 0 and
7); \`ResolveEvents\` for every source with each message in the three name
forms and parameters of every alarm type, bounds 0 and -5, four languages;
the language check with nine languages; \`GetSubMessageIds\`,
\`QueryUnsupported\`; binding by display name. Every result must be one the
interfaces document for that method, every output in the state they give,
no text may hold content of the files the entities name, UTF-16 files and the
external DTD must give exactly the answers of the reference, and the time the
component adds to what reading the file once costs the platform (measured in
the same run on a bare DOM: loading the bytes and reading every attribute of
every element once through the selection of "@*"; twice where binding by
display name loads the file a second time) must stay under 5 s plus a tenth
of that cost, which varies from run to run; a watchdog ends
the process on a hang. Binding by display name is left out for a file whose
reading costs the platform more than 10 s.

| Figure | Value |
| --- | --- |
| files | $(fig corpus.files) |
| bytes of project files | $(fig corpus.bytes) |
| calls checked | $(fig corpus.calls) |
| seconds, all files | $(fig corpus.seconds) |
| what reading the files once costs the bare DOM | $(fig corpus.platform_seconds) |
| most time the component added to one file | $(fig corpus.slowest_added) |
| loads with S_OK | $(fig corpus.loads.0x00000000) |
| loads with E_INVALIDARG (no root element) | $(fig corpus.loads.0x80070057) |
| loads with E_UNEXPECTED | $(v=$(fig corpus.loads.0x8000FFFF); echo "${v:-0}") |

| File | Bytes | Bare DOM: parse (s) | Bare DOM: read every attribute (s) | ParseXML | ParseXML (s) | Calls | All calls (s) |
| --- | --- | --- | --- | --- | --- | --- | --- |
${corpus_rows}

Limits of the platform's DOM under Wine that the corpus met (measured with the
bare DOM, outside the component):

- An entity reference in an attribute value is expanded at every read of
  the value, in time that grows with the square of the expanded size: 13 MB
  take 3 s, 26 MB 8.6 s, 52 MB 45 s, 105 MB 154 s per read. The load itself
  is instant, so such a file hangs every later query that reads the value.
  The corpus keeps the expansion at 2.6 MB.
- One element with n attributes takes the parser 1 s for 20,000, 10 to 30 s
  for 40,000 to 50,000 and 100 to 230 s for 100,000 attributes; no reader
  can shorten that. A walk over its attributes through the attribute map
  (\`item\` or \`nextNode\`) costs as much again (0.1 s for 10,000, 0.9 s
  for 20,000, 11.7 s for 40,000, 100 s for 100,000), because each item is
  found by walking from the first attribute. The selection of "@*" reads
  the same 20,000 attributes in 0.01 s and lists exactly the attributes:
  no namespace declarations (the map lists them after the attributes, and
  here fails on the item of a default one), so the component reads every
  element's attributes through it.
  What the component adds beyond the parser is then within the parser's own
  variation: a load of a category declaring 40,000 attributes takes 10.0 s
  whether the component reads them or not, while the parser alone takes
  9.5 to 10.6 s from one load to the next.
- The parser refuses attribute values of more than 10,000,000 bytes, names of
  more than 50,000 characters and nesting deeper than 256 levels; such files
  load as not well-formed (E_INVALIDARG).

Rerun: \`cd build && RELIABILITY_RUN=full ./wine-run bin/reliability_tests.exe --gtest_filter='Corpus*'\`.

## 3. Caller misuse

A table of cells (\`tests/reliability/CallerMisuseTest.cpp\`) over all 17 methods
of IEventMessageIds, IEventModel, \`IUMCInfo\`, \`IEventInfoInit\` and
\`IParseDisplayName\`: null pointers in every pointer argument; by-reference
VARIANTs as inputs and as outputs; outputs VT_NULL, VT_ERROR, holding arrays
or an unknown VARTYPE; wrong VARIANT types; arrays with lower bounds -5, 0 and
7; empty, two-dimensional and missing arrays; arrays of another element type
than their VARIANT says; names with an embedded zero, of a million
characters, in other letter case; ids and handles at the limits of 32 bits;
languages beyond 16 bits; a batch of 100,000 events; and array shapes only a
caller through the vtable makes, for every argument that carries an array
(the selection of \`SelectAttributes\`, the four input arrays of
\`ResolveEvents\` and the arrays inside their elements, the in/out VARIANTs
of \`GetDevices\`): descriptors that claim elements but hold no data,
32-bit ids in an array with the features of strings, arrays the caller
holds locked. Each cell checks the
result against the documented ones and the outputs against the state the
interface gives (untouched, VT_EMPTY, or overwritten without releasing).

| Figure | Value |
| --- | --- |
| cells | $(fig misuse.cells) |
| methods | $(fig misuse.methods) |
| seconds for the batch of 100,000 events | $(fig misuse.batch_100000_seconds) |
| subscriptions created, then the oldest half deleted | $(fig subscriptions.created) |
| seconds to create as many again | $(fig subscriptions.refill_seconds) |

Arrays labelled VT_BSTR or VT_VARIANT whose elements merely have the size of
a string pointer or a VARIANT (pointer-sized numbers, decimals whose first
field reads as an array type) are refused by \`ResolveEvents\` with
E_INVALIDARG; it tells the element type by the array's own features
(FADF_BSTR, FADF_VARIANT), not by the element size alone. An array that
claims elements but holds no data is refused wherever it is read
(E_INVALIDARG for the call, or for the event whose parameters it is), and so
is an array of plain values whose features say it holds strings, VARIANTs or
interfaces. A locked array is read as any other. \`GetDevices\` never reads
its in/out VARIANTs: it overwrites them without releasing what they held.

The numbering of \`CreateSubscription\` (the count plus 1, then the first
free handle above) once tried every taken handle one by one: with 100,000
created and the oldest 50,000 deleted, creating 1,000 more took about 2 s
and refilling all 50,000 about two minutes. The taken handles are now kept
as runs, and the same refill takes the time in the table.

Rerun: \`cd build && ./wine-run bin/reliability_tests.exe --gtest_filter='CallerMisuse*:SubscriptionHandles*'\`.

## 4. Long life

In one process, cycles of: create an object of the registered component
through COM, load the reference project, run every query of every interface
(as in section 2, display-name binding included), release every output and
the object. The answers of every cycle must equal those of the first;
private bytes after the last cycle may be at most 5 percent above those after
cycle 100; \`DllCanUnloadNow\` must answer S_OK at the end.

Private bytes: Wine 8 leaves \`PrivateUsage\` of \`GetProcessMemoryInfo\` at 0,
so the check reads \`PagefileUsage\`, which Windows documents as the same
commit charge and which Wine fills in.

Every BSTR and SAFEARRAY is counted with an \`IMallocSpy\`
(\`CoRegisterMallocSpy\`). Wine's oleaut32 allocates BSTRs
(\`SysAllocStringLen\` through \`alloc_bstr\`) and SAFEARRAYs
(\`SAFEARRAY_Malloc\`) with \`CoTaskMemAlloc\`, and combase's task allocator
calls the registered spy on every allocation and free; only oleaut32's BSTR
cache would keep freed strings from it, so the check turns the cache off
(\`SetOaNoCache\`) first. The spy keeps every live block with a serial number;
each BSTR and SAFEARRAY an output hands out is looked up as it arrives (it
must be a live block the spy saw allocated) and must no longer be live after
the caller released it; after every cycle the number of live blocks must be
the same.

| Figure | Value |
| --- | --- |
| cycles | $(fig longlife.cycles) |
| seconds | $(fig longlife.seconds) |
| memory counter | $(fig longlife.memory_counter) |
| private bytes before the first cycle | $(fig longlife.private_bytes_start) |
| private bytes after cycle 100 | $(fig longlife.private_bytes_after_100) |
| private bytes after the last cycle | $(fig longlife.private_bytes_end) |
| growth after cycle 100 (percent) | $(fig longlife.private_bytes_growth_percent) |
| BSTRs handed out | $(fig longlife.bstrs_handed_out) |
| SAFEARRAYs handed out | $(fig longlife.safearrays_handed_out) |
| handed out and not freed by the caller's release | $(fig longlife.outputs_not_freed) |
| handed out but not seen by the spy | $(fig longlife.outputs_not_through_allocator) |
| task allocations seen | $(fig longlife.allocations_seen) |
| live spied blocks after cycle 1 | $(fig longlife.live_blocks_after_cycle_1) |
| live spied blocks after each cycle from 100 on | $(fig longlife.live_blocks_range_after_100) |
| CoRevokeMallocSpy | $(fig longlife.revoke_spy) |
| DllCanUnloadNow at the end | $(fig longlife.dll_can_unload_now) |

Rerun: \`cd build && RELIABILITY_RUN=full ./wine-run bin/reliability_tests.exe --gtest_filter='LongLife*'\`.

## 5. Concurrent loads

Four threads, each its own single-threaded apartment, wait at a barrier and
then load at the same moment, each into an object of the linked component
code (whose tables the check reads: keys, categories with their attributes,
message attribute, element, alarm type and event class, attributes, source
paths, project mode) and into an object of the registered component, which
then answers every query of every interface. Each apartment's tables and
answers must equal those of a sequential load of the same file.

The load reads the registry value that names the file at every call, and
that value is one for the whole process, so four different files cannot be
named to four loads at the same moment without changing the component. In
each round the four apartments therefore load the same file at once, and the
rounds go through four different files (normal and project mode, different
sizes, names and texts). Loads of one file at the same moment are the case
that shared load state would break: the id counters of the model, were they
the process's, would be reset and advanced by four loads at once.

| Figure | Value |
| --- | --- |
| apartments | $(fig concurrent.apartments) |
| files | $(fig concurrent.files) |
| rounds | $(fig concurrent.rounds) |
| loads | $(fig concurrent.loads) |
| apartments whose tables or answers differed | $(fig concurrent.differing) |
| seconds | $(fig concurrent.seconds) |

Rerun: \`cd build && RELIABILITY_RUN=full ./wine-run bin/reliability_tests.exe --gtest_filter='Concurrent*'\`.
EOF

log "wrote $REPORT"
[ $fuzz_status -eq 0 ] && [ $test_status -eq 0 ]
