#!/bin/sh
# The hard-disk password check and the input-device operations of the
# Windows build under Wine (hw_operations.exe, built from the same hardware
# code as the updater), with the test drivers TORQ (keyboard controller) and
# DISKS (physical drives 1 to 3; drive 0 is Wine's own), compared line for
# line with the same operations on the simulated notebook.
# usage: run_hw_operations.sh PROGRAM_DIR WINDOWS_BUILD NATIVE_BUILD WINE_ROOT
# Output stays in PROGRAM_DIR/hw_operations_output. Exit status 77 (skipped)
# when the native build is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/lib.sh"

programs=$1 windows=$2 native=$3
root=$(mkdir -p "$4" && cd "$4" && pwd)
make_image=$native/tests/drivers/make_machine_image
print_state=$native/tests/drivers/print_machine_state
native_run=$native/tests/hw_operations/hw_operations_native
orv_need_native "$make_image" "$print_state" "$native_run"
out=$programs/hw_operations_output
rm -rf "$out"
mkdir -p "$out/run"
started=$(date +%s.%N)

# The test drivers' prefix (64-bit: the updater's 32-bit code sees Windows 7
# under WOW64 and opens TORQ).
orv_use_prefix "$root/drivers64"
stage=$WINEPREFIX/drive_c/orvanta-test
rm -rf "$stage"
mkdir -p "$stage"
"$make_image" "$here/machine.json" "$stage/machine.bin" || { echo "FAILED: no machine image"; exit 1; }
wineserver -p
for kind in TORQ DISKS; do
  cp "$windows/tests/drivers/$kind.SYS" "$stage/"
  orv_wine_quiet sc delete "$kind"
  orv_wine_quiet sc create "$kind" type= kernel binPath= "C:\\orvanta-test\\$kind.SYS"
  wine sc start "$kind" >"$out/start-$kind.txt" 2>&1
  grep -q RUNNING "$out/start-$kind.txt" || fail "$kind did not start: $(tr -d '\r' <"$out/start-$kind.txt")"
done

# Everything once; then the mice alone with the setup API's trace, to see
# what SetMiceEnabled asked of it. A time limit: a missing driver would show
# a message box that nobody answers.
cd "$out/run"
timeout 120 wine "$programs/hw_operations.exe" >"$out/wine.raw" 2>"$out/wine.err" || fail "hw_operations.exe ended with $?"
WINEDEBUG=trace+setupapi timeout 120 wine "$programs/hw_operations.exe" --mice >"$out/mice.raw" 2>"$out/mice.err" ||
  fail "hw_operations.exe --mice ended with $?"
for kind in TORQ DISKS; do orv_wine_quiet sc stop "$kind"; done
for kind in TORQ DISKS; do orv_wine_quiet sc delete "$kind"; done
wineserver -k
tr -d '\r' <"$out/wine.raw" >"$out/wine.txt"
"$print_state" "$stage/state-torq.bin" "$stage/machine.bin" >"$out/state-torq.txt" 2>&1 || fail "no TORQ state"
"$print_state" "$stage/state-disks.bin" "$stage/machine.bin" >"$out/state-disks.txt" 2>&1 || fail "no DISKS state"
"$native_run" "$here/machine.json" >"$out/native.txt" || fail "the simulated run failed"

# The same results, log, keyboard-controller traffic and SMART records on
# both routes (the device lines differ: Wine has no mouse).
compare() {
  if ! diff "$out/native-$1.txt" "$out/wine-$1.txt" >"$out/parity-$1.diff"; then
    fail "$1 differs from the simulated run:"
    cat "$out/parity-$1.diff"
  fi
}
grep -v '^devices \|^changed \|^state ' "$out/native.txt" >"$out/native-results.txt"
grep -v '^devices \|^changed ' "$out/wine.txt" >"$out/wine-results.txt"
compare results
sed -n 's/^state //p' "$out/native.txt" | grep -v '^disk ' >"$out/native-keyboard.txt"
grep -v '^disk ' "$out/state-torq.txt" >"$out/wine-keyboard.txt"
compare keyboard
sed -n 's/^state //p' "$out/native.txt" | grep '^disk [123] ' >"$out/native-disks.txt"
grep '^disk [123] ' "$out/state-disks.txt" >"$out/wine-disks.txt"
compare disks
grep -qx 'drives 0x00000002' "$out/wine.txt" || fail "drive 1 alone should be reported"
grep -q '^disk 0 .* versionRequests=0 ' "$out/state-disks.txt" || fail "the test driver answered for drive 0"

# Wine lists devices but none of class Mouse, and none is disableable: the
# enumeration runs, nothing changes.
devices=$(sed -n 's/^devices \([0-9]*\) mice 0$/\1/p' "$out/wine.txt")
[ "${devices:-0}" -gt 0 ] || fail "no devices listed, or a mouse: $(grep '^devices' "$out/wine.txt")"
for line in 'changed by suspend 0' 'changed by resume 0'; do
  grep -qx "$line" "$out/wine.txt" || fail "expected '$line'"
done
# SetMiceEnabled twice: two lists of present devices of every class, each
# member's class read first with no buffer (the size) and then again, no
# property change, both lists destroyed.
count() { grep -c "$1" "$out/mice.err"; }
[ "$(count 'SetupDiGetClassDevsExW (null) (null) 00000000 0x00000006')" = 2 ] || fail "not two device lists"
[ "$(count 'SetupDiDestroyDeviceInfoList')" = 2 ] || fail "not two lists destroyed"
[ "$(count 'SetupDiGetDeviceRegistryPropertyW .* prop 7, .* buffer 00000000, size 0,')" = $((2 * devices)) ] ||
  fail "not one sizing read of the class per device and list"
[ "$(count 'SetClassInstallParams')" = 0 ] || fail "a property change was asked for"

echo "hw_operations: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s"
exit $failed
