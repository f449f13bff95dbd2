#!/bin/sh
# orv-sim matrix as a release engineer runs it: the demo package over the
# documented profiles, a package that serves both firmware paths and a
# DMI-only package over a folder of a few profiles, among them one that is
# not JSON and one whose utilities entry is read only when the tool starts.
#   orv_sim_matrix_test.sh ORV_SIM ORVPACK WORK_FOLDER
set -eu
sim=$1 orvpack=$2 work=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() {
  printf "FAILED: %s\n" "$*"
  exit 1
}

# Packages: the demo payload; any file that begins with "MZ" is an updater.
"$root/tools/demo/make-payload.sh" payload >/dev/null
{
  printf 'MZ'
  head -c 510 /dev/zero
} >updater.exe
package() {
  "$orvpack" build --updater updater.exe --flags "$2" --output "$1" --payload "$3" >/dev/null ||
    fail "orvpack build $1"
}
package demo.exe FlashLastArea payload
package dmi-only.exe DmiOnly payload
# AMI firmware needs "bios.rom" with a "$FID" record (part BA2, version 815).
cp -r payload payload-both
{
  head -c 4096 /dev/zero | tr '\0' '\377'
  printf '$FID\004?\001\002\003BA2%40s815     ' ''
  head -c 4096 /dev/zero | tr '\0' '\377'
} >payload-both/BIOS.ROM
package both-paths.exe FlashLastArea payload-both

mkdir few
cp -r "$root/profiles/smbios" few/
for name in win7-x64-phoenix win7-x86-phoenix xp-phoenix win7-dmi-confirm xp-ami xp-ami-image-older; do
  cp "$root/profiles/$name.json" few/
done
echo '{"name": ' >few/a-broken.json
echo '{"extends": "win7-x64-phoenix.json", "utilities": {"SWinFlash": {"exitCode": "lots"}}}' \
  >few/bad-utility.json
echo '{"extends": "win7-x64-phoenix.json", "messageBoxes": [{"titleContains": "Warning", "answer": "Cancel"}]}' \
  >few/cancel.json

# run OUTPUT EXPECTED_EXIT_CODE MATRIX_ARGUMENTS...
run() {
  out=$1 expected=$2
  shift 2
  code=0
  "$sim" matrix "$@" >"$out" 2>"$out.err" || code=$?
  [ $code = "$expected" ] || { cat "$out" "$out.err"; fail "matrix $*: exit $code, not $expected"; }
  awk -F'\t' '!/^#/ && NF != 6 { exit 1 }' "$out" || fail "$out: a line without six columns"
}
run demo.txt 0 --package demo.exe
run both.txt 1 --package both-paths.exe --profiles few -- /MFORCE
run dmi.txt 1 --package dmi-only.exe --profiles few -- /BBL
run nowhere.txt 2 --package demo.exe --profiles nowhere
run no-package.txt 2 --package nowhere.exe

