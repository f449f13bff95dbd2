#!/bin/sh
# Generates a demo payload folder holding every member name of the release
# package:
#   - R0123.WPH, a 1.5 MiB image of deterministic pseudo-random bytes
#     followed by the flash tool's markers and flash-area table (1,614,170
#     bytes: "ZFLPF" at 0x18001B, its table offset 87, the table at
#     0x180072, "ZQDS" at 0x18071B), so that the flash tool's check passes;
#   - AddMem.sys, the test ADDMEM driver when the Windows build has it
#     (tests/drivers: it answers from a simulated machine, never from real
#     hardware), else placeholder bytes;
#   - the outside utilities as substitute programs when the Windows build has
#     them (tools/substitute), else as small placeholder files (those of
#     programs, drivers and libraries begin with "MZ");
#   - ConResEn.dll and ConResEn_ami.dll from the Windows build when it has
#     them, and copies of them under the other languages' names (stand-ins:
#     the project has no translations);
#   - a MICOM image K0123.bin, and every other name as a small generated
#     file.
# With the Windows build, the package made of it passes "orvpack check".
#
# usage: make-payload.sh OUTDIR [WINDOWS_BUILD_DIR]
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 OUTDIR [WINDOWS_BUILD_DIR]" >&2
  exit 2
fi
out=$1
win=${2:-}
if [ -n "$win" ] && [ ! -d "$win" ]; then
  echo "$0: $win is not a folder" >&2
  exit 2
fi
mkdir -p "$out"

placeholder() {
  name=$1
  {
    # Programs, drivers and libraries begin with "MZ", as every Windows one does.
    case $name in *.exe | *.sys | *.dll | *.vxd) printf 'MZ' ;; esac
    printf 'Demo placeholder for %s.\r\n' "$name"
    i=0
    while [ $i -lt 16 ]; do
      printf '%s line %02d: not a working file, only its name matters here.\r\n' "$name" $i
      i=$((i + 1))
    done
  } >"$out/$name"
}

# The image: a 32-bit linear congruential sequence (exact in awk's doubles),
# the top byte of each step, so the same bytes come out on every machine.
# Behind it, in erased (0xFF) space: the "ZFLPF" header (its u32 at byte 53
# is 87, the table's distance from the header), the flash-area table (eight
# 64 KiB areas with action 0x22, the ESCD area, the terminator) and "ZQDS".
LC_ALL=C awk '
function fill(n) { while (n-- > 0) printf "%c", 255 }
function u32(v,  i) { for (i = 0; i < 4; i++) { printf "%c", v % 256; v = int(v / 256) } }
function u16(v) { printf "%c%c", v % 256, int(v / 256) }
function entry(size, offset, address, flags) { u32(size); u32(offset); u32(address); u16(0); u16(flags) }
BEGIN {
  x = 20240601
  for (i = 0; i < 1572864; i++) {
    x = (x * 69069 + 1) % 4294967296
    printf "%c", int(x / 16777216)
  }
  fill(27)
  printf "ZFLPF"; for (i = 5; i < 53; i++) printf "%c", 0; u32(87); u32(0)
  fill(26)
  for (i = 0; i < 8; i++) entry(65536, 524288 + i * 65536, 4294443008 + i * 65536, 34)
  entry(61440, 1052672, 4293922816, 34)
  entry(0, 0, 0, 0)
  fill(1545)
  printf "ZQDS"
  fill(39483)
}' >"$out/R0123.WPH"

driver=""
[ -n "$win" ] && driver=$(find "$win" -name ADDMEM.SYS -path '*drivers*' | head -n 1)
if [ -n "$driver" ]; then
  cp "$driver" "$out/AddMem.sys"
else
  placeholder AddMem.sys
fi

for utility in SWinFlash_32 SWinFlash_64 AFUWIN afuwinx64 WinUpV01_10; do
  built=""
  [ -n "$win" ] && built=$(find "$win" -name "$utility.exe" -path '*substitute*' | head -n 1)
  if [ -n "$built" ]; then
    cp "$built" "$out/$utility.exe"
  else
    placeholder "$utility.exe"
  fi
done

for suffix in .dll _ami.dll; do
  built=""
  [ -n "$win" ] && built=$(find "$win" -name "ConResEn$suffix" | head -n 1)
  for language in En Chs Cht Fr Gr Kr Po Ru Sp; do
    if [ -n "$built" ]; then
      cp "$built" "$out/ConRes$language$suffix"
    else
      placeholder "ConRes$language$suffix"
    fi
  done
done

for name in K0123.bin amifldrv32.sys amifldrv64.sys amifldrv.vxd mfc42.dll msvcp60.dll msvcrt.dll \
  PHLASH_32.INI PHLASH_64.INI PhlashLc_32.dll PhlashLc_64.dll PhlashNT_32.sys PhlashNT_64.sys; do
  placeholder "$name"
done

echo "$out: $(ls "$out" | wc -l) payload files"
