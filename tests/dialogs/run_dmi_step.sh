#!/bin/sh
# The DMI step and its dialog of the Windows build under Wine (dmi_step.exe,
# built from the updater's code and resources; the update sequence does not
# call the step yet). The dialog of the executable's resources and of the
# English library, checked and pictured; then the step typed into by
# keyboard (xdotool): a System Serial one character too long refused with
# its message, the right lengths accepted; Escape, the Cancel button and the
# close box each ending the process with exit status 0 after the
# clean-up. The keyboard controller is the TORQ test driver's, so its log
# shows input resumed before the dialog and suspended after OK.
# usage: run_dmi_step.sh PROGRAM LIBRARY OUTPUT_DIR WINDOWS_BUILD NATIVE_BUILD WINE_ROOT
# Exit status 77 (skipped) when the native build's machine tools are missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/lib.sh"
orv_with_display "$0" "$@"

program=$1 library=$2 out=$3 windows=$4 native=$5
root=$(mkdir -p "$6" && cd "$6" && pwd)
make_image=$native/tests/drivers/make_machine_image
print_state=$native/tests/drivers/print_machine_state
orv_need_native "$make_image" "$print_state"
launcher=$windows/tests/wine/launcher.exe
box_reader=$windows/tests/e2e/box_reader.exe
rm -rf "$out"
mkdir -p "$out"
started=$(date +%s.%N)

orv_use_prefix "$root/drivers64"
orv_wine_version win7 dmi_step.exe
stage=$WINEPREFIX/drive_c/orvanta-test
mkdir -p "$stage"
"$make_image" "$here/../hw_operations/machine.json" "$stage/machine.bin" || { echo "FAILED: no machine image"; exit 1; }
cp "$windows/tests/drivers/TORQ.SYS" "$stage/"
wineserver -p
orv_wine_quiet sc delete TORQ
orv_wine_quiet sc create TORQ type= kernel binPath= "C:\\orvanta-test\\TORQ.SYS"

# The dialog as a user finds it, from both resource modules.
for module in executable library; do
  arguments=layout
  [ "$module" = library ] && arguments="layout $(orv_winpath "$library")"
  # shellcheck disable=SC2086 # the arguments are words
  wine "$program" $arguments >"$out/layout-$module.raw" 2>"$out/layout-$module.err" &
  pid=$!
  orv_wait_window "BCPDMI Setting" 20 "$pid" >/dev/null && sleep 0.7 && orv_screenshot "$out/layout-$module.png"
  wait "$pid"
  tr -d '\r' <"$out/layout-$module.raw" >"$out/layout-$module.txt"
  orv_checks_passed "$out/layout-$module.txt" || fail "layout ($module): $(cat "$out/layout-$module.txt")"
done

# dmi_case NAME ARGUMENTS...: starts the step on a fresh keyboard controller
# in a work directory holding the staged tools; the caller answers it.
dmi_case() {
  name=$1
  shift
  dir=$out/$name
  mkdir -p "$dir/work" "$dir/shots"
  for file in SWinFlash.exe PhlashNT.sys bios.wph WinUpV01_10.exe kbc.bin R0123.WPH; do
    echo "$file" >"$dir/work/$file"
  done
  orv_wine_quiet sc stop TORQ
  rm -f "$stage/state-torq.bin"
  wine sc start TORQ >"$dir/start-torq.txt" 2>&1
  grep -q RUNNING "$dir/start-torq.txt" || fail "$name: TORQ did not start"
  (cd "$dir/work" && exec wine "$launcher" -o "$(orv_winpath "$dir/code.txt")" -t 60000 \
    "$(orv_winpath "$program")" run "$@" >"$dir/run.wine" 2>&1) &
  pid=$!
  dialog=$(orv_wait_window "BCPDMI Setting" 30 "$pid") || fail "$name: no DMI dialog"
  sleep 0.5
  orv_screenshot "$dir/shots/dialog.png"
}

# dmi_keys KEYS...: keys for the DMI dialog (xdotool key names).
dmi_keys() {
  xdotool windowfocus --sync "$dialog" key --delay 50 "$@"
}

# dmi_type TEXT: types TEXT into the focused field of the DMI dialog.
dmi_type() {
  xdotool windowfocus --sync "$dialog" type --delay 50 "$1"
}

# dmi_box SHOT: reads the step's next message box into $dir/SHOT.txt
# (title and text lines), pictures it and answers it with Return.
dmi_box() {
  wine "$box_reader" -o "$(orv_winpath "$dir/$1.box")" -t 20000 dmi_step.exe >"$dir/$1.wine" 2>&1
  tr -d '\r' <"$dir/$1.box" | sed -n 's/^title /title /p; s/^text /text /p' >"$dir/$1.txt"
  title=$(sed -n 's/^title //p' "$dir/$1.txt")
  [ -n "$title" ] || { fail "$name: no message box ($1): $(cat "$dir/$1.box")"; return; }
  orv_answer_box "$(printf '%s' "$title" | sed 's/[][\\.*^$()+?{}|]/\\&/g')" 10 "$dir/shots/$1.png" Return "$pid" ||
    fail "$name: box $1 not answered"
}

