#!/bin/sh
# The shipped OrvantaUpdate.exe, built into packages by the package tool,
# under Wine on each Windows family with the test drivers answering; each run
# is compared with the same run on the simulated notebook.
# usage: run_e2e.sh E2E_DIR WINDOWS_BUILD NATIVE_BUILD WINE_ROOT
#   E2E_DIR  folder of box_reader.exe; output lands in E2E_DIR/e2e_output
# Exit status 77 (skipped) when the native build is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source_root=$(cd "$here/../.." && pwd)
. "$here/../wine/lib.sh"
orv_with_display "$0" "$@"

e2e=$1 windows=$2 native=$3
root=$(mkdir -p "$4" && cd "$4" && pwd)
programs=$e2e
drivers=$windows/tests/drivers
out=$e2e/e2e_output
. "$here/e2e_lib.sh"
# A run cut short must not leave the session's wine server and drivers up.
trap '[ -n "${WINEPREFIX:-}" ] && { wineserver -k 2>/dev/null; wineserver -w; }' EXIT
trap 'exit 2' INT TERM
cp "$windows/tests/wine/launcher.exe" "$programs/" || exit 1
for tool in "$e2e_make_image" "$e2e_print_state" "$e2e_native_run" "$e2e_orvpack"; do
  if [ ! -x "$tool" ]; then
    echo "SKIPPED: $tool is missing; build the native preset first"
    exit 77
  fi
done
rm -rf "$out"
mkdir -p "$out"
all_started=$(date +%s.%N)
# A run that reaches the end of what the updater does today (the option
# parsing, or the AMI branch) ends with this code, so no script takes it for
# a finished update.
unfinished=0x800000FF

# The identity the Phoenix families' firmware shows the updater
# (profiles/smbios/notebook-900x3c.bin and the maker's blocks): read on Wine
# by identity_probe.exe after the run, compared with the simulated route.
expect_phoenix_identity() {
  e2e_expect "identity firmware: Phoenix" "identity BiosPartVersion: 07HL" \
    "identity BiosModelNumber: NP90" "identity BiosPartNumber: BA4" \
    "identity PurchaseDate: 2012-03-14" "identity SystemSerial: HQ8A91BC300123Y" \
    "identity BiosFlag: FLAG=0x0412"
}

# The memory requests of the identity read in the TORQ driver's log: the
# 64 KiB searches of the BIOS area and the walk's two-byte reads of the
# table (placed near 3 GiB by the profile).
expect_walk_requests() {
  grep -q '^state [0-9]* torq memory-read code=0x9C41200C target=0xF0000 width=0 value=0x10000$' "$dir/observed.txt" ||
    e2e_fail "$family/${dir##*/}: no search of the BIOS area through TORQ"
  grep -q '^state [0-9]* torq memory-read code=0x9C41200C target=0xBFF9E[0-9A-F]\{3\} width=0 value=0x02$' "$dir/observed.txt" ||
    e2e_fail "$family/${dir##*/}: no two-byte read of the SMBIOS table through TORQ"
}

