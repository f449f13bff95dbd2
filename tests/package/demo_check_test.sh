#!/bin/sh
# The demo package that tools/demo makes from the Windows build passes
# "orvpack check" without an error or warning. orvpack.exe under Wine says
# the same as the native tool, on the demo package and on one with faults.
#   demo_check_test.sh ORVPACK_EXE UPDATER_EXE WINDOWS_BUILD NATIVE_BUILD WORK_FOLDER WINE_PREFIX
set -eu
exe=$1 updater=$2 windows=$3 native=$4 work=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/wine/lib.sh"
orvpack=$native/tools/orvpack/orvpack
[ -x "$orvpack" ] || { echo "skipped: no native build at $native"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
cd "$work"
orv_use_prefix "$6"
cp "$exe" orvpack.exe

fail() {
  echo "FAILED: $*"
  exit 1
}

# check PACKAGE EXIT: both tools, the same report and the exit code given.
# Wine's output goes to a file: its background processes would hold a pipe.
check() {
  status=0
  "$orvpack" check "$1" >"$1.native" 2>"$1.native-err" || status=$?
  [ "$status" -eq "$2" ] || { cat "$1.native" "$1.native-err"; fail "orvpack check $1 exited with $status"; }
  status=0
  wine orvpack.exe check "$1" >"$1.wine" 2>"$1.wine-err" </dev/null || status=$?
  [ "$status" -eq "$2" ] || { cat "$1.wine" "$1.wine-err"; fail "orvpack.exe check $1 exited with $status"; }
  tr -d '\r' <"$1.wine" | diff "$1.native" - || fail "orvpack.exe says otherwise about $1"
}

"$root/tools/demo/make-payload.sh" payload "$windows" >/dev/null
ORVPACK=$orvpack "$root/tools/demo/make-package.sh" payload "$updater" demo.exe >/dev/null
check demo.exe 0
grep -qx 'demo.exe: OK: no error or warning' demo.exe.native || fail "no clean summary"

# No MICOM image, and a German library that is none.
rm payload/K0123.bin
echo 'not a library' >payload/ConResGr.dll
ORVPACK=$orvpack "$root/tools/demo/make-package.sh" payload "$updater" faults.exe >/dev/null
check faults.exe 1
grep -q 'ERROR: Phoenix firmware, controllers other .*: no MICOM image' faults.exe.native ||
  fail "the missing MICOM image is not reported"
grep -q 'ERROR: Phoenix firmware, German systems: "ConResGr.dll" is no Windows library' \
  faults.exe.native || fail "the broken German library is not reported"

wineserver -w
echo "the demo package passes orvpack check; orvpack.exe finds the same"
