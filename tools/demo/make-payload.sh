#!/bin/sh
# Generates a demo payload folder holding every member name of the release
# package:
#   - R0123.WPH, a 1.5 MiB image of deterministic pseudo-random bytes;
#   - AddMem.sys, the test ADDMEM driver when the Windows build has it
#     (tests/drivers: it answers from a simulated machine, never from real
#     hardware), else placeholder bytes;
#   - the outside utilities as substitute programs when the Windows build has
#     them (tools/substitute), else as small placeholder files;
#   - ConResEn.dll and ConResEn_ami.dll from the Windows build when it has
#     them;
#   - every other name as a small generated file.
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
LC_ALL=C awk 'BEGIN {
  x = 20240601
  for (i = 0; i < 1572864; i++) {
    x = (x * 69069 + 1) % 4294967296
    printf "%c", int(x / 16777216)
  }
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

for library in ConResEn.dll ConResEn_ami.dll; do
  built=""
  [ -n "$win" ] && built=$(find "$win" -name "$library" | head -n 1)
  if [ -n "$built" ]; then
    cp "$built" "$out/$library"
  else
    placeholder "$library"
  fi
done

for language in Chs Cht Fr Gr Kr Po Ru Sp; do
  placeholder "ConRes$language.dll"
  placeholder "ConRes${language}_ami.dll"
done

for name in amifldrv32.sys amifldrv64.sys amifldrv.vxd mfc42.dll msvcp60.dll msvcrt.dll \
  PHLASH_32.INI PHLASH_64.INI PhlashLc_32.dll PhlashLc_64.dll PhlashNT_32.sys PhlashNT_64.sys; do
  placeholder "$name"
done

echo "$out: $(ls "$out" | wc -l) payload files"