# ---- Packages: the demo payload, which carries the test ADDMEM driver.
payload=$out/payload
"$source_root/tools/demo/make-payload.sh" "$payload" "$windows" >/dev/null || exit 1
cmp -s "$payload/AddMem.sys" "$drivers/ADDMEM.SYS" || { echo "FAILED: the payload lacks the test ADDMEM driver"; exit 1; }
updater=$windows/src/os/win32/OrvantaUpdate.exe
# package NAME FLAGS PAYLOAD: packages/NAME/OrvantaUpdate.exe (Wine's
# per-program version setting goes by the file name).
package() {
  mkdir -p "$out/packages/$1"
  "$e2e_orvpack" build --updater "$updater" --flags "$2" --output "$out/packages/$1/OrvantaUpdate.exe" \
    --payload "$3" >"$out/packages/$1.txt" 2>&1 || { echo "FAILED: package $1: $(cat "$out/packages/$1.txt")"; exit 1; }
  eval "pkg_$1=\$out/packages/\$1/OrvantaUpdate.exe"
}
# Wine reports AC online and no battery, so a run past the power check needs
# the header's SkipCheckPower.
package release FlashLastArea "$payload"
package ready 'FlashLastArea|SkipCheckPower' "$payload"
package silent 'FlashLastArea|SkipCheckPower|NoMessageBox' "$payload"
mkdir -p "$out/payload-no-addmem"
cp "$payload"/* "$out/payload-no-addmem/"
rm "$out/payload-no-addmem/AddMem.sys"
package no_addmem 'FlashLastArea|SkipCheckPower' "$out/payload-no-addmem"
# A French library that is a real one (the English library's resources): its
# wording shows that the system language chose it.
mkdir -p "$out/payload-fr"
cp "$payload"/* "$out/payload-fr/"
cp "$payload/ConResEn.dll" "$out/payload-fr/ConResFr.dll"
package french FlashLastArea "$out/payload-fr"
# A German library that is not one (the demo payload's are stand-in copies
# of the English library).
mkdir -p "$out/payload-de"
cp "$payload"/* "$out/payload-de/"
echo 'not a library' >"$out/payload-de/ConResGr.dll"
package german FlashLastArea "$out/payload-de"

# Byte surgery on the ready package: the archive starts at the offset in the
# DOS header (bytes 40..43); after its 12-byte header comes the first member
# (AddMem.sys): a 260-byte name, its 32-bit size, then its gzip data.
le32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
poke() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }
archive=$(le32 "$pkg_ready" 40)
derive() {
  mkdir -p "$out/packages/$1"
  cp "$pkg_ready" "$out/packages/$1/OrvantaUpdate.exe"
  eval "pkg_$1=\$out/packages/\$1/OrvantaUpdate.exe"
}
derive empty
poke "$pkg_empty" $((archive + 8)) '\0\0\0\0'
truncate -s $((archive + 12)) "$pkg_empty"
derive no_magic
poke "$pkg_no_magic" "$archive" 'X'
derive damaged
first_size=$(le32 "$pkg_damaged" $((archive + 12 + 260)))
crc_byte=$((archive + 12 + 264 + first_size - 6))  # inside the member's CRC-32
poke "$pkg_damaged" "$crc_byte" "\\$(printf '%03o' $(( $(od -An -tu1 -j "$crc_byte" -N 1 "$pkg_damaged") ^ 0x55 )))"
"$e2e_orvpack" verify "$pkg_damaged" >"$out/packages/damaged.txt" 2>&1 &&
  e2e_fail "the damaged package passes verification"

# ---- Windows 7, 64-bit: TORQ with the 17-byte layout, and the start-up cases.
if e2e_family win7-64 win64 win7 "$source_root/profiles/win7-x64-phoenix.json" TORQ torq; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_phoenix_identity
  grep -q '^box \[Warning\]  - This program updates .* (type 0x41, owner none, answer 1)$' "$dir/observed.txt" ||
    e2e_fail "win7-64/matrix: no OK/Cancel confirmation with the information icon"
  e2e_expect "exit $unfinished" "work-entry R0123.WPH" "work-entry SWinFlash_64.exe"
  expect_walk_requests

  # Cancel at the confirmation: exit 0, nothing extracted.
  E2E_CANCEL=Warning e2e_run cancel "$pkg_ready" ''
  e2e_expect "exit 0x00000000" "temp-entry ConResEn.dll"
  e2e_expect_not "^work-entry R0123.WPH"

  # An unknown option after the extraction: the box is owned by the dialog,
  # which stays up behind it with its extraction status (both pictured, the
  # dialog also while it extracts).
  E2E_DIALOG=1 e2e_run bad_option "$pkg_ready" '' /BOGUS
  e2e_expect "exit 0x8000000E"
  # The reporter's clean-up: the staged tools, the driver copy and the
  # language modules go; the image and the width sets (not staged yet) stay.
  e2e_expect "work-entry R0123.WPH" "work-entry SWinFlash_64.exe" "work-entry PhlashNT_32.sys"
  e2e_expect_not "^work-entry WinUpV01_10.exe" "^work-entry AddMem.sys" "^work-entry ConResEn.dll" \
    "^work-entry AFUWIN.exe" "^work-entry mfc42.dll"
  e2e_expect "box [Fail : Invalid Option] Invalid Option.\\nCheck the option. (type 0x10, owner dialog, answer 1)"
  grep -qx 'status Preparing file extraction. Please wait a moment...' "$dir/dialog-2.txt" 2>/dev/null ||
    e2e_fail "win7-64/bad_option: the dialog behind the box lacks the extraction status"

  # The release header on Wine's power state: no battery, text 35 in the
  # English library's wording.
  e2e_run battery "$pkg_release" ''
  e2e_expect "exit 0x80000011" "temp-log Check System Power"
  grep -q '^box \[Fail : Power\] There is no installed battery or the remaining charge level of the battery is lower than 30%\.' \
    "$dir/observed.txt" || e2e_fail "win7-64/battery: not the English library's battery text"
  e2e_expect_not "^work-entry"

  # A French system loads ConResFr.dll (here the English resources, so its
  # wording shows it was chosen); a German one finds a placeholder that does
  # not load: "Fail To Load Dll", then the executable's own wording.
  E2E_LANG=fr_FR.UTF-8 e2e_run french "$pkg_french" ''
  e2e_expect "exit 0x80000011" "temp-entry ConResFr.dll"
  grep -q '^box \[Fail : Power\] There is no installed battery' "$dir/observed.txt" ||
    e2e_fail "win7-64/french: the French library's text is missing"
  E2E_LANG=de_DE.UTF-8 e2e_run german "$pkg_german" ''
  e2e_expect "exit 0x80000011" "box [Fail : Dll] Fail To Load Dll (type 0x10, owner none, answer 1)"
  grep -q '^box \[Fail : Power\] There is no connected battery or the remaining charge\\r\\nlevel of the battery is lower than 30%\.' \
    "$dir/observed.txt" || e2e_fail "win7-64/german: not the executable's own battery text"

  # Package faults: no members, damaged gzip data, no "LPCK".
  e2e_run empty "$pkg_empty" ''
  e2e_expect "exit 0x80000003" \
    "box [Fail : Unpack] File Extraction failed.\\n\\nProgram will be terminated. (type 0x10, owner dialog, answer 1)"
  e2e_run damaged "$pkg_damaged" ''
  e2e_expect "exit 0x00000001"
  [ "$(grep -c '^box ' "$dir/observed.txt")" = 1 ] || e2e_fail "win7-64/damaged: more than the confirmation was shown"
  e2e_run no_magic "$pkg_no_magic" ''
  e2e_expect "exit 0x8000000E" "box [Fail : Invalid Option] Invalid Option.\\nCheck the option. (type 0x10, owner none, answer 1)"
  e2e_expect_not "__Orvanta_Update"
  e2e_family_end
fi

# ---- Windows 7, 32-bit: TORQ with the 9-byte layout; then without TORQ.
if e2e_family win7-32 win32 win7 "$source_root/profiles/win7-x86-phoenix.json" TORQ torq; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_phoenix_identity
  # The 9-byte layout: the driver, asking the caller's width, refuses the 17-byte one.
  e2e_expect "exit $unfinished" "state refused torq=0 kmdfmemio=0 addmem=0 memiovxd=0"
  expect_walk_requests
  family_driver=none E2E_KIND=none e2e_run no_driver "$pkg_ready" '"drivers": {"torq": false}'
  e2e_expect "exit 0xFFFFFFFF" \
    "box [Driver Load Fail] Fail to update.\\nCheck if LMX(Lumivex) is installed.\\nLMX must be installed to update BIOS. (type 0x10, owner none, answer 1)"
  e2e_family_end
fi

# ---- Windows Vista, 64-bit: KMDFMEMIO; without it even a silent package
# shows "Driver Load Fail".
if e2e_family vista win64 vista "$source_root/profiles/vista-x64-phoenix.json" KMDFMEMIO kmdfmemio; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  e2e_expect "exit $unfinished"
  expect_phoenix_identity
  family_driver=none E2E_KIND=none e2e_run no_driver_silent "$pkg_silent" '"drivers": {"kmdfmemio": false}'
  e2e_expect "exit 0xFFFFFFFF"
  grep -q '^box \[Driver Load Fail\] ' "$dir/observed.txt" || e2e_fail "vista/no_driver_silent: no \"Driver Load Fail\" box"
  e2e_family_end
fi

# ---- Windows XP, 32-bit, AMI firmware: the updater installs ADDMEM itself.
if e2e_family xp win32 winxp "$source_root/profiles/xp-ami.json" none addmem; then
  e2e_run matrix "$pkg_ready" ''
  e2e_expect "exit $unfinished" "temp-entry AddMem.sys" "temp-entry ConResEn_ami.dll"
  # The code outside the table gets the reporter's clean-up: the AMI set and
  # the language modules go, the image stays.
  e2e_expect_not "^work-entry SWinFlash_32.exe" "^work-entry SWinFlash_64.exe" "^work-entry AFUWIN.exe" \
    "^work-entry ConResEn_ami.dll"
  e2e_expect "work-entry R0123.WPH"
  first_total=$(sed -n 's/^state log total=\([0-9]*\) .*/\1/p' "$dir/observed.txt")
  orv_wine_quiet reg query 'HKLM\System\CurrentControlSet\Services\ADDMEM' /v ImagePath
  tr -d '\r' <"$WINEPREFIX/.orv-quiet.log" >"$dir/service.txt"
  grep -qi 'Temp\\ADDMEM.SYS' "$dir/service.txt" || e2e_fail "xp/matrix: ADDMEM not registered from %TEMP%: $(cat "$dir/service.txt")"

  # Same boot: the driver still runs, its file is locked; the second run uses
  # it as it is (the machine's request log goes on counting).
  E2E_SAME_BOOT=1 E2E_PARITY=0 E2E_WINEDEBUG=-all,+service e2e_run same_boot "$pkg_ready" ''
  e2e_expect "exit $unfinished" "temp-entry AddMem.sys"
  grep -q ':trace:service:\(CreateServiceW\|DeleteService\) ' "$dir/run.wine" &&
    e2e_fail "xp/same_boot: the running driver's service was touched"
  total=$(sed -n 's/^state log total=\([0-9]*\) .*/\1/p' "$dir/observed.txt")
  [ -n "$first_total" ] && [ "${total:-0}" -eq $((first_total * 2)) ] ||
    e2e_fail "xp/same_boot: request log total '$total' after '$first_total' in the first run"

  # After a reboot a stale registration with another driver path is removed
  # and the service created again from %TEMP%.
  e2e_reboot
  rm -rf "$temp_host"/*
  orv_wine_quiet sc delete ADDMEM
  orv_wine_quiet sc create ADDMEM type= kernel binPath= 'C:\orvanta-test\old\ADDMEM.SYS'
  E2E_SAME_BOOT=1 E2E_WINEDEBUG=-all,+service e2e_run stale "$pkg_ready" \
    '"drivers": {"addmem": {"registered": "C:\\orvanta-test\\old\\ADDMEM.SYS", "running": false}}'
  e2e_expect "exit $unfinished"
  orv_wine_quiet reg query 'HKLM\System\CurrentControlSet\Services\ADDMEM' /v ImagePath
  tr -d '\r' <"$WINEPREFIX/.orv-quiet.log" >"$dir/service.txt"
  grep -qi 'Temp\\ADDMEM.SYS' "$dir/service.txt" || e2e_fail "xp/stale: ADDMEM still registered elsewhere: $(cat "$dir/service.txt")"
  calls=$(e2e_service_calls | tr '\n' ' ')
  [ "$calls" = "ControlService DeleteService CreateServiceW StartServiceW " ] ||
    e2e_fail "xp/stale: service calls '$calls', expected the old one stopped and deleted before the new one"

  # No "AddMem.sys" member: the unpack failure before anything else.
  E2E_KIND=none e2e_run no_addmem "$pkg_no_addmem" ''
  e2e_expect "exit 0x80000003" "box [Fail : Unpack] File Extraction failed.\\n\\nProgram will be terminated. (type 0x10, owner none, answer 1)"

  # A driver that cannot start (its machine image is damaged): ten attempts,
  # then the driver-load failure.
  mv "$stage/machine.bin" "$stage/machine.good"
  head -c 1000 "$stage/machine.good" >"$stage/machine.bin"
  # Wine's service channel shows each start the updater asks for.
  E2E_KIND=none E2E_PARITY=0 E2E_WINEDEBUG=-all,+service e2e_run driver_fails "$pkg_ready" ''
  mv "$stage/machine.good" "$stage/machine.bin"
  e2e_expect "exit 0x80000005" "box [Fail : Driver Load] Loading driver failed.\\n\\nRestart system. (type 0x10, owner none, answer 1)"
  # Each of the ten attempts removes, creates and starts the service again.
  calls=$(e2e_service_calls | tr '\n' ' ')
  expected=$(for n in 1 2 3 4 5 6 7 8 9 10; do printf 'ControlService DeleteService CreateServiceW StartServiceW '; done)
  [ "$calls" = "$expected" ] || e2e_fail "xp/driver_fails: service calls '$calls'"

  # The AMI values the updater reads, through the ADDMEM it installed.
  E2E_IDENTITY=1 e2e_run identity "$pkg_ready" ''
  e2e_expect "exit $unfinished" "identity firmware: AMI" "identity AmiBiosVersion: 815" \
    "identity BiosPartNumber: BA2"
  e2e_family_end
fi

# ---- Windows 10, 64-bit: ADDMEM by the updater, as on XP.
if e2e_family win10 win64 win10 "$source_root/profiles/win10-x64-phoenix.json" none addmem; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  e2e_expect "exit $unfinished" "temp-entry AddMem.sys" "work-entry SWinFlash_64.exe"
  expect_phoenix_identity
  e2e_family_end
fi

# ---- Windows 98: MEMIO.VXD, opened the 9x way.
if e2e_family win98 win32 win98 "$source_root/profiles/win98-phoenix.json" MEMIOVXD memiovxd; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  e2e_expect "exit $unfinished"
  expect_phoenix_identity
  e2e_family_end
fi

echo "all families: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $all_started }") s; output in $out"
orv_wine_end 2>/dev/null
exit $e2e_failed
