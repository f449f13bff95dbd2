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
cp "$windows/tests/wine/launcher.exe" "$windows/tests/wine/exit_with.exe" \
  "$windows/tests/drivers/driver_client.exe" "$programs/" || exit 1
# Wine loads a driver that imports anything but ntoskrnl as an ordinary DLL.
for sys in "$drivers"/*.SYS; do
  imports=$(${ORV_OBJDUMP:-i686-w64-mingw32-objdump} -p "$sys" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
  [ "$imports" = "ntoskrnl.exe " ] || e2e_fail "${sys##*/} imports '$imports'"
done
for tool in "$e2e_make_image" "$e2e_print_state" "$e2e_native_run" "$e2e_orvpack"; do
  if [ ! -x "$tool" ]; then
    echo "SKIPPED: $tool is missing; build the native preset first"
    exit 77
  fi
done
rm -rf "$out"
mkdir -p "$out"
all_started=$(date +%s.%N)

# A whole update to its power-off request: exit 0 (the end Wine gives a
# program with a window when the session ends), "Update Complete", the
# request in the relay trace, the tool's window seen while it ran and never
# closed by the progress dialog's watcher.
expect_whole_update() {
  e2e_expect "exit 0x00000000" \
    "box [Update Complete] The program will turn the system off, and then turn it on again in a few seconds. (type 0x40, owner dialog, answer 1)" \
    "power ExitWindowsEx 0x00000008: the session ends"
  [ "${1:-}" = ami ] && return 0
  e2e_expect "utility SWinFlash: window \"Phoenix Secure WinFlash\" shown until the end"
  [ -f "$dir/tool-window.txt" ] || e2e_fail "$family/${dir##*/}: the flash tool's window was not seen"
}

# The identity the Phoenix families' firmware shows the updater
# (profiles/smbios/notebook-900x3c.bin and the maker's blocks): read on Wine
# by identity_probe.exe after the run, compared with the simulated route.
expect_phoenix_identity() {
  e2e_expect "identity firmware: Phoenix" "identity BiosPartVersion: 07HL" \
    "identity BiosModelNumber: NP90" "identity BiosPartNumber: BA4" \
    "identity PurchaseDate: 2012-03-14" "identity SystemSerial: HQ8A91BC300123Y" \
    "identity BiosFlag: FLAG=0x0412"
}

