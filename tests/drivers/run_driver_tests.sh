#!/bin/sh
# The test drivers under Wine: in a 64-bit and a 32-bit prefix, register and
# start the five drivers, talk to the four memory-access drivers with the
# test client, check that a bad machine image keeps a driver from starting,
# and read their state files back with the native state printer. (The
# physical drives' driver is exercised by tests/hw_operations.)
# usage: run_driver_tests.sh DRIVER_DIR NATIVE_DIR WINE_ROOT
#   DRIVER_DIR  folder of the five .SYS files and driver_client.exe
#   NATIVE_DIR  the native build (make_machine_image, print_machine_state)
#   WINE_ROOT   folder of the kept Wine prefixes
# Output of every run stays in DRIVER_DIR/driver_output. Exit status 77
# (skipped) when the native tools are not built.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/lib.sh"

drivers=$1 native=$2
root=$(mkdir -p "$3" && cd "$3" && pwd)
make_image=$native/tests/drivers/make_machine_image
print_state=$native/tests/drivers/print_machine_state
if [ ! -x "$make_image" ] || [ ! -x "$print_state" ]; then
  echo "SKIPPED: the native tools are missing; build the native preset first ($make_image)"
  exit 77
fi
objdump=${ORV_OBJDUMP:-i686-w64-mingw32-objdump}
out=$drivers/driver_output
rm -rf "$out"
mkdir -p "$out"
failed=0
kinds="ADDMEM TORQ KMDFMEMIO MEMIOVXD DISKS"

fail() {
  echo "FAILED: $*"
  failed=1
}

# A driver that imports anything but ntoskrnl is loaded as a plain DLL.
for kind in $kinds; do
  imports=$("$objdump" -p "$drivers/$kind.SYS" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
  [ "$imports" = "ntoskrnl.exe " ] || fail "$kind.SYS imports '$imports'"
done

# sc_start PREFIX_NAME KIND: starts a registered driver; true when running.
sc_start() {
  wine sc start "$2" >"$out/$1-start-$2.txt" 2>&1
  grep -q 'RUNNING' "$out/$1-start-$2.txt"
}

# expect_state NAME KIND LINE...: each LINE is a whole line of the
# driver's state as text (changes against the image).
expect_state() {
  _name=$1 _kind=$2
  shift 2
  _file=$out/$_name-state-$_kind.txt
  if ! "$print_state" "$stage/state-$_kind.bin" "$stage/machine.bin" >"$_file" 2>&1; then
    fail "$_name: no readable state for $_kind: $(cat "$_file")"
    return
  fi
  for _line in "$@"; do
    grep -qxF "$_line" "$_file" || fail "$_name: state of $_kind lacks '$_line'"
  done
}

# session NAME ARCH: the whole check in one prefix (win64 or win32).
session() {
  name=$1
  started=$(date +%s.%N)
  WINEARCH=$2 orv_wine_prefix "$root/$name" || { fail "wineboot $name, see $root/$name/.orv-wineboot.log"; return; }
  if orv_wine_is_64; then wow64=1; else wow64=0; fi
  stage=$WINEPREFIX/drive_c/orvanta-test
  rm -rf "$stage"
  mkdir -p "$stage"
  for kind in $kinds; do cp "$drivers/$kind.SYS" "$stage/"; done
  "$make_image" "$here/test_machine.json" "$stage/machine.bin" || { fail "$name: no machine image"; return; }

  # A driver lives only as long as the wine server; keep it up until the end.
  wineserver -p
  for kind in $kinds; do
    orv_wine_quiet sc delete "$kind"
    orv_wine_quiet sc create "$kind" type= kernel binPath= "C:\\orvanta-test\\$kind.SYS"
    sc_start "$name" "$kind" || fail "$name: $kind did not start: $(tr -d '\r' <"$out/$name-start-$kind.txt")"
  done

  image='C:\orvanta-test\machine.bin'
  orv_wine_run "$out/$name-nt.out" "$out/$name-nt.err" "$drivers/driver_client.exe" \
    --image "$image" --wow64 "$wow64" --only nt_
  orv_checks_passed "$out/$name-nt.out" || { fail "$name: client as NT"; cat "$out/$name-nt.out"; }

  # The 9x way of opening MEMIO.VXD works only for a program run as Windows 98.
  cp "$drivers/driver_client.exe" "$out/driver_client_win98.exe"
  orv_wine_version win98 driver_client_win98.exe
  orv_wine_run "$out/$name-9x.out" "$out/$name-9x.err" "$out/driver_client_win98.exe" \
    --image "$image" --wow64 "$wow64" --only win9x_
  orv_checks_passed "$out/$name-9x.out" || { fail "$name: client as Windows 98"; cat "$out/$name-9x.out"; }

  # Stopping a driver unloads it, which saves its state once more.
  for kind in $kinds; do orv_wine_quiet sc stop "$kind"; done

  # Each driver answered from the image and kept what the client changed;
  # the refused requests are in its log.
  expect_state "$name" torq "requests torq=6 kmdfmemio=0 addmem=0 memiovxd=0" \
    "refused torq=2 kmdfmemio=0 addmem=0 memiovxd=0" "cmos0 0x0021=0x3C" \
    "2 torq port-write code=0x9C412008 target=0x0071 width=1 value=0x3C"
  expect_state "$name" addmem "refused torq=0 kmdfmemio=0 addmem=4 memiovxd=0" \
    "chipset pciAddress=0x8000F840 smiEnable=0x00000000 smiEnableWrites=0" \
    "0 addmem memory-read code=0x0022204C target=0xF0000 width=0 value=0x10"
  expect_state "$name" kmdfmemio "requests torq=0 kmdfmemio=3 addmem=0 memiovxd=0" \
    "refused torq=0 kmdfmemio=3 addmem=0 memiovxd=0" \
    "0 kmdfmemio port-write code=0x9C412404 target=0x0070 width=1 value=0x20"
  expect_state "$name" memiovxd "0 memiovxd port-write code=0x9C412404 target=0x0070 width=1 value=0x20" \
    "1 memiovxd port-read code=0x9C412400 target=0x0071 width=1 value=0xA5"

  # A machine image of the wrong size keeps a driver from starting.
  mv "$stage/machine.bin" "$stage/machine.good"
  head -c 1000 "$stage/machine.good" >"$stage/machine.bin"
  orv_wine_quiet sc start ADDMEM
  wine sc query ADDMEM >"$out/$name-start-bad-image.txt" 2>&1
  grep -q 'STOPPED' "$out/$name-start-bad-image.txt" ||
    fail "$name: ADDMEM with a truncated image: $(tr -d '\r' <"$out/$name-start-bad-image.txt")"
  mv "$stage/machine.good" "$stage/machine.bin"
  sc_start "$name" ADDMEM || fail "$name: ADDMEM did not start again from the good image"
  orv_wine_quiet sc stop ADDMEM

  for kind in $kinds; do orv_wine_quiet sc delete "$kind"; done
  wineserver -k
  echo "$name: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s"
}

session drivers64 win64
session drivers32 win32
exit $failed
