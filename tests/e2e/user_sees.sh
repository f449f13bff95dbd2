#!/bin/sh
# docs/what-the-user-sees.md and docs/pictures/: every message box and window
# the updater can show, pictured under Wine by the end-to-end runs and the
# DMI dialog's test, with its text and the exit code that follows; the few
# that no unmodified run under Wine can provoke, in the simulated notebook's
# words.
#   user_sees.sh write WINDOWS_BUILD NATIVE_BUILD
#       rewrites the page and its pictures from the last run of the Windows
#       tests (all end-to-end families and wine_dmi_step)
#   user_sees.sh check WINDOWS_BUILD
#       fails when a picture the page names was not produced by the last run
#       (families left out by E2E_ONLY aside), or a box that run showed has no
#       section on the page
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mode=${1:-} windows=${2:-}
[ "$mode" = write ] || [ "$mode" = check ] && [ -n "$windows" ] ||
  { echo "usage: user_sees.sh write WINDOWS_BUILD NATIVE_BUILD | check WINDOWS_BUILD" >&2; exit 2; }
e2e=$windows/tests/e2e/e2e_output
dialogs=$windows/tests/dialogs/dmi_step_output
page=$root/docs/what-the-user-sees.md
failed=0

fail() {
  echo "FAILED: $*"
  failed=1
}

# The screenshot name the harness gives box N titled TITLE.
shot_name() {
  printf '%s-%s.png' "$1" "$(printf '%s' "$2" | tr -c 'A-Za-z0-9' '_')"
}

# A box text as box_reader escapes it, as lines of an indented block.
text_block() {
  printf '%s\n' "$1" | sed 's/\\r//g; s/\\n/\n/g' | sed 's/^/    /; s/^    $//'
}

# ---- check: the page's sources against the last run.
if [ "$mode" = check ]; then
  [ -d "$e2e" ] && [ -d "$dialogs" ] ||
    { echo "SKIPPED: no output of wine_end_to_end and wine_dmi_step under $windows"; exit 77; }
  sources=$(sed -n 's/^| `pictures\/[^`]*` | `\([^`]*\)` |$/\1/p' "$page")
  [ -n "$sources" ] || fail "the page names no pictures"
  for source in $sources; do
    case $source in
      e2e/*)
        family=${source#e2e/}
        family=${family%%/*}
        case " ${E2E_ONLY:-$family} " in *" $family "*) ;; *) continue ;; esac
        [ -f "$e2e/${source#e2e/}" ] || fail "the end-to-end run no longer pictures $source" ;;
      dialogs/*) [ -f "$dialogs/${source#dialogs/}" ] || fail "wine_dmi_step no longer pictures $source" ;;
      *) fail "the page names a picture of unknown origin: $source" ;;
    esac
  done
  for picture in $(sed -n 's/^| `\(pictures\/[^`]*\)` |.*/\1/p' "$page"); do
    [ -f "$root/docs/$picture" ] || fail "docs/$picture is missing"
  done
  # Every box a run showed has its section (a "### TITLE" heading).
  for box in "$e2e"/*/*/box-*.txt "$dialogs"/*/too-long.txt "$dialogs"/*/stop.txt; do
    [ -f "$box" ] || continue
    title=$(tr -d '\r' <"$box" | sed -n 's/^title //p')
    grep -qF -- "### $title" "$page" || fail "the page has no section for the box \"$title\" (${box#"$windows"/})"
  done
  [ $failed = 0 ] && echo "every picture the page names was produced; every box shown is on the page"
  exit $failed
fi