# dmi_end CODE: waits for the step and compares its exit code, its output
# (file expected.txt of the case) and the keyboard controller's port writes
# (keyboard.txt) with what the case expects.
dmi_end() {
  wait "$pid"
  code=$(tr -d '\r' <"$dir/code.txt" 2>/dev/null | sed -n 's/^exit code //p')
  [ "$code" = "$1" ] || fail "$name: exit code '$code', expected $1"
  tr -d '\r' <"$dir/run.wine" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\)' >"$dir/output.txt"
  diff "$dir/expected.txt" "$dir/output.txt" >"$dir/output.diff" || fail "$name: output differs: $(cat "$dir/output.diff")"
  orv_wine_quiet sc stop TORQ
  "$print_state" "$stage/state-torq.bin" >"$dir/state-torq.txt" 2>&1 || fail "$name: no TORQ state"
  sed -n 's/.* port-write .* target=\(0x006[04]\) .* value=\(0x..\)$/\1 \2/p' "$dir/state-torq.txt" >"$dir/writes.txt"
  diff "$dir/keyboard.txt" "$dir/writes.txt" >"$dir/keyboard.diff" || fail "$name: keyboard controller: $(cat "$dir/keyboard.diff")"
  LC_ALL=C ls "$dir/work" | grep -v '^DebugLog.txt$' >"$dir/left.txt"
}

off='0x0064 0xAD
0x0064 0xA7
0x0064 0x60
0x0060 0x74'
on='0x0064 0x60
0x0060 0x47
0x0064 0xAE
0x0064 0xA8'

# Accepted: the present flag has no letter, so the present values go with
# mode 3 first; one character too many in the serial is refused, then the
# fields are overtyped (Tab selects the next field's text) and OK pressed.
dmi_case accept 0x1000 SECX1 07HE SN0123456789 20130415
dmi_type SN01234567890
dmi_keys Return
dmi_box too-long
dmi_keys End shift+Home
dmi_type SN9999999999
dmi_keys Tab
dmi_type NEWF9
dmi_keys Tab
dmi_type 20240101
dmi_keys Return
printf '%s\n' 'title Error : String length' 'text The string length of System Serial must be 12.' >"$dir/expected-too-long.txt"
diff "$dir/expected-too-long.txt" "$dir/too-long.txt" >/dev/null || fail "accept: wrong message: $(cat "$dir/too-long.txt")"
printf '%s\n' \
  'command line SWinFlash bios.wph /P /MODE=3 /DO0:SECB1 /DO1:20130415 /DSS:SN0123456789 /MODE=1 /DO0:NEWF9 /DO1:20240101 /DSS:SN9999999999' \
  'BiosFlagB 1' 'accepted 1' 'result 1' >"$dir/expected.txt"
printf '%s\n' "$off" "$on" "$off" >"$dir/keyboard.txt"
dmi_end 0x00000000
[ "$(tr '\n' ' ' <"$dir/left.txt")" = "PhlashNT.sys R0123.WPH SWinFlash.exe bios.wph " ] ||
  fail "accept: the flash tool's files should stay, the MICOM tool's go: $(cat "$dir/left.txt")"

# Cancelled three ways, the English library's dialog for Escape: the
# clean-up removes every staged file, input stays on.
for way in escape cancel-button close; do
  case $way in
    escape) dmi_case "$way" --library "$(orv_winpath "$library")" 0x1000 SECA1 07HL SN0123456789 20130415
      dmi_keys Escape ;;
    cancel-button) dmi_case "$way" 0x1000 SECA1 07HL SN0123456789 20130415
      dmi_keys Tab Tab Tab Tab space ;;
    close) dmi_case "$way" 0x1000 SECA1 07HL SN0123456789 20130415
      # The close box sits at the right end of the caption Wine draws.
      eval "$(xdotool getwindowgeometry --shell "$dialog")"
      xdotool mousemove --sync $((X + WIDTH - 13)) $((Y + 10)) click 1 ;;
  esac
  dmi_box stop
  printf '%s\n' 'title Stop Update' 'text Cancel DMI Update.' >"$dir/expected-stop.txt"
  diff "$dir/expected-stop.txt" "$dir/stop.txt" >/dev/null || fail "$way: wrong message: $(cat "$dir/stop.txt")"
  : >"$dir/expected.txt"
  printf '%s\n' "$off" "$on" >"$dir/keyboard.txt"
  dmi_end 0x00000000
  [ -s "$dir/left.txt" ] && fail "$way: files left: $(cat "$dir/left.txt")"
done

orv_wine_quiet sc stop TORQ
orv_wine_quiet sc delete TORQ
orv_wine_end
echo "dmi_step: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s; pictures: $out"
exit $failed