# What the DMI step appends to the flash tool's command line for that
# identity (its Bios Flag's fourth letter is neither 'A' nor 'B').
dmi_arguments='/MODE=3 /DO0:FLAA=0x0412 /DO1:2012-03-14 /DSS:HQ8A91BC300123Y'

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
# Windows never loads msvcrt.dll from beside a program (a known DLL). Wine
# does, even with an override, and the demo's placeholder of that name in
# the work directory would keep every tool from starting (its user32 needs
# the real one): the packages here carry the other runtime files only.
rm "$payload/msvcrt.dll"
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
# package_without NAME FLAGS FILE: the demo payload without FILE.
package_without() {
  mkdir -p "$out/payload-$1"
  cp "$payload"/* "$out/payload-$1/"
  rm "$out/payload-$1/$3"
  package "$1" "$2" "$out/payload-$1"
}
package_without no_addmem 'FlashLastArea|SkipCheckPower' AddMem.sys
# A French library that is a real one (the English library's resources): its
# wording shows that the system language chose it.
mkdir -p "$out/payload-fr"
cp "$payload"/* "$out/payload-fr/"
cp "$payload/ConResEn.dll" "$out/payload-fr/ConResFr.dll"
package french FlashLastArea "$out/payload-fr"
# A controller of another vendor needs a MICOM image; AMI firmware needs
# "bios.rom" (a "$FID" record for part BA2, version 815) instead of the
# Phoenix image.
mkdir -p "$out/payload-micom" "$out/payload-ami"
cp "$payload"/* "$out/payload-micom/"
printf 'MICOM image' >"$out/payload-micom/K0123.bin"
package micom 'FlashLastArea|SkipCheckPower' "$out/payload-micom"
package_without no_micom 'FlashLastArea|SkipCheckPower' K0123.bin
cp "$payload"/* "$out/payload-ami/"
rm "$out/payload-ami/R0123.WPH"
{
  head -c 4096 /dev/zero | tr '\0' '\377'
  printf '$FID\004?\001\002\003BA2%40s815     ' ''
  head -c 4096 /dev/zero | tr '\0' '\377'
} >"$out/payload-ami/BIOS.ROM"
package ami 'FlashLastArea|SkipCheckPower' "$out/payload-ami"
# A German library that is not one (the demo payload's are stand-in copies
# of the English library).
mkdir -p "$out/payload-de"
cp "$payload"/* "$out/payload-de/"
echo 'not a library' >"$out/payload-de/ConResGr.dll"
package german FlashLastArea "$out/payload-de"
# The ready package signed after the build, as a release is: the signature's
# certificate table follows the archive.
mkdir -p "$out/packages/signed"
pkg_signed=$out/packages/signed/OrvantaUpdate.exe
sh "$source_root/tests/package/sign_package.sh" "$pkg_ready" "$pkg_signed" "$out/packages/keys" ||
  { echo "FAILED: the ready package could not be signed"; exit 1; }
[ "$(wc -c <"$pkg_signed")" -gt "$(wc -c <"$pkg_ready")" ] || { echo "FAILED: the signed package carries no signature"; exit 1; }

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

# hold_in_temp NAME: another process creates %TEMP%\NAME and holds it open
# (until the next reboot ends it).
hold_in_temp() {
  wine "$programs/exit_with.exe" hold "$temp_win\\$1" >/dev/null 2>&1 &
  _tries=100
  while [ ! -e "$temp_host/$1" ] && [ "$_tries" -gt 0 ]; do sleep 0.1; _tries=$((_tries - 1)); done
}

# ---- Windows 7, 64-bit: TORQ with the 17-byte layout, the start-up cases,
# the flash tool's refusals and read-BIOS mode.
if e2e_family win7-64 win64 win7 "$source_root/profiles/win7-x64-phoenix.json" TORQ torq; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_phoenix_identity
  grep -q '^box \[Warning\]  - This program updates .* (type 0x41, owner none, answer 1)$' "$dir/observed.txt" ||
    e2e_fail "win7-64/matrix: no OK/Cancel confirmation with the information icon"
  # The whole update: the 64-bit tool under its working name, the image it
  # was given, the vendor-'M' controller armed through its mailbox; nothing
  # left in the work directory but the log.
  expect_whole_update
  e2e_expect "work-log Step 08" "work-entry DebugLog.txt" "utility SWinFlash: bios.wph: flash-area table with 9 entries" \
    "utility SWinFlash: command line \"$temp_win\\__Orvanta_Update\\SWinFlash\" bios.wph /P /BBL $dmi_arguments" \
    "utility SWinFlash: working directory $temp_win\\__Orvanta_Update"
  e2e_expect_not "^work-entry R0123.WPH" "^work-entry SWinFlash"
  expect_walk_requests
  e2e_driver_checks nt_torq

  # The flash tool refuses the model and leaves newSys.bin: text 21 with the
  # installed and the new identity; then the date.
  e2e_run refused_model "$pkg_ready" '"utilities": {"SWinFlash": {"exitCode": -120, "newSys": {"model": "NP9X", "part": "ABC"}}}'
  e2e_expect "exit 0x80000008" "utility SWinFlash: exit -120" "utility SWinFlash: left newSys.bin" \
    "box [Fail : Model(Bios Part Number)] The BIOS/MICOM model to be updated is different.\\n\\nCheck the program.\\n\\n Current Model (BIOS Part Number) : NP90(BA4)\\n\\n     New Model (BIOS Part Number) : NP9X(ABC) (type 0x10, owner dialog, answer 1)"
  e2e_expect_not "^power " "^work-entry newSys.bin" "^work-entry bios.wph"
  e2e_run refused_date "$pkg_ready" '"utilities": {"SWinFlash": {"exitCode": -110}}'
  e2e_expect "exit 0x80000013" "utility SWinFlash: exit -110"
  grep -q '^box \[Fail : Bios Date\] ' "$dir/observed.txt" || e2e_fail "win7-64/refused_date: no \"Fail : Bios Date\""

  # Read-BIOS mode: the top megabyte through TORQ, nothing flashed, no message.
  e2e_run read_bios "$pkg_ready" '' /READ_BIOS
  e2e_expect "exit 0x00000000" "work-file ReadRomFile.bin 1048576 bytes"
  e2e_expect_not "^utility " "^power " "^work-log Step"
  [ "$(grep -c '^box ' "$dir/observed.txt")" = 1 ] || e2e_fail "win7-64/read_bios: a box besides the confirmation"

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

  # A TEMP that names a missing folder: nothing is written anywhere, not even
  # into the folder the package was started from.
  E2E_TEMP='C:\gone' E2E_TEMP_MISSING=1 E2E_KIND=none e2e_run missing_temp "$pkg_ready" '"fileSystem": {"createTemp": false}'
  e2e_expect "exit 0x8000000F" "box [Fail : Directory] Fail to create directory. (type 0x10, owner none, answer 1)"
  [ -z "$(ls -A "$dir/start")" ] || e2e_fail "win7-64/missing_temp: left in the start folder: $(ls -A "$dir/start")"

  # The work directory's name is a link to another folder (Wine shows a
  # linked folder as a reparse point): nothing of that folder is deleted.
  precious='C:\orvanta-test\precious'
  E2E_SETUP='mkdir -p "$stage/precious" && echo keep >"$stage/precious/keep.txt" &&
    ln -s "$stage/precious" "$temp_host/__Orvanta_Update"' \
    e2e_run linked_work_directory "$pkg_ready" "\"fileSystem\": {
      \"files\": {\"$(e2e_json "$precious\\keep.txt")\": \"keep\"},
      \"links\": {\"$(e2e_json "$temp_win\\__Orvanta_Update")\": \"$(e2e_json "$precious")\"}}"
  e2e_expect "exit 0x8000000F" "work-entry keep.txt" \
    "box [Fail : Directory] Creating directory failed. (type 0x10, owner none, answer 1)"

  # A second update while the first waits at its confirmation ends at once
  # with 0x80000002 and touches nothing; NoMessageBox in its header silences
  # its message.
  dir=$out/$family/second_update
  mkdir -p "$dir/screenshots"
  e2e_reboot
  rm -rf "$temp_host" && mkdir -p "$temp_host"
  wine "$programs/launcher.exe" -o "$(orv_winpath "$dir/first.txt")" -t 120000 "$pkg_ready" >"$dir/first.wine" 2>&1 &
  first=$!
  orv_wait_window Warning 60 $first >/dev/null || e2e_fail "win7-64/second_update: the first run asks nothing"
  before=$(ls -A "$temp_host"; cat "$temp_host/DebugLog.txt")
  code=$(orv_exit_code "$programs/launcher.exe" "$dir/silent.txt" -t 60000 "$pkg_silent")
  [ "$code" = 0x80000002 ] || e2e_fail "win7-64/second_update: a silent second run ended with '$code'"
  wine "$programs/launcher.exe" -o "$(orv_winpath "$dir/second.txt")" -t 60000 "$pkg_ready" >"$dir/second.wine" 2>&1 &
  second=$!
  orv_answer_box "Fail : Update Running" 60 "$dir/screenshots/update_running.png" Return $second ||
    e2e_fail "win7-64/second_update: no \"Fail : Update Running\" box"
  wait $second
  [ "$(tr -d '\r' <"$dir/second.txt")" = "exit code 0x80000002" ] ||
    e2e_fail "win7-64/second_update: the second run: '$(cat "$dir/second.txt")'"
  [ "$(ls -A "$temp_host"; cat "$temp_host/DebugLog.txt")" = "$before" ] ||
    e2e_fail "win7-64/second_update: %TEMP% changed"
  orv_answer_box Warning 10 "$dir/screenshots/first_cancelled.png" Escape $first
  wait $first
  [ "$(tr -d '\r' <"$dir/first.txt")" = "exit code 0x00000000" ] ||
    e2e_fail "win7-64/second_update: the first run: '$(cat "$dir/first.txt")'"
  e2e_family_end
fi

# ---- Windows 7, 32-bit: TORQ with the 9-byte layout; then without TORQ.
if e2e_family win7-32 win32 win7 "$source_root/profiles/win7-x86-phoenix.json" TORQ torq; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_phoenix_identity
  # The 9-byte layout: the driver, asking the caller's width, refuses the 17-byte one.
  expect_whole_update
  e2e_expect "state refused torq=0 kmdfmemio=0 addmem=0 memiovxd=0" \
    "utility SWinFlash: command line \"$temp_win\\__Orvanta_Update\\SWinFlash\" bios.wph /P /BBL $dmi_arguments"
  expect_walk_requests
  e2e_driver_checks nt_torq
  family_driver=none E2E_KIND=none e2e_run no_driver "$pkg_ready" '"drivers": {"torq": false}'
  e2e_expect "exit 0xFFFFFFFF" \
    "box [Driver Load Fail] Fail to update.\\nCheck if LMX(Lumivex) is installed.\\nLMX must be installed to update BIOS. (type 0x10, owner none, answer 1)"
  e2e_family_end
fi

# ---- Windows Vista, 64-bit: KMDFMEMIO; without it even a silent package
# shows "Driver Load Fail".
if e2e_family vista win64 vista "$source_root/profiles/vista-x64-phoenix.json" KMDFMEMIO kmdfmemio; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_whole_update
  expect_phoenix_identity
  e2e_driver_checks nt_kmdfmemio
  family_driver=none E2E_KIND=none e2e_run no_driver_silent "$pkg_silent" '"drivers": {"kmdfmemio": false}'
  e2e_expect "exit 0xFFFFFFFF"
  grep -q '^box \[Driver Load Fail\] ' "$dir/observed.txt" || e2e_fail "vista/no_driver_silent: no \"Driver Load Fail\" box"
  e2e_family_end
fi

# ---- Windows XP, 32-bit, AMI firmware: the updater installs ADDMEM itself.
if e2e_family xp win32 winxp "$source_root/profiles/xp-ami.json" none addmem; then
  # The whole AMI update: the AFU tool of XP's width with "bios.rom", the
  # SMI and HID lines, the vendor-'M' controller armed through its mailbox.
  e2e_run ami "$pkg_ami" '' /MFORCE
  expect_whole_update ami
  e2e_expect "work-log After HID Enable" "work-entry DebugLog.txt" "temp-entry AddMem.sys" \
    "utility AFUWIN: command line \"$temp_win\\__Orvanta_Update\\afuwin\" bios.rom /p /b /n /e /r" \
    "utility AFUWIN: bios.rom: 8252 bytes"

  # A package without "bios.rom": refused before any tool runs. The
  # reporter's clean-up: the AMI set and the language modules go, the
  # Phoenix image (no list names it on this path) stays.
  e2e_run matrix "$pkg_ready" ''
  e2e_expect "exit 0x8000000B" "temp-entry AddMem.sys" "temp-entry ConResEn_ami.dll" \
    "box [Fail : Bios File] Invalid BIOS file. (type 0x10, owner dialog, answer 1)"
  e2e_expect_not "^utility "
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
  e2e_expect "exit 0x8000000B" "temp-entry AddMem.sys"
  grep -q ':trace:service:\(CreateServiceW\|DeleteService\) ' "$dir/run.wine" &&
    e2e_fail "xp/same_boot: the running driver's service was touched"
  total=$(sed -n 's/^state log total=\([0-9]*\) .*/\1/p' "$dir/observed.txt")
  [ -n "$first_total" ] && [ "${total:-0}" -eq $((first_total * 2)) ] ||
    e2e_fail "xp/same_boot: request log total '$total' after '$first_total' in the first run"
  e2e_driver_checks nt_addmem  # the ADDMEM the updater installed still runs

  # After a reboot a stale registration with another driver path is removed
  # and the service created again from %TEMP%.
  e2e_reboot
  rm -rf "$temp_host"/*
  orv_wine_quiet sc delete ADDMEM
  orv_wine_quiet sc create ADDMEM type= kernel binPath= 'C:\orvanta-test\old\ADDMEM.SYS'
  E2E_SAME_BOOT=1 E2E_WINEDEBUG=-all,+service e2e_run stale "$pkg_ready" \
    '"drivers": {"addmem": {"registered": "C:\\orvanta-test\\old\\ADDMEM.SYS", "running": false}}'
  e2e_expect "exit 0x8000000B"
  orv_wine_quiet reg query 'HKLM\System\CurrentControlSet\Services\ADDMEM' /v ImagePath
  tr -d '\r' <"$WINEPREFIX/.orv-quiet.log" >"$dir/service.txt"
  grep -qi 'Temp\\ADDMEM.SYS' "$dir/service.txt" || e2e_fail "xp/stale: ADDMEM still registered elsewhere: $(cat "$dir/service.txt")"
  calls=$(e2e_service_calls | tr '\n' ' ')
  [ "$calls" = "ControlService DeleteService CreateServiceW StartServiceW " ] ||
    e2e_fail "xp/stale: service calls '$calls', expected the old one stopped and deleted before the new one"

  # Another process holds %TEMP%\AddMem.sys and no ADDMEM runs: the file may
  # have been planted, and nothing is installed from it.
  held="$(e2e_json "$temp_win\\AddMem.sys")"
  E2E_SETUP='hold_in_temp AddMem.sys' E2E_KIND=none E2E_WINEDEBUG=-all,+service \
    e2e_run held_driver_file "$pkg_ready" "\"fileSystem\": {\"files\": {\"$held\": \"\"}, \"held\": [\"$held\"]}"
  e2e_expect "exit 0x80000003" "temp-entry AddMem.sys" \
    "box [Fail : Unpack] File Extraction failed.\\n\\nProgram will be terminated. (type 0x10, owner none, answer 1)"
  grep -q ':trace:service:CreateServiceW ' "$dir/run.wine" && e2e_fail "xp/held_driver_file: a service was created"

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
  e2e_expect "exit 0x8000000B" "identity firmware: AMI" "identity AmiBiosVersion: 815" \
    "identity BiosPartNumber: BA2"
  e2e_family_end
fi

# ---- Windows 10, 64-bit: ADDMEM by the updater, as on XP.
if e2e_family win10 win64 win10 "$source_root/profiles/win10-x64-phoenix.json" none addmem; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_whole_update
  e2e_expect "temp-entry AddMem.sys"
  expect_phoenix_identity
  # The same package signed after the build runs exactly as the unsigned one.
  E2E_IDENTITY=1 e2e_run signed "$pkg_signed" '' /BBL
  diff -u "$out/win10/matrix/observed.txt" "$dir/observed.txt" >"$dir/unsigned.diff" ||
    { e2e_fail "win10/signed: the signed package runs differently:"; cat "$dir/unsigned.diff"; }
  e2e_family_end
fi

# ---- Windows 98: MEMIO.VXD, opened the 9x way.
if e2e_family win98 win32 win98 "$source_root/profiles/win98-phoenix.json" MEMIOVXD memiovxd; then
  E2E_IDENTITY=1 e2e_run matrix "$pkg_ready" '' /BBL
  expect_whole_update
  # No shutdown privilege on the 9x family.
  e2e_expect_not "^power shutdown privilege"
  expect_phoenix_identity
  e2e_driver_checks nt_memiovxd
  cp "$programs/driver_client.exe" "$programs/driver_client_win98.exe"
  orv_wine_version win98 driver_client_win98.exe
  e2e_driver_checks win9x_memiovxd "$programs/driver_client_win98.exe"
  e2e_family_end
fi

# ---- Windows XP, 32-bit, Phoenix firmware, under XP's own TEMP (blanks in
# its path): a controller of another vendor, so the MICOM tool runs too and
# the power-on is armed by EC RAM 0xE887. A program planted where an unquoted
# tool path would lead must not start.
if e2e_family xp-phoenix win32 winxp "$source_root/profiles/xp-phoenix.json" none addmem; then
  cp "$payload/WinUpV01_10.exe" "$WINEPREFIX/drive_c/Documents.exe"
  E2E_TEMP='C:\Documents and Settings\tech\Local Settings\Temp' e2e_run whole "$pkg_micom" '' /MFORCE
  rm -f "$WINEPREFIX/drive_c/Documents.exe"
  expect_whole_update
  e2e_expect "work-entry DebugLog.txt" \
    "utility SWinFlash: working directory C:\\Documents and Settings\\tech\\Local Settings\\Temp\\__Orvanta_Update" \
    "utility WinUpV01_10: command line \"C:\\Documents and Settings\\tech\\Local Settings\\Temp\\__Orvanta_Update\\WinUpV01_10\" kbc.bin /FORCE /FORCE" \
    "utility WinUpV01_10: kbc.bin: 11 bytes" "utility WinUpV01_10: exit 0"
  e2e_expect_not "^utility Documents"

  # That controller and a package without a MICOM image: refused at
  # "Step 04", before any tool runs.
  e2e_run no_micom_file "$pkg_no_micom" ''
  e2e_expect "exit 0x8000000C" "work-log Step 04" "box [Fail : Micom File] Invalid MICOM file. (type 0x10, owner dialog, answer 1)"
  e2e_expect_not "^utility " "^work-log Step 05"
  # The MICOM tool fails after the BIOS was flashed: no power-off.
  e2e_run micom_fails "$pkg_micom" '"utilities": {"WinUpV01_10": {"exitCode": 1}}'
  e2e_expect "exit 0x8000000A" "utility SWinFlash: exit 0" "utility WinUpV01_10: exit 1" \
    "box [Fail : Micom] MICOM Update failed. (type 0x10, owner dialog, answer 1)"
  e2e_expect_not "^power " "^work-log Step 08"
  e2e_family_end
fi

echo "all families: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $all_started }") s; output in $out"
orv_wine_end 2>/dev/null
exit $e2e_failed
