#!/usr/bin/env bash
# What a stop of the wineserver does, in a copy of the build's Wine prefix
# with servers of this test's own:
# - start_wineserver and stop_wineserver (scripts/common.sh) leave a server
#   that ran before alone and stop the one they started;
# - ./eventinfo reports a run that the stop of its server ended, which Wine
#   ends with status 0 and no output.
# Usage: ServerStop.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build=$2
work=$build/server-stop-test
export WINEDEBUG=-all WINEPREFIX=$work/wineprefix

fail() { echo "FAILED: $*" >&2; exit 1; }
server_runs() { wineserver -k0 </dev/null >/dev/null 2>&1; }
stop_server() { wineserver -k </dev/null >/dev/null 2>&1 || true; }
# A script's start and (on its exit) stop of the server, as test.sh runs them.
script_run() {
    BUILD_DIR=$work bash -c 'source "$1/scripts/common.sh"; start_wineserver' _ "$source_dir" 2>/dev/null
}

if [ -d "$WINEPREFIX" ]; then stop_server; fi
rm -rf "$work"
trap 'stop_server; rm -rf "$work"' EXIT
mkdir -p "$work"
if [ -f "$build/wineprefix/system.reg" ]; then
    # The large files are shared by hard links; the registry, which Wine
    # rewrites, is copied.
    cp -al "$build/wineprefix" "$WINEPREFIX" 2>/dev/null || cp -a "$build/wineprefix" "$WINEPREFIX"
    for file in "$build"/wineprefix/*.reg; do cp --remove-destination "$file" "$WINEPREFIX/"; done
else
    wine64 wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
fi

# A server started by hand stays.
wineserver -p </dev/null >/dev/null 2>&1 || fail "wineserver -p did not start a server"
script_run
server_runs || fail "a script stopped a wineserver it had not started"
# The server a script started goes with the script.
stop_server
script_run
! server_runs || fail "a script left the wineserver it started running"

# The inspector over a large project, its server stopped during the load.
sed "s|^export WINEPREFIX=.*|export WINEPREFIX=\"$WINEPREFIX\"|" "$build/wine-run" >"$work/wine-run"
chmod +x "$work/wine-run"
ln -s "$build/bin" "$work/bin"
# Its dump takes some six seconds here, a load of about two of them; the
# server goes one second after the program started.
python3 "$source_dir/tools/projectgen/generate_project.py" M "$work/large.xml" --messages-per-category 10000
wineserver -p </dev/null >/dev/null 2>&1
status=0
BUILD_DIR=$work "$source_dir/eventinfo" dump --file "$work/large.xml" >"$work/out" 2>"$work/err" &
inspector=$!
for _ in $(seq 300); do
    if pgrep -f "$work/bin/eventinfo.exe" >/dev/null; then break; fi
    sleep 0.1
done
sleep 1
stop_server
wait "$inspector" || status=$?
[ "$status" -ne 0 ] || fail "./eventinfo exited with 0 (output: $(wc -c <"$work/out") bytes) after its server was stopped"
grep -q "ended before it finished" "$work/err" || fail "./eventinfo exited with $status and gave no message: $(cat "$work/err")"
echo "passed: the scripts stop only their own server; ./eventinfo exited with $status: $(cat "$work/err")"