grep -q "profiles in $root/profiles\$" demo.txt || fail "not the documented profiles: $(head -n 1 demo.txt)"
profiles=0
for file in "$root"/profiles/*.json; do
  profiles=$((profiles + 1))
  name=$(basename "$file" .json)
  [ "$(awk -F'\t' -v p="$name" '$1 == p' demo.txt | wc -l)" = 1 ] || fail "demo.txt: not one line for $name"
done
[ "$(grep -vc '^#' demo.txt)" = $((profiles + 1)) ] || fail "demo.txt: lines beyond the heading and the profiles"

# OUTPUT|PROFILE|COLUMN|TEXT: the column (2 ending, 3 exit code, 4 message,
# 5 flash and 6 MICOM command line) is TEXT, or holds it when TEXT starts
# with "~".
work_dir='C:\Users\tech\AppData\Local\Temp\__Orvanta_Update\'
dmi_values='/MODE=3 /DO0:FLAA=0x0412 /DO1:2012-03-14 /DSS:HQ8A91BC300123Y'
while IFS='|' read -r out profile column text; do
  value=$(awk -F'\t' -v p="$profile" -v c="$column" '$1 == p { print $c }' "$out")
  case $text in
    "~"*) case $value in *"${text#"~"}"*) continue ;; esac ;;
    *) [ "$value" = "$text" ] && continue ;;
  esac
  fail "$out: $profile, column $column: \"$value\", expected \"$text\""
done <<EOF
demo.txt|demo|2|power-off
demo.txt|demo|3|0x00000000
demo.txt|demo|4|[Update Complete] The program will turn the system off, and then turn it on again in a few seconds.
demo.txt|demo|5|"${work_dir}SWinFlash" bios.wph /P $dmi_values
demo.txt|demo|6|none
demo.txt|win98-phoenix|2|power-off
demo.txt|xp-phoenix|2|power-off
demo.txt|vista-x64-phoenix|2|power-off
demo.txt|win7-x86-phoenix|2|power-off
demo.txt|win10-x64-phoenix|2|power-off
demo.txt|xp-phoenix|6|"${work_dir}WinUpV01_10" kbc.bin /FORCE
demo.txt|win7-vendor-m-6c2|6|none
demo.txt|win7-hdd-password|2|ResultHddPassword at Step 00
demo.txt|win7-hdd-password|3|0x80000004
demo.txt|win7-hdd-password|4|~[Fail : HDD Password] The HDD is password protected.\n\n
demo.txt|win7-hdd-password|5|none
demo.txt|win7-on-battery|2|ResultNoAcAdapter
demo.txt|win7-on-battery|3|0x80000010
demo.txt|win7-on-battery|4|~[Fail : Power] AC adapter is not connected.
demo.txt|win7-battery-low|3|0x80000011
demo.txt|win7-battery-low|4|~the battery is lower than 30%.\n\nCheck your battery.
demo.txt|win7-no-power-source|3|0x80000012
demo.txt|win7-no-power-source|4|~lower than 30%. \n\nCheck your adapter and battery.
demo.txt|win7-no-power-source|5|none
demo.txt|vista-no-driver|2|process ended
demo.txt|vista-no-driver|3|0xFFFFFFFF
demo.txt|vista-no-driver|4|~[Driver Load Fail] Fail to update.
demo.txt|xp-phoenix-micom-fails|2|ResultMicomFailed at Step 07
demo.txt|xp-phoenix-micom-fails|3|0x8000000A
demo.txt|win7-auto-on-fails|2|power-off
demo.txt|win7-auto-on-fails|4|[Fail : Set Auto On] Auto On setting failed.
demo.txt|xp-ami|2|ResultBiosFile
demo.txt|xp-ami|3|0x8000000B
demo.txt|xp-ami|5|none
both.txt|xp-ami|2|power-off
both.txt|xp-ami|5|"${work_dir}afuwin" bios.rom /p /b /n /e /r
both.txt|xp-ami|6|none
both.txt|xp-ami-image-older|2|ResultBiosDate
both.txt|xp-ami-image-older|3|0x80000013
both.txt|xp-phoenix|6|"${work_dir}WinUpV01_10" kbc.bin /FORCE /FORCE
both.txt|cancel|2|Cancel
both.txt|cancel|3|0x00000000
both.txt|cancel|4|~[Warning]
both.txt|cancel|5|none
both.txt|a-broken|2|profile not loaded: profile few/a-broken.json is not JSON
both.txt|a-broken|3|-
both.txt|bad-utility|2|~profile not loaded: profile: bad number in utilities
both.txt|bad-utility|4|-
both.txt|win7-x64-phoenix|2|power-off
dmi.txt|win7-dmi-confirm|2|DMI-only, no power-off
dmi.txt|win7-dmi-confirm|3|0x00000000
dmi.txt|win7-dmi-confirm|4|[Complete] DMI Update is complete.\n\nRestart system.
dmi.txt|win7-dmi-confirm|5|~SWinFlash" bios.wph /P /BBL $dmi_values /MODE=1
dmi.txt|win7-x64-phoenix|2|waits for ever: the DMI dialog waits for input that the profile does not give
dmi.txt|win7-x64-phoenix|3|-
dmi.txt|xp-ami|2|ResultInvalidOption
EOF
echo "orv-sim matrix: $profiles documented profiles, three packages, every checked column as expected"
