#!/usr/bin/env bash
# The Windows Installer packages as an integrator uses them, in a fresh Wine
# prefix of this test's own:
# - msiexec /i ... /qn installs the x64 package; a client created by ProgID
#   resolves an event, in a single-threaded and in the multithreaded apartment;
# - the installed registration is the one regsvr32 writes for the DLL;
# - msiexec /x removes every key and file again;
# - the x86 package installs beside the x64 one, and removing one leaves the
#   other working;
# - version N+1 upgrades version N in place: one product remains.
# It ends with a summary of sizes and times.
# Usage: Installers.sh BUILD_DIR X64_MSI NEXT_X64_MSI [X86_MSI]
set -euo pipefail
build=$1
msi64=$2
next64=$3
msi32=${4:-}
work=$build/installer-check/run
export WINEDEBUG=-all WINEPREFIX=$work/wineprefix
export WINEDLLOVERRIDES=mscoree,mshtml=

wine64() { if [ -x /usr/lib/wine/wine64 ]; then /usr/lib/wine/wine64 "$@"; else wine "$@"; fi; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
stop_server() { wineserver -k </dev/null >/dev/null 2>&1 || true; }
now() { date +%s.%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.1f", end - start }'; }

if [ -d "$WINEPREFIX" ]; then stop_server; fi
rm -rf "$work"
mkdir -p "$work"
trap stop_server EXIT
started=$(now)
wine64 wineboot --init </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine64 cmd /c exit </dev/null >/dev/null 2>&1
echo "fresh prefix in $(seconds_since "$started") s"

# Every value below the component's keys, in both registry views, one line
# each as "view|key|name|type|data", with the installed paths replaced.
keys=(CorvalisEventInfo.EventInfoObj CorvalisEventInfo.EventInfoObj.1
    'CLSID\{2BA94B3B-4AC6-40B7-83BB-FEE9F178FA04}'
    'TypeLib\{140A8FBB-7C06-42A3-A822-3B03F9055F55}' 'TypeLib\{FD8DD9CF-F681-41FD-9D59-6EF9902BDE8E}'
    'Interface\{24E33E18-5863-4429-B78B-30EE66C5C720}' 'Interface\{3564A1FC-C487-4924-9BEF-EFC68480CA09}'
    'Interface\{06D883AA-D8D2-4DC4-A187-268B732CCF75}' 'Interface\{314E3F85-39F3-4144-8894-23D4899C8708}')
dump_registry() {
    local view key
    for view in 64 32; do
        for key in "${keys[@]}"; do
            { wine64 reg query "HKLM\\Software\\Classes\\$key" /s /reg:$view </dev/null 2>/dev/null || true; } | tr -d '\r' |
                awk -v view="$view" '
                    /^HKEY_/ { key = $0; print view "|" key "|(key)"; next }
                    /^    / { sub(/^    /, ""); n = split($0, f, /    /); print view "|" key "|" f[1] "|" f[2] "|" f[3] }'
        done
    done | sed -e 's/\\Wow6432Node//I' | sort
}
# The paths of the DLL and its folder as DLL and DIR, whatever the install
# place; a folder with or without its final backslash.
normalized() {
    DLL=$1 DIR=${1%\\*} awk '
        function replace(line, text, by,    at, low) {
            low = tolower(line)
            while ((at = index(low, tolower(text))) > 0) {
                line = substr(line, 1, at - 1) by substr(line, at + length(text))
                low = tolower(line)
            }
            return line
        }
        { line = replace(replace($0, ENVIRON["DLL"], "<DLL>"), ENVIRON["DIR"], "<DIR>"); sub(/<DIR>\\$/, "<DIR>", line); print line }'
}
# The installed products of the component, one line each: "name = version".
products() {
    local view
    for view in 64 32; do
        { wine64 reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:$view </dev/null 2>/dev/null || true; } |
            tr -d '\r' | awk '
                function show() { if (name ~ /^IEventInfoServer/) print name " = " version; name = ""; version = "" }
                /^HKEY_/ { show(); next }
                /^    DisplayName / { sub(/^    DisplayName +REG_SZ +/, ""); name = $0 }
                /^    DisplayVersion / { sub(/^    DisplayVersion +REG_SZ +/, ""); version = $0 }
                END { show() }'
    done | sort -u
}
install() {
    local started
    started=$(now)
    wine64 msiexec /i "$(windows_path "$1")" /qn </dev/null >/dev/null 2>&1 || fail "msiexec /i $(basename "$1")"
    echo "installed $(basename "$1") in $(seconds_since "$started") s"
}
uninstall() {
    local started
    started=$(now)
    wine64 msiexec /x "$(windows_path "$1")" /qn </dev/null >/dev/null 2>&1 || fail "msiexec /x $(basename "$1")"
    echo "removed $(basename "$1") in $(seconds_since "$started") s"
}
# CLIENT [--mta]: the sample C client of a build creates the installed
# object by its ProgID and resolves an event.
client() {
    local program=$1
    shift
    wine64 "$program" "$@" "$(windows_path "$source_data")" </dev/null >"$work/client.out" 2>&1 ||
        { cat "$work/client.out"; fail "the client $program $* failed"; }
    grep -q "ResolveEvents resolves Alarm17" "$work/client.out" || fail "the client resolved no event"
}
source_data=$(cd "$(dirname "$0")/../interop/data" && pwd)
dll64='C:\Program Files\IEventInfoServer\IEventInfoServer.dll'

dump_registry >"$work/before"
[ ! -s "$work/before" ] || fail "a fresh prefix has the component's keys"

install "$msi64"
[ -f "$WINEPREFIX/drive_c/Program Files/IEventInfoServer/IEventInfoServer.dll" ] || fail "no DLL in Program Files"
dump_registry | normalized "$dll64" >"$work/installed"
client "$build/bin/c_client.exe"
client "$build/bin/c_client.exe" --mta
echo "a client created the installed object by ProgID and resolved an event, also from the multithreaded apartment"
version=$(wine64 "$WINEPREFIX/drive_c/Program Files/IEventInfoServer/eventinfo.exe" --version </dev/null | tr -d '\r')
echo "installed inspector: $version"
uninstall "$msi64"
dump_registry >"$work/after"
diff "$work/before" "$work/after" >/dev/null || { diff "$work/before" "$work/after"; fail "keys left after msiexec /x"; }
[ ! -e "$WINEPREFIX/drive_c/Program Files/IEventInfoServer" ] || fail "files left after msiexec /x"
echo "msiexec /x left no key and no file"

# The same keys as the DLL's own registration writes.
build_dll=$(windows_path "$build/bin/IEventInfoServer.dll")
wine64 regsvr32 /s "$build_dll" </dev/null
dump_registry | normalized "$build_dll" >"$work/registered"
wine64 regsvr32 /s /u "$build_dll" </dev/null
diff "$work/registered" "$work/installed" || fail "the package writes other keys than regsvr32"
echo "the package writes the keys regsvr32 writes ($(grep -c . "$work/installed") keys and values)"

# Both packages side by side. The ProgIDs are one component of both
# packages, written in each package's registry view: on Windows the views
# share ProgID keys, so the component's keys stay until the last package
# goes. Wine's registry keeps a copy per view, and the copy of the view of
# the package removed first stays while the other package is installed, and
# after it. Those keys, and no others, are taken out by hand here.
shared_copy() { grep -E '^[0-9]+\|[^|]*\\CorvalisEventInfo\.EventInfoObj' || true; }
if [ -n "$msi32" ]; then
    install "$msi64"
    install "$msi32"
    grep -q '^32|.*CLSID' <(dump_registry) || fail "the x86 package wrote no class in the 32-bit view"
    if /usr/lib/wine/wine --version </dev/null >/dev/null 2>&1; then
        client "$(dirname "$msi32")/bin/c_client.exe"
        echo "a 32-bit client created the installed x86 object by ProgID and resolved an event"
    else
        echo "the 32-bit client was not run: this machine does not run 32-bit programs"
    fi
    uninstall "$msi32"
    dump_registry | normalized "$dll64" | grep -v '\\HELPDIR|' >"$work/left"
    # HELPDIR, which each package writes with its own folder, goes with the
    # package removed.
    comm -13 <(grep -v '\\HELPDIR|' "$work/installed") "$work/left" >"$work/added"
    comm -23 <(grep -v '\\HELPDIR|' "$work/installed") "$work/left" >"$work/lost"
    [ ! -s "$work/lost" ] || { cat "$work/lost"; fail "removing the x86 package took keys of the x64 one"; }
    diff "$work/added" <(shared_copy <"$work/added") >/dev/null ||
        { cat "$work/added"; fail "removing the x86 package left keys besides the shared ProgIDs"; }
    client "$build/bin/c_client.exe"
    uninstall "$msi64"
    dump_registry >"$work/after"
    diff "$work/after" <(shared_copy <"$work/after") >/dev/null ||
        { cat "$work/after"; fail "keys left after removing both packages"; }
    if [ -s "$work/after" ]; then
        echo "Wine kept the 32-bit view's copy of the shared ProgIDs ($(grep -c . "$work/after") lines); removed by hand"
        for key in CorvalisEventInfo.EventInfoObj CorvalisEventInfo.EventInfoObj.1; do
            wine64 reg delete "HKLM\\Software\\Classes\\$key" /f /reg:32 </dev/null >/dev/null 2>&1 || true
        done
    fi
    diff "$work/before" <(dump_registry) || fail "keys left after removing both packages"
    echo "both packages installed side by side; removing the x86 one left the x64 one working"
fi

install "$msi64"
install "$next64"
installed=$(products)
echo "products after the upgrade: $installed"
[ "$(printf '%s\n' "$installed" | grep -c .)" = 1 ] || fail "not one product after the upgrade"
expected=$(basename "$next64" | sed -E 's/^IEventInfoServer-([0-9.]+)-.*/\1/')
printf '%s' "$installed" | grep -q "$expected" || fail "the product left is not version $expected"
client "$build/bin/c_client.exe"
uninstall "$next64"
diff "$work/before" <(dump_registry) || fail "keys left after removing the upgraded product"
echo "version $expected upgraded the earlier one in place"

echo "== installers: $(basename "$msi64") $(stat -c %s "$msi64") bytes${msi32:+, $(basename "$msi32") $(stat -c %s "$msi32") bytes}"
echo "== installers: all checks passed"
