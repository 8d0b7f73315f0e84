#!/usr/bin/env bash
# How the set-up installs what is missing, against a package manager of this
# test's own that fails as a mirror in the middle of a sync does:
# - a failed update of the package lists is tried again, and the install
#   goes on after the last try;
# - an optional package that cannot be installed is reported and the command
#   goes on;
# - a required package that cannot be installed ends the command.
# Usage: PackageInstall.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
work=$2/package-install-test

fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
# Every package counts as installed but those named in $work/missing; the
# update fails $work/update-failures times, the install of a package named
# in $work/broken always. Each call is logged.
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
stub dpkg-query 'grep -qx "${!#}" "'"$work"'/missing" || echo "install ok installed"'
stub dpkg 'echo i386'
stub sudo 'exec "$@"'
stub sleep ':'
stub apt-get 'echo "apt-get $*" >>"'"$work"'/calls"
if [ "$1" = update ]; then
    failures=$(cat "'"$work"'/update-failures")
    [ "$failures" -gt 0 ] || exit 0
    echo $((failures - 1)) >"'"$work"'/update-failures"
    exit 100
fi
for package in "$@"; do grep -qx "$package" "'"$work"'/broken" && exit 100; done
exit 0'

# install [FUNCTION PACKAGE...]: the status of the set-up's install in a
# shell of its own, with the stubs first on the path.
install() {
    PATH="$work/bin:$PATH" BUILD_DIR=$work bash -c \
        'source "$1/scripts/common.sh"; shift; "$@"; echo "went on"' _ "$source_dir" "$@" >"$work/out" 2>&1
}
calls() { grep -c "^apt-get $1" "$work/calls" || true; }
scenario() {
    printf '%s\n' $1 >"$work/missing"
    printf '%s\n' $2 >"$work/broken"
    echo "$3" >"$work/update-failures"
    : >"$work/calls"
}

scenario "wine32:i386" "" 2
install install_optional_packages wine32:i386 || fail "an install after two failed updates ended the command"
[ "$(calls update)" -eq 3 ] || fail "expected 3 updates, got $(calls update)"
[ "$(calls install)" -eq 1 ] || fail "the install did not follow the updates"

scenario "wine32:i386" "wine32:i386" 9
install install_optional_packages wine32:i386 || fail "a failed optional install ended the command"
grep -q "went on" "$work/out" || fail "the command did not go on after a failed optional install"
grep -q "could not install wine32:i386" "$work/out" || fail "a failed optional install was not reported"
[ "$(calls update)" -eq 4 ] || fail "expected 4 updates before giving up, got $(calls update)"

scenario "mingw-w64" "mingw-w64" 0
if install install_missing_packages; then fail "a failed required install did not end the command"; fi
grep -q "went on" "$work/out" && fail "the command went on after a failed required install"

scenario "" "" 0
install install_missing_packages || fail "nothing to install ended the command"
[ -s "$work/calls" ] && fail "the package manager was called with nothing missing"
echo "package install: every case holds"
