#!/bin/sh
# The Windows build of the package tool under Wine: builds, lists, verifies
# and extracts a package, and finds a damaged one.
#   orvpack_wine_test.sh ORVPACK_EXE WORK_FOLDER
set -eu
tool=$1
work=$2
mkdir -p "$work"
cd "$work"
rm -rf payload extracted ./*.exe ./*.txt
mkdir payload
cp "$tool" orvpack.exe

fail() {
  echo "FAILED: $*"
  cat out.txt err.txt 2>/dev/null || true
  exit 1
}

# Wine's output goes to files: its background processes would hold a pipe open.
run() {
  status=0
  wine orvpack.exe "$@" >out.txt 2>err.txt </dev/null || status=$?
}

printf 'MZ' >updater.exe
head -c 2046 /dev/zero >>updater.exe
seq 1 60000 >payload/R0123.WPH
printf 'driver' >payload/AddMem.sys
: >payload/empty.bin

run build --updater updater.exe --flags 'FlashLastArea|NoMessageBox' --output package.exe --payload payload
[ "$status" -eq 0 ] || fail "build exited with $status"
run list package.exe
[ "$status" -eq 0 ] || fail "list exited with $status"
grep -q '0x00000028 FlashLastArea|NoMessageBox' out.txt || fail "list: flags word"
grep -q 'R0123.WPH.gz' out.txt || fail "list: member names"
run verify package.exe
[ "$status" -eq 0 ] || fail "verify exited with $status"
grep -q 'OK: 3 members' out.txt || fail "verify: summary"
run extract package.exe extracted
[ "$status" -eq 0 ] || fail "extract exited with $status"
cmp -s extracted/R0123.WPH payload/R0123.WPH || fail "extract: R0123.WPH differs"
cmp -s extracted/AddMem.sys payload/AddMem.sys || fail "extract: AddMem.sys differs"
[ -f extracted/empty.bin ] && [ ! -s extracted/empty.bin ] || fail "extract: empty.bin"

# A link in the destination is replaced, never written through.
rm -f extracted/AddMem.sys
echo keep >outside.txt
ln -s ../outside.txt extracted/AddMem.sys
run extract package.exe extracted --force
[ "$status" -eq 0 ] || fail "extract over a link exited with $status"
[ "$(cat outside.txt)" = keep ] && [ ! -L extracted/AddMem.sys ] || fail "extract wrote through a link"
cmp -s extracted/AddMem.sys payload/AddMem.sys || fail "extract over a link: AddMem.sys differs"

# One flipped byte in the last member's CRC-32.
size=$(wc -c <package.exe)
cp package.exe damaged.exe
printf '\377' | dd of=damaged.exe bs=1 seek=$((size - 8)) conv=notrunc 2>/dev/null
run verify damaged.exe
[ "$status" -eq 1 ] || fail "verify of a damaged package exited with $status"
grep -q 'FAULT: .*damaged gzip data' out.txt || fail "verify: no fault line for the damage"

wineserver -w
echo "orvpack.exe under Wine: build, list, verify, extract and damage detection passed"
