#!/bin/sh
# The real OrvantaUpdate.exe under Wine, as built: on Windows 7 without the
# TORQ driver it must show "Driver Load Fail" and end with exit code -1.
# usage: run_updater_tests.sh PROGRAM_DIR UPDATER_EXE WINE_ROOT
#   PROGRAM_DIR  folder of launcher.exe; output lands in PROGRAM_DIR/updater_output
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
orv_with_display "$0" "$@"

programs=$1 updater=$2 root=$3
out=$programs/updater_output
shots=$out/screenshots
rm -rf "$out"
mkdir -p "$shots"
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

orv_wine_prefix "$root/win7" || { echo "wineboot failed, see $root/win7/.orv-wineboot.log"; exit 1; }
orv_wine_version win7

# The box is answered by keyboard; the launcher's limit keeps a hung run from
# holding the test.
wine "$programs/launcher.exe" -o "$(orv_winpath "$out/driver_load_fail.txt")" -t 120000 \
  "$updater" >"$out/driver_load_fail.wine" 2>&1 &
run=$!
orv_answer_box "Driver Load Fail" 60 "$shots/driver_load_fail.png" Return $run ||
  { fail "no \"Driver Load Fail\" message box"; orv_screenshot "$shots/no_box.png"; }
wait $run
code=$(tr -d '\r' <"$out/driver_load_fail.txt" 2>/dev/null)
[ "$code" = "exit code 0xFFFFFFFF" ] || fail "exit: '$code', expected exit code 0xFFFFFFFF"

echo "screenshots in $shots"
orv_wine_end
exit $failed