# ---- write: the page from the entries below.
native=${3:?native build}
native_run=$native/tests/e2e/e2e_native_run
orvpack=$native/tools/orvpack/orvpack
for needed in "$native_run" "$orvpack" "$e2e/packages/ready/OrvantaUpdate.exe" "$dialogs/layout-executable.png"; do
  [ -e "$needed" ] || { echo "missing $needed: build both presets and run the Windows tests first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pictures=$root/docs/pictures
rm -rf "$pictures"
mkdir -p "$pictures"
body=$work/body.md
table=$work/table.md
: >"$body"
: >"$table"
# A DMI-only package for the simulated DMI run (the Wine runs need none).
"$orvpack" build --updater "$windows/src/os/win32/OrvantaUpdate.exe" --flags 'DmiOnly|SkipCheckPower' \
  --output "$work/dmi-only.exe" --payload "$e2e/payload" >/dev/null || exit 1

# picture NAME SOURCE: copies SOURCE (e2e/... or dialogs/...) cropped to
# what is drawn on the black display into docs/pictures/NAME.png, names it
# in the sources table and the section.
picture() {
  case $2 in e2e/*) _file=$e2e/${2#e2e/} ;; *) _file=$dialogs/${2#dialogs/} ;; esac
  # A box over the progress dialog is painted only once moved aside.
  _shown=${_file%.png}-moved_aside.png
  [ -f "$_shown" ] || _shown=$_file
  [ -f "$_shown" ] || { fail "no picture $2"; return; }
  convert "$_shown" -trim +repage -strip -colors 64 "png8:$pictures/$1.png"
  printf '| `pictures/%s.png` | `%s` |\n' "$1" "$2" >>"$table"
  printf '![%s](pictures/%s.png)\n\n' "$1" "$1" >>"$body"
}

# section TITLE TEXT FOLLOWS WHEN: the heading, the text, what follows.
section() {
  printf '### %s\n\n' "$1" >>"$body"
  [ -n "$2" ] && text_block "$2" >>"$body" && echo >>"$body"
  printf '**Then:** %s\n\n**When:** %s\n\n' "$3" "$4" >>"$body"
}

# box NAME FAMILY/CASE N FOLLOWS WHEN: box N of that end-to-end run, its
# text as read from the window; FOLLOWS empty: the run's exit code.
box() {
  _run=$e2e/$2
  _title=$(sed -n 's/^title //p' "$_run/box-$3.txt")
  _text=$(sed -n 's/^text //p' "$_run/box-$3.txt")
  _follows=$4
  [ -n "$_follows" ] || _follows="exit code $(sed -n 's/^exit //p' "$_run/observed.txt")"
  [ -n "$_title" ] || { fail "$2 showed no box $3"; return; }
  section "$_title" "$_text" "$_follows" "$5"
  picture "$1" "e2e/$2/screenshots/$(shot_name "$3" "$_title")"
}

# simulated TITLE PROFILE PATCH PACKAGE WHY WHEN [OPTION...]: a box no
# unmodified Wine run shows, from the same run on the simulated notebook.
simulated() {
  _title=$1 _name=$2 _patch=$3 _package=$4 _why=$5 _when=$6
  shift 6
  "$native_run" "$root/profiles/$_name" "{$_patch}" "$_package" none -- "$@" >"$work/sim.txt" 2>"$work/sim.err" ||
    { fail "simulated $_title: $(cat "$work/sim.err")"; return; }
  _line=$(grep -F "box [$_title] " "$work/sim.txt" | head -n 1)
  [ -n "$_line" ] || { fail "the simulated run of $_name shows no \"$_title\""; return; }
  _text=${_line#"box [$_title] "}
  section "$_title" "${_text% (type *}" "exit code $(sed -n 's/^exit //p' "$work/sim.txt")" "$_when"
  printf '*Not pictured: %s The text is the simulated notebook'"'"'s (`%s`).*\n\n' "$_why" "$_name" >>"$body"
}

heading() {
  printf '## %s\n\n' "$1" >>"$body"
}

ready=$e2e/packages/ready/OrvantaUpdate.exe
release=$e2e/packages/release/OrvantaUpdate.exe
on_battery='"power": {"acLine": 0, "battery": 80}'

heading "Before anything is extracted"
box confirmation win7-64/matrix 1 "OK: the update goes on; Cancel: exit code 0, nothing changed" \
  "Every start, after the power, work-directory and disk checks. Silent (counts as OK) only when the package header has \`NoMessageBox\`."
box fail-dll win7-64/german 1 "the run goes on in the executable's own English texts" \
  "The system's language library is in the package but does not load (here a German placeholder); text 35 below then shows the executable's wording."
section "Fail : Update Running" "Another update is running.\\n\\nProgram will be terminated." "exit code 0x80000002; the running update goes on" \
  "A second copy started while an update runs on the machine. It changes nothing."
picture update-running e2e/win7-64/second_update/screenshots/update_running.png
box power-battery win7-64/battery 1 "" \
  "AC connected but no battery, or a charge below 30% (Wine reports no battery, so a package without \`SkipCheckPower\` ends here). Without a library: \"There is no connected battery or the remaining charge level of the battery is lower than 30%.\""
simulated "Fail : Power" win7-x64-phoenix.json "$on_battery" "$release" \
  "Wine always reports the AC adapter online." "On battery (text 34). Without a library: \"For update, the AC adapter has to be connected.\""
simulated "Fail : Power" win7-x64-phoenix.json '"power": {"acLine": 0, "battery": 10}' "$release" \
  "Wine always reports the AC adapter online." "Neither AC adapter nor a battery charged to 30%, or the power state cannot be read (text 37). Without a library: \"There is no connected AC adapter and battery or the remaining charge of the battery is lower than 30%.\""
box directory win7-64/linked_work_directory 1 "" \
  "TEMP is unset, empty, too long or no usable folder, or the work directory cannot be made or is a link (here). Before the language library is loaded the executable's wording is shown: \"Fail to create directory.\""
simulated "Fail : Disk Space" win7-x64-phoenix.json '"disk": {"freeBytes": 1048576}' "$ready" \
  "Wine reports the host's free space." "Less than 2 MiB free for %TEMP%, or the free space cannot be read."
simulated "Fatal Error" win7-x64-phoenix.json '"threadStartFails": true' "$ready" \
  "Wine starts every thread." "The progress dialog's thread cannot be started, the confirmation cannot be shown, or a DMI-only run cannot show its dialog."
box no-addmem xp/no_addmem 1 "" \
  "Every Windows but 7 and Vista: the package has no \"AddMem.sys\", or another program holds %TEMP%\\AddMem.sys while no driver runs. The same box follows the confirmation when the package has no members or is cut short."
box driver-load-fail win7-32/no_driver 1 "" \
  "Windows 7 and Vista: the memory-access driver (TORQ, KMDFMEMIO) cannot be opened. Shown even in a silent run, with no clean-up; not shown once keyboard and mouse are off (the run then ends at once)."
box driver-load xp/driver_fails 1 "" \
  "The other families: the ADDMEM (or MEMIO.VXD) driver cannot be loaded or opened after ten attempts."

heading "The progress dialog"
section "Progress dialog" "" "the update goes on" \
  "From the confirmation to the end of the run, in every run, silent ones too: first while the package is extracted (half drawn: the extraction runs while the dialog starts)..."
picture progress-extracting e2e/win7-64/bad_option/screenshots/1-progress_dialog_extracting.png
printf '%s\n\n' "...then behind every message that follows, which it owns (here an unknown option after the extraction):" >>"$body"
box invalid-option win7-64/bad_option 2 "" \
  "An unknown option, one that does not fit, a tool command line too long, or a package without its header (then before the dialog, with no owner)."

heading "Checks before the flash"
simulated "Fail : HDD Password" win7-hdd-password.json '' "$ready" \
  "Under Wine physical drive 0 is Wine's own and answers no password query." "A hard disk has an ATA password set."
box bios-file xp/matrix 2 "" \
  "No image in the package fits the installed BIOS (here an AMI notebook and a package without \"bios.rom\"), or the flash utility could not start, was ended by the system, or its exit code could not be read."
box micom-file xp-phoenix/no_micom_file 2 "" \
  "A controller of another vendor than 'M' and a package without a MICOM image for it."

heading "The flash and after"
section "Phoenix Secure WinFlash" "" "the run waits for the utility without a time limit" \
  "The flash utility's own window while it runs; the progress dialog leaves it alone."
printf '%s\n\n' "*Not pictured: the window is the BIOS vendor's; the tests' substitute only shows an empty window of that title.*" >>"$body"
box model win7-64/refused_model 2 "" \
  "The flash utility refused the model (exit code -120) and left \"newSys.bin\": the installed and the new model and part number. On AMI firmware the part-number check shows the same box with 0x80000007."
box bios-date win7-64/refused_date 2 "" \
  "The flash utility says the image is not newer (-110, -109); on AMI firmware the installed version is newer than the image. Without a library: \"This system's BIOS version is the latest.\""
box micom xp-phoenix/micom_fails 2 "" \
  "The MICOM utility failed after the BIOS was flashed: the machine stays on."
simulated "Fail : Enable SMI" win7-x64-phoenix.json '"hardware": {"pci": {"pmBase": 0}}' "$ready" \
  "The test drivers' chipset always has its power-management base." "System-management interrupts cannot be checked or enabled after the flash." /BBL
box complete win7-64/matrix 2 "exit code 0x00000000 and the power-off: the machine comes back on by itself" \
  "The update is done (not under \`KeepPowerOn\`, \"/BLOCK_POWER_OFF\" or \"/SKIP_UPDATE_MICOM\" unless the controller is vendor 'M')."
simulated "Fail : Set Auto On" win7-auto-on-fails.json '' "$ready" \
  "The test drivers' controller always takes the power-on setting." "After \"Update Complete\": the controller did not take the power-on setting. The machine is switched off all the same and stays off." /BBL

heading "DMI-only packages"
section "BCPDMI Setting" "" "OK: the values are checked, then flashed; Cancel, Escape or the close box: \"Stop Update\"" \
  "A DMI-only package (\`DmiOnly\` in the header) without \"/MODE=3\": shown in silent runs too, with the present values."
picture dmi-dialog dialogs/layout-executable.png
section "Error : String length" "$(sed -n 's/^text //p' "$dialogs/accept/too-long.txt")" "the dialog again, its field selected" \
  "OK with a value whose length differs from the present value's (checked in the order System Serial, Bios Flag, Purchase Date; the message names the length)."
picture dmi-length dialogs/accept/shots/too-long.png
section "Stop Update" "$(sed -n 's/^text //p' "$dialogs/escape/stop.txt")" "exit code 0x00000000, nothing flashed" \
  "The DMI dialog cancelled."
picture dmi-stop dialogs/escape/shots/stop.png
# The profile's present values are 15, 11 and 10 characters long.
dmi_typed='"dmiDialog": [{"systemSerial": "HQ8A91BC300999Y", "biosFlag": "FLAB=0x0412", "purchaseDate": "2024-01-01", "press": "OK"}]'
simulated "Complete" win7-x64-phoenix.json "$dmi_typed" "$work/dmi-only.exe" \
  "The Wine runs of the shipped executable do not type into the DMI dialog (\`wine_dmi_step\` does, without the flash)." \
  "The DMI values were written by the flash utility: restart the machine."

{
  cat <<'EOF'
# What the user sees

Every message box and window the updater can show, as it looks under Wine, with its text, the
exit code that follows and the situation that leads to it. What each exit code means for the
machine, and which of these a silent run still shows: [deployment.md](deployment.md).

Generated by `tests/e2e/user_sees.sh write build/windows build/native` from the last run of the
Windows tests (`wine_end_to_end`, `wine_dmi_step`); do not edit by hand. The test
`wine_user_sees` fails when a picture named at the end of this page is no longer produced, or
when a run shows a box this page has no section for. Texts are the English language library's
(`ConResEn.dll`, which the package carries); the executable's own wording, used when no library
loads, differs only where a section says so. The virtual display of the tests has no window
manager: Wine draws each frame and title bar itself, in its own plain style (its close box
shows an "r" where Windows draws a cross). Boxes over the progress dialog are pictured moved aside (Wine leaves a box over another window of the program
unpainted).

EOF
  cat "$body"
  printf '## Where the pictures come from\n\n| picture | screenshot of the last run |\n|---|---|\n'
  cat "$table"
} >"$page"
[ $failed = 0 ] && echo "wrote $page and $(ls "$pictures" | wc -l) pictures ($(du -sk "$pictures" | cut -f1) KiB)"
exit $failed
